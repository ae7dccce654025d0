#include "QVCpu.h"

#include <atomic>

namespace {

QVVectorPath DetectBestPath()
{
#if QV_HAVE_VECTOR_PATHS
    // __builtin_cpu_supports also checks that the system saves the wide
    // registers, so a feature the kernel does not enable counts as absent.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx2"))
        return QVVectorPath::kAvx512;
    if (__builtin_cpu_supports("avx2"))
        return QVVectorPath::kAvx2;
    return QVVectorPath::kSse2; // part of every x86-64 processor
#else
    return QVVectorPath::kScalar;
#endif
}

std::atomic<int>& ChosenPath()
{
    static std::atomic<int> chosen{int(QVBestVectorPath())};
    return chosen;
}

} // namespace

QVVectorPath QVBestVectorPath()
{
    static const QVVectorPath best = DetectBestPath();
    return best;
}

QVVectorPath QVCurrentVectorPath()
{
    return QVVectorPath(ChosenPath().load(std::memory_order_relaxed));
}

bool QVSetVectorPath(QVVectorPath path)
{
    if (int(path) < 0 || int(path) > int(QVBestVectorPath()))
        return false;
    ChosenPath().store(int(path), std::memory_order_relaxed);
    return true;
}

const char* QVVectorPathName(QVVectorPath path)
{
    switch (path) {
    case QVVectorPath::kScalar:
        return "scalar";
    case QVVectorPath::kSse2:
        return "sse2";
    case QVVectorPath::kAvx2:
        return "avx2";
    case QVVectorPath::kAvx512:
        return "avx512";
    }
    return "?";
}
