#include "QVSnapshot.h"
#include "QVTilePool.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

QVSnapshot::Allocator g_allocate = nullptr;

void* Allocate(size_t size)
{
    return g_allocate ? g_allocate(size) : std::malloc(size);
}

} // namespace

// A tile's pixel rows follow this header in the same block, row after row
// without gaps, bottom row first.
struct QVSnapshot::Tile
{
    uint32_t nRefs;
    uint32_t nBytes;
    // From QVTilePool, or from the allocator a test handed in.
    uint32_t bPooled;

    uint8_t* Pixels() { return reinterpret_cast<uint8_t*>(this + 1); }
    const uint8_t* Pixels() const { return reinterpret_cast<const uint8_t*>(this + 1); }
};

QVSnapshot::Tile* QVSnapshot::NewTile(size_t bytes)
{
    const size_t size = sizeof(Tile) + bytes;
    bool pooled = !g_allocate && size <= QVTilePool::kMaxBlock;
    auto* tile = static_cast<Tile*>(pooled ? QVTilePool::Allocate(size) : nullptr);
    if (!tile) {
        // Too large for the pool, a test's allocator, or a pool that serves
        // other sizes just now.
        pooled = false;
        tile = static_cast<Tile*>(Allocate(size));
    }
    if (!tile)
        return nullptr;
    tile->nRefs = 0;
    tile->nBytes = uint32_t(bytes);
    tile->bPooled = pooled;
    return tile;
}

void QVSnapshot::FreeTile(Tile* tile)
{
    if (tile->bPooled)
        QVTilePool::Release(tile);
    else
        std::free(tile);
}

void QVSnapshot::SetAllocator(Allocator allocate)
{
    g_allocate = allocate;
}

