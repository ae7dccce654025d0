#include "QVDIB.h"
#include "QVColorProfile.h"
#include "QVCpu.h"

#include <QImage>
#include <QPainter>
#include <QPaintDevice>

#include <vector>

namespace {

// Source index of destination pixel i when n source pixels are spread over m
// destination pixels: each destination pixel takes the source pixel under its
// centre (no smoothing). Equal sizes map one to one.
inline int NearestSource(int i, int n, int m)
{
    return int((int64_t(2 * i + 1) * n) / (int64_t(2) * m));
}

} // namespace

int QVDIB::Paint(QPainter* painter, const QVRect& destRect, const QVRect& srcRect) const
{
    if (IsEmpty() || !painter || destRect.IsEmpty() || srcRect.IsEmpty())
        return 0;

    // Only the part of the destination the painter can show is computed, so a
    // deep zoom never builds more than a window's worth of pixels.
    QRect visible(destRect.left, destRect.top, destRect.Width(), destRect.Height());
    if (QPaintDevice* device = painter->device()) {
        const QRect deviceRect(0, 0, device->width(), device->height());
        visible &= painter->transform().inverted().mapRect(deviceRect);
    }
    if (painter->hasClipping())
        visible &= painter->clipBoundingRect().toAlignedRect();
    if (visible.isEmpty())
        return 0;

    const int width = GetWidth();
    const int height = GetHeight();
    const int destW = destRect.Width();
    const int destH = destRect.Height();
    const int srcW = srcRect.Width();
    const int srcH = srcRect.Height();

    // The mapping is monotonic, so the destination pixels whose source lies in
    // the picture form one rectangle; GDI leaves the rest untouched, and so do we.
    std::vector<int> columns;
    columns.reserve(size_t(visible.width()));
    int firstColumn = visible.right() + 1;
    for (int i = visible.left(); i <= visible.right(); ++i) {
        const int x = srcRect.left + NearestSource(i - destRect.left, srcW, destW);
        if (x < 0 || x >= width)
            continue;
        if (columns.empty())
            firstColumn = i;
        columns.push_back(x);
    }
    std::vector<int> rows;
    rows.reserve(size_t(visible.height()));
    int firstRow = visible.bottom() + 1;
    for (int j = visible.top(); j <= visible.bottom(); ++j) {
        // The destination's top row shows the source rectangle's highest storage row.
        const int y = srcRect.top + srcH - 1 - NearestSource(j - destRect.top, srcH, destH);
        if (y < 0 || y >= height)
            continue;
        if (rows.empty())
            firstRow = j;
        rows.push_back(y);
    }
    if (columns.empty() || rows.empty())
        return 0;

    // One buffer reused between paints, grown when a paint needs more: the
    // view paints rectangles of changing sizes on every mouse move.
    thread_local std::vector<uint32_t> buffer;
    const QSize frameSize(int(columns.size()), int(rows.size()));
    const size_t needed = size_t(frameSize.width()) * size_t(frameSize.height());
    if (buffer.size() < needed)
        buffer.resize(needed);
    QImage frame(reinterpret_cast<uchar*>(buffer.data()), frameSize.width(), frameSize.height(),
                 qsizetype(frameSize.width()) * 4, QImage::Format_RGB32);
    if (frame.isNull())
        return 0;

    QVClearUpperVectorState();
    const uint16_t bits = GetBitCount();
    const size_t stride = size_t(GetStride());
    const uint8_t* pixels = GetBits();
    const uint8_t* table = reinterpret_cast<const uint8_t*>(GetHeader()) + GetHeader()->biSize;
    const int tableEntries = PaletteSize(GetHeader()) / 4;
    const int count = int(columns.size());

    for (int j = 0; j < int(rows.size()); ++j) {
        const uint8_t* row = pixels + size_t(rows[size_t(j)]) * stride;
        auto* out = reinterpret_cast<uint32_t*>(frame.scanLine(j));
        if (bits == 24) {
            for (int i = 0; i < count; ++i) {
                const uint8_t* p = row + 3 * columns[size_t(i)];
                out[i] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            }
            continue;
        }
        // 1, 4 and 8 bits: the leftmost pixel of a byte sits in its high bits.
        for (int i = 0; i < count; ++i) {
            const int bitOffset = columns[size_t(i)] * bits;
            const int index = (row[bitOffset / 8] >> (8 - bits - bitOffset % 8)) & ((1 << bits) - 1);
            const uint8_t* c = table + 4 * index;
            out[i] = index < tableEntries
                         ? 0xFF000000u | uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0]
                         : 0xFF000000u;
        }
    }
    // Only what is drawn is converted, and nothing when the picture is sRGB.
    if (m_pColorProfile)
        m_pColorProfile->ConvertToSrgb(frame);
    painter->drawImage(QPoint(firstColumn, firstRow), frame);
    return int(rows.size());
}
