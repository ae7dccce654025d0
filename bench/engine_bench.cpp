// Benchmarks of the picture engine on a 6000 x 4000 portrait-sized picture:
// warp strokes, brushes, resampling, copies and history, codecs and painting.
//
// Every benchmark also reports the heap allocations made inside its timed loop
// (allocs and alloc_MB per iteration), counted by the malloc wrappers below, so
// a path that should reuse its memory shows at a glance whether it does.
//
// Run: <build>/bench/morvane_engine_bench [--benchmark_filter=<regex>]

#include "AllocationCounting.h"
#include "TestPhoto.h"
#include "engine/export/ExportImage.h"
#include "engine/history/QVUndoRedo.h"
#include "engine/image/QVClosedCurve.h"
#include "engine/image/QVDIB.h"
#include "engine/image/QVRect.h"
#include "engine/warp/QVTool.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

namespace {

// Heap allocations between its construction and Report, per iteration.
class AllocationMeter
{
public:
    AllocationMeter()
        : m_allocations(AllocationCount()),
          m_bytes(AllocatedBytes())
    {
    }

    void Report(benchmark::State& state) const
    {
        if (!MORVANE_BENCH_COUNT_ALLOCATIONS)
            return;
        const double allocations =
            double(AllocationCount() - m_allocations);
        const double bytes = double(AllocatedBytes() - m_bytes);
        state.counters["allocs"] =
            benchmark::Counter(allocations, benchmark::Counter::kAvgIterations);
        state.counters["alloc_MB"] =
            benchmark::Counter(bytes / (1024.0 * 1024.0), benchmark::Counter::kAvgIterations);
    }

private:
    uint64_t m_allocations;
    uint64_t m_bytes;
};

// ---------------------------------------------------------------------------
// The test picture.

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kCenterX = kWidth / 2;
constexpr int kCenterY = kHeight / 2;
constexpr int kBrushRadius = 300;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "engine_bench: %s\n", what);
    std::exit(1);
}


// The unchanged picture of a stroke; never written by a benchmark.
const QVDIB& Photo()
{
    static QVDIB photo;
    if (photo.IsEmpty())
        if (!MakePhoto(photo, kWidth, kHeight))
            Fail("cannot allocate the test picture");
    return photo;
}

QVDIB* PhotoForReading()
{
    // The engine takes non-const pictures for sources it only reads.
    return const_cast<QVDIB*>(&Photo());
}

// The picture strokes and brushes write into, same geometry as the photo; its
// content is whatever the previous benchmark left.
QVDIB& Canvas()
{
    static QVDIB canvas;
    if (canvas.IsEmpty() && !canvas.CopyFrom(&Photo()))
        Fail("cannot allocate the canvas");
    return canvas;
}

// A user's region: 12 control points on a slightly wobbly ring about the size
// of the control circle.
QVClosedCurve RegionAround(int centerX, int centerY, int radius)
{
    constexpr int kPoints = 12;
    QVPoint points[kPoints];
    for (int i = 0; i < kPoints; ++i) {
        const double angle = 2 * std::numbers::pi * i / kPoints;
        const double reach = radius * (0.92 + 0.08 * std::sin(3 * angle + 0.4));
        points[i] = QVPoint{centerX + int(std::lround(reach * std::cos(angle))),
                            centerY + int(std::lround(reach * std::sin(angle)))};
    }
    return QVClosedCurve(points, kPoints);
}

// A folder for the codec benchmarks, removed when the program ends.
const QTemporaryDir& CodecFolder()
{
    static QTemporaryDir folder;
    if (!folder.isValid())
        Fail("cannot create a temporary folder");
    return folder;
}

// The photo written once as a file for the decoders.
QString CodecFile(bool jpeg)
{
    static QString files[2];
    QString& file = files[jpeg ? 1 : 0];
    if (file.isEmpty()) {
        file = CodecFolder().filePath(jpeg ? QStringLiteral("photo.jpg")
                                           : QStringLiteral("photo.png"));
        if (!QVDIB::SaveToFile(&Photo(), file))
            Fail("cannot write a codec test file");
    }
    return file;
}

double FileMegabytes(const QString& path)
{
    return double(QFileInfo(path).size()) / (1024.0 * 1024.0);
}

