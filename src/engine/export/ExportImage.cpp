#include "ExportImage.h"

#include "engine/image/QVCpu.h"
#include "engine/image/QVDIB.h"
#include "engine/parallel/QVLanes.h"
#include "engine/parallel/QVThreadPool.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr int kLabelMargin = 10;

// One resampling: the source, the destination, and the per-column taps,
// computed once per picture exactly as the per-pixel formula would:
// x = j / sx, x0 = trunc(x), fx = x - x0, x1 = x0 + 1 except on the last column.
struct ResizeJob
{
    const uint8_t* source;
    size_t sourceStride;
    int sourceHeight;
    double sy;
    uint8_t* destination;
    size_t stride;
    int width;
    int bytes;
    const int32_t* column0; // byte offsets of x0 and x1 in a row
    const int32_t* column1;
    const double* fx;
};

// The source rows and the fraction of destination row i.
struct ResizeRow
{
    const uint8_t* row0;
    const uint8_t* row1;
    double fy;
};

ResizeRow RowTaps(const ResizeJob& job, int i)
{
    const double y = i / job.sy;
    const int y0 = int(y);
    const int y1 = y0 == job.sourceHeight - 1 ? y0 : y0 + 1;
    return {job.source + size_t(y0) * job.sourceStride, job.source + size_t(y1) * job.sourceStride,
            y - y0};
}

// Destination pixel j of a row, byte by byte: the plain loop and the oracle
// of the vector paths.
[[gnu::always_inline]] inline void ResizePixel(const ResizeJob& job, const ResizeRow& r, int j,
                                               uint8_t* pixel)
{
    const double fx = job.fx[j];
    const double fy = r.fy;
    const uint8_t* p00 = r.row0 + job.column0[j];
    const uint8_t* p01 = r.row1 + job.column0[j];
    const uint8_t* p10 = r.row0 + job.column1[j];
    const uint8_t* p11 = r.row1 + job.column1[j];
    for (int k = 0; k < job.bytes; ++k) {
        double v = p00[k] * (1 - fx) * (1 - fy) + 0.5;
        v += p01[k] * (1 - fx) * fy;
        v += p10[k] * fx * (1 - fy);
        v += p11[k] * fx * fy;
        pixel[k] = uint8_t(int(v));
    }
}

void ResizeRowsPlain(const ResizeJob& job, int rowFrom, int rowTo)
{
    for (int i = rowFrom; i < rowTo; ++i) {
        const ResizeRow r = RowTaps(job, i);
        uint8_t* pixel = job.destination + size_t(i) * job.stride;
        for (int j = 0; j < job.width; ++j, pixel += job.bytes)
            ResizePixel(job, r, j, pixel);
    }
}

#if QV_HAVE_VECTOR_PATHS

// Destination rows that sample the same two source rows (an enlargement's
// neighbours): the lanes share their taps and horizontal products.
struct ResizeBatch
{
    static constexpr int kMaxRows = 8;
    const uint8_t* row0;
    const uint8_t* row1;
    int rows;
    double fy[kMaxRows];
    uint8_t* out[kMaxRows]; // the rows' first pixels
};

// Byte k of N pixels in every row of the batch, accumulated in the plain
// loop's order: P00 * (1 - fx) * (1 - fy) + 0.5, + P01 * (1 - fx) * fy,
// + P10 * fx * (1 - fy), + P11 * fx * fy. The products with (1 - fx) and fx
// come first in each term, so one of each serves the whole batch.
template <int N, int k>
[[gnu::always_inline]] inline void ResizeChannel(const ResizeBatch& batch,
                                                 typename QVLanes<N>::Double fx,
                                                 typename QVLanes<N>::Word p00,
                                                 typename QVLanes<N>::Word p01,
                                                 typename QVLanes<N>::Word p10,
                                                 typename QVLanes<N>::Word p11,
                                                 typename QVLanes<N>::Int* channel)
{
    using L = QVLanes<N>;
    using D = typename L::Double;
    const D h00 = L::template Channel<k>(p00) * (1 - fx);
    const D h01 = L::template Channel<k>(p01) * (1 - fx);
    const D h10 = L::template Channel<k>(p10) * fx;
    const D h11 = L::template Channel<k>(p11) * fx;
    for (int b = 0; b < batch.rows; ++b) {
        const double fy = batch.fy[b];
        D v = h00 * (1 - fy) + 0.5;
        v += h01 * fy;
        v += h10 * (1 - fy);
        v += h11 * fy;
        channel[b] = L::Truncate(v);
    }
}

