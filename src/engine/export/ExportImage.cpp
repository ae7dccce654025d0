#include "ExportImage.h"

#include "engine/image/QVCpu.h"
#include "engine/image/QVDIB.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kLabelMargin = 10;

} // namespace

bool ResizeImage(QVDIB* destination, const QVDIB* source, int width, int height)
{
    if (width <= 0 || height <= 0 || !destination || !source)
        return false;
    const int w = source->GetWidth();
    const int h = source->GetHeight();
    if (w <= 0 || h <= 0)
        return false;
    const double sx = double(width) / w;
    const double sy = double(height) / h;
    if (sx == 1.0 && sy == 1.0)
        return destination->CopyFrom(source);
    if (destination == source)
        return false; // the source must survive until every row is sampled
    if (!destination->Create(width, height, source->GetBitCount()))
        return false;

    QVClearUpperVectorState();
    const int bytes = source->GetBitCount() / 8;
    const size_t sourceStride = size_t(source->GetStride());
    const size_t stride = size_t(destination->GetStride());
    const uint8_t* sourceBits = source->GetBits();

    // Per-column taps, computed once per picture exactly as the per-pixel
    // formula would: x = j / sx, x0 = trunc(x), fx = x - x0.
    struct Column
    {
        size_t x0, x1;
        double fx;
    };
    std::vector<Column> columns(static_cast<size_t>(width));
    for (int j = 0; j < width; ++j) {
        const double x = j / sx;
        const int x0 = int(x);
        const int x1 = x0 == w - 1 ? x0 : x0 + 1;
        columns[size_t(j)] = {size_t(x0) * bytes, size_t(x1) * bytes, x - x0};
    }

    uint8_t* out = destination->GetBits();
    for (int i = 0; i < height; ++i, out += stride) {
        const double y = i / sy;
        const int y0 = int(y);
        const double fy = y - y0;
        const int y1 = y0 == h - 1 ? y0 : y0 + 1;
        const uint8_t* row0 = sourceBits + size_t(y0) * sourceStride;
        const uint8_t* row1 = sourceBits + size_t(y1) * sourceStride;
        uint8_t* pixel = out;
        for (const Column& c : columns) {
            const double fx = c.fx;
            for (int k = 0; k < bytes; ++k) {
                double v = row0[c.x0 + k] * (1 - fx) * (1 - fy) + 0.5;
                v += row1[c.x0 + k] * (1 - fx) * fy;
                v += row0[c.x1 + k] * fx * (1 - fy);
                v += row1[c.x1 + k] * fx * fy;
                pixel[k] = uint8_t(int(v));
            }
            pixel += bytes;
        }
    }
    return true;
}

bool CropImage(const QVDIB* source, QVDIB* destination, const QVRect& rect)
{
    if (!source || !destination)
        return false;
    // A rectangle reaching outside the picture is clipped to it, so nothing is
    // read outside the source; nothing left means no picture.
    const QVRect clipped =
        rect.Intersected(QVRect{0, 0, source->GetWidth(), source->GetHeight()});
    if (clipped.IsEmpty() || destination == source)
        return false;
    if (!destination->Create(clipped.Width(), clipped.Height(), source->GetBitCount()))
        return false;

    const int bytes = source->GetBitCount() / 8;
    const size_t sourceStride = size_t(source->GetStride());
    const size_t stride = size_t(destination->GetStride());
    const uint8_t* from =
        source->GetBits() + size_t(clipped.top) * sourceStride + size_t(clipped.left) * bytes;
    uint8_t* to = destination->GetBits();
    for (int i = 0; i < clipped.Height(); ++i, from += sourceStride, to += stride)
        std::memcpy(to, from, size_t(clipped.Width()) * bytes);
    return true;
}

bool CombineImages(QVDIB* destination, const QVDIB* first, const QVDIB* second, bool leftRight)
{
    if (!destination || !first || !second)
        return false;
    // Both pictures are read with the first one's pixel size.
    if (!first->SameGeometry(*second) || destination == first || destination == second)
        return false;
    const int w = first->GetWidth();
    const int h = first->GetHeight();
    if (!destination->Create(leftRight ? 2 * w : w, leftRight ? h : 2 * h, first->GetBitCount()))
        return false;

    const size_t rowBytes = size_t(w) * (first->GetBitCount() / 8);
    const size_t sourceStride = size_t(first->GetStride());
    const size_t stride = size_t(destination->GetStride());
    uint8_t* out = destination->GetBits();
    if (leftRight) {
        for (int i = 0; i < h; ++i, out += stride) {
            std::memcpy(out, first->GetBits() + size_t(i) * sourceStride, rowBytes);
            std::memcpy(out + rowBytes, second->GetBits() + size_t(i) * sourceStride, rowBytes);
        }
        return true;
    }
    // Storage row 0 is the bottom, so the second picture's rows come first and
    // the first picture ends up on top.
    for (int i = 0; i < 2 * h; ++i, out += stride) {
        const QVDIB* from = i < h ? second : first;
        std::memcpy(out, from->GetBits() + size_t(i % h) * sourceStride, rowBytes);
    }
    return true;
}

bool DrawLabel(QVDIB* picture, const QVDIB* label, double alpha)
{
    if (!picture || !label)
        return false;
    if (picture->GetWidth() <= kLabelMargin || picture->GetHeight() <= kLabelMargin)
        return false;
    if (alpha <= 0 || alpha > 1)
        return false;
    // The label's rows are read with the picture's pixel size.
    if (label->GetBitCount() != picture->GetBitCount())
        return false;

    const int rows = std::min(picture->GetHeight() - kLabelMargin, label->GetHeight());
    const int columns = std::min(picture->GetWidth() - kLabelMargin, label->GetWidth());
    const int bytes = picture->GetBitCount() / 8;
    const size_t stride = size_t(picture->GetStride());
    const size_t labelStride = QVDIB::Stride(label->GetWidth(), picture->GetBitCount());
    for (int r = 0; r < rows; ++r) {
        const uint8_t* from = label->GetBits() + size_t(r) * labelStride;
        uint8_t* to = picture->GetBits() + size_t(kLabelMargin + r) * stride +
                      size_t(kLabelMargin) * bytes;
        for (int i = 0; i < columns * bytes; ++i)
            to[i] = uint8_t(int(alpha * from[i] + (1 - alpha) * to[i] + 0.5));
    }
    return true;
}
