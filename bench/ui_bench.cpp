// Benchmarks of the editing view as a user feels it: the real main window, a
// document window and its after view, offscreen, on a 6000 x 4000 picture at
// zoom 1 in a 1600 x 1000 viewport. Mouse events go to the view's viewport
// through QApplication::sendEvent, so the view's own handlers run: a move of a
// circle-stretch stroke warps and repaints at once, a release commits the
// display copy and records a snapshot, an undo restores one.
//
// The memory benchmark reports the resident size of the whole process after
// 15 strokes on a photo opened from a file, as the running program holds it.
//
// Every benchmark reports, per iteration of what it times, the heap
// allocations (allocs, alloc_MB), the minor page faults (faults: memory touched
// for the first time, 4 KiB each) and the paint events the viewport received
// (paints), so a step that should reuse its memory, or that should paint and
// does not, shows at a glance.
//
// Run: <build>/bench/morvane_ui_bench [--benchmark_filter=<regex>]
// The program sets QT_QPA_PLATFORM=offscreen unless the variable is set.

#include "AllocationCounting.h"
#include "TestPhoto.h"
#include "app/CMainFrame.h"
#include "app/QVCommandIds.h"
#include "bars/QVToolBarSliderButton.h"
#include "document/CMorvaneDoc.h"
#include "engine/history/QVRectCopy.h"
#include "engine/image/QVDIB.h"
#include "view/CChildFrame.h"
#include "view/CMorvaneView.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTest>

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Minor page faults of the process so far: memory touched for the first time.
uint64_t PageFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return uint64_t(usage.ru_minflt);
}

// CPU time of the calling thread, in seconds: unlike the wall clock it does
// not count the time the thread waits for a core that others are using.
double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Paint events received by the after view's viewport.
uint64_t g_paints = 0;

class PaintCounter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++g_paints;
        return QObject::eventFilter(watched, event);
    }
};

// Heap allocations, page faults and paints, per iteration. Either everything
// from its construction to ReportAll (benchmarks timed by the library), or only
// what runs inside Measure (benchmarks that time one step of a sequence
// themselves).
class Meter
{
public:
    Meter() { Restart(); }

    void Restart()
    {
        m_allocations = AllocationCount();
        m_bytes = AllocatedBytes();
        m_paints = g_paints;
        m_faults = PageFaults();
    }

    // Runs step, adds its allocations and paints, and returns its wall time.
    template <typename Step>
    double Measure(Step&& step)
    {
        const uint64_t allocations = AllocationCount();
        const uint64_t bytes = AllocatedBytes();
        const uint64_t paints = g_paints;
        const uint64_t faults = PageFaults();
        const double cpu = ThreadCpuSeconds();
        const Clock::time_point start = Clock::now();
        step();
        const Clock::time_point end = Clock::now();
        m_sumThreadCpu += ThreadCpuSeconds() - cpu;
        m_sumFaults += PageFaults() - faults;
        m_sumAllocations += AllocationCount() - allocations;
        m_sumBytes += AllocatedBytes() - bytes;
        m_sumPaints += g_paints - paints;
        return std::chrono::duration<double>(end - start).count();
    }

    // Everything since construction or Restart.
    void ReportAll(benchmark::State& state) const
    {
        Report(state, AllocationCount() - m_allocations,
               AllocatedBytes() - m_bytes, g_paints - m_paints,
               PageFaults() - m_faults);
    }

    // Only what ran inside Measure, with the thread's CPU time in ms.
    void ReportMeasured(benchmark::State& state) const
    {
        Report(state, m_sumAllocations, m_sumBytes, m_sumPaints, m_sumFaults);
        state.counters["thread_cpu_ms"] = benchmark::Counter(
            m_sumThreadCpu * 1000.0, benchmark::Counter::kAvgIterations);
    }

private:
    static void Report(benchmark::State& state, uint64_t allocations, uint64_t bytes,
                       uint64_t paints, uint64_t faults)
    {
        using benchmark::Counter;
        if (MORVANE_BENCH_COUNT_ALLOCATIONS) {
            state.counters["allocs"] = Counter(double(allocations), Counter::kAvgIterations);
            state.counters["alloc_MB"] =
                Counter(double(bytes) / (1024.0 * 1024.0), Counter::kAvgIterations);
        }
        state.counters["paints"] = Counter(double(paints), Counter::kAvgIterations);
        state.counters["faults"] = Counter(double(faults), Counter::kAvgIterations);
    }