// Destination pixels j .. j + N - 1 of the batch's 24-bit rows: ResizePixel
// for N pixels of each row at once, operation for operation.
template <int N>
[[gnu::always_inline]] inline void ResizeLanes(const ResizeJob& job, const ResizeBatch& batch,
                                               int j)
{
    using L = QVLanes<N>;
    using Word = typename L::Word;
    typename L::Int column0, column1;
    typename L::Double fx;
    std::memcpy(&column0, job.column0 + j, sizeof column0);
    std::memcpy(&column1, job.column1 + j, sizeof column1);
    std::memcpy(&fx, job.fx + j, sizeof fx);
    Word p00, p01, p10, p11;
    // Every lane's second tap is the pixel after its first unless the group
    // reaches the last source column (taps only grow along a row).
    bool pairs = false;
    if constexpr (N != 2) {
        pairs = job.column1[j + N - 1] == job.column0[j + N - 1] + 3;
        if (pairs) {
            L::PixelPairs(batch.row0, column0, p00, p10);
            L::PixelPairs(batch.row1, column0, p01, p11);
        }
    }
    if (!pairs) {
        p00 = L::PixelWords(batch.row0, column0);
        p01 = L::PixelWords(batch.row1, column0);
        p10 = L::PixelWords(batch.row0, column1);
        p11 = L::PixelWords(batch.row1, column1);
    }
    typename L::Int blue[ResizeBatch::kMaxRows], green[ResizeBatch::kMaxRows],
        red[ResizeBatch::kMaxRows];
    ResizeChannel<N, 0>(batch, fx, p00, p01, p10, p11, blue);
    ResizeChannel<N, 1>(batch, fx, p00, p01, p10, p11, green);
    ResizeChannel<N, 2>(batch, fx, p00, p01, p10, p11, red);
    for (int b = 0; b < batch.rows; ++b)
        L::StorePixels(batch.out[b] + size_t(j) * 3, blue[b], green[b], red[b]);
}

template <int N>
[[gnu::always_inline]] inline void ResizeRowsLanes(const ResizeJob& job, int rowFrom, int rowTo)
{
    for (int i = rowFrom; i < rowTo;) {
        const ResizeRow first = RowTaps(job, i);
        if (job.width < N) {
            uint8_t* row = job.destination + size_t(i) * job.stride;
            for (int j = 0; j < job.width; ++j)
                ResizePixel(job, first, j, row + size_t(j) * 3);
            ++i;
            continue;
        }
        ResizeBatch batch;
        batch.row0 = first.row0;
        batch.row1 = first.row1;
        batch.rows = 0;
        for (; i < rowTo && batch.rows < ResizeBatch::kMaxRows; ++i) {
            const ResizeRow r = RowTaps(job, i);
            if (r.row0 != batch.row0)
                break;
            batch.fy[batch.rows] = r.fy;
            batch.out[batch.rows] = job.destination + size_t(i) * job.stride;
            ++batch.rows;
        }
        // The destination is not the source: a pixel computed twice comes out the same.
        QVLanes<N>::ForEachGroup(0, job.width, [&](int start) __attribute__((always_inline)) {
            ResizeLanes<N>(job, batch, start);
        });
    }
}

QV_DEFINE_WIDE_PATHS(ResizeRows, ResizeJob, ResizeRowsLanes)

#endif

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
    const int bytes = source->GetBitCount() / 8;
    // Byte offsets within a row are held in 32 bits.
    if (int64_t(w) * bytes > INT32_MAX)
        return false;

    // Per-column taps, once per picture (before Create, so that a failure here
    // leaves the destination as it was).
    std::vector<int32_t> column0, column1;
    std::vector<double> fractions;
    try {
        column0.resize(size_t(width));
        column1.resize(size_t(width));
        fractions.resize(size_t(width));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int j = 0; j < width; ++j) {
        const double x = j / sx;
        const int x0 = int(x);
        const int x1 = x0 == w - 1 ? x0 : x0 + 1;
        column0[size_t(j)] = x0 * bytes;
        column1[size_t(j)] = x1 * bytes;
        fractions[size_t(j)] = x - x0;
    }
    if (!destination->Create(width, height, source->GetBitCount()))
        return false;

    ResizeJob job;
    job.source = source->GetBits();
    job.sourceStride = size_t(source->GetStride());
    job.sourceHeight = h;
    job.sy = sy;
    job.destination = destination->GetBits();
    job.stride = size_t(destination->GetStride());
    job.width = width;
    job.bytes = bytes;
    job.column0 = column0.data();
    job.column1 = column1.data();
    job.fx = fractions.data();
    // The lanes cover 24-bit pictures and address the source with 32-bit offsets.
    const bool lanes = bytes == 3 && source->GetHeader()->biSizeImage <= uint32_t(INT32_MAX);
    const auto rows = QVChoosePath(lanes, QV_EVERY_PATH(ResizeRows));
    // Rows are independent: they are shared out between the threads.
    QVThreadPool::Instance().ForRows(0, height, width, [&job, rows](int from, int to) {
        rows(job, from, to);
    });
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
