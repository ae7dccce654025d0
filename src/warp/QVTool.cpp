#include "QVTool.h"

#include "image/QVClosedCurve.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Truncation toward zero of a square bound, clamped into [0, limit].
int Bound(double value, int limit)
{
    const double clamped = std::clamp(value, -1.0, double(limit));
    return std::clamp(int(clamped), 0, limit);
}

} // namespace

bool QVTool::BeginWarp(QVDIB* source, QVDIB* target, int radius, int mode,
                       const QVClosedCurve* regionPath, int combine, int cover, int x, int y)
{
    if (!source || !target || radius <= 0 || !source->IsInside(x, y))
        return false;
    // The target is written with the source's addressing, and read and written
    // pictures must differ or the stroke would sample its own output.
    if (target == source || !target->SameGeometry(*source))
        return false;

    m_warp.Begin(mode, x, y, radius);
    if (regionPath)
        m_hRegion.Build(x, y, radius, *regionPath, combine);
    else
        m_hRegion.Clear();

    m_nRegionCombine = combine;
    m_nCoverMode = cover;
    m_pSource = source;
    m_pTarget = target;
    m_bWarpReady = true;
    m_nState = TOOL_WARPING;
    return true;
}

bool QVTool::Warp(int x, int y)
{
    if (!m_bWarpReady || !m_pSource || !m_pTarget || m_nState != TOOL_WARPING)
        return false;
    if (!m_warp.Update(x, y))
        return false; // outside the circle: the last rendering stays

    const int width = m_pSource->GetWidth();
    const int height = m_pSource->GetHeight();
    const double cx = m_warp.m_dCenterX, cy = m_warp.m_dCenterY, r = m_warp.m_dRadius;
    const int columnFrom = std::max(0, Bound(cx - r, width));
    const int columnTo = std::min(Bound(cx + r, width), width);
    const int rowFrom = std::max(0, Bound(cy - r, height));
    const int rowTo = std::min(Bound(cy + r, height), height);
    WarpRows(rowFrom, rowTo, columnFrom, columnTo);
    return true;
}

void QVTool::WarpRows(int rowFrom, int rowTo, int columnFrom, int columnTo) const
{
    const int width = m_pSource->GetWidth();
    const int height = m_pSource->GetHeight();
    const int bytes = m_pSource->GetBitCount() / 8;
    const size_t stride = QVDIB::Stride(width, m_pSource->GetBitCount());
    const uint8_t* source = m_pSource->GetBits();
    uint8_t* target = m_pTarget->GetBits();
    const bool cover = m_hRegion.IsSet() && m_nCoverMode == REGION_COVER;
    const bool becover = m_hRegion.IsSet() && m_nCoverMode == REGION_BECOVER;

    for (int py = rowFrom; py < rowTo; ++py) {
        uint8_t* out = target + size_t(py) * stride + size_t(columnFrom) * bytes;
        for (int px = columnFrom; px < columnTo; ++px, out += bytes) {
            double sx, sy;
            m_warp.Map(px, py, sx, sy);
            if (cover) {
                // Only content inside the region moves.
                if (!m_hRegion.PtInRegion(int(sx), int(sy))) {
                    sx = px;
                    sy = py;
                }
            } else if (becover) {
                // Only pixels inside the region change.
                if (!m_hRegion.PtInRegion(px, py)) {
                    sx = px;
                    sy = py;
                }
            }

            // Bilinear sampling; the fractions are taken before clamping, and on
            // the first and last column and row both taps are the edge pixel.
            const int ix = int(sx);
            const int iy = int(sy);
            const double fx = sx - ix;
            const double fy = sy - iy;
            int ix0 = ix, ix1 = ix + 1;
            if (ix >= width - 1)
                ix0 = ix1 = width - 1;
            if (ix <= 0)
                ix0 = ix1 = 0;
            int iy0 = iy, iy1 = iy + 1;
            if (iy >= height - 1)
                iy0 = iy1 = height - 1;
            if (iy <= 0)
                iy0 = iy1 = 0;

            const uint8_t* p00 = source + size_t(iy0) * stride + size_t(ix0) * bytes;
            if (fx == 0 && fy == 0) {
                // The blend below gives exactly the first tap here.
                std::memcpy(out, p00, size_t(bytes));
                continue;
            }
            const uint8_t* p01 = source + size_t(iy1) * stride + size_t(ix0) * bytes;
            const uint8_t* p10 = source + size_t(iy0) * stride + size_t(ix1) * bytes;
            const uint8_t* p11 = source + size_t(iy1) * stride + size_t(ix1) * bytes;
            for (int k = 0; k < bytes; ++k) {
                const double a00 = p00[k], a01 = p01[k], a10 = p10[k], a11 = p11[k];
                const double value = 0.5 + a00 * (1 - fx) * (1 - fy) + a01 * (1 - fx) * fy +
                                     a10 * fx * (1 - fy) + a11 * fx * fy;
                out[k] = uint8_t(int(value));
            }
        }
    }
}

bool QVTool::EndWarp()
{
    m_warp.Reset();
    m_hRegion.Clear();
    m_pSource = nullptr;
    m_pTarget = nullptr;
    m_nRegionCombine = REGION_NONE;
    m_nCoverMode = REGION_NONE;
    m_bWarpReady = false;
    m_nState = TOOL_IDLE;
    return true;
}
