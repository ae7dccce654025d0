#include "QVWarpRows.h"

#include "engine/image/QVCircle.h"
#include "engine/image/QVRegionMask.h"
#include "engine/parallel/QVLanes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Pixels on or outside the circle map to themselves, which the blend turns
// into an exact copy: row py copies them as whole runs and leaves the columns
// [inFrom, inTo) strictly inside the circle to be rendered.
void CopyOutsideRuns(const QVWarpJob& job, int py, int& inFrom, int& inTo)
{
    const uint8_t* sourceRow = job.source + size_t(py) * job.stride;
    uint8_t* targetRow = job.target + size_t(py) * job.stride;
    // The stroke's centre and radius are whole pixels.
    const int64_t centerX = int64_t(job.warp.m_dCenterX);
    const int64_t centerY = int64_t(job.warp.m_dCenterY);
    const int64_t radius = int64_t(job.warp.m_dRadius);
    const int columnFrom = job.columnFrom, columnTo = job.columnTo;
    const size_t bytes = size_t(job.bytes);

    const int64_t reach = CircleReach(py - centerY, radius);
    inFrom = reach < 0 ? columnTo
                       : int(std::clamp<int64_t>(centerX - reach, columnFrom, columnTo));
    inTo = reach < 0 ? columnTo : int(std::clamp<int64_t>(centerX + reach + 1, inFrom, columnTo));
    std::memcpy(targetRow + size_t(columnFrom) * bytes, sourceRow + size_t(columnFrom) * bytes,
                size_t(inFrom - columnFrom) * bytes);
    std::memcpy(targetRow + size_t(inTo) * bytes, sourceRow + size_t(inTo) * bytes,
                size_t(columnTo - inTo) * bytes);
}

