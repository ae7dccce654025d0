// The copy, blur and eraser brushes of QVTool. Each works on the square of the
// brush radius around the cursor, with a falloff from the centre to the rim.
//
// Each brush has a plain loop, the oracle, and the same arithmetic written as
// loops over whole runs of a row that the compiler vectorises (#pragma omp
// simd, compiled once per instruction set): first the weights of a run of
// pixels, then the blend of its bytes. Every lane computes what the plain loop
// computes, in the same order, so both give the same bytes. The rows of the
// square are shared out between threads: each row is written by one thread
// and reads nothing another row writes.

#include "QVTool.h"
#include "engine/image/QVCpu.h"
#include "engine/parallel/QVThreadPool.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// The vector loops square distances in double, which stays exact, and equal
// to the plain loop's integer sums, while both squares are below 2^52: radii
// below this.
constexpr int kMaxLoopRadius = 1 << 25;
// Pixels whose weights one pass of the vector loops holds on the stack: a
// whole row of a brush of radius 1024.
constexpr int kRunPixels = 2048;

// Distance from the brush centre, the squares summed as integers.
double Distance(int x, int y, int px, int py)
{
    const int64_t dx = int64_t(x) - px;
    const int64_t dy = int64_t(y) - py;
    return std::sqrt(double(dx * dx + dy * dy));
}

// Rows [rowFrom, rowTo) of a brush with the chosen path, split between the
// threads. ...Plain is the plain loop; ...Loops the vectorised one, compiled
// once per instruction set (kLanes names which: 2 for SSE2, 4 for AVX2, 8 for
// AVX-512; the compiler chooses the widths inside).
template <class Job>
using RowsFunction = void (*)(const Job& job, int rowFrom, int rowTo);

template <class Job>
void RunRows(const Job& job, const QVRect& square, RowsFunction<Job> rows)
{
    QVThreadPool::Instance().ForRows(square.top, square.bottom, square.Width(),
                                     [&job, rows](int from, int to) { rows(job, from, to); });
}

// The eraser's and the copy tool's weight at distance d: d / r, at most 1.
[[maybe_unused, gnu::always_inline]] inline double DistanceFraction(double distance, double radius)
{
    return std::min(distance / radius, 1.0);
}

// The weights kWeight(d, r) of the pixels [from, from + n) of a row dy2 =
// (y - py)^2 away from the brush centre, n <= kRunPixels. A weight depends
// only on the distance to the centre column x, so where the run holds both
// sides of it the shorter side is read mirrored from the longer: half the
// square roots and divisions.
template <double (*kWeight)(double distance, double radius)>
[[gnu::always_inline]] inline void RunWeights(int x, int from, int n, double dy2, double radius,
                                              double* weight)
{
    const int centre = x - from; // index of the centre column
    const int left = centre, right = n - 1 - centre;
    const bool mirror = centre > 0 && centre < n - 1;
    // Computed: [first, first + count); the rest is mirrored.
    const int first = mirror && right >= left ? x : from;
    const int count = !mirror ? n : right >= left ? right + 1 : left + 1;
    double* computed = weight + (first - from);
#pragma omp simd
    for (int j = 0; j < count; ++j) {
        const double dx = x - (first + j);
        computed[j] = kWeight(std::sqrt(dx * dx + dy2), radius);
    }
    if (!mirror)
        return;
    if (right >= left) {
        for (int k = 1; k <= left; ++k)
            weight[centre - k] = weight[centre + k];
    } else {
        for (int k = 1; k <= right; ++k)
            weight[centre + k] = weight[centre - k];
    }
}

// target = kBlend(from, target, w) byte by byte for n 24-bit pixels.
template <uint8_t (*kBlend)(uint8_t from, uint8_t target, double w)>
[[gnu::always_inline]] inline void BlendRun(const uint8_t* from, uint8_t* target,
                                            const double* weight, int n)
{
#pragma omp simd
    for (int j = 0; j < n; ++j) {
        const double w = weight[j];
        target[3 * j] = kBlend(from[3 * j], target[3 * j], w);
        target[3 * j + 1] = kBlend(from[3 * j + 1], target[3 * j + 1], w);
        target[3 * j + 2] = kBlend(from[3 * j + 2], target[3 * j + 2], w);
    }
}

// ---------------------------------------------------------------------------
// Eraser: target = trunc(before * (1 - w) + target * w + 0.5), w = d / r at most 1.

struct EraseJob
{
    const uint8_t* before;
    uint8_t* target;
    size_t stride;
    int bytes;
    QVRect square;
    int x, y, radius;
};

