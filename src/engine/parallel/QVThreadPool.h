#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// A few worker threads, started on first use and kept for the life of the
// program, that share the rows of one pixel operation with the thread that
// asks: a mouse move must not pay for starting threads, and the asking thread
// works too instead of sleeping while the others do.
//
// ForRows cuts [begin, end) into chunks of consecutive rows and hands them out
// in order to whichever thread is free, so a thread that drew short rows (the
// top and bottom of a circle) takes more of them; it returns when every chunk
// is done. Work too small to repay waking a thread stays on the calling thread.
// A call made while the pool is busy (from another thread, or from inside a
// chunk) runs whole on its own thread, so calls never wait for one another.
//
// The bodies must not depend on which thread runs which rows: every pixel loop
// handed in writes only its own rows and reads only what no chunk writes.
// Every thread clears the upper vector state (QVCpu.h) before it runs chunks.
class QVThreadPool
{
public:
    using ChunkFunction = void (*)(const void* body, int from, int to);

    static QVThreadPool& Instance();

    // body(from, to) for consecutive row ranges covering [begin, end).
    // workPerRow (pixels, roughly) sizes the chunks.
    template <class Body>
    void ForRows(int begin, int end, int64_t workPerRow, const Body& body)
    {
        Run(begin, end, workPerRow, &CallBody<Body>, &body);
    }

    // Threads that share one job, the calling thread included.
    int ThreadCount() const;
    // At most n threads per job (1: the calling thread alone); 0 lifts the limit.
    void SetThreadLimit(int n);
    // Least work (pixels) worth a chunk of its own; 0 restores the default.
    // Tests set 1 so that neighbouring rows go to different threads.
    void SetMinChunkWork(int64_t work);

    ~QVThreadPool();
    QVThreadPool(const QVThreadPool&) = delete;
    QVThreadPool& operator=(const QVThreadPool&) = delete;

private:
    QVThreadPool();

    template <class Body>
    static void CallBody(const void* body, int from, int to)
    {
        (*static_cast<const Body*>(body))(from, to);
    }

    void Run(int begin, int end, int64_t workPerRow, ChunkFunction function, const void* body);
    void RunChunks();
    void WorkerLoop();

    std::vector<std::thread> m_workers;
    std::atomic<int> m_threadLimit{0};
    std::atomic<int64_t> m_minChunkWork{0};

    // One job at a time; a caller that finds it taken runs its job alone. A
    // flag, not a mutex: a chunk's own call must see it taken too, and a
    // thread may not try a mutex it holds.
    std::atomic<bool> m_busy{false};

    // The job, written under m_mutex before the workers are woken.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    uint64_t m_generation = 0;
    bool m_stop = false;
    bool m_open = false; // the current job still takes workers
    int m_helpers = 0;   // workers the current job can use
    int m_joined = 0;    // workers that took part in it
    int m_active = 0;    // of those, how many are still running chunks
    ChunkFunction m_function = nullptr;
    const void* m_body = nullptr;
    int m_begin = 0;
    int m_end = 0;
    int m_chunkRows = 1;
    int m_chunks = 0;
    std::atomic<int> m_nextChunk{0};
};
