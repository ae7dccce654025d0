#include "QVThreadPool.h"

#include "engine/image/QVCpu.h"

#include <algorithm>
#include <system_error>

namespace {

// Waking a sleeping worker costs tens of microseconds; a chunk should hold at
// least that much work (about 16000 pixels of a warp).
constexpr int64_t kDefaultMinChunkWork = 16384;
// Several chunks per thread let a thread that drew cheap rows take more.
constexpr int kChunksPerThread = 8;
// Beyond this the pixel loops are bound by memory, not by cores.
constexpr int kMaxThreads = 64;

} // namespace

QVThreadPool& QVThreadPool::Instance()
{
    static QVThreadPool pool;
    return pool;
}

QVThreadPool::QVThreadPool()
{
    const int cores = int(std::min(std::thread::hardware_concurrency(), unsigned(kMaxThreads)));
    // The engine throws nothing: a worker the system refuses leaves the others
    // (or the calling thread alone) to do the work.
    try {
        for (int i = 0; i + 1 < cores; ++i)
            m_workers.emplace_back(&QVThreadPool::WorkerLoop, this, i);
    } catch (const std::system_error&) {
    }
}

QVThreadPool::~QVThreadPool()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

int QVThreadPool::ThreadCount() const
{
    const int all = int(m_workers.size()) + 1;
    const int limit = m_threadLimit.load(std::memory_order_relaxed);
    return limit > 0 ? std::min(limit, all) : all;
}

void QVThreadPool::SetThreadLimit(int n)
{
    m_threadLimit.store(std::max(n, 0), std::memory_order_relaxed);
}

void QVThreadPool::SetMinChunkWork(int64_t work)
{
    m_minChunkWork.store(std::max<int64_t>(work, 0), std::memory_order_relaxed);
}

void QVThreadPool::Run(int begin, int end, int64_t workPerRow, ChunkFunction function,
                       const void* body)
{
    if (begin >= end)
        return;
    const int64_t rows = int64_t(end) - begin;
    const int threads = ThreadCount();
    int64_t minWork = m_minChunkWork.load(std::memory_order_relaxed);
    if (minWork <= 0)
        minWork = kDefaultMinChunkWork;
    workPerRow = std::max<int64_t>(workPerRow, 1);
    const int64_t minRows = (minWork + workPerRow - 1) / workPerRow;
    const int64_t perThread = int64_t(threads) * kChunksPerThread;
    const int64_t chunkRows = std::max(minRows, (rows + perThread - 1) / perThread);
    const int64_t chunks = (rows + chunkRows - 1) / chunkRows;

    if (threads <= 1 || chunks <= 1 || !m_submit.try_lock()) {
        QVClearUpperVectorState();
        function(body, begin, end);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_function = function;
        m_body = body;
        m_begin = begin;
        m_end = end;
        m_chunkRows = int(chunkRows);
        m_chunks = int(chunks);
        m_nextChunk.store(0, std::memory_order_relaxed);
        m_helpers = int(std::min<int64_t>(threads - 1, chunks - 1));
        m_finished = 0;
        ++m_generation;
    }
    m_wake.notify_all();
    RunChunks();
    {
        // The workers' writes to the pictures happen before their count under
        // the mutex, so they are visible to the caller once it returns.
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_finished == m_helpers; });
    }
    m_submit.unlock();
}

void QVThreadPool::RunChunks()
{
    QVClearUpperVectorState();
    for (;;) {
        const int chunk = m_nextChunk.fetch_add(1, std::memory_order_relaxed);
        if (chunk >= m_chunks)
            return;
        const int from = m_begin + chunk * m_chunkRows;
        const int to = int(std::min<int64_t>(int64_t(from) + m_chunkRows, m_end));
        m_function(m_body, from, to);
    }
}

void QVThreadPool::WorkerLoop(int index)
{
    uint64_t seen = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || m_generation != seen; });
        if (m_stop)
            return;
        seen = m_generation;
        // A job that needs fewer helpers leaves the later workers asleep. A
        // helper cannot miss its job: the next one starts only after every
        // helper of this one has reported.
        if (index >= m_helpers)
            continue;
        lock.unlock();
        RunChunks();
        lock.lock();
        if (++m_finished == m_helpers)
            m_done.notify_one();
    }
}