void EraseRowsPlain(const EraseJob& job, int rowFrom, int rowTo)
{
    const int bytes = job.bytes;
    for (int py = rowFrom; py < rowTo; ++py) {
        const uint8_t* b = job.before + size_t(py) * job.stride + size_t(job.square.left) * bytes;
        uint8_t* t = job.target + size_t(py) * job.stride + size_t(job.square.left) * bytes;
        for (int px = job.square.left; px < job.square.right; ++px, b += bytes, t += bytes) {
            const double w = std::min(Distance(job.x, job.y, px, py) / job.radius, 1.0);
            if (w == 1)
                continue; // on and beyond the rim the target keeps its value
            for (int k = 0; k < bytes; ++k)
                t[k] = uint8_t(int(b[k] * (1 - w) + t[k] * w + 0.5));
        }
    }
}

[[maybe_unused, gnu::always_inline]] inline uint8_t EraseByte(uint8_t before, uint8_t target, double w)
{
    return uint8_t(int(before * (1 - w) + target * w + 0.5));
}

// 24-bit pictures. Where w = 1 the blend gives the target's own byte, so the
// loops need not skip those pixels.
template <int kLanes>
[[gnu::always_inline]] inline void EraseRowsLoops(const EraseJob& job, int rowFrom, int rowTo)
{
    double weight[kRunPixels];
    for (int py = rowFrom; py < rowTo; ++py) {
        const double dy = job.y - py;
        for (int from = job.square.left; from < job.square.right; from += kRunPixels) {
            const int n = std::min(kRunPixels, job.square.right - from);
            RunWeights<DistanceFraction>(job.x, from, n, dy * dy, job.radius, weight);
            const size_t at = size_t(py) * job.stride + size_t(from) * 3;
            BlendRun<EraseByte>(job.before + at, job.target + at, weight, n);
        }
    }
}

// ---------------------------------------------------------------------------
// Copy: target = trunc(patch * (1 - w) + target * w), w = d / r inside the disc
// and over the part of the patch that lay on the picture.

struct PasteJob
{
    const uint8_t* patch;
    size_t patchStride;
    uint8_t* target;
    size_t stride;
    int bytes;
    QVRect square;
    QVRect copied; // m_rcCopy
    int x, y, radius;
};

void PasteRowsPlain(const PasteJob& job, int rowFrom, int rowTo)
{
    const int bytes = job.bytes;
    for (int py = rowFrom; py < rowTo; ++py) {
        const int v = py - job.y + job.radius;
        if (v < job.copied.top || v >= job.copied.bottom)
            continue; // weight 1 everywhere: the picture stays
        uint8_t* targetRow = job.target + size_t(py) * job.stride;
        const uint8_t* patchRow = job.patch + size_t(v) * job.patchStride;
        for (int px = job.square.left; px < job.square.right; ++px) {
            const double d = Distance(job.x, job.y, px, py);
            const int u = px - job.x + job.radius;
            if (d > job.radius || u < job.copied.left || u >= job.copied.right)
                continue;
            const double w = d / job.radius;
            uint8_t* t = targetRow + size_t(px) * bytes;
            const uint8_t* p = patchRow + size_t(u) * bytes;
            for (int k = 0; k < bytes; ++k)
                t[k] = uint8_t(int(p[k] * (1 - w) + t[k] * w)); // truncated, no rounding
        }
    }
}

[[maybe_unused, gnu::always_inline]] inline uint8_t PasteByte(uint8_t patch, uint8_t target, double w)
{
    return uint8_t(int(patch * (1 - w) + target * w));
}

// 24-bit pictures. Outside the disc the weight is 1, which gives the target's
// own byte: the plain loop's skip.
template <int kLanes>
[[gnu::always_inline]] inline void PasteRowsLoops(const PasteJob& job, int rowFrom, int rowTo)
{
    // Only columns over the copied part of the patch change.
    const int left = std::max(job.square.left, job.copied.left + job.x - job.radius);
    const int right = std::min(job.square.right, job.copied.right + job.x - job.radius);
    double weight[kRunPixels];
    for (int py = rowFrom; py < rowTo; ++py) {
        const int v = py - job.y + job.radius;
        if (v < job.copied.top || v >= job.copied.bottom)
            continue;
        const double dy = job.y - py;
        for (int from = left; from < right; from += kRunPixels) {
            const int n = std::min(kRunPixels, right - from);
            // Beyond the rim d / r >= 1 (division is monotonic): the plain
            // loop's skip.
            RunWeights<DistanceFraction>(job.x, from, n, dy * dy, job.radius, weight);
            BlendRun<PasteByte>(job.patch + size_t(v) * job.patchStride +
                                    size_t(from - job.x + job.radius) * 3,
                                job.target + size_t(py) * job.stride + size_t(from) * 3, weight, n);
        }
    }
}

// ---------------------------------------------------------------------------
// Blur: a 3 x 3 filter whose taps grow towards the rim, into a scratch square.

