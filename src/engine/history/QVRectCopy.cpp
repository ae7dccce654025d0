#include "QVRectCopy.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The bytes of a row that hold columns [left, right); pictures below 8 bits
// share bytes between pixels, so the span is widened to whole bytes.
void ByteSpan(const QVDIB& picture, int left, int right, size_t& from, size_t& count)
{
    const uint16_t bits = picture.GetBitCount();
    from = size_t(left) * bits / 8;
    count = (size_t(right) * bits + 7) / 8 - from;
}

QVRect Clipped(const QVDIB& picture, const QVRect& rect)
{
    return rect.Intersected(QVRect{0, 0, picture.GetWidth(), picture.GetHeight()});
}

} // namespace

QVRect QVUnite(const QVRect& a, const QVRect& b)
{
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    return QVRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                  std::max(a.bottom, b.bottom)};
}

bool QVCopyRect(const QVDIB& source, QVDIB& target, const QVRect& rect)
{
    if (source.IsEmpty() || target.IsEmpty() || !source.SameGeometry(target))
        return false;
    const QVRect area = Clipped(source, rect);
    if (area.IsEmpty() || &source == &target)
        return true;
    size_t from, count;
    ByteSpan(source, area.left, area.right, from, count);
    const size_t stride = size_t(source.GetStride());
    const uint8_t* in = source.GetBits() + size_t(area.top) * stride + from;
    uint8_t* out = target.GetBits() + size_t(area.top) * stride + from;
    for (int y = area.top; y < area.bottom; ++y, in += stride, out += stride)
        std::memcpy(out, in, count);
    return true;
}

bool QVCopyDifferences(const QVDIB& source, QVDIB& target, std::vector<QVRect>& changed)
{
    if (source.IsEmpty() || target.IsEmpty() || !source.SameGeometry(target))
        return false;
    const int width = source.GetWidth();
    const int height = source.GetHeight();
    const size_t stride = size_t(source.GetStride());
    for (int top = 0; top < height; top += kCompareBlock) {
        const int bottom = std::min(top + kCompareBlock, height);
        // A run of differing blocks along a band becomes one rectangle.
        int runFrom = -1;
        const auto flush = [&](int runTo) {
            const QVRect run{runFrom, top, runTo, bottom};
            (void)QVCopyRect(source, target, run);
            changed.push_back(run);
            runFrom = -1;
        };
        for (int left = 0; left < width; left += kCompareBlock) {
            size_t from, count;
            ByteSpan(source, left, std::min(left + kCompareBlock, width), from, count);
            const uint8_t* a = source.GetBits() + size_t(top) * stride + from;
            const uint8_t* b = target.GetBits() + size_t(top) * stride + from;
            bool differs = false;
            for (int y = top; y < bottom && !differs; ++y, a += stride, b += stride)
                differs = std::memcmp(a, b, count) != 0;
            if (differs && runFrom < 0)
                runFrom = left;
            else if (!differs && runFrom >= 0)
                flush(left);
        }
        if (runFrom >= 0)
            flush(width);
    }
    return true;
}
