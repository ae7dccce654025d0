#include "QVTilePool.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
// Free blocks are poisoned, so the sanitizer still sees a tile used after the
// history let it go.
#define QV_POISON(block, size) ASAN_POISON_MEMORY_REGION(block, size)
#define QV_UNPOISON(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define QV_POISON(block, size) ((void)(block), (void)(size))
#define QV_UNPOISON(block, size) ((void)(block), (void)(size))
#endif

namespace {

constexpr size_t kChunkBytes = size_t(2) << 20; // one huge page
constexpr size_t kBlockAlign = 64;              // a cache line
constexpr int kSizeClasses = 16;

struct SizeClass;

// A chunk starts with this header; its blocks follow. Chunks are aligned to
// their size, so a block finds its chunk by rounding its address down.
struct Chunk
{
    Chunk* pPrev;
    Chunk* pNext;
    SizeClass* pClass;
    size_t nUsed;
    // Blocks given back, linked through their first bytes.
    void* pFree;
    // Blocks never handed out yet start here.
    uint8_t* pFresh;
};

constexpr size_t kHeaderBytes = (sizeof(Chunk) + kBlockAlign - 1) & ~(kBlockAlign - 1);

// The chunks of one block size that have a free block, most recent first. A
// class whose last chunk has gone is free for another size: pictures of many
// sizes come and go in one session.
struct SizeClass
{
    size_t nBlock; // 0: free
    Chunk* pPartial;
    size_t nChunks; // chunks of this size, full ones included
};

std::mutex g_lock;
SizeClass g_classes[kSizeClasses];
size_t g_nChunks = 0;
// One empty chunk is kept, so a step that frees the last block of a chunk and
// the next that needs one do not map and unmap it each time.
Chunk* g_pSpare = nullptr;

Chunk* ChunkOf(void* block)
{
    return reinterpret_cast<Chunk*>(uintptr_t(block) & ~uintptr_t(kChunkBytes - 1));
}

uint8_t* ChunkEnd(Chunk* chunk)
{
    return reinterpret_cast<uint8_t*>(chunk) + kChunkBytes;
}

Chunk* MapChunk()
{
#if defined(__linux__)
    // Twice the size, then the aligned middle is kept.
    void* base = mmap(nullptr, 2 * kChunkBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                      -1, 0);
    if (base == MAP_FAILED)
        return nullptr;
    const uintptr_t start = (uintptr_t(base) + kChunkBytes - 1) & ~uintptr_t(kChunkBytes - 1);
    const size_t head = start - uintptr_t(base);
    if (head)
        munmap(base, head);
    munmap(reinterpret_cast<void*>(start + kChunkBytes), kChunkBytes - head);
#if defined(MADV_HUGEPAGE)
    madvise(reinterpret_cast<void*>(start), kChunkBytes, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<Chunk*>(start);
#else
    return static_cast<Chunk*>(std::aligned_alloc(kChunkBytes, kChunkBytes));
#endif
}

void UnmapChunk(Chunk* chunk)
{
    QV_UNPOISON(chunk, kChunkBytes);
#if defined(__linux__)
    munmap(chunk, kChunkBytes);
#else
    std::free(chunk);
#endif
    --g_nChunks;
}

void Unlink(Chunk* chunk)
{
    if (chunk->pPrev)
        chunk->pPrev->pNext = chunk->pNext;
    else
        chunk->pClass->pPartial = chunk->pNext;
    if (chunk->pNext)
        chunk->pNext->pPrev = chunk->pPrev;
    chunk->pPrev = chunk->pNext = nullptr;
}

void LinkFirst(Chunk* chunk)
{
    chunk->pPrev = nullptr;
    chunk->pNext = chunk->pClass->pPartial;
    if (chunk->pNext)
        chunk->pNext->pPrev = chunk;
    chunk->pClass->pPartial = chunk;
}

SizeClass* ClassFor(size_t block)
{
    SizeClass* free = nullptr;
    for (SizeClass& c : g_classes) {
        if (c.nBlock == block)
            return &c;
        if (c.nBlock == 0 && !free)
            free = &c;
    }
    if (free)
        free->nBlock = block;
    return free;
}

} // namespace

void* QVTilePool::Allocate(size_t size)
{
    if (size == 0 || size > kMaxBlock)
        return nullptr;
    const size_t block = (size + kBlockAlign - 1) & ~(kBlockAlign - 1);
    const std::lock_guard<std::mutex> lock(g_lock);
    SizeClass* sizeClass = ClassFor(block);
    if (!sizeClass)
        return nullptr;

    Chunk* chunk = sizeClass->pPartial;
    if (!chunk) {
        if (g_pSpare) {
            chunk = g_pSpare;
            g_pSpare = nullptr;
        } else {
            chunk = MapChunk();
            if (!chunk)
                return nullptr;
            ++g_nChunks;
        }
        *chunk = Chunk{nullptr, nullptr, sizeClass, 0, nullptr,
                       reinterpret_cast<uint8_t*>(chunk) + kHeaderBytes};
        ++sizeClass->nChunks;
        QV_POISON(chunk->pFresh, size_t(ChunkEnd(chunk) - chunk->pFresh));
        LinkFirst(chunk);
    }

    void* result;
    if (chunk->pFree) {
        result = chunk->pFree;
        QV_UNPOISON(result, sizeof(void*));
        chunk->pFree = *static_cast<void**>(result);
    } else {
        result = chunk->pFresh;
        chunk->pFresh += block;
    }
    ++chunk->nUsed;
    // Full: neither a free block nor room for a fresh one.
    if (!chunk->pFree && size_t(ChunkEnd(chunk) - chunk->pFresh) < block)
        Unlink(chunk);
    QV_UNPOISON(result, block);
    return result;
}

void QVTilePool::Release(void* block)
{
    if (!block)
        return;
    const std::lock_guard<std::mutex> lock(g_lock);
    Chunk* chunk = ChunkOf(block);
    const size_t size = chunk->pClass->nBlock;
    const bool wasFull = !chunk->pFree && size_t(ChunkEnd(chunk) - chunk->pFresh) < size;
    *static_cast<void**>(block) = chunk->pFree;
    chunk->pFree = block;
    QV_POISON(block, size);
    --chunk->nUsed;
    if (wasFull)
        LinkFirst(chunk);
    if (chunk->nUsed > 0)
        return;
    Unlink(chunk);
    if (--chunk->pClass->nChunks == 0)
        chunk->pClass->nBlock = 0;
    if (g_pSpare)
        UnmapChunk(g_pSpare);
    g_pSpare = chunk;
}

size_t QVTilePool::GetChunkCount()
{
    const std::lock_guard<std::mutex> lock(g_lock);
    return g_nChunks;
}
