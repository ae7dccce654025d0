// The copy, blur and eraser brushes of QVTool. Each works on the square of the
// brush radius around the cursor, with a falloff from the centre to the rim.

#include "QVTool.h"
#include "engine/image/QVCpu.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Columns max(0, x - r) .. min(x + r, width) and the same for rows, half-open.
QVRect BrushSquare(int x, int y, int radius, int width, int height)
{
    return QVRect{int(std::max<int64_t>(0, int64_t(x) - radius)),
                  int(std::max<int64_t>(0, int64_t(y) - radius)),
                  int(std::min<int64_t>(int64_t(x) + radius, width)),
                  int(std::min<int64_t>(int64_t(y) + radius, height))};
}

// Distance from the brush centre, the squares summed as integers.
double Distance(int x, int y, int px, int py)
{
    const int64_t dx = int64_t(x) - px;
    const int64_t dy = int64_t(y) - py;
    return std::sqrt(double(dx * dx + dy * dy));
}

} // namespace

bool QVTool::ReleaseCopy()
{
    m_dibCopy.Free();
    m_bCopyReady = false;
    m_nState = TOOL_IDLE;
    return true;
}

bool QVTool::CaptureCopy(QVDIB* source, int radius, int x, int y)
{
    if (!source || radius <= 0 || !source->IsInside(x, y))
        return false;
    ReleaseCopy();
    const uint16_t bits = source->GetBitCount();
    if (radius > INT32_MAX / 2 || !m_dibCopy.Create(2 * radius, 2 * radius, bits))
        return false;

    const QVRect square = BrushSquare(x, y, radius, source->GetWidth(), source->GetHeight());
    m_rcCopy = QVRect{square.left - x + radius, square.top - y + radius,
                      square.right - x + radius, square.bottom - y + radius};
    m_bCopyReady = true;
    m_nState = TOOL_COPY_HELD;

    // The patch keeps zero where the square reached outside the picture.
    const int bytes = bits / 8;
    const size_t sourceStride = size_t(source->GetStride());
    const size_t patchStride = size_t(m_dibCopy.GetStride());
    const uint8_t* from = source->GetBits() + size_t(square.top) * sourceStride +
                          size_t(square.left) * bytes;
    uint8_t* to = m_dibCopy.GetBits() + size_t(m_rcCopy.top) * patchStride +
                  size_t(m_rcCopy.left) * bytes;
    for (int row = 0; row < square.Height(); ++row, from += sourceStride, to += patchStride)
        std::memcpy(to, from, size_t(square.Width()) * bytes);
    return true;
}

bool QVTool::PasteCopy(QVDIB* target, int x, int y)
{
    if (!target || !m_bCopyReady || m_nState != TOOL_COPY_HELD)
        return false;
    const int radius = m_dibCopy.GetWidth() / 2;
    if (radius <= 0 || !target->IsInside(x, y))
        return false;
    // Both pictures are addressed with one pixel size.
    if (target->GetBitCount() != m_dibCopy.GetBitCount())
        return false;

    QVClearUpperVectorState();
    const int bytes = target->GetBitCount() / 8;
    const size_t targetStride = size_t(target->GetStride());
    const size_t patchStride = size_t(m_dibCopy.GetStride());
    const QVRect square = BrushSquare(x, y, radius, target->GetWidth(), target->GetHeight());
    uint8_t* targetRow = target->GetBits() + size_t(square.top) * targetStride;
    const uint8_t* patchBits = m_dibCopy.GetBits();

    for (int py = square.top; py < square.bottom; ++py, targetRow += targetStride) {
        const int v = py - y + radius;
        const bool rowInPatch = v >= m_rcCopy.top && v < m_rcCopy.bottom;
        if (!rowInPatch)
            continue; // weight 1 everywhere: the picture stays
        const uint8_t* patchRow = patchBits + size_t(v) * patchStride;
        for (int px = square.left; px < square.right; ++px) {
            const double d = Distance(x, y, px, py);
            const int u = px - x + radius;
            if (d > radius || u < m_rcCopy.left || u >= m_rcCopy.right)
                continue;
            const double w = d / radius;
            uint8_t* t = targetRow + size_t(px) * bytes;
            const uint8_t* p = patchRow + size_t(u) * bytes;
            for (int k = 0; k < bytes; ++k)
                t[k] = uint8_t(int(p[k] * (1 - w) + t[k] * w)); // truncated, no rounding
        }
    }
    return true;
}