    uint64_t m_allocations = 0;
    uint64_t m_bytes = 0;
    uint64_t m_paints = 0;
    uint64_t m_faults = 0;
    uint64_t m_sumAllocations = 0;
    uint64_t m_sumBytes = 0;
    uint64_t m_sumPaints = 0;
    uint64_t m_sumFaults = 0;
    double m_sumThreadCpu = 0;
};

// ---------------------------------------------------------------------------
// The picture.

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr QSize kViewport(1600, 1000);

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "ui_bench: %s\n", what);
    std::exit(1);
}


QVDIB g_photo;

const QVDIB& Photo()
{
    if (g_photo.IsEmpty())
        if (!MakePhoto(g_photo, kWidth, kHeight))
            Fail("cannot allocate the test picture");
    return g_photo;
}

// The benchmark's own copy of the photo is not part of the program: it is
// dropped before the program's memory is measured (and made again if needed).
void ReleasePhoto()
{
    g_photo.Free();
}

// Resident memory of the whole process now, in MB.
double ResidentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return 0;
    return double(fields[1].toLongLong()) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// ---------------------------------------------------------------------------
// The program's windows.

struct Session
{
    CMainFrame* frame = nullptr;
    QMdiSubWindow* sub = nullptr;
    CChildFrame* child = nullptr;
    CMorvaneView* view = nullptr;
    PaintCounter* paintCounter = nullptr;
};

Session g_session;

CMorvaneView* View()
{
    return g_session.view;
}

QWidget* Viewport()
{
    return g_session.view->viewport();
}

void SettleEvents()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// Resizes the main window until the after view's viewport is exactly kViewport.
void FitViewport()
{
    for (int attempt = 0; attempt < 8 && Viewport()->size() != kViewport; ++attempt) {
        const QSize missing = kViewport - Viewport()->size();
        g_session.frame->resize(g_session.frame->size() + missing);
        SettleEvents();
    }
    if (Viewport()->size() != kViewport) {
        std::fprintf(stderr, "ui_bench: the viewport is %d x %d, not %d x %d\n",
                     Viewport()->width(), Viewport()->height(), kViewport.width(),
                     kViewport.height());
        std::exit(1);
    }
}

// Closes the open document window, if any, without asking to save.
void CloseDocument()
{
    if (!g_session.sub)
        return;
    g_session.child->GetDocument()->SetModifiedFlag(false);
    g_session.sub->close(); // deleted on close
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SettleEvents();
    g_session.sub = nullptr;
    g_session.child = nullptr;
    g_session.view = nullptr;
    g_session.paintCounter = nullptr;
}

// Shows a document in a new window, as opening a file does, with the view at
// zoom 1 scrolled to the middle of the picture and one snapshot in its history.
void AddDocumentWindow(CMorvaneDoc* document)
{
    g_session.child = new CChildFrame(document);
    g_session.sub = g_session.frame->AddChild(g_session.child);
    g_session.child->OnInitialUpdate();
    g_session.view = g_session.child->m_pAfterView;
    if (!QTest::qWaitForWindowExposed(g_session.child))
        Fail("the document window is not exposed");
    FitViewport();
    const QPoint middle((kWidth - kViewport.width()) / 2, (kHeight - kViewport.height()) / 2);
    View()->ScrollToPosition(middle);
    if (View()->m_dZoom != 1.0 || g_session.child->GetActiveView() != View())
        Fail("the after view is not the active view at zoom 1");
    if (View()->GetScrollPosition() != middle)
        Fail("the view cannot scroll to the middle of the picture");
    g_session.paintCounter = new PaintCounter(View());
    Viewport()->installEventFilter(g_session.paintCounter);
}

void OpenDocument()
{
    CloseDocument();
    auto* document = new CMorvaneDoc;
    if (!document->m_dibBefore.CopyFrom(&Photo()) ||
        !document->m_dibAfter.CopyFrom(&document->m_dibBefore))
        Fail("cannot allocate the document");
    document->SetTitle(QStringLiteral("portrait.jpg"));
    AddDocumentWindow(document);
}

