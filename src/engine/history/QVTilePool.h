#pragma once

#include <cstddef>

// Memory for the history's tiles: blocks of one size carved from chunks of
// 2 MB, backed by huge pages where the system allows it. A stroke's step takes
// about a hundred fresh tiles; from the C library's heap each of them would
// fault its pages in one by one (hundreds of faults per step, milliseconds on
// a virtual machine), from a chunk they come at one fault per chunk. A chunk
// goes back to the system once none of its blocks is in use.
//
// The pool may be used from any thread; it locks.
class QVTilePool
{
public:
    // Block sizes the pool serves; larger blocks come from the C library.
    static constexpr size_t kMaxBlock = size_t(64) << 10;

    // A block of at least size bytes; nullptr when memory runs out, or when
    // blocks of 16 other sizes are in use (the caller then takes the C
    // library's heap).
    static void* Allocate(size_t size);
    // A block from Allocate, or nullptr.
    static void Release(void* block);

    // Chunks held now, in use or kept spare (for tests and benchmarks).
    static size_t GetChunkCount();
};