bool QVTool::Erase(int radius, QVDIB* before, QVDIB* target, int x, int y)
{
    if (!before || !target || radius <= 0)
        return false;
    // Both pictures are addressed with the before-image's stride and pixel size.
    if (!before->SameGeometry(*target) || !before->IsInside(x, y))
        return false;

    QVClearUpperVectorState();
    const int bytes = before->GetBitCount() / 8;
    const size_t stride = size_t(before->GetStride());
    const QVRect square = BrushSquare(x, y, radius, before->GetWidth(), before->GetHeight());
    for (int py = square.top; py < square.bottom; ++py) {
        const uint8_t* b = before->GetBits() + size_t(py) * stride + size_t(square.left) * bytes;
        uint8_t* t = target->GetBits() + size_t(py) * stride + size_t(square.left) * bytes;
        for (int px = square.left; px < square.right; ++px, b += bytes, t += bytes) {
            const double w = std::min(Distance(x, y, px, py) / radius, 1.0);
            if (w == 1)
                continue; // on and beyond the rim the target keeps its value
            for (int k = 0; k < bytes; ++k)
                t[k] = uint8_t(int(b[k] * (1 - w) + t[k] * w + 0.5));
        }
    }
    return true;
}

bool QVTool::Blur(int radius, QVDIB* target, int x, int y)
{
    if (!target || radius <= 0 || !target->IsInside(x, y))
        return false;
    const QVRect square = BrushSquare(x, y, radius, target->GetWidth(), target->GetHeight());
    // Every output pixel is computed from unfiltered neighbours, so the result
    // goes to a scratch picture first.
    QVDIB scratch;
    if (!scratch.Create(square.Width(), square.Height(), target->GetBitCount()))
        return false;

    QVClearUpperVectorState();
    const int bytes = target->GetBitCount() / 8;
    const size_t stride = size_t(target->GetStride());
    const size_t scratchStride = size_t(scratch.GetStride());
    const uint8_t* bits = target->GetBits();
    const int x0 = square.left, x1 = square.right, y0 = square.top, y1 = square.bottom;

    for (int py = y0; py < y1; ++py) {
        // Left and lower neighbours may lie outside the square but inside the
        // picture; right and upper ones are clamped to the square.
        const int lower = py <= 0 ? 0 : py - 1;
        const int upper = py >= y1 - 1 ? y1 - 1 : py + 1;
        const uint8_t* rowC = bits + size_t(py) * stride;
        const uint8_t* rowL = bits + size_t(lower) * stride;
        const uint8_t* rowU = bits + size_t(upper) * stride;
        uint8_t* out = scratch.GetBits() + size_t(py - y0) * scratchStride;
        for (int px = x0; px < x1; ++px, out += bytes) {
            // Fourth root of the distance fraction: 0 at the centre, 1 at the rim.
            const double w = std::min(std::sqrt(std::sqrt(Distance(x, y, px, py) / radius)), 1.0);
            const size_t left = size_t(px <= 0 ? 0 : px - 1) * bytes;
            const size_t right = size_t(px >= x1 - 1 ? x1 - 1 : px + 1) * bytes;
            const size_t centre = size_t(px) * bytes;
            for (int k = 0; k < bytes; ++k) {
                const int c = rowC[centre + k];
                const int e = rowC[left + k] + rowC[right + k] + rowL[centre + k] + rowU[centre + k];
                const int corners =
                    rowL[left + k] + rowL[right + k] + rowU[left + k] + rowU[right + k];
                const double value =
                    0.25 * ((1 - w) * (1 - w) * corners + 2 * w * (1 - w) * e + 4 * (w * w) * c) +
                    0.5;
                out[k] = uint8_t(int(value));
            }
        }
    }

    const uint8_t* from = scratch.GetBits();
    uint8_t* to = target->GetBits() + size_t(y0) * stride + size_t(x0) * bytes;
    for (int py = y0; py < y1; ++py, from += scratchStride, to += stride)
        std::memcpy(to, from, size_t(x1 - x0) * bytes);
    return true;
}
