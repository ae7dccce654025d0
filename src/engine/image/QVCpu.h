#pragma once

// Qt's drawing code runs AVX routines that return with the upper halves of the
// vector registers dirty. Plain SSE code that follows then pays for merging
// them on every instruction, which made a warp three times slower inside the
// view than alone. The pixel loops call this first; it changes no result.
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

__attribute__((target("avx"))) inline void QVZeroUpperAvx()
{
    _mm256_zeroupper();
}

inline void QVClearUpperVectorState()
{
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx)
        QVZeroUpperAvx();
}
#else
inline void QVClearUpperVectorState() {}
#endif