// ---------------------------------------------------------------------------
// Warp strokes.

// One Warp of a stroke centred on the picture with the cursor 40% of the radius
// away from the centre. cover 0 is a circle stroke; 3 and 4 are region strokes
// intersected with a curve about the size of the circle.
void BM_Warp(benchmark::State& state, int radius, int mode, int cover)
{
    QVDIB& canvas = Canvas();
    if (!canvas.CopyFrom(&Photo()))
        Fail("cannot reset the canvas");
    const QVClosedCurve curve = RegionAround(kCenterX, kCenterY, radius);
    const bool region = cover != QVTool::REGION_NONE;
    QVTool tool;
    if (!tool.BeginWarp(PhotoForReading(), &canvas, radius, mode, region ? &curve : nullptr,
                        region ? QVTool::REGION_INTERSECT : QVTool::REGION_NONE, cover, kCenterX,
                        kCenterY)) {
        state.SkipWithError("BeginWarp refused the stroke");
        return;
    }
    // 0.4 r along a diagonal: (0.32 r, 0.24 r).
    const int x = kCenterX + int(std::lround(0.32 * radius));
    const int y = kCenterY + int(std::lround(0.24 * radius));

    AllocationMeter meter;
    for (auto _ : state) {
        if (!tool.Warp(x, y)) {
            state.SkipWithError("Warp refused the cursor");
            break;
        }
        benchmark::ClobberMemory();
    }
    meter.Report(state);
    tool.EndWarp();
    const int64_t side = 2 * int64_t(radius);
    state.SetItemsProcessed(state.iterations() * side * side); // pixels of the square
}

// BeginWarp of a region stroke: rasterises the curve and the circle into the mask.
void BM_BeginWarpRegion(benchmark::State& state, int radius)
{
    QVDIB& canvas = Canvas();
    const QVClosedCurve curve = RegionAround(kCenterX, kCenterY, radius);
    QVTool tool;
    // The first stroke sizes the mask; a user's later strokes reuse it.
    if (!tool.BeginWarp(PhotoForReading(), &canvas, radius, QVWarpControl::WARP_STRETCH, &curve,
                        QVTool::REGION_INTERSECT, QVTool::REGION_COVER, kCenterX, kCenterY))
        Fail("BeginWarp refused the stroke");
    tool.EndWarp();

    AllocationMeter meter;
    for (auto _ : state) {
        const bool begun =
            tool.BeginWarp(PhotoForReading(), &canvas, radius, QVWarpControl::WARP_STRETCH, &curve,
                           QVTool::REGION_INTERSECT, QVTool::REGION_COVER, kCenterX, kCenterY);
        benchmark::DoNotOptimize(begun);
        tool.EndWarp(); // clears two flags; keeps the mask's memory
    }
    meter.Report(state);
}

// ---------------------------------------------------------------------------
// Brushes: one dab each, at the brush radius.

void BM_Blur(benchmark::State& state)
{
    QVDIB& canvas = Canvas();
    AllocationMeter meter;
    for (auto _ : state) {
        const bool done = QVTool::Blur(kBrushRadius, &canvas, kCenterX, kCenterY);
        benchmark::DoNotOptimize(done);
        benchmark::ClobberMemory();
    }
    meter.Report(state);
}

void BM_Erase(benchmark::State& state)
{
    QVDIB& canvas = Canvas();
    AllocationMeter meter;
    for (auto _ : state) {
        const bool done =
            QVTool::Erase(kBrushRadius, PhotoForReading(), &canvas, kCenterX, kCenterY);
        benchmark::DoNotOptimize(done);
        benchmark::ClobberMemory();
    }
    meter.Report(state);
}

void BM_PasteCopy(benchmark::State& state)
{
    QVDIB& canvas = Canvas();
    QVTool tool;
    // Taken from the left of the face, pasted on its right.
    if (!tool.CaptureCopy(PhotoForReading(), kBrushRadius, kCenterX - 800, kCenterY))
        Fail("CaptureCopy refused");
    AllocationMeter meter;
    for (auto _ : state) {
        const bool done = tool.PasteCopy(&canvas, kCenterX + 800, kCenterY);
        benchmark::DoNotOptimize(done);
        benchmark::ClobberMemory();
    }
    meter.Report(state);
    tool.ReleaseCopy();
}