void StartProgram()
{
    g_session.frame = new CMainFrame;
    g_session.frame->resize(kViewport + QSize(200, 200));
    g_session.frame->show();
    if (!QTest::qWaitForWindowExposed(g_session.frame))
        Fail("the main window is not exposed");
    OpenDocument();
}

void EndProgram()
{
    CloseDocument();
    delete g_session.frame;
    g_session.frame = nullptr;
}

// A tool at the given brush radius, as the palette and the radius slider set
// them.
void UseTool(int tool, int radius)
{
    CMainFrame* frame = g_session.frame;
    if (frame->m_nCurrentTool != tool)
        frame->OnToolCommand(tool);
    // The slider first: the window's periodic state update applies its position.
    for (QVToolBarSliderButton* button : frame->findChildren<QVToolBarSliderButton*>())
        if (button->CommandId() == ID_RADIUS)
            button->SetValue(radius, false);
    frame->ApplyRadius(radius);
    if (frame->m_nCurrentTool != tool || View()->m_nRadius != radius)
        Fail("cannot choose the tool and radius");
}

void UseCircleStretch(int radius)
{
    UseTool(ID_TOOL_CIRCLE_STRETCH, radius);
}

// ---------------------------------------------------------------------------
// Mouse input, built once and delivered to the viewport as the window would.

QPoint ViewCentre()
{
    return QPoint(kViewport.width() / 2, kViewport.height() / 2);
}

std::unique_ptr<QMouseEvent> MouseEvent(QEvent::Type type, QPoint position, Qt::MouseButton button,
                                        Qt::MouseButtons buttons)
{
    const QPointF local(position);
    return std::make_unique<QMouseEvent>(type, local, QPointF(Viewport()->mapToGlobal(position)),
                                         button, buttons, Qt::NoModifier);
}

void Deliver(QMouseEvent* event)
{
    event->setAccepted(true);
    QApplication::sendEvent(Viewport(), event);
}

struct StrokeEvents
{
    std::unique_ptr<QMouseEvent> press;
    // Cursor positions 0.4 r from the centre along four diagonals: inside the
    // circle, each different from the one before.
    std::array<std::unique_ptr<QMouseEvent>, 4> moves;
    std::unique_ptr<QMouseEvent> release;
    // The same positions with no button held.
    std::array<std::unique_ptr<QMouseEvent>, 4> hovers;
};

