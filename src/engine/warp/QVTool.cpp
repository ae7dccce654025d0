#include "QVTool.h"
#include "engine/image/QVCpu.h"

#include "engine/image/QVCircle.h"
#include "engine/image/QVClosedCurve.h"

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

    QVClearUpperVectorState();
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

namespace {

// Everything one rendering needs. The control record is a copy, so the compiler
// knows that stores through the byte pointers cannot change it.
struct WarpJob
{
    QVWarpControl warp;
    const QVRegionMask* cover = nullptr;   // set when only content inside it moves
    const QVRegionMask* becover = nullptr; // set when only pixels inside it change
    const uint8_t* source = nullptr;
    uint8_t* target = nullptr;
    int width = 0;
    int height = 0;
    size_t stride = 0;
    int bytes = 0;
};

// kBytes is the pixel size when known at compile time (3 for every working
// picture), 0 for any other.
template <int kBytes>
void RenderRows(const WarpJob& job, int rowFrom, int rowTo, int columnFrom, int columnTo)
{
    const QVWarpControl warp = job.warp;
    const int bytes = kBytes ? kBytes : job.bytes;
    const int width = job.width;
    const int height = job.height;
    const size_t stride = job.stride;
    const uint8_t* source = job.source;
    // The stroke's centre and radius are whole pixels.
    const int64_t centerX = int64_t(warp.m_dCenterX);
    const int64_t centerY = int64_t(warp.m_dCenterY);
    const int64_t radius = int64_t(warp.m_dRadius);

    for (int py = rowFrom; py < rowTo; ++py) {
        const uint8_t* sourceRow = source + size_t(py) * stride;
        uint8_t* targetRow = job.target + size_t(py) * stride;

        // Pixels on or outside the circle map to themselves, which the blend
        // turns into an exact copy: copy them as whole runs.
        const int64_t reach = CircleReach(py - centerY, radius);
        const int inFrom = reach < 0 ? columnTo
                                     : int(std::clamp<int64_t>(centerX - reach, columnFrom, columnTo));
        const int inTo = reach < 0 ? columnTo
                                   : int(std::clamp<int64_t>(centerX + reach + 1, inFrom, columnTo));
        std::memcpy(targetRow + size_t(columnFrom) * bytes, sourceRow + size_t(columnFrom) * bytes,
                    size_t(inFrom - columnFrom) * bytes);
        std::memcpy(targetRow + size_t(inTo) * bytes, sourceRow + size_t(inTo) * bytes,
                    size_t(columnTo - inTo) * bytes);

        uint8_t* out = targetRow + size_t(inFrom) * bytes;
        for (int px = inFrom; px < inTo; ++px, out += bytes) {
            double sx, sy;
            warp.Map(px, py, sx, sy);
            if (job.cover && !job.cover->PtInRegion(int(sx), int(sy))) {
                sx = px;
                sy = py;
            } else if (job.becover && !job.becover->PtInRegion(px, py)) {
                sx = px;
                sy = py;
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

} // namespace

void QVTool::WarpRows(int rowFrom, int rowTo, int columnFrom, int columnTo) const
{
    WarpJob job;
    job.warp = m_warp;
    if (m_hRegion.IsSet() && m_nCoverMode == REGION_COVER)
        job.cover = &m_hRegion;
    else if (m_hRegion.IsSet() && m_nCoverMode == REGION_BECOVER)
        job.becover = &m_hRegion;
    job.source = m_pSource->GetBits();
    job.target = m_pTarget->GetBits();
    job.width = m_pSource->GetWidth();
    job.height = m_pSource->GetHeight();
    job.bytes = m_pSource->GetBitCount() / 8;
    job.stride = QVDIB::Stride(job.width, m_pSource->GetBitCount());
    if (job.bytes == 3)
        RenderRows<3>(job, rowFrom, rowTo, columnFrom, columnTo);
    else
        RenderRows<0>(job, rowFrom, rowTo, columnFrom, columnTo);
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