struct BlurJob
{
    const uint8_t* bits;
    size_t stride;
    uint8_t* scratch;
    size_t scratchStride;
    int bytes;
    QVRect square;
    int x, y, radius;
};

// The filter's three factors for weight w.
struct BlurFactors
{
    double corners, edges, centre;
};

// Fourth root of the distance fraction: 0 at the centre, 1 at the rim.
[[gnu::always_inline]] inline double BlurWeight(double distance, double radius)
{
    return std::min(std::sqrt(std::sqrt(distance / radius)), 1.0);
}

[[gnu::always_inline]] inline BlurFactors BlurFactorsFor(double w)
{
    return {(1 - w) * (1 - w), 2 * w * (1 - w), 4 * (w * w)};
}

[[gnu::always_inline]] inline uint8_t BlurByte(const BlurFactors& f, int c, int e, int corners)
{
    return uint8_t(int(0.25 * (f.corners * corners + f.edges * e + f.centre * c) + 0.5));
}

// One pixel of row py, from the rows below (rowL) and above (rowU) it.
void BlurPixel(const BlurJob& job, const uint8_t* rowL, const uint8_t* rowC, const uint8_t* rowU,
               int px, int py, uint8_t* out)
{
    const int bytes = job.bytes;
    const BlurFactors f = BlurFactorsFor(BlurWeight(Distance(job.x, job.y, px, py), job.radius));
    // Left neighbours may lie outside the square but inside the picture;
    // right ones are clamped to the square.
    const size_t left = size_t(px <= 0 ? 0 : px - 1) * bytes;
    const size_t right = size_t(px >= job.square.right - 1 ? job.square.right - 1 : px + 1) * bytes;
    const size_t centre = size_t(px) * bytes;
    for (int k = 0; k < bytes; ++k) {
        const int c = rowC[centre + k];
        const int e = rowC[left + k] + rowC[right + k] + rowL[centre + k] + rowU[centre + k];
        const int corners = rowL[left + k] + rowL[right + k] + rowU[left + k] + rowU[right + k];
        out[k] = BlurByte(f, c, e, corners);
    }
}

// The rows of pixel py's neighbours: lower and upper may lie outside the
// square but inside the picture below it; the upper is clamped to the square.
void NeighbourRows(const BlurJob& job, int py, const uint8_t*& rowL, const uint8_t*& rowC,
              const uint8_t*& rowU)
{
    const int lower = py <= 0 ? 0 : py - 1;
    const int upper = py >= job.square.bottom - 1 ? job.square.bottom - 1 : py + 1;
    rowC = job.bits + size_t(py) * job.stride;
    rowL = job.bits + size_t(lower) * job.stride;
    rowU = job.bits + size_t(upper) * job.stride;
}

void BlurRowsPlain(const BlurJob& job, int rowFrom, int rowTo)
{
    for (int py = rowFrom; py < rowTo; ++py) {
        const uint8_t *rowL, *rowC, *rowU;
        NeighbourRows(job, py, rowL, rowC, rowU);
        uint8_t* out = job.scratch + size_t(py - job.square.top) * job.scratchStride;
        for (int px = job.square.left; px < job.square.right; ++px, out += job.bytes)
            BlurPixel(job, rowL, rowC, rowU, px, py, out);
    }
}

[[maybe_unused, gnu::always_inline]] inline uint8_t BlurByteAt(const BlurFactors& f, const uint8_t* rowL,
                                                 const uint8_t* rowC, const uint8_t* rowU, int i)
{
    const int c = rowC[i];
    const int e = rowC[i - 3] + rowC[i + 3] + rowL[i] + rowU[i];
    const int corners = rowL[i - 3] + rowL[i + 3] + rowU[i - 3] + rowU[i + 3];
    return BlurByte(f, c, e, corners);
}

