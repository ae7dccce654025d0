// Benchmarks of the picture engine on a 6000 x 4000 portrait-sized picture:
// warp strokes, brushes, resampling, copies and history, codecs and painting.
//
// Every benchmark also reports the heap allocations made inside its timed loop
// (allocs and alloc_MB per iteration), counted by the malloc wrappers below, so
// a path that should reuse its memory shows at a glance whether it does.
//
// The pixel loops of warps, brushes and resampling run once as the plain loop
// on one thread ("plain") and once with the widest instruction set on every
// core ("avx512/threads:2"), in one run; the headline cases run on every
// instruction set the processor has, on one thread and on all. Each line's
// label names its instruction set and thread count, and every line but the
// plain one carries the plain loop's figure from the same run (plain_ms) and
// its own speed-up over it (x_plain).
//
// Run: <build>/bench/morvane_engine_bench [--benchmark_filter=<regex>]

#include "AllocationCounting.h"
#include "TestPhoto.h"
#include "engine/export/ExportImage.h"
#include "engine/history/QVUndoRedo.h"
#include "engine/image/QVClosedCurve.h"
#include "engine/image/QVCpu.h"
#include "engine/image/QVDIB.h"
#include "engine/image/QVRect.h"
#include "engine/parallel/QVThreadPool.h"
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
#include <chrono>
#include <cstdlib>
#include <map>
#include <numbers>
#include <utility>
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

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "engine_bench: %s\n", what);
    std::exit(1);
}

// ---------------------------------------------------------------------------
// How the pixel loops run: an instruction set and a number of threads.

struct Engine
{
    QVVectorPath path;
    int threads;
};

int AllThreads()
{
    return QVThreadPool::Instance().ThreadCount();
}

// The plain loop on one thread: what every faster path is compared with.
constexpr Engine kPlain{QVVectorPath::kScalar, 1};

std::string EngineName(const Engine& engine)
{
    if (engine.path == kPlain.path && engine.threads == kPlain.threads)
        return "plain";
    return std::string(QVVectorPathName(engine.path)) + "/threads:" +
           std::to_string(engine.threads);
}

// The plain loop and the fastest engine.
std::vector<Engine> PlainAndBest()
{
    return {kPlain, Engine{QVBestVectorPath(), AllThreads()}};
}

// Every instruction set the processor runs, on one thread and on all.
std::vector<Engine> EveryEngine()
{
    std::vector<Engine> engines;
    for (int path = 0; path <= int(QVBestVectorPath()); ++path)
        for (int threads : {1, AllThreads()}) {
            engines.push_back(Engine{QVVectorPath(path), threads});
            if (AllThreads() == 1)
                break;
        }
    return engines;
}

// Makes the engine's pixel loops run as asked while it lives, and labels the
// benchmark's line with it.
class EngineScope
{
public:
    EngineScope(benchmark::State& state, const Engine& engine)
    {
        if (!QVSetVectorPath(engine.path))
            Fail("the processor cannot run this instruction set");
        QVThreadPool::Instance().SetThreadLimit(engine.threads);
        state.SetLabel(std::string(QVVectorPathName(engine.path)) + ", " +
                       std::to_string(engine.threads) +
                       (engine.threads == 1 ? " thread" : " threads"));
    }
    ~EngineScope()
    {
        (void)QVSetVectorPath(QVBestVectorPath());
        QVThreadPool::Instance().SetThreadLimit(0);
    }
    EngineScope(const EngineScope&) = delete;
    EngineScope& operator=(const EngineScope&) = delete;
};

// The plain loop's time per iteration of each benchmark, measured earlier in
// the same run (the plain variant is registered first), by benchmark name
// without the engine.
std::map<std::string, double>& PlainMilliseconds()
{
    static std::map<std::string, double> figures;
    return figures;
}

// Times the measured step of a benchmark's loop on the wall clock, and puts
// the plain loop's figure beside the others'.
class PlainComparison
{
public:
    PlainComparison(std::string name, const Engine& engine)
        : m_name(std::move(name)),
          m_plain(engine.path == kPlain.path && engine.threads == kPlain.threads)
    {
    }

