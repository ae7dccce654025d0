#pragma once

// What the processor offers the pixel loops: which vector width they run at,
// and the upper-state reset they need after Qt's drawing code.

// The instruction sets the pixel loops have a path for, narrowest first. Every
// path gives exactly the bytes of the plain loop (kScalar): the vector paths
// run the plain loop's double operations in the same order, one pixel per lane.
enum class QVVectorPath { kScalar = 0, kSse2 = 1, kAvx2 = 2, kAvx512 = 3 };

// The widest path this processor runs; kScalar off x86-64.
QVVectorPath QVBestVectorPath();
// The path the pixel loops take: the widest one unless QVSetVectorPath chose
// another.
QVVectorPath QVCurrentVectorPath();
// Makes the pixel loops take path (tests hold each path to the plain loop;
// benchmarks compare them). False, changing nothing, when the processor cannot
// run it.
bool QVSetVectorPath(QVVectorPath path);
const char* QVVectorPathName(QVVectorPath path);

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
// The wide paths are compiled per function for their instruction set, so the
// program itself stays plain x86-64. Their lanes are GCC's vector extensions
// (parallel/QVLanes.h); other compilers (clang builds the fuzz target) keep
// the plain loop. Neither set includes FMA: a fused
// multiply-add would round differently from the plain loop.
#define QV_TARGET_AVX2 __attribute__((target("avx2")))
#define QV_TARGET_AVX512                                                                           \
    __attribute__((target("avx512f,avx512vl,avx512bw,avx512dq,avx2,prefer-vector-width=512")))
#define QV_HAVE_VECTOR_PATHS 1

// Defines name##Sse2, name##Avx2 and name##Avx512(const Job&, int from, int to),
// each running body<lanes>(job, from, to) compiled for its instruction set with
// 2, 4 or 8 doubles to a vector.
#define QV_DEFINE_WIDE_PATHS(name, Job, body)                                                      \
    void name##Sse2(const Job& job, int from, int to) { body<2>(job, from, to); }                  \
    QV_TARGET_AVX2 void name##Avx2(const Job& job, int from, int to) { body<4>(job, from, to); }   \
    QV_TARGET_AVX512 void name##Avx512(const Job& job, int from, int to) { body<8>(job, from, to); }
// The four functions of one loop, plain first, for QVChoosePath.
#define QV_EVERY_PATH(name) name##Plain, name##Sse2, name##Avx2, name##Avx512
#else
#define QV_HAVE_VECTOR_PATHS 0
#define QV_EVERY_PATH(name) name##Plain, name##Plain, name##Plain, name##Plain
#endif

// The function of the current path among a loop's four; the plain one where
// the vector code does not apply (vectors false).
template <class Function>
Function QVChoosePath(bool vectors, Function plain, Function sse2, Function avx2, Function avx512)
{
    if (!vectors)
        return plain;
    switch (QVCurrentVectorPath()) {
    case QVVectorPath::kAvx512:
        return avx512;
    case QVVectorPath::kAvx2:
        return avx2;
    case QVVectorPath::kSse2:
        return sse2;
    case QVVectorPath::kScalar:
        break;
    }
    return plain;
}

// Qt's drawing code runs AVX routines that return with the upper halves of the
// vector registers dirty. Plain SSE code that follows then pays for merging
// them on every instruction, which made a warp three times slower inside the
// view than alone. The pixel loops call this first (on every thread that runs
// them); it changes no result.
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