// ---------------------------------------------------------------------------
// Export resampling.

// reuse: the destination already holds a picture of the target geometry (the
// export resizing into the picture it kept from the previous export), which is
// what a block-reusing implementation could profit from. Otherwise the
// destination is emptied before every iteration (outside the timing) so that
// the cost of fresh memory shows.
void BM_ResizeImage(benchmark::State& state, int width, int height, bool reuse)
{
    QVDIB destination;
    if (!ResizeImage(&destination, &Photo(), width, height))
        Fail("ResizeImage failed");
    AllocationMeter meter;
    for (auto _ : state) {
        if (!reuse) {
            state.PauseTiming();
            destination.Free();
            state.ResumeTiming();
        }
        const bool done = ResizeImage(&destination, &Photo(), width, height);
        benchmark::DoNotOptimize(done);
        benchmark::ClobberMemory();
    }
    meter.Report(state);
    state.SetItemsProcessed(state.iterations() * int64_t(width) * height);
}

// ---------------------------------------------------------------------------
// Copies and history.

// reuse: the destination has the photo's geometry, as on a stroke's commit and
// in a recycled snapshot. Otherwise it is emptied (outside the timing) before
// every copy, so every copy goes into freshly allocated memory.
void BM_CopyFrom(benchmark::State& state, bool reuse)
{
    QVDIB destination;
    if (!destination.CopyFrom(&Photo()))
        Fail("CopyFrom failed");
    AllocationMeter meter;
    for (auto _ : state) {
        if (!reuse) {
            state.PauseTiming();
            destination.Free();
            state.ResumeTiming();
        }
        const bool done = destination.CopyFrom(&Photo());
        benchmark::DoNotOptimize(done);
        benchmark::ClobberMemory();
    }
    meter.Report(state);
    state.SetBytesProcessed(state.iterations() * int64_t(Photo().GetHeader()->biSizeImage));
}

