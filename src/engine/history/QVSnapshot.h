#pragma once

#include "engine/image/QVDIB.h"
#include "engine/image/QVRect.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <vector>

// One recorded state of a picture, held in tiles of kTileSize x kTileSize
// pixels. A snapshot made from the one before it copies only the tiles whose
// pixels changed and shares every other tile with it, so each step costs
// memory in proportion to the area it painted, not to the picture.
//
// Tiles are counted without locks: the snapshots of one history belong to one
// thread.
class QVSnapshot
{
public:
    static constexpr int kTileSize = 64;

    // Where snapshots take their memory (the object, its tile table and its
    // header; tiles come from QVTilePool unless an allocator is set). Memory
    // is handed back with std::free. Tests hand in one that fails, to see
    // that a failed allocation changes nothing; nullptr restores the default.
    using Allocator = void* (*)(size_t);
    static void SetAllocator(Allocator allocate);

    // A snapshot of image that shares with previous every tile outside the
    // changed rectangles and every tile inside them whose pixels are equal;
    // image must differ from previous nowhere else. Without a previous
    // snapshot of the same geometry the whole image is taken. nullptr when
    // memory runs out.
    [[nodiscard]] static std::unique_ptr<QVSnapshot> Make(const QVDIB& image,
                                                          const QVSnapshot* previous,
                                                          std::span<const QVRect> changed,
                                                          uint64_t tag);

    ~QVSnapshot();
    QVSnapshot(const QVSnapshot&) = delete;
    QVSnapshot& operator=(const QVSnapshot&) = delete;
    static void* operator new(size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* block) noexcept;
    static void operator delete(void* block, const std::nothrow_t&) noexcept;

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    uint16_t GetBitCount() const { return m_nBitCount; }
    // What the recorder attached to this state.
    uint64_t GetTag() const { return m_nTag; }
    bool SameGeometry(const QVDIB& image) const;
    bool SameGeometry(const QVSnapshot& other) const;

    // The pixels of rect (clipped to the picture) into target, which must
    // have this snapshot's geometry; false, writing nothing, otherwise.
    [[nodiscard]] bool CopyTo(QVDIB& target, const QVRect& rect) const;
    // The whole picture with its header and colour table; target is created
    // anew when its geometry differs (false when that fails).
    [[nodiscard]] bool CopyTo(QVDIB& target) const;

    // Appends the rectangles (whole tiles, clipped to the picture) in which
    // this snapshot and other may differ: the tiles they do not share, or the
    // whole picture when their geometries differ.
    void AppendDifferences(const QVSnapshot& other, std::vector<QVRect>& out) const;

    // Each tile this snapshot refers to, with its size in bytes, for counting
    // the memory a history holds.
    template <typename Visit> void ForEachTile(Visit&& visit) const
    {
        for (size_t i = 0; i < m_nTiles; ++i)
            visit(static_cast<const void*>(m_ppTiles[i]), TileBytes(m_ppTiles[i]));
    }

private:
    struct Tile;

    QVSnapshot() = default;
    static Tile* NewTile(size_t bytes);
    static void FreeTile(Tile* tile);
    static size_t TileBytes(const Tile* tile);
    // Tile (column, row) of the grid: its pixels and its bytes within a row.
    QVRect TileRect(int column, int row) const;
    void TileByteSpan(int column, size_t& from, size_t& count) const;
    // Compares or copies one tile's pixels with the picture's.
    bool TileEquals(const Tile* tile, const QVDIB& image, int column, int row) const;
    Tile* TakeTile(const QVDIB& image, int column, int row) const;

    int m_nWidth = 0;
    int m_nHeight = 0;
    uint16_t m_nBitCount = 0;
    uint64_t m_nTag = 0;
    int m_nColumns = 0;
    int m_nRows = 0;
    size_t m_nTiles = 0;
    // Row-major, bottom tile row first; every entry holds one reference.
    Tile** m_ppTiles = nullptr;
    // The picture's header and colour table as they were recorded.
    uint8_t* m_pHeader = nullptr;
    size_t m_nHeaderBytes = 0;
};