// 24-bit pictures. The first and last pixel of a row may have clamped
// neighbours and go through BlurPixel; between them both neighbours are the
// next pixels.
template <int kLanes>
[[gnu::always_inline]] inline void BlurRowsLoops(const BlurJob& job, int rowFrom, int rowTo)
{
    const double radius = job.radius;
    const int first = std::max(job.square.left, 1);
    const int last = job.square.right - 1; // this one's right neighbour is itself
    double weight[kRunPixels];
    for (int py = rowFrom; py < rowTo; ++py) {
        const uint8_t *rowL, *rowC, *rowU;
        NeighbourRows(job, py, rowL, rowC, rowU);
        uint8_t* outRow = job.scratch + size_t(py - job.square.top) * job.scratchStride;
        for (int px = job.square.left; px < first && px < job.square.right; ++px)
            BlurPixel(job, rowL, rowC, rowU, px, py, outRow + size_t(px - job.square.left) * 3);

        const double dy = job.y - py;
        for (int from = first; from < last; from += kRunPixels) {
            const int n = std::min(kRunPixels, last - from);
            // Weights and factors in two loops: the compiler vectorises a
            // minimum feeding more arithmetic only as branches.
            RunWeights<BlurWeight>(job.x, from, n, dy * dy, radius, weight);
            const uint8_t* l = rowL + size_t(from) * 3;
            const uint8_t* c = rowC + size_t(from) * 3;
            const uint8_t* u = rowU + size_t(from) * 3;
            uint8_t* out = outRow + size_t(from - job.square.left) * 3;
#pragma omp simd
            for (int j = 0; j < n; ++j) {
                const BlurFactors f = BlurFactorsFor(weight[j]);
                out[3 * j] = BlurByteAt(f, l, c, u, 3 * j);
                out[3 * j + 1] = BlurByteAt(f, l, c, u, 3 * j + 1);
                out[3 * j + 2] = BlurByteAt(f, l, c, u, 3 * j + 2);
            }
        }
        for (int px = std::max(last, first); px < job.square.right; ++px)
            BlurPixel(job, rowL, rowC, rowU, px, py, outRow + size_t(px - job.square.left) * 3);
    }
}

// ---------------------------------------------------------------------------
// The vectorised loops once per instruction set.

#if QV_HAVE_VECTOR_PATHS
QV_DEFINE_WIDE_PATHS(EraseRows, EraseJob, EraseRowsLoops)
QV_DEFINE_WIDE_PATHS(PasteRows, PasteJob, PasteRowsLoops)
QV_DEFINE_WIDE_PATHS(BlurRows, BlurJob, BlurRowsLoops)
#endif

// The vector loops cover 24-bit pictures and radii whose squares stay exact.
template <class Job>
bool LoopsApply(const Job& job)
{
    return job.bytes == 3 && job.radius < kMaxLoopRadius;
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

    const QVRect square = BrushRect(source, radius, x, y);
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

    PasteJob job;
    job.patch = m_dibCopy.GetBits();
    job.patchStride = size_t(m_dibCopy.GetStride());
    job.target = target->GetBits();
    job.stride = size_t(target->GetStride());
    job.bytes = target->GetBitCount() / 8;
    job.square = BrushRect(target, radius, x, y);
    job.copied = m_rcCopy;
    job.x = x;
    job.y = y;
    job.radius = radius;
    RunRows(job, job.square, QVChoosePath(LoopsApply(job), QV_EVERY_PATH(PasteRows)));
    return true;
}

bool QVTool::Erase(int radius, QVDIB* before, QVDIB* target, int x, int y)
{
    if (!before || !target || radius <= 0)
        return false;
    // Both pictures are addressed with the before-image's stride and pixel size.
    if (!before->SameGeometry(*target) || !before->IsInside(x, y))
        return false;

    EraseJob job;
    job.before = before->GetBits();
    job.target = target->GetBits();
    job.stride = size_t(before->GetStride());
    job.bytes = before->GetBitCount() / 8;
    job.square = BrushRect(before, radius, x, y);
    job.x = x;
    job.y = y;
    job.radius = radius;
    RunRows(job, job.square, QVChoosePath(LoopsApply(job), QV_EVERY_PATH(EraseRows)));
    return true;
}

bool QVTool::Blur(int radius, QVDIB* target, int x, int y)
{
    if (!target || radius <= 0 || !target->IsInside(x, y))
        return false;
    const QVRect square = BrushRect(target, radius, x, y);
    // Every output pixel is computed from unfiltered neighbours, so the result
    // goes to a scratch picture first.
    QVDIB scratch;
    if (!scratch.Create(square.Width(), square.Height(), target->GetBitCount()))
        return false;

    BlurJob job;
    job.bits = target->GetBits();
    job.stride = size_t(target->GetStride());
    job.scratch = scratch.GetBits();
    job.scratchStride = size_t(scratch.GetStride());
    job.bytes = target->GetBitCount() / 8;
    job.square = square;
    job.x = x;
    job.y = y;
    job.radius = radius;
    RunRows(job, square, QVChoosePath(LoopsApply(job), QV_EVERY_PATH(BlurRows)));

    // Only now, with every row filtered, may the square be overwritten.
    const size_t rowBytes = size_t(square.Width()) * job.bytes;
    uint8_t* to = target->GetBits() + size_t(square.left) * job.bytes;
    QVThreadPool::Instance().ForRows(square.top, square.bottom, square.Width(),
                                     [&](int from, int end) {
                                         for (int py = from; py < end; ++py)
                                             std::memcpy(to + size_t(py) * job.stride,
                                                         job.scratch + size_t(py - square.top) *
                                                                           job.scratchStride,
                                                         rowBytes);
                                     });
    return true;
}
