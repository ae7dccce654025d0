#pragma once

#include "engine/image/QVCpu.h"
#include "engine/image/QVDIB.h"
#include "engine/parallel/QVThreadPool.h"

#include <cstdint>
#include <string>
#include <vector>

// The ways the engine's pixel loops can run on this machine: every
// instruction set the processor has, on the calling thread alone and on every
// thread of the pool. Tests run each and hold it to the plain loop.
struct EnginePath
{
    QVVectorPath path;
    int threads;
};

inline std::vector<EnginePath> EveryEnginePath()
{
    const int all = QVThreadPool::Instance().ThreadCount();
    std::vector<EnginePath> paths;
    for (int path = 0; path <= int(QVBestVectorPath()); ++path) {
        paths.push_back({QVVectorPath(path), 1});
        if (all > 1)
            paths.push_back({QVVectorPath(path), all});
    }
    return paths;
}

inline std::string Describe(const EnginePath& engine)
{
    return std::string(QVVectorPathName(engine.path)) + " on " + std::to_string(engine.threads) +
           (engine.threads == 1 ? " thread" : " threads");
}

// Runs the pixel loops as engine says while it lives. On several threads every
// row is a chunk of its own, so that neighbouring rows of even a small test
// picture go to different threads.
class EnginePathScope
{
public:
    explicit EnginePathScope(const EnginePath& engine)
    {
        m_set = QVSetVectorPath(engine.path);
        QVThreadPool::Instance().SetThreadLimit(engine.threads);
        QVThreadPool::Instance().SetMinChunkWork(engine.threads > 1 ? 1 : 0);
    }
    ~EnginePathScope()
    {
        (void)QVSetVectorPath(QVBestVectorPath());
        QVThreadPool::Instance().SetThreadLimit(0);
        QVThreadPool::Instance().SetMinChunkWork(0);
    }
    EnginePathScope(const EnginePathScope&) = delete;
    EnginePathScope& operator=(const EnginePathScope&) = delete;

    bool IsSet() const { return m_set; }

private:
    bool m_set = false;
};

// The plain loop on the calling thread: the oracle.
inline EnginePath PlainLoop()
{
    return {QVVectorPath::kScalar, 1};
}

// A 24-bit picture of random bytes (the row padding too), the same for the same seed.
inline bool MakeRandomPicture(QVDIB& picture, int width, int height, uint32_t seed)
{
    if (!picture.Create(width, height, 24))
        return false;
    uint32_t state = seed * 2654435761u + 1;
    uint8_t* bits = picture.GetBits();
    for (uint32_t i = 0; i < picture.GetHeader()->biSizeImage; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bits[i] = uint8_t(state >> 24);
    }
    return true;
}