// Add of the whole picture on a full history: every tile is compared with the
// current snapshot's, and new ones are taken where the picture differs.
// withCommit adds a whole-picture commit before it: the stroke's target copied
// back into the source picture, which then differs inside the stroke's square.
void BM_UndoAdd(benchmark::State& state, bool withCommit)
{
    QVUndoRedo history;
    for (int i = 0; i < history.GetCapacity(); ++i)
        if (!history.Add(&Photo()))
            Fail("cannot fill the history");
    QVDIB source;
    if (!source.CopyFrom(&Photo()))
        Fail("CopyFrom failed");
    const QVDIB& target = Canvas();

    AllocationMeter meter;
    for (auto _ : state) {
        if (withCommit && !source.CopyFrom(&target)) {
            state.SkipWithError("commit failed");
            break;
        }
        if (!history.Add(&source)) {
            state.SkipWithError("Add failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    meter.Report(state);
}

// ---------------------------------------------------------------------------
// Files.

void BM_Load(benchmark::State& state, bool jpeg)
{
    const QString path = CodecFile(jpeg);
    QVDIB picture;
    AllocationMeter meter;
    for (auto _ : state) {
        if (!picture.LoadFromFile(path)) {
            state.SkipWithError("LoadFromFile failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    meter.Report(state);
    state.counters["file_MB"] = FileMegabytes(path);
}

void BM_Save(benchmark::State& state, bool jpeg)
{
    const QString path =
        CodecFolder().filePath(jpeg ? QStringLiteral("saved.jpg") : QStringLiteral("saved.png"));
    AllocationMeter meter;
    for (auto _ : state) {
        if (!QVDIB::SaveToFile(&Photo(), path)) {
            state.SkipWithError("SaveToFile failed");
            break;
        }
    }
    meter.Report(state);
    state.counters["file_MB"] = FileMegabytes(path);
}

// ---------------------------------------------------------------------------
// Painting into a 1600 x 1000 view.

void BM_Paint(benchmark::State& state, QVRect destination, QVRect source)
{
    const QVDIB& photo = Photo();
    QImage window(1600, 1000, QImage::Format_RGB32);
    window.fill(Qt::black);
    {
        // The first paint sizes the painter's frame; later ones at the same size reuse it.
        QPainter painter(&window);
        if (photo.Paint(&painter, destination, source) != destination.Height()) {
            state.SkipWithError("Paint did not fill the destination");
            return;
        }
    }
    AllocationMeter meter;
    for (auto _ : state) {
        // A fresh painter per frame, as in a paint event.
        QPainter painter(&window);
        const int rows = photo.Paint(&painter, destination, source);
        benchmark::DoNotOptimize(rows);
        painter.end();
        benchmark::ClobberMemory();
    }
    meter.Report(state);
}

// ---------------------------------------------------------------------------

void RegisterAll()
{
    using benchmark::kMillisecond;
    const char* const modes[] = {"stretch", "shrink_expand"};
    struct
    {
        int cover;
        const char* name;
    } const regions[] = {{QVTool::REGION_NONE, "circle"},
                         {QVTool::REGION_COVER, "region_cover"},
                         {QVTool::REGION_BECOVER, "region_becover"}};
    for (int radius : {100, 300, 1000})
        for (int mode : {0, 1})
            for (const auto& region : regions) {
                const std::string name = std::string("Warp/") + modes[mode] + "/" + region.name +
                                         "/r" + std::to_string(radius);
                benchmark::RegisterBenchmark(name.c_str(), BM_Warp, radius, mode, region.cover)
                    ->Unit(kMillisecond);
            }
    benchmark::RegisterBenchmark("BeginWarp/region/r1000", BM_BeginWarpRegion, 1000)
        ->Unit(kMillisecond);

    benchmark::RegisterBenchmark("Blur/r300", BM_Blur)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("Erase/r300", BM_Erase)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("PasteCopy/r300", BM_PasteCopy)->Unit(kMillisecond);

    benchmark::RegisterBenchmark("ResizeImage/3000x2000/reused", BM_ResizeImage, 3000, 2000, true)
        ->Unit(kMillisecond)
        ->Iterations(10);
    benchmark::RegisterBenchmark("ResizeImage/3000x2000/fresh", BM_ResizeImage, 3000, 2000, false)
        ->Unit(kMillisecond)
        ->Iterations(10);
    benchmark::RegisterBenchmark("ResizeImage/12000x8000/reused", BM_ResizeImage, 12000, 8000,
                                 true)
        ->Unit(kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("ResizeImage/12000x8000/fresh", BM_ResizeImage, 12000, 8000,
                                 false)
        ->Unit(kMillisecond)
        ->Iterations(3);

    benchmark::RegisterBenchmark("CopyFrom/same_geometry", BM_CopyFrom, true)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("CopyFrom/empty", BM_CopyFrom, false)
        ->Unit(kMillisecond)
        ->Iterations(10);
    benchmark::RegisterBenchmark("UndoRedo/Add/full", BM_UndoAdd, false)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("UndoRedo/commit+Add/full", BM_UndoAdd, true)
        ->Unit(kMillisecond);

    benchmark::RegisterBenchmark("LoadFromFile/jpeg", BM_Load, true)
        ->Unit(kMillisecond)
        ->Iterations(4);
    benchmark::RegisterBenchmark("LoadFromFile/png", BM_Load, false)
        ->Unit(kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("SaveToFile/jpeg", BM_Save, true)
        ->Unit(kMillisecond)
        ->Iterations(4);
    benchmark::RegisterBenchmark("SaveToFile/png", BM_Save, false)
        ->Unit(kMillisecond)
        ->Iterations(2);

    // Zoom 1: a window's worth around the face. Zoom 0.25: the whole picture,
    // 1500 x 1000 centred in the window.
    benchmark::RegisterBenchmark("Paint/zoom1/1600x1000", BM_Paint, QVRect{0, 0, 1600, 1000},
                                 QVRect{2200, 1500, 3800, 2500})
        ->Unit(kMillisecond);
    benchmark::RegisterBenchmark("Paint/zoom0.25/whole", BM_Paint, QVRect{50, 0, 1550, 1000},
                                 QVRect{0, 0, kWidth, kHeight})
        ->Unit(kMillisecond);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // Qt's image plugins (JPEG among them) are found through the application.
    QCoreApplication app(argc, argv);
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