StrokeEvents MakeStroke(int radius, QPoint centre = ViewCentre())
{
    StrokeEvents stroke;
    stroke.press = MouseEvent(QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    const int a = int(std::lround(0.32 * radius)), b = int(std::lround(0.24 * radius));
    const QPoint offsets[4] = {{a, b}, {-b, a}, {-a, -b}, {b, -a}};
    for (int i = 0; i < 4; ++i) {
        stroke.moves[size_t(i)] =
            MouseEvent(QEvent::MouseMove, centre + offsets[i], Qt::NoButton, Qt::LeftButton);
        stroke.hovers[size_t(i)] =
            MouseEvent(QEvent::MouseMove, centre + offsets[i], Qt::NoButton, Qt::NoButton);
    }
    stroke.release =
        MouseEvent(QEvent::MouseButtonRelease, centre + offsets[0], Qt::LeftButton, Qt::NoButton);
    return stroke;
}

bool StrokeRunning()
{
    const QVTool& tool = View()->m_tool;
    return tool.m_bWarpReady && tool.m_nState == QVTool::TOOL_WARPING;
}

// A whole stroke: press, one move, release.
void Stroke(const StrokeEvents& stroke)
{
    Deliver(stroke.press.get());
    Deliver(stroke.moves[0].get());
    Deliver(stroke.release.get());
}

// Sum of the display copy's bytes over the square of the circle around the
// stroke's centre.
uint64_t ShownChecksum(int radius)
{
    const QVDIB& shown = View()->m_dibShow;
    const QPoint centre = View()->WindowToImage(ViewCentre().x(), ViewCentre().y());
    const size_t stride = size_t(shown.GetStride());
    uint64_t sum = 0;
    for (int y = std::max(0, centre.y() - radius); y < std::min(kHeight, centre.y() + radius);
         ++y) {
        const uint8_t* row = shown.GetBits() + size_t(y) * stride;
        for (int x = std::max(0, centre.x() - radius); x < std::min(kWidth, centre.x() + radius);
             ++x)
            sum = sum * 31 + row[3 * x] + (uint64_t(row[3 * x + 1]) << 8) +
                  (uint64_t(row[3 * x + 2]) << 16);
    }
    return sum;
}

// Before anything is timed: a stroke's moves really paint, and each move
// re-renders the circle differently.
void CheckStrokeRenders()
{
    constexpr int kRadius = 300;
    UseCircleStretch(kRadius);
    const StrokeEvents stroke = MakeStroke(kRadius);
    Deliver(stroke.press.get());
    if (!StrokeRunning())
        Fail("the press did not start a stroke");
    const uint64_t paints = g_paints;
    Deliver(stroke.moves[0].get());
    const uint64_t first = ShownChecksum(kRadius);
    Deliver(stroke.moves[1].get());
    const uint64_t second = ShownChecksum(kRadius);
    if (g_paints - paints != 2)
        Fail("a move did not paint the viewport once");
    if (first == second)
        Fail("two moves rendered the same circle");
    Deliver(stroke.release.get());
    if (StrokeRunning())
        Fail("the release did not end the stroke");
}

// ---------------------------------------------------------------------------
// Benchmarks.

// A repaint of the whole viewport, no tool work: the display copy converted
// and drawn, and the brush circle.
void BM_Repaint(benchmark::State& state)
{
    UseCircleStretch(300);
    Meter meter;
    for (auto _ : state)
        Viewport()->repaint();
    meter.ReportAll(state);
}

// A repaint of only the brush's square (2 r + 2 pixels a side) around the
// viewport's centre, for comparison with the whole viewport: what painting
// costs when only the area a warp changed is invalidated, with the paint
// handler as it stands.
void BM_RepaintBrushSquare(benchmark::State& state, int radius)
{
    UseCircleStretch(radius);
    const QRect square(ViewCentre() - QPoint(radius + 1, radius + 1),
                       QSize(2 * radius + 2, 2 * radius + 2));
    Meter meter;
    for (auto _ : state)
        Viewport()->repaint(square);
    meter.ReportAll(state);
}

// A mouse move with no button held: the brush circle follows the mouse.
void BM_Hover(benchmark::State& state, int radius)
{
    UseCircleStretch(radius);
    const StrokeEvents stroke = MakeStroke(radius);
    size_t next = 0;
    Meter meter;
    for (auto _ : state)
        Deliver(stroke.hovers[next++ & 3].get());
    meter.ReportAll(state);
}

// A press that starts a stroke; the release that follows is not timed.
void BM_Press(benchmark::State& state, int radius)
{
    UseCircleStretch(radius);
    const StrokeEvents stroke = MakeStroke(radius);
    Meter meter;
    for (auto _ : state) {
        state.SetIterationTime(meter.Measure([&] { Deliver(stroke.press.get()); }));
        if (!StrokeRunning()) {
            state.SkipWithError("the press did not start a stroke");
            break;
        }
        Deliver(stroke.release.get());
    }
    meter.ReportMeasured(state);
}

// One move of a running stroke with the left button held: warp and repaint.
void BM_StrokeMove(benchmark::State& state, int radius)
{
    UseCircleStretch(radius);
    const StrokeEvents stroke = MakeStroke(radius);
    Deliver(stroke.press.get());
    if (!StrokeRunning()) {
        state.SkipWithError("the press did not start a stroke");
        return;
    }
    size_t next = 0;
    Meter meter;
    for (auto _ : state)
        Deliver(stroke.moves[next++ & 3].get());
    meter.ReportAll(state);
    Deliver(stroke.release.get());
}

// The warp of a move alone, as the view's handler runs it (same tool, same
// pictures, same cursor positions), without the event, cursor and repaint.
void BM_StrokeWarpOnly(benchmark::State& state, int radius)
{
    UseCircleStretch(radius);
    const StrokeEvents stroke = MakeStroke(radius);
    Deliver(stroke.press.get());
    if (!StrokeRunning()) {
        state.SkipWithError("the press did not start a stroke");
        return;
    }
    std::array<QPoint, 4> cursors;
    for (size_t i = 0; i < cursors.size(); ++i) {
        const QPointF position = stroke.moves[i]->position();
        cursors[i] = View()->WindowToImage(int(position.x()), int(position.y()));
    }
    size_t next = 0;
    Meter meter;
    for (auto _ : state) {
        const QPoint cursor = cursors[next++ & 3];
        if (!View()->m_tool.Warp(cursor.x(), cursor.y())) {
            state.SkipWithError("the warp refused the cursor");
            break;
        }
        benchmark::ClobberMemory();
    }
    meter.ReportAll(state);
    Deliver(stroke.release.get());
}

// Strokes that keep changing the picture: the same stroke over and over at
// one place pulls the circle towards one colour until a stroke changes
// nothing, so each stroke of a series takes the next of eight centres across
// the viewport and the next of four directions.
class StrokeSeries
{
public:
    explicit StrokeSeries(int radius)
    {
        for (int i = 0; i < 8; ++i)
            m_strokes.push_back(MakeStroke(
                radius, ViewCentre() + QPoint((i % 4 - 2) * 300 + 150, (i / 4) * 300 - 150)));
    }

    // Press and one move of the next stroke; false when no stroke started.
    bool Begin()
    {
        const StrokeEvents& stroke = m_strokes[m_nNext % m_strokes.size()];
        Deliver(stroke.press.get());
        Deliver(stroke.moves[(m_nNext / m_strokes.size()) % 4].get());
        return StrokeRunning();
    }
    void End() { Deliver(m_strokes[m_nNext++ % m_strokes.size()].release.get()); }

private:
    std::vector<StrokeEvents> m_strokes;
    size_t m_nNext = 0;
};

// The release of a stroke (press and a move before it are not timed): the
// stroke's square committed into the document, a snapshot added, a repaint.
// filling: a newly opened document, whose history is not full yet, so no step
// is dropped (the first strokes of a session). Otherwise the history is full
// and every release drops the oldest step.
void BM_Release(benchmark::State& state, int radius, bool filling)
{
    OpenDocument();
    UseCircleStretch(radius);
    StrokeSeries strokes(radius);
    QVUndoRedo& history = View()->m_history;
    if (filling) {
        if (history.GetCount() + state.max_iterations > history.GetCapacity()) {
            state.SkipWithError("the history has no room for that many new snapshots");
            return;
        }
    } else {
        while (history.GetCount() < history.GetCapacity()) {
            if (!strokes.Begin())
                Fail("the press did not start a stroke");
            strokes.End();
        }
    }
    Meter meter;
    for (auto _ : state) {
        if (!strokes.Begin()) {
            state.SkipWithError("the press did not start a stroke");
            break;
        }
        state.SetIterationTime(meter.Measure([&] { strokes.End(); }));
    }
    meter.ReportMeasured(state);
    state.counters["snapshots"] = double(history.GetCount());
    state.counters["history_MB"] = double(history.GetMemoryBytes()) / (1024.0 * 1024.0);
}

// One undo after r=300 strokes (the tiles the step changed copied back into
// the document and the display copy, their repaint); the redo that restores
// the history's state is not timed. Each undo must change the picture.
void BM_Undo(benchmark::State& state)
{
    OpenDocument();
    UseCircleStretch(300);
    StrokeSeries strokes(300);
    for (int i = 0; i < 3; ++i) {
        if (!strokes.Begin())
            Fail("the press did not start a stroke");
        strokes.End();
    }
    const uint64_t stroked = ShownChecksum(300 + 600);
    View()->OnUndo();
    if (ShownChecksum(300 + 600) == stroked)
        Fail("the undo did not change the picture");
    View()->OnRedo();
    Meter meter;
    for (auto _ : state) {
        state.SetIterationTime(meter.Measure([] { View()->OnUndo(); }));
        View()->OnRedo();
    }
    meter.ReportMeasured(state);
}

// One move of a blur or eraser drag at the given radius: the brush, its commit
// into the document and the repaint. The press before is not timed.
void BM_BrushMove(benchmark::State& state, int tool, int radius)
{
    UseTool(tool, radius);
    const StrokeEvents stroke = MakeStroke(radius);
    Deliver(stroke.press.get());
    size_t next = 0;
    Meter meter;
    for (auto _ : state)
        Deliver(stroke.moves[next++ & 3].get());
    meter.ReportAll(state);
    Deliver(stroke.release.get());
}

// The brush of a move alone, at the same image points, on a picture of the
// same size: what BM_BrushMove spends beyond it is the commit, the event and
// the repaint.
void BM_BrushOnly(benchmark::State& state, int tool, int radius)
{
    UseTool(tool, radius);
    const StrokeEvents stroke = MakeStroke(radius);
    std::array<QPoint, 4> cursors;
    for (size_t i = 0; i < cursors.size(); ++i) {
        const QPointF position = stroke.moves[i]->position();
        cursors[i] = View()->WindowToImage(int(position.x()), int(position.y()));
    }
    QVDIB target;
    if (!target.CopyFrom(&View()->GetDocument()->m_dibAfter))
        Fail("CopyFrom failed");
    QVDIB* before = &View()->GetDocument()->m_dibBefore;
    size_t next = 0;
    Meter meter;
    for (auto _ : state) {
        const QPoint cursor = cursors[next++ & 3];
        const bool done = tool == ID_TOOL_BLUR
                              ? QVTool::Blur(radius, &target, cursor.x(), cursor.y())
                              : QVTool::Erase(radius, before, &target, cursor.x(), cursor.y());
        if (!done) {
            state.SkipWithError("the brush refused the cursor");
            break;
        }
        benchmark::ClobberMemory();
    }
    meter.ReportAll(state);
}

// What a brush move's commit copies into the document: the brush's square at
// r = 300 (the view's commit), or the whole picture (a commit that copies it
// all).
void BM_CommitCopy(benchmark::State& state, bool whole)
{
    const QVDIB& shown = View()->m_dibShow;
    QVDIB after;
    if (!after.CopyFrom(&shown))
        Fail("CopyFrom failed");
    const QPoint centre = View()->WindowToImage(ViewCentre().x(), ViewCentre().y());
    const QVRect square = QVTool::BrushRect(&shown, 300, centre.x(), centre.y());
    Meter meter;
    for (auto _ : state) {
        const bool done = whole ? after.CopyFrom(&shown) : QVCopyRect(shown, after, square);
        if (!done) {
            state.SkipWithError("the copy failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    meter.ReportAll(state);
}

// A move of the copy tool holding a patch, no button: the preview of the patch
// under the mouse and the repaint.
void BM_CopyHover(benchmark::State& state, int radius)
{
    UseTool(ID_TOOL_COPY, radius);
    const StrokeEvents stroke = MakeStroke(radius);
    const std::unique_ptr<QMouseEvent> capture = MouseEvent(
        QEvent::MouseButtonPress, ViewCentre(), Qt::RightButton, Qt::RightButton);
    Deliver(capture.get());
    if (!View()->m_tool.m_bCopyReady) {
        state.SkipWithError("the right press took no patch");
        return;
    }
    size_t next = 0;
    Meter meter;
    for (auto _ : state)
        Deliver(stroke.hovers[next++ & 3].get());
    meter.ReportAll(state);
    View()->m_tool.ReleaseCopy();
}

// The resident memory of the program after 15 circle-stretch strokes of
// radius 300 on the 24 MP photo opened from a file, at different places of the
// viewport. The benchmark's own copy of the photo is dropped first and the C
// library hands back what earlier benchmarks freed, so what remains is the
// program's.
void BM_MemoryAfterStrokes(benchmark::State& state)
{
    constexpr int kRadius = 300;
    constexpr int kStrokes = 15;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("photo.bmp"));
    if (!folder.isValid() || !QVDIB::SaveToFile(&Photo(), path)) {
        state.SkipWithError("cannot write the photo");
        return;
    }
    double resident = 0, opened = 0;
    for (auto _ : state) {
        CloseDocument();
        ReleasePhoto();
        malloc_trim(0);
        const double empty = ResidentMegabytes();
        auto* document = new CMorvaneDoc;
        if (!document->OnOpenDocument(path))
            Fail("cannot open the photo");
        document->SetPathName(path, false);
        AddDocumentWindow(document);
        opened = ResidentMegabytes() - empty;
        UseCircleStretch(kRadius);
        for (int i = 0; i < kStrokes; ++i) {
            const QPoint centre(300 + 250 * (i % 5), 300 + 200 * (i / 5));
            const StrokeEvents stroke = MakeStroke(kRadius, centre);
            Stroke(stroke);
        }
        resident = ResidentMegabytes();
        state.counters["empty_MB"] = empty;
    }
    state.counters["opened_MB"] = opened;
    state.counters["rss_MB"] = resident;
    state.counters["snapshots"] = double(View()->m_history.GetCount());
    state.counters["history_MB"] = double(View()->m_history.GetMemoryBytes()) / (1024.0 * 1024.0);
}

// The main window's periodic refresh of every command's state (every
// CMainFrame::kStateUpdateMs while the program is idle, strokes included).
void BM_UpdateCommandStates(benchmark::State& state)
{
    UseCircleStretch(300);
    Meter meter;
    for (auto _ : state)
        g_session.frame->UpdateCommandStates();
    meter.ReportAll(state);
}

void RegisterAll()
{
    using benchmark::kMillisecond;
    benchmark::RegisterBenchmark("Repaint/viewport", BM_Repaint)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("Repaint/brush_square/r300", BM_RepaintBrushSquare, 300)
        ->Unit(kMillisecond);
    benchmark::RegisterBenchmark("Hover/r300", BM_Hover, 300)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("Press/r300", BM_Press, 300)->Unit(kMillisecond)->UseManualTime();
    for (int radius : {100, 300})
        benchmark::RegisterBenchmark(("StrokeMove/r" + std::to_string(radius)).c_str(),
                                     BM_StrokeMove, radius)
            ->Unit(kMillisecond);
    for (int radius : {100, 300})
        benchmark::RegisterBenchmark(("StrokeMove/warp_only/r" + std::to_string(radius)).c_str(),
                                     BM_StrokeWarpOnly, radius)
            ->Unit(kMillisecond);
    // A new document has one snapshot: nine releases fill its history.
    benchmark::RegisterBenchmark("Release/r300/history_filling", BM_Release, 300, true)
        ->Unit(kMillisecond)
        ->UseManualTime()
        ->Iterations(QVUndoRedo::kHistoryCapacity - 1);
    benchmark::RegisterBenchmark("Release/r300/history_full", BM_Release, 300, false)
        ->Unit(kMillisecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("Undo", BM_Undo)->Unit(kMillisecond)->UseManualTime();
    benchmark::RegisterBenchmark("UpdateCommandStates", BM_UpdateCommandStates)
        ->Unit(kMillisecond);
    for (int tool : {int(ID_TOOL_BLUR), int(ID_TOOL_ERASER)}) {
        const std::string name = tool == ID_TOOL_BLUR ? "blur" : "eraser";
        benchmark::RegisterBenchmark(("BrushMove/" + name + "/r300").c_str(), BM_BrushMove, tool,
                                     300)
            ->Unit(kMillisecond);
        benchmark::RegisterBenchmark(("BrushMove/" + name + "_only/r300").c_str(), BM_BrushOnly,
                                     tool, 300)
            ->Unit(kMillisecond);
    }
    benchmark::RegisterBenchmark("Commit/brush_square/r300", BM_CommitCopy, false)
        ->Unit(kMillisecond);
    benchmark::RegisterBenchmark("Commit/whole_picture", BM_CommitCopy, true)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("CopyHover/r300", BM_CopyHover, 300)->Unit(kMillisecond);
    // Last: it drops the benchmark's photo and measures the whole process.
    benchmark::RegisterBenchmark("Memory/15_strokes_r300", BM_MemoryAfterStrokes)
        ->Unit(kMillisecond)
        ->Iterations(1);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    StartProgram();
    CheckStrokeRenders();
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    EndProgram();
    return 0;
}