void* QVSnapshot::operator new(size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void QVSnapshot::operator delete(void* block) noexcept
{
    std::free(block);
}

void QVSnapshot::operator delete(void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

size_t QVSnapshot::TileBytes(const Tile* tile)
{
    return sizeof(Tile) + tile->nBytes;
}

QVSnapshot::~QVSnapshot()
{
    // A snapshot whose making failed has no table.
    for (size_t i = 0; m_ppTiles && i < m_nTiles; ++i)
        if (--m_ppTiles[i]->nRefs == 0)
            FreeTile(m_ppTiles[i]);
    std::free(m_ppTiles);
    std::free(m_pHeader);
}

bool QVSnapshot::SameGeometry(const QVDIB& image) const
{
    return m_nWidth == image.GetWidth() && m_nHeight == image.GetHeight() &&
           m_nBitCount == image.GetBitCount();
}

bool QVSnapshot::SameGeometry(const QVSnapshot& other) const
{
    return m_nWidth == other.m_nWidth && m_nHeight == other.m_nHeight &&
           m_nBitCount == other.m_nBitCount;
}

QVRect QVSnapshot::TileRect(int column, int row) const
{
    return QVRect{column * kTileSize, row * kTileSize, std::min((column + 1) * kTileSize, m_nWidth),
                  std::min((row + 1) * kTileSize, m_nHeight)};
}

void QVSnapshot::TileByteSpan(int column, size_t& from, size_t& count) const
{
    // kTileSize pixels are whole bytes at every depth; the last column also
    // keeps the padding at the end of each row, so tiles hold every byte.
    const size_t tileBytes = size_t(kTileSize) * m_nBitCount / 8;
    from = size_t(column) * tileBytes;
    const size_t stride = QVDIB::Stride(m_nWidth, m_nBitCount);
    count = column == m_nColumns - 1 ? stride - from : tileBytes;
}

bool QVSnapshot::TileEquals(const Tile* tile, const QVDIB& image, int column, int row) const
{
    size_t from, count;
    TileByteSpan(column, from, count);
    const QVRect rect = TileRect(column, row);
    const size_t stride = size_t(image.GetStride());
    const uint8_t* in = image.GetBits() + size_t(rect.top) * stride + from;
    const uint8_t* own = tile->Pixels();
    for (int y = rect.top; y < rect.bottom; ++y, in += stride, own += count)
        if (std::memcmp(own, in, count) != 0)
            return false;
    return true;
}

QVSnapshot::Tile* QVSnapshot::TakeTile(const QVDIB& image, int column, int row) const
{
    size_t from, count;
    TileByteSpan(column, from, count);
    const QVRect rect = TileRect(column, row);
    const size_t bytes = count * size_t(rect.Height());
    Tile* tile = NewTile(bytes);
    if (!tile)
        return nullptr;
    const size_t stride = size_t(image.GetStride());
    const uint8_t* in = image.GetBits() + size_t(rect.top) * stride + from;
    uint8_t* own = tile->Pixels();
    for (int y = rect.top; y < rect.bottom; ++y, in += stride, own += count)
        std::memcpy(own, in, count);
    return tile;
}

std::unique_ptr<QVSnapshot> QVSnapshot::Make(const QVDIB& image, const QVSnapshot* previous,
                                             std::span<const QVRect> changed, uint64_t tag)
{
    std::unique_ptr<QVSnapshot> snapshot(new (std::nothrow) QVSnapshot);
    if (!snapshot)
        return nullptr;
    snapshot->m_nTag = tag;
    if (image.IsEmpty())
        return snapshot;

    QVSnapshot& s = *snapshot;
    s.m_nWidth = image.GetWidth();
    s.m_nHeight = image.GetHeight();
    s.m_nBitCount = image.GetBitCount();
    s.m_nColumns = (s.m_nWidth + kTileSize - 1) / kTileSize;
    s.m_nRows = (s.m_nHeight + kTileSize - 1) / kTileSize;
    s.m_nTiles = size_t(s.m_nColumns) * size_t(s.m_nRows);
    if (previous && !previous->SameGeometry(image))
        previous = nullptr;

    const QVBitmapInfoHeader* header = image.GetHeader();
    s.m_nHeaderBytes = header->biSize + QVDIB::PaletteSize(header);
    s.m_pHeader = static_cast<uint8_t*>(Allocate(s.m_nHeaderBytes));
    if (!s.m_pHeader)
        return nullptr;
    std::memcpy(s.m_pHeader, header, s.m_nHeaderBytes);

    // The table starts as the previous snapshot's, with the entries of the
    // changed tiles cleared to be looked at again.
    const size_t tableBytes = s.m_nTiles * sizeof(Tile*);
    auto** tiles = static_cast<Tile**>(Allocate(std::max<size_t>(tableBytes, 1)));
    if (!tiles)
        return nullptr;
    if (previous) {
        std::memcpy(tiles, previous->m_ppTiles, tableBytes);
        const QVRect whole{0, 0, s.m_nWidth, s.m_nHeight};
        for (const QVRect& rect : changed) {
            const QVRect area = rect.Intersected(whole);
            if (area.IsEmpty())
                continue;
            for (int row = area.top / kTileSize; row <= (area.bottom - 1) / kTileSize; ++row)
                for (int column = area.left / kTileSize; column <= (area.right - 1) / kTileSize;
                     ++column)
                    tiles[size_t(row) * size_t(s.m_nColumns) + size_t(column)] = nullptr;
        }
    } else {
        std::memset(tiles, 0, tableBytes);
    }

    // New tiles are taken first and the shared ones counted only once all of
    // them exist: a failed allocation then frees what this call made and
    // leaves the previous snapshot's counts as they were.
    bool failed = false;
    for (int row = 0; row < s.m_nRows && !failed; ++row)
        for (int column = 0; column < s.m_nColumns && !failed; ++column) {
            const size_t i = size_t(row) * size_t(s.m_nColumns) + size_t(column);
            if (tiles[i])
                continue;
            Tile* old = previous ? previous->m_ppTiles[i] : nullptr;
            if (old && s.TileEquals(old, image, column, row)) {
                tiles[i] = old;
                continue;
            }
            tiles[i] = s.TakeTile(image, column, row);
            failed = !tiles[i];
        }
    if (failed) {
        for (size_t i = 0; i < s.m_nTiles; ++i)
            if (tiles[i] && tiles[i]->nRefs == 0)
                FreeTile(tiles[i]);
        std::free(tiles);
        return nullptr;
    }
    for (size_t i = 0; i < s.m_nTiles; ++i)
        ++tiles[i]->nRefs;
    s.m_ppTiles = tiles;
    return snapshot;
}

bool QVSnapshot::CopyTo(QVDIB& target, const QVRect& rect) const
{
    if (!SameGeometry(target) || target.IsEmpty())
        return false;
    const QVRect area = rect.Intersected(QVRect{0, 0, m_nWidth, m_nHeight});
    if (area.IsEmpty())
        return true;
    const size_t stride = size_t(target.GetStride());
    for (int row = area.top / kTileSize; row <= (area.bottom - 1) / kTileSize; ++row)
        for (int column = area.left / kTileSize; column <= (area.right - 1) / kTileSize; ++column) {
            const QVRect tileRect = TileRect(column, row);
            const QVRect part = tileRect.Intersected(area);
            size_t tileFrom, tileCount;
            TileByteSpan(column, tileFrom, tileCount);
            // Whole bytes: below 8 bits a byte holds several pixels.
            const size_t from = size_t(part.left) * m_nBitCount / 8;
            const size_t to = (size_t(part.right) * m_nBitCount + 7) / 8;
            const Tile* tile = m_ppTiles[size_t(row) * size_t(m_nColumns) + size_t(column)];
            const uint8_t* in =
                tile->Pixels() + size_t(part.top - tileRect.top) * tileCount + (from - tileFrom);
            uint8_t* out = target.GetBits() + size_t(part.top) * stride + from;
            for (int y = part.top; y < part.bottom; ++y, in += tileCount, out += stride)
                std::memcpy(out, in, to - from);
        }
    return true;
}

bool QVSnapshot::CopyTo(QVDIB& target) const
{
    if (!m_pHeader) {
        target.Free();
        return true;
    }
    if ((!SameGeometry(target) || target.IsEmpty()) &&
        !target.Create(m_nWidth, m_nHeight, m_nBitCount))
        return false;
    // Same geometry means the same header layout, colour table included.
    uint8_t* block = target.GetBits() - (m_nHeaderBytes);
    std::memcpy(block, m_pHeader, m_nHeaderBytes);
    const size_t stride = size_t(target.GetStride());
    for (int row = 0; row < m_nRows; ++row)
        for (int column = 0; column < m_nColumns; ++column) {
            size_t from, count;
            TileByteSpan(column, from, count);
            const QVRect rect = TileRect(column, row);
            const uint8_t* in =
                m_ppTiles[size_t(row) * size_t(m_nColumns) + size_t(column)]->Pixels();
            uint8_t* out = target.GetBits() + size_t(rect.top) * stride + from;
            for (int y = rect.top; y < rect.bottom; ++y, in += count, out += stride)
                std::memcpy(out, in, count);
        }
    return true;
}

void QVSnapshot::AppendDifferences(const QVSnapshot& other, std::vector<QVRect>& out) const
{
    if (!SameGeometry(other) || !m_ppTiles || !other.m_ppTiles) {
        const QVRect whole{0, 0, std::max(m_nWidth, other.m_nWidth),
                           std::max(m_nHeight, other.m_nHeight)};
        if (!whole.IsEmpty())
            out.push_back(whole);
        return;
    }
    // Runs of unshared tiles along a tile row become one rectangle.
    for (int row = 0; row < m_nRows; ++row) {
        const size_t base = size_t(row) * size_t(m_nColumns);
        int runFrom = -1;
        for (int column = 0; column <= m_nColumns; ++column) {
            const bool differs = column < m_nColumns && m_ppTiles[base + size_t(column)] !=
                                                            other.m_ppTiles[base + size_t(column)];
            if (differs && runFrom < 0)
                runFrom = column;
            if (!differs && runFrom >= 0) {
                out.push_back(QVRect{runFrom * kTileSize, row * kTileSize,
                                     std::min(column * kTileSize, m_nWidth),
                                     std::min((row + 1) * kTileSize, m_nHeight)});
                runFrom = -1;
            }
        }
    }
}
