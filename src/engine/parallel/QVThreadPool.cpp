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
        for (int i = 1; i < cores; ++i)
            m_workers.emplace_back(&QVThreadPool::WorkerLoop, this);
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

    if (threads <= 1 || chunks <= 1 || m_busy.exchange(true, std::memory_order_acquire)) {
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
        m_joined = 0;
        m_open = true;
        ++m_generation;
    }
    m_wake.notify_all();
    RunChunks();
    {
        // Workers that have not woken by now find the job closed: the caller
        // never waits for a thread the system has not yet scheduled, only for
        // those still running a chunk. Their writes to the pictures happen
        // before their report under the mutex, so the caller sees them.
        std::unique_lock lock(m_mutex);
        m_open = false;
        m_done.wait(lock, [this] { return m_active == 0; });
    }
    m_busy.store(false, std::memory_order_release);
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

void QVThreadPool::WorkerLoop()
{
    uint64_t seen = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || m_generation != seen; });
        if (m_stop)
            return;
        seen = m_generation;
        // Too late (the caller has done every chunk) or not needed.
        if (!m_open || m_joined >= m_helpers)
            continue;
        ++m_joined;
        ++m_active;
        lock.unlock();
        RunChunks();
        lock.lock();
        if (--m_active == 0 && !m_open)
            m_done.notify_one();
    }
}