// The plain loop for one pixel: the oracle every vector path is held to.
// kBytes is the pixel size when known at compile time (3 for every working
// picture), 0 for any other.
template <int kBytes>
[[gnu::always_inline]] inline void RenderPixel(const QVWarpJob& job, const QVWarpControl& warp,
                                               int px, int py, uint8_t* out)
{
    const int bytes = kBytes ? kBytes : job.bytes;
    const int width = job.width;
    const int height = job.height;
    const size_t stride = job.stride;
    const uint8_t* source = job.source;

    double sx, sy;
    warp.Map(px, py, sx, sy);
    if (job.cover && !job.cover->PtInRegion(int(sx), int(sy))) {
        sx = px;
        sy = py;
    } else if (job.becover && !job.becover->PtInRegion(px, py)) {
        sx = px;
        sy = py;
    }

    // Bilinear sampling; the fractions are taken before clamping, and on the
    // first and last column and row both taps are the edge pixel.
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
        return;
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

template <int kBytes>
void RenderRowsScalar(const QVWarpJob& job, int rowFrom, int rowTo)
{
    const QVWarpControl warp = job.warp;
    const int bytes = kBytes ? kBytes : job.bytes;
    for (int py = rowFrom; py < rowTo; ++py) {
        int inFrom, inTo;
        CopyOutsideRuns(job, py, inFrom, inTo);
        uint8_t* out = job.target + size_t(py) * job.stride + size_t(inFrom) * bytes;
        for (int px = inFrom; px < inTo; ++px, out += bytes)
            RenderPixel<kBytes>(job, warp, px, py, out);
    }
}

#if QV_HAVE_VECTOR_PATHS

// The sampling taps of N lanes: the fractions and the words of the four
// source pixels around each sampling point, clamped as RenderPixel clamps.
template <int N>
struct Taps
{
    using L = QVLanes<N>;
    typename L::Double fx, fy;
    typename L::Word w00, w01, w10, w11;
};

template <int N>
[[gnu::always_inline]] inline Taps<N> FindTaps(const QVWarpJob& job, typename QVLanes<N>::Double sx,
                                               typename QVLanes<N>::Double sy)
{
    using L = QVLanes<N>;
    using I = typename L::Int;
    Taps<N> taps;
    const I ix = L::Truncate(sx);
    const I iy = L::Truncate(sy);
    taps.fx = sx - L::ToDouble(ix);
    taps.fy = sy - L::ToDouble(iy);
    const int lastColumn = job.width - 1;
    const int lastRow = job.height - 1;
    const int stride = int(job.stride);

    if constexpr (N == 2) {
        // SSE2 has no 32-bit multiply across lanes: offsets lane by lane.
        I at00, at01, at10, at11;
        for (int l = 0; l < N; ++l) {
            const int x = ix[l], y = iy[l];
            const int x0 = x <= 0 ? 0 : x >= lastColumn ? lastColumn : x;
            const int x1 = x <= 0 ? 0 : x >= lastColumn ? lastColumn : x + 1;
            const int y0 = y <= 0 ? 0 : y >= lastRow ? lastRow : y;
            const int y1 = y <= 0 ? 0 : y >= lastRow ? lastRow : y + 1;
            at00[l] = y0 * stride + x0 * 3;
            at01[l] = y1 * stride + x0 * 3;
            at10[l] = y0 * stride + x1 * 3;
            at11[l] = y1 * stride + x1 * 3;
        }
        taps.w00 = L::PixelWords(job.source, at00);
        taps.w01 = L::PixelWords(job.source, at01);
        taps.w10 = L::PixelWords(job.source, at10);
        taps.w11 = L::PixelWords(job.source, at11);
    } else {
        const I none = {};
        const I right = none + lastColumn;
        const I top = none + lastRow;
        I ix0 = ix >= right ? right : ix;
        I ix1 = ix >= right ? right : ix + 1;
        ix0 = ix <= 0 ? none : ix0;
        ix1 = ix <= 0 ? none : ix1;
        I iy0 = iy >= top ? top : iy;
        I iy1 = iy >= top ? top : iy + 1;
        iy0 = iy <= 0 ? none : iy0;
        iy1 = iy <= 0 ? none : iy1;
        const I row0 = iy0 * stride, row1 = iy1 * stride;
        const I column0 = ix0 * 3, column1 = ix1 * 3;
        // Where no lane is clamped to the first or last column, each lane's
        // right taps are the pixels after its left ones.
        if (L::AllTrue((ix > 0) & (ix < right))) {
            L::PixelPairs(job.source, row0 + column0, taps.w00, taps.w10);
            L::PixelPairs(job.source, row1 + column0, taps.w01, taps.w11);
            return taps;
        }
        taps.w00 = L::PixelWords(job.source, row0 + column0);
        taps.w01 = L::PixelWords(job.source, row1 + column0);
        taps.w10 = L::PixelWords(job.source, row0 + column1);
        taps.w11 = L::PixelWords(job.source, row1 + column1);
    }
    return taps;
}

// Byte k of the N pixels: the blend in the plain loop's order.
template <int N, int k>
[[gnu::always_inline]] inline typename QVLanes<N>::Int BlendChannel(const Taps<N>& t)
{
    using L = QVLanes<N>;
    using D = typename L::Double;
    const D fx = t.fx, fy = t.fy;
    const D gx = 1 - fx, gy = 1 - fy;
    const D value = 0.5 + L::template Channel<k>(t.w00) * gx * gy +
                    L::template Channel<k>(t.w01) * gx * fy +
                    L::template Channel<k>(t.w10) * fx * gy + L::template Channel<k>(t.w11) * fx * fy;
    return L::Truncate(value);
}

// Pixels px .. px + N - 1 of row py, all strictly inside the circle, of a
// 24-bit picture: RenderPixel<3> for N pixels at once, operation for
// operation. (Inside the circle Map never takes its early return: its test
// q < r^2 on whole pixels is the integer test CopyOutsideRuns made.)
template <int N>
[[gnu::always_inline]] inline void RenderLanes(const QVWarpJob& job, const QVWarpControl& warp,
                                               int px, int py, uint8_t* out)
{
    using L = QVLanes<N>;
    using D = typename L::Double;
    using I = typename L::Int;
    using W = typename L::Wide;

    // Map, as QVWarpControl::Map computes it inside the circle.
    const D x = L::ToDouble(L::Iota(px));
    const D y = D{} + double(py);
    const D dx = x - warp.m_dCenterX;
    const D dy = y - warp.m_dCenterY;
    const D q = dx * dx + dy * dy;
    D sx, sy;
    if (warp.m_nMode == QVWarpControl::WARP_STRETCH) {
        const D a = warp.m_dRadius2 - q;
        const D ex = dx - warp.m_dOffsetX;
        const D ey = dy - warp.m_dOffsetY;
        const D b = ex * ex + ey * ey;
        const D w = a / (a + b);
        sx = x - w * w * warp.m_dOffsetX;
        sy = y - w * w * warp.m_dOffsetY;
    } else {
        const D ratio = q / warp.m_dRadius2;
        D s;
#pragma GCC unroll 8
        for (int l = 0; l < N; ++l)
            s[l] = std::sqrt(ratio[l]); // one vector square root
        const D k = 1 - (s - 1) * (s - 1) * warp.m_dDirX;
        sx = warp.m_dCenterX + k * dx;
        sy = warp.m_dCenterY + k * dy;
    }

    // The region rule: a lookup per lane.
    if (job.cover || job.becover) {
        W keep;
        if (job.cover) {
            const I cx = L::Truncate(sx), cy = L::Truncate(sy);
            for (int l = 0; l < N; ++l)
                keep[l] = job.cover->PtInRegion(cx[l], cy[l]) ? -1 : 0;
        } else {
            for (int l = 0; l < N; ++l)
                keep[l] = job.becover->PtInRegion(px + l, py) ? -1 : 0;
        }
        sx = keep ? sx : x;
        sy = keep ? sy : y;
    }

    const Taps<N> t = FindTaps<N>(job, sx, sy);
    L::StorePixels(out, BlendChannel<N, 0>(t), BlendChannel<N, 1>(t), BlendChannel<N, 2>(t));
}

template <int N>
[[gnu::always_inline]] inline void RenderRowsLanes(const QVWarpJob& job, int rowFrom, int rowTo)
{
    const QVWarpControl warp = job.warp;
    for (int py = rowFrom; py < rowTo; ++py) {
        int inFrom, inTo;
        CopyOutsideRuns(job, py, inFrom, inTo);
        uint8_t* row = job.target + size_t(py) * job.stride;
        if (inTo - inFrom < N) {
            for (int px = inFrom; px < inTo; ++px)
                RenderPixel<3>(job, warp, px, py, row + size_t(px) * 3);
            continue;
        }
        // Sampling points drift slowly from row to row: fetching the source a
        // few rows further on while this row renders hides the memory's
        // latency (a fifth of the time of a large stroke).
        const uint8_t* ahead = job.source + size_t(std::min(py + 3, job.height - 1)) * job.stride;
        // The target is not the source: a pixel rendered twice comes out the same.
        QVLanes<N>::ForEachGroup(inFrom, inTo, [&](int start) __attribute__((always_inline)) {
            __builtin_prefetch(ahead + size_t(start) * 3);
            RenderLanes<N>(job, warp, start, py, row + size_t(start) * 3);
        });
    }
}

QV_DEFINE_WIDE_PATHS(RenderRows, QVWarpJob, RenderRowsLanes)

#endif

void RenderRowsPlain(const QVWarpJob& job, int rowFrom, int rowTo)
{
    if (job.bytes == 3)
        RenderRowsScalar<3>(job, rowFrom, rowTo);
    else
        RenderRowsScalar<0>(job, rowFrom, rowTo);
}

} // namespace

QVWarpRowsFunction QVChooseWarpRows(const QVWarpJob& job)
{
    // The lanes cover 24-bit pictures and address the source with 32-bit
    // offsets. They take the pixels inside the circle from the integer test,
    // which agrees with Map's test in doubles while r^2 is exact in a double.
    constexpr double kMaxLaneRadius = 1 << 26;
    const bool lanes = job.bytes == 3 && job.stride * size_t(job.height) <= size_t(INT32_MAX) &&
                       job.warp.m_dRadius < kMaxLaneRadius;
    return QVChoosePath(lanes, QV_EVERY_PATH(RenderRows));
}