    template <class Step>
    void Time(Step&& step)
    {
        const auto start = std::chrono::steady_clock::now();
        step();
        m_seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    void Report(benchmark::State& state) const
    {
        if (state.iterations() == 0)
            return;
        const double ms = 1000 * m_seconds / double(state.iterations());
        if (m_plain) {
            PlainMilliseconds()[m_name] = ms;
            return;
        }
        const auto plain = PlainMilliseconds().find(m_name);
        if (plain == PlainMilliseconds().end())
            return; // the plain variant was filtered out of this run
        state.counters["plain_ms"] = plain->second;
        state.counters["x_plain"] = plain->second / ms;
    }

private:
    std::string m_name;
    bool m_plain;
    double m_seconds = 0;
};

// ---------------------------------------------------------------------------
// The test picture.

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kCenterX = kWidth / 2;
constexpr int kCenterY = kHeight / 2;
constexpr int kBrushRadius = 300;


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
void BM_Warp(benchmark::State& state, int radius, int mode, int cover, Engine engine,
             std::string name)
{
    EngineScope scope(state, engine);
    PlainComparison comparison(std::move(name), engine);
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
        bool warped = false;
        comparison.Time([&] { warped = tool.Warp(x, y); });
        if (!warped) {
            state.SkipWithError("Warp refused the cursor");
            break;
        }
        benchmark::ClobberMemory();
    }
    meter.Report(state);
    comparison.Report(state);
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

void BM_Blur(benchmark::State& state, Engine engine, std::string name)
{
    EngineScope scope(state, engine);
    PlainComparison comparison(std::move(name), engine);
    QVDIB& canvas = Canvas();
    AllocationMeter meter;
    for (auto _ : state) {
        bool done = false;
        comparison.Time([&] { done = QVTool::Blur(kBrushRadius, &canvas, kCenterX, kCenterY); });
        benchmark::DoNotOptimize(done);
        benchmark::ClobberMemory();
    }
    meter.Report(state);
    comparison.Report(state);
}

void BM_Erase(benchmark::State& state, Engine engine, std::string name)
{
    EngineScope scope(state, engine);
    PlainComparison comparison(std::move(name), engine);
    QVDIB& canvas = Canvas();
    AllocationMeter meter;
    for (auto _ : state) {
        bool done = false;
        comparison.Time([&] {
            done = QVTool::Erase(kBrushRadius, PhotoForReading(), &canvas, kCenterX, kCenterY);
        });
        benchmark::DoNotOptimize(done);
        benchmark::ClobberMemory();
    }
    meter.Report(state);
    comparison.Report(state);
}

void BM_PasteCopy(benchmark::State& state, Engine engine, std::string name)
{
    EngineScope scope(state, engine);
    PlainComparison comparison(std::move(name), engine);
    QVDIB& canvas = Canvas();
    QVTool tool;
    // Taken from the left of the face, pasted on its right.
    if (!tool.CaptureCopy(PhotoForReading(), kBrushRadius, kCenterX - 800, kCenterY))
        Fail("CaptureCopy refused");
    AllocationMeter meter;
    for (auto _ : state) {
        bool done = false;
        comparison.Time([&] { done = tool.PasteCopy(&canvas, kCenterX + 800, kCenterY); });
        benchmark::DoNotOptimize(done);
        benchmark::ClobberMemory();
    }
    meter.Report(state);
    comparison.Report(state);
    tool.ReleaseCopy();
}

// ---------------------------------------------------------------------------
// Export resampling.

// reuse: the destination already holds a picture of the target geometry (the
// export resizing into the picture it kept from the previous export), which is
// what a block-reusing implementation could profit from. Otherwise the
// destination is emptied before every iteration (outside the timing) so that
// the cost of fresh memory shows.
void BM_ResizeImage(benchmark::State& state, int width, int height, bool reuse, Engine engine,
                    std::string name)
{
    EngineScope scope(state, engine);
    PlainComparison comparison(std::move(name), engine);
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
        bool done = false;
        comparison.Time([&] { done = ResizeImage(&destination, &Photo(), width, height); });
        benchmark::DoNotOptimize(done);
        benchmark::ClobberMemory();
    }
    meter.Report(state);
    comparison.Report(state);
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
    // Multi-threaded work is timed by the clock on the wall: the library's CPU
    // time counts the main thread only.
    for (int radius : {100, 300, 1000})
        for (int mode : {0, 1})
            for (const auto& region : regions) {
                const bool headline = mode == 0 && region.cover == QVTool::REGION_NONE &&
                                      radius >= 300;
                const std::string base = std::string("Warp/") + modes[mode] + "/" + region.name +
                                         "/r" + std::to_string(radius);
                for (const Engine& engine : headline ? EveryEngine() : PlainAndBest()) {
                    const std::string name = base + "/" + EngineName(engine);
                    benchmark::RegisterBenchmark(name.c_str(), BM_Warp, radius, mode,
                                                 region.cover, engine, base)
                        ->Unit(kMillisecond)
                        ->UseRealTime();
                }
            }
    benchmark::RegisterBenchmark("BeginWarp/region/r1000", BM_BeginWarpRegion, 1000)
        ->Unit(kMillisecond);

    for (const Engine& engine : EveryEngine()) {
        const std::string suffix = "/r300/" + EngineName(engine);
        benchmark::RegisterBenchmark(("Blur" + suffix).c_str(), BM_Blur, engine, "Blur")
            ->Unit(kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("Erase" + suffix).c_str(), BM_Erase, engine, "Erase")
            ->Unit(kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("PasteCopy" + suffix).c_str(), BM_PasteCopy, engine,
                                     "PasteCopy")
            ->Unit(kMillisecond)
            ->UseRealTime();
    }

    struct
    {
        int width, height;
        bool reuse;
        int iterations;
    } const resizes[] = {{3000, 2000, true, 10},
                         {3000, 2000, false, 10},
                         {12000, 8000, true, 3},
                         {12000, 8000, false, 3}};
    for (const auto& resize : resizes) {
        const bool headline = resize.width == 3000 && resize.reuse;
        const std::string base = "ResizeImage/" + std::to_string(resize.width) + "x" +
                                 std::to_string(resize.height) +
                                 (resize.reuse ? "/reused" : "/fresh");
        for (const Engine& engine : headline ? EveryEngine() : PlainAndBest()) {
            const std::string name = base + "/" + EngineName(engine);
            benchmark::RegisterBenchmark(name.c_str(), BM_ResizeImage, resize.width,
                                         resize.height, resize.reuse, engine, base)
                ->Unit(kMillisecond)
                ->Iterations(resize.iterations)
                ->UseRealTime();
        }
    }

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
