// The image view and the document window, driven with real mouse input on the
// views' viewports: where the picture lands and how it is painted, the
// conversions between client and image coordinates, zoom and scrolling in step
// between the two views, the display modes of the frame, the tools' strokes and
// when they reach the document, the undo history, the overlays and the cursors.

#include "app/QVCommandIds.h"
#include "app/QVMessageBox.h"
#include "document/CMorvaneDoc.h"
#include "engine/image/QVClosedCurve.h"
#include "engine/history/QVSnapshot.h"
#include "engine/image/QVDIB.h"
#include "res/QVArt.h"
#include "view/CChildFrame.h"
#include "view/CMorvaneView.h"
#include "engine/warp/QVTool.h"
#include "engine/warp/QVWarpControl.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include <cstring>
#include <memory>
#include <vector>

namespace {

const QRgb kGrey = qRgb(192, 192, 192);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kCircleGrey = qRgb(102, 102, 102);
const QRgb kHandleRed = qRgb(255, 0, 0);
const QRgb kCurveGreen = qRgb(0, 255, 0);
const QString kTitle = QStringLiteral("portrait.jpg");

// Neighbouring pixels and channels differ, and red is never equal to blue, so
// no pixel of a picture is grey, black, pure red or pure green: every overlay
// and background colour on screen can be told from the picture.
uint8_t PatternByte(int x, int y, int k, int seed)
{
    const int blue = (x * 37 + y * 91 + (x * y) % 17 + seed * 101) & 0xFF;
    if (k == 0) return uint8_t(blue);
    if (k == 1) return uint8_t((x * 11 + y * 53 + 29 + seed * 7) & 0xFF);
    return uint8_t((blue + 128) & 0xFF);
}

bool FillPicture(QVDIB& picture, QSize size, int seed)
{
    if (!picture.Create(size.width(), size.height(), 24)) return false;
    for (int y = 0; y < size.height(); ++y) {
        uint8_t* row = picture.GetBits() + size_t(y) * size_t(picture.GetStride());
        for (int x = 0; x < size.width(); ++x)
            for (int k = 0; k < 3; ++k)
                row[3 * x + k] = PatternByte(x, y, k, seed);
    }
    return true;
}

// Pixel (column, row) of a picture; row 0 is the bottom row.
QRgb PictureRgb(const QVDIB& picture, int column, int row)
{
    const uint8_t* p =
        picture.GetBits() + size_t(row) * size_t(picture.GetStride()) + size_t(column) * 3;
    return qRgb(p[2], p[1], p[0]);
}

bool SamePixels(const QVDIB& a, const QVDIB& b)
{
    return a.SameGeometry(b) &&
           std::memcmp(a.GetBits(), b.GetBits(), a.GetHeader()->biSizeImage) == 0;
}

// The whole picture a snapshot of the history holds, compared.
bool SamePixels(const QVSnapshot& snapshot, const QVDIB& b)
{
    QVDIB a;
    return snapshot.CopyTo(a) && SamePixels(a, b);
}

QImage Grab(const CMorvaneView* view)
{
    return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000u;
}

QString Rgb(QRgb c)
{
    return QStringLiteral("(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

// Empty when every pixel of the image has the expected colour, otherwise the
// first difference and how many pixels differ.
template <typename Expected> QString Mismatch(const QImage& image, Expected expected)
{
    int count = 0;
    QString first;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb want = expected(x, y) | 0xFF000000u;
            if (At(image, x, y) == want) continue;
            if (count++ == 0)
                first = QStringLiteral("at (%1, %2): %3, expected %4")
                            .arg(x)
                            .arg(y)
                            .arg(Rgb(At(image, x, y)), Rgb(want));
        }
    return count ? QStringLiteral("%1 pixels differ, first %2").arg(count).arg(first) : QString();
}

void Settle()
{
    // Scroll bars show and hide through queued calls; the views then resize.
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

// A move with no button held, as the mouse passes over the view.
void Hover(const CMorvaneView* view, QPoint position)
{
    QWidget* port = view->viewport();
    QMouseEvent move(QEvent::MouseMove, QPointF(position), QPointF(port->mapToGlobal(position)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(port, &move);
}

// Press at the first point, move with the left button through the others,
// release at the last.
void Drag(const CMorvaneView* view, const QList<QPoint>& path)
{
    QWidget* port = view->viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, path.first());
    for (qsizetype i = 1; i < path.size(); ++i)
        QTest::mouseMove(port, path[i]);
    QTest::mouseRelease(port, Qt::LeftButton, {}, path.last());
}

bool HasCursor(const CMorvaneView* view, int cursorId)
{
    const QCursor cursor = view->viewport()->cursor();
    const QImage expected =
        QVArt::ToolCursor(cursorId).pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    return cursor.shape() == Qt::BitmapCursor &&
           cursor.hotSpot() == QVArt::CursorHotSpot(cursorId) &&
           cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32) == expected;
}

int WarpKind(int tool)
{
    return tool == ID_TOOL_CIRCLE_STRETCH || tool == ID_TOOL_REGION_STRETCH
               ? QVWarpControl::WARP_STRETCH
               : QVWarpControl::WARP_SHRINK_EXPAND;
}

} // namespace

class TestView : public QObject
{
    Q_OBJECT

private:
    // A document window over a picture of the given size, in After mode with
    // its client area of the given size. The after-image is the before-image
    // unless afterSeed asks for a different picture.
    bool Open(QSize picture, QSize client, int afterSeed = 0)
    {
        auto* doc = new CMorvaneDoc;
        if (!FillPicture(doc->m_dibBefore, picture, 0)) return false;
        const bool after = afterSeed ? FillPicture(doc->m_dibAfter, picture, afterSeed)
                                     : doc->m_dibAfter.CopyFrom(&doc->m_dibBefore);
        if (!after || !m_original.CopyFrom(&doc->m_dibAfter) ||
            !m_before.CopyFrom(&doc->m_dibBefore))
            return false;
        doc->SetTitle(kTitle);
        m_frame.reset(new CChildFrame(doc));
        m_frame->resize(client);
        m_frame->show();
        if (!QTest::qWaitForWindowExposed(m_frame.get())) return false;
        m_frame->OnInitialUpdate();
        Tool(m_nTool);
        Settle();
        return true;
    }

    // Resizes the frame (in a single display mode) until the shown view's
    // client area has the given size, whichever scroll bars it needs.
    bool SetViewportSize(const CMorvaneView* view, QSize size)
    {
        for (int attempt = 0; attempt < 4; ++attempt) {
            Settle();
            const QSize difference = size - view->viewport()->size();
            if (difference.isNull()) return true;
            m_frame->resize(m_frame->size() + difference);
        }
        Settle();
        return view->viewport()->size() == size;
    }

    bool Mode(int command)
    {
        const bool done = m_frame->OnCmdMsg(command);
        Settle();
        return done;
    }

    // Hands a tool to the views, as the main frame does when the user picks one.
    void Tool(int id)
    {
        m_nTool = id;
        if (m_frame)
            for (CMorvaneView* view : {BeforeView(), AfterView()})
                view->SetCurrentTool(id);
    }

    CMorvaneDoc* Doc() const { return m_frame->GetDocument(); }
    CMorvaneView* AfterView() const { return m_frame->m_pAfterView; }

    // The after view over a picture at zoom in a viewport of client's size,
    // scrolled to scroll; nullptr when any of that fails.
    CMorvaneView* OpenAt(QSize picture, double zoom, QSize client, QPoint scroll)
    {
        if (!Open(picture, client))
            return nullptr;
        CMorvaneView* view = AfterView();
        if (!view->SetZoom(zoom) || !SetViewportSize(view, client))
            return nullptr;
        view->ScrollToPosition(scroll);
        return view->GetScrollPosition() == scroll ? view : nullptr;
    }
    CMorvaneView* BeforeView() const { return m_frame->m_pBeforeView; }
    const QVDIB& AfterImage() const { return Doc()->m_dibAfter; }

    QTemporaryDir m_settings;
    int m_nTool = ID_TOOL_HAND;
    std::unique_ptr<CChildFrame> m_frame;
    // The after-image and the before-image the document was opened with.
    QVDIB m_original;
    QVDIB m_before;

private slots:
    void initTestCase()
    {
        QVERIFY(m_settings.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
        QVMessageBox::SetHook(
            [](const QString& text, QMessageBox::Icon, QMessageBox::StandardButtons) {
                qWarning("unexpected message: %s", qPrintable(text));
                return QMessageBox::No;
            });
    }

    void init() { Tool(ID_TOOL_HAND); }

    void cleanup() { m_frame.reset(); }

    void cleanupTestCase()
    {
        QVMessageBox::SetHook({});
    }

    // ---- painting ---------------------------------------------------------------

    void paintsThePictureInPlace_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QPoint>("scroll");
        QTest::addColumn<bool>("horizontalBar");
        QTest::addColumn<bool>("verticalBar");

        QTest::newRow("centred, framed, no scroll bars")
            << QSize(400, 300) << 1 << QSize(600, 500) << QPoint(0, 0) << false << false;
        QTest::newRow("larger than the view fills it")
            << QSize(700, 600) << 1 << QSize(500, 400) << QPoint(0, 0) << true << true;
        QTest::newRow("larger than the view, scrolled")
            << QSize(700, 600) << 1 << QSize(500, 400) << QPoint(50, 40) << true << true;
        QTest::newRow("wider but lower: bands above and below")
            << QSize(800, 200) << 1 << QSize(600, 480) << QPoint(0, 0) << true << false;
        QTest::newRow("higher but narrower: bands left and right")
            << QSize(200, 800) << 1 << QSize(580, 500) << QPoint(0, 0) << false << true;
        QTest::newRow("zoom 2 doubles every pixel")
            << QSize(100, 100) << 2 << QSize(600, 500) << QPoint(0, 0) << false << false;
        QTest::newRow("zoom 2, scrolled")
            << QSize(100, 100) << 2 << QSize(150, 150) << QPoint(20, 30) << true << true;
    }

    // Every client pixel: the picture (top row first, each image pixel a
    // zoom x zoom block), its 1-pixel black frame just outside, grey around.
    void paintsThePictureInPlace()
    {
        QFETCH(QSize, picture);
        QFETCH(int, zoom);
        QFETCH(QSize, client);
        QFETCH(QPoint, scroll);
        QFETCH(bool, horizontalBar);
        QFETCH(bool, verticalBar);

        QVERIFY(Open(picture, client + QSize(20, 20)));
        CMorvaneView* view = AfterView();
        QVERIFY(view->SetZoom(zoom));
        QVERIFY(SetViewportSize(view, client));
        view->ScrollToPosition(scroll);
        Settle();
        QCOMPARE(view->GetScrollPosition(), scroll);
        QCOMPARE(view->horizontalScrollBar()->isVisible(), horizontalBar);
        QCOMPARE(view->verticalScrollBar()->isVisible(), verticalBar);

        const int W = client.width(), H = client.height();
        const int sw = picture.width() * zoom, sh = picture.height() * zoom;
        const int ox = W > sw ? (W - sw) / 2 : 0, oy = H > sh ? (H - sh) / 2 : 0;
        const int R = ox > 0 ? ox + sw : W, B = oy > 0 ? oy + sh : H;
        const QVDIB& shown = m_original;
        const QString mismatch = Mismatch(Grab(view), [&](int x, int y) {
            if (x >= ox && x < R && y >= oy && y < B) {
                const int column = (x - ox + scroll.x()) / zoom;
                const int topRow = (y - oy + scroll.y()) / zoom;
                return PictureRgb(shown, column, picture.height() - 1 - topRow);
            }
            const bool frame = ((x == ox - 1 || x == R) && y >= oy - 1 && y <= B) ||
                               ((y == oy - 1 || y == B) && x >= ox - 1 && x <= R);
            return frame ? kBlack : kGrey;
        });
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    // ---- coordinates ------------------------------------------------------------

    void convertsClientToImage_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QPoint>("scroll");
        QTest::addColumn<QPoint>("clientPoint");
        QTest::addColumn<QPoint>("imagePoint");
        QTest::addColumn<QPoint>("back"); // the image point converted back

        QTest::newRow("zoom 2, no margins")
            << QSize(100, 100) << 2.0 << QSize(150, 150) << QPoint(0, 0) << QPoint(10, 10)
            << QPoint(5, 94) << QPoint(10, 10);
        QTest::newRow("zoom 2, scrolled")
            << QSize(100, 100) << 2.0 << QSize(150, 150) << QPoint(20, 30) << QPoint(10, 10)
            << QPoint(15, 79) << QPoint(10, 10);
        QTest::newRow("top-left pixel of a centred picture")
            << QSize(400, 300) << 1.0 << QSize(600, 500) << QPoint(0, 0) << QPoint(100, 100)
            << QPoint(0, 299) << QPoint(100, 100);
        QTest::newRow("bottom-right pixel of a centred picture")
            << QSize(400, 300) << 1.0 << QSize(600, 500) << QPoint(0, 0) << QPoint(499, 399)
            << QPoint(399, 0) << QPoint(499, 399);
        QTest::newRow("grey margin on the left: negative column")
            << QSize(400, 300) << 1.0 << QSize(600, 500) << QPoint(0, 0) << QPoint(50, 200)
            << QPoint(-49, 199) << QPoint(51, 200);
        QTest::newRow("grey margin above: row beyond the top")
            << QSize(400, 300) << 1.0 << QSize(600, 500) << QPoint(0, 0) << QPoint(300, 20)
            << QPoint(200, 379) << QPoint(300, 20);
        QTest::newRow("half a pixel into the margin truncates to 0")
            << QSize(400, 300) << 1.0 << QSize(600, 500) << QPoint(0, 0) << QPoint(99, 250)
            << QPoint(0, 149) << QPoint(100, 250);
        QTest::newRow("zoom 0.5, centred")
            << QSize(400, 300) << 0.5 << QSize(600, 500) << QPoint(0, 0) << QPoint(300, 250)
            << QPoint(200, 149) << QPoint(300, 250);
        QTest::newRow("zoom 3, centred")
            << QSize(100, 100) << 3.0 << QSize(600, 500) << QPoint(0, 0) << QPoint(151, 101)
            << QPoint(0, 99) << QPoint(150, 100);
        QTest::newRow("half-pixel margins are not rounded")
            << QSize(101, 101) << 1.0 << QSize(600, 500) << QPoint(0, 0) << QPoint(250, 200)
            << QPoint(1, 100) << QPoint(251, 200);
    }

    void convertsClientToImage()
    {
        QFETCH(QSize, picture);
        QFETCH(double, zoom);
        QFETCH(QSize, client);
        QFETCH(QPoint, scroll);
        QFETCH(QPoint, clientPoint);
        QFETCH(QPoint, imagePoint);
        QFETCH(QPoint, back);

        CMorvaneView* view = OpenAt(picture, zoom, client, scroll);
        QVERIFY(view);
        QCOMPARE(view->WindowToImage(clientPoint.x(), clientPoint.y()), imagePoint);
        QCOMPARE(view->ImageToWindow(imagePoint.x(), imagePoint.y()), back);
    }

    void imagePointsSurviveTheRoundTrip_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QPoint>("scroll");

        QTest::newRow("zoom 1, centred")
            << QSize(400, 300) << 1.0 << QSize(600, 500) << QPoint(0, 0);
        QTest::newRow("zoom 1, scrolled")
            << QSize(400, 300) << 1.0 << QSize(150, 150) << QPoint(77, 41);
        QTest::newRow("zoom 2, scrolled")
            << QSize(100, 100) << 2.0 << QSize(150, 150) << QPoint(20, 30);
        QTest::newRow("zoom 3, odd scroll")
            << QSize(100, 100) << 3.0 << QSize(150, 150) << QPoint(57, 101);
        QTest::newRow("zoom 16, deep")
            << QSize(100, 100) << 16.0 << QSize(150, 150) << QPoint(1000, 333);
        QTest::newRow("zoom 2, centred one way")
            << QSize(100, 40) << 2.0 << QSize(150, 150) << QPoint(25, 0);
    }

    void imagePointsSurviveTheRoundTrip()
    {
        QFETCH(QSize, picture);
        QFETCH(double, zoom);
        QFETCH(QSize, client);
        QFETCH(QPoint, scroll);

        CMorvaneView* view = OpenAt(picture, zoom, client, scroll);
        QVERIFY(view);
        // Every pixel on screen. A pixel that starts just off the left or top
        // edge rounds toward zero onto client 0, so the edge itself is left out.
        int checked = 0;
        const QRect inner = view->viewport()->rect().adjusted(1, 1, 0, 0);
        for (int row = 0; row < picture.height(); ++row)
            for (int column = 0; column < picture.width(); ++column) {
                const QPoint c = view->ImageToWindow(column, row);
                if (!inner.contains(c)) continue;
                ++checked;
                QCOMPARE(view->WindowToImage(c.x(), c.y()), QPoint(column, row));
            }
        QVERIFY(checked > 40);
    }

    // ---- zoom -------------------------------------------------------------------

    void zoomStepsAlongTheLadder()
    {
        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        CMorvaneView* view = AfterView();
        QVERIFY(view->m_dZoom == 1.0);
        for (int tenths = 9; tenths >= 1; --tenths) {
            view->OnZoomOut();
            QVERIFY2(view->m_dZoom == tenths / 10.0,
                     qPrintable(QString::number(view->m_dZoom, 'g', 17)));
        }
        QVERIFY(view->m_dZoom == 0.1);
        view->OnZoomOut(); // 0 is no zoom factor
        QVERIFY(view->m_dZoom == 0.1);
        for (int tenths = 2; tenths <= 10; ++tenths) {
            view->OnZoomIn();
            QVERIFY2(view->m_dZoom == tenths / 10.0,
                     qPrintable(QString::number(view->m_dZoom, 'g', 17)));
        }
        QVERIFY(view->m_dZoom == 1.0);
        for (int factor = 2; factor <= 16; ++factor) {
            view->OnZoomIn();
            QVERIFY(view->m_dZoom == factor);
        }
        view->OnZoomIn(); // 17 is too deep
        QVERIFY(view->m_dZoom == 16.0);
        view->OnUnzoom();
        QVERIFY(view->m_dZoom == 1.0);
        QVERIFY(view->SetZoom(0.3));
        view->OnUnzoom();
        QVERIFY(view->m_dZoom == 1.0);
        view->OnZoomOut();
        view->OnZoomOut();
        QVERIFY(view->m_dZoom == 0.8);
        view->OnZoomIn();
        view->OnZoomIn();
        view->OnZoomIn();
        QVERIFY(view->m_dZoom == 2.0);
        view->OnZoomOut();
        view->OnZoomOut();
        QVERIFY(view->m_dZoom == 0.9);
    }

    void zoomStepsFromOffTheLadder_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<bool>("in");
        QTest::addColumn<double>("expected");

        QTest::newRow("1.5 in") << 1.5 << true << 2.5;
        QTest::newRow("2.5 out") << 2.5 << false << 1.5;
    }

    // A step adds or takes exactly 1 above zoom 1.
    void zoomStepsFromOffTheLadder()
    {
        QFETCH(double, start);
        QFETCH(bool, in);
        QFETCH(double, expected);

        QVERIFY(Open(QSize(100, 100), QSize(300, 300)));
        CMorvaneView* view = AfterView();
        QVERIFY(view->SetZoom(start));
        in ? view->OnZoomIn() : view->OnZoomOut();
        QCOMPARE(view->m_dZoom, expected);
    }

    void fitInWindowShowsTheWholePicture_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("mode");
        QTest::addColumn<double>("zoom");
        // Width decides: 700 / 3000 below 500 / 2000.
        QTest::newRow("big photo") << QSize(3000, 2000) << QSize(700, 500) << 1 << 700.0 / 3000;
        QTest::newRow("height decides") << QSize(1000, 2000) << QSize(700, 500) << 1 << 0.25;
        QTest::newRow("small picture") << QSize(100, 50) << QSize(700, 500) << 1 << 7.0;
        QTest::newRow("tiny picture, up to 16") << QSize(10, 10) << QSize(700, 500) << 1 << 16.0;
        QTest::newRow("very wide, down to 0.1") << QSize(9000, 20) << QSize(700, 500) << 1 << 0.1;
        // Side by side: each view has half the width.
        QTest::newRow("left right") << QSize(3000, 2000) << QSize(700, 500) << 2 << 350.0 / 3000;
    }

    void fitInWindowShowsTheWholePicture()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, client);
        QFETCH(int, mode);
        QFETCH(double, zoom);
        QVERIFY(Open(picture, client));
        QVERIFY(Mode(ID_MODE_BEFORE + mode));
        CMorvaneView* view = AfterView();
        // From a zoom with scroll bars, scrolled.
        QVERIFY(view->SetZoom(2));
        Settle();
        view->ScrollToPosition(QPoint(50, 30));
        QVERIFY(view->OnCmdMsg(ID_ZOOM_FIT));
        Settle();
        QCOMPARE(view->m_dZoom, zoom);
        if (zoom > CMorvaneView::kMinZoom) {
            // Nothing left to scroll: the whole picture is in view.
            QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
            QCOMPARE(view->verticalScrollBar()->maximum(), 0);
            QCOMPARE(view->GetVisibleImageRect(), (QVRect{0, 0, picture.width(), picture.height()}));
        }
        if (mode == 2)
            QCOMPARE(BeforeView()->m_dZoom, zoom);
        // The ladder itself is unchanged: zoom in steps from the fitted factor.
        if (zoom < 1) {
            view->OnZoomIn();
            QCOMPARE(view->m_dZoom, zoom + 0.1);
        }
    }

    void setZoomAcceptsOnlyUpTo16_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("0") << 0.0 << false;
        QTest::newRow("-1") << -1.0 << false;
        QTest::newRow("17") << 17.0 << false;
        QTest::newRow("just above 16") << 16.000001 << false;
        QTest::newRow("16") << 16.0 << true;
        QTest::newRow("2.5") << 2.5 << true;
        QTest::newRow("0.05") << 0.05 << true;
    }

    // An accepted factor sets the scroll sizes to the scaled picture.
    void setZoomAcceptsOnlyUpTo16()
    {
        QFETCH(double, zoom);
        QFETCH(bool, accepted);

        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        CMorvaneView* view = AfterView();
        QVERIFY(view->SetZoom(3));
        Settle();
        view->ScrollToPosition(QPoint(100, 80));
        const QPoint scroll = view->GetScrollPosition();
        QCOMPARE(view->SetZoom(zoom), accepted);
        Settle();
        const double now = accepted ? zoom : 3.0;
        QVERIFY(view->m_dZoom == now);
        const int width = int(400 * now), height = int(300 * now);
        QCOMPARE(view->horizontalScrollBar()->maximum(),
                 std::max(0, width - view->viewport()->width()));
        QCOMPARE(view->verticalScrollBar()->maximum(),
                 std::max(0, height - view->viewport()->height()));
        if (!accepted) QCOMPARE(view->GetScrollPosition(), scroll);
        QCOMPARE(BeforeView()->m_dZoom, 1.0);
    }

    // ---- the two views in step --------------------------------------------------

    void partnerFollowsInCombinedModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("actorIsAfter");
        QTest::addColumn<bool>("scroll");
        QTest::addColumn<bool>("follows");

        QTest::newRow("left/right, zoom the after view")
            << int(ID_MODE_LEFT_RIGHT) << true << false << true;
        QTest::newRow("left/right, zoom the before view")
            << int(ID_MODE_LEFT_RIGHT) << false << false << true;
        QTest::newRow("left/right, scroll the after view")
            << int(ID_MODE_LEFT_RIGHT) << true << true << true;
        QTest::newRow("top/bottom, scroll the before view")
            << int(ID_MODE_TOP_BOTTOM) << false << true << true;
        QTest::newRow("top/bottom, zoom the after view")
            << int(ID_MODE_TOP_BOTTOM) << true << false << true;
        QTest::newRow("after mode: hidden before view keeps its zoom")
            << int(ID_MODE_AFTER) << true << false << false;
        QTest::newRow("after mode: hidden before view keeps its place")
            << int(ID_MODE_AFTER) << true << true << false;
        QTest::newRow("before mode: hidden after view keeps its place")
            << int(ID_MODE_BEFORE) << false << true << false;
    }

    void partnerFollowsInCombinedModes()
    {
        QFETCH(int, mode);
        QFETCH(bool, actorIsAfter);
        QFETCH(bool, scroll);
        QFETCH(bool, follows);

        QVERIFY(Open(QSize(400, 300), QSize(800, 600)));
        QVERIFY(Mode(mode));
        CMorvaneView* actor = actorIsAfter ? AfterView() : BeforeView();
        CMorvaneView* partner = actorIsAfter ? BeforeView() : AfterView();
        actor->OnZoomIn();
        actor->OnZoomIn();
        Settle();
        QVERIFY(actor->m_dZoom == 3.0);
        if (scroll) {
            actor->horizontalScrollBar()->setValue(120);
            actor->verticalScrollBar()->setValue(70);
            Settle();
            QCOMPARE(actor->GetScrollPosition(), QPoint(120, 70));
        }
        if (follows) {
            QVERIFY(partner->m_dZoom == actor->m_dZoom);
            QCOMPARE(partner->GetScrollPosition(), actor->GetScrollPosition());
            // Both pictures are the same, so both views must show the same.
            QCOMPARE(Grab(partner), Grab(actor));
        } else {
            QVERIFY(partner->m_dZoom == 1.0);
            QCOMPARE(partner->GetScrollPosition(), QPoint(0, 0));
        }
    }

    void switchingModesHandsOverZoomAndPlace_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QPoint>("scroll"); // (-1, -1): as far as it goes
        QTest::addColumn<bool>("handedOver");

        QTest::newRow("after to before")
            << int(ID_MODE_AFTER) << int(ID_MODE_BEFORE) << QPoint(100, 50) << true;
        QTest::newRow("before to after")
            << int(ID_MODE_BEFORE) << int(ID_MODE_AFTER) << QPoint(100, 50) << true;
        // The view coming into sight gets its scroll bars only once shown; the
        // position it takes must still be the far end.
        QTest::newRow("after to before, scrolled to the end")
            << int(ID_MODE_AFTER) << int(ID_MODE_BEFORE) << QPoint(-1, -1) << true;
        QTest::newRow("before to after, scrolled to the end")
            << int(ID_MODE_BEFORE) << int(ID_MODE_AFTER) << QPoint(-1, -1) << true;
        QTest::newRow("after to left/right")
            << int(ID_MODE_AFTER) << int(ID_MODE_LEFT_RIGHT) << QPoint(40, 50) << true;
        QTest::newRow("before to top/bottom")
            << int(ID_MODE_BEFORE) << int(ID_MODE_TOP_BOTTOM) << QPoint(40, 50) << true;
        // Zoomed without a scroll step, so the after view is not in step.
        QTest::newRow("left/right to after hands nothing over")
            << int(ID_MODE_LEFT_RIGHT) << int(ID_MODE_AFTER) << QPoint(0, 0) << false;
    }

    // The view on show before the switch gives its zoom and scroll position to
    // the view that becomes visible.
    void switchingModesHandsOverZoomAndPlace()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QPoint, scroll);
        QFETCH(bool, handedOver);

        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        QVERIFY(Mode(from));
        CMorvaneView* source = from == ID_MODE_AFTER ? AfterView() : BeforeView();
        CMorvaneView* target = to == ID_MODE_BEFORE    ? BeforeView()
                               : to == ID_MODE_AFTER   ? AfterView()
                               : source == AfterView() ? BeforeView()
                                                       : AfterView();
        QVERIFY(source != target);
        QVERIFY(source->SetZoom(3));
        Settle();
        if (scroll == QPoint(-1, -1))
            scroll = QPoint(source->horizontalScrollBar()->maximum(),
                            source->verticalScrollBar()->maximum());
        source->ScrollToPosition(scroll);
        Settle();
        QCOMPARE(source->GetScrollPosition(), scroll);
        const QImage shownBefore = Grab(source);

        QVERIFY(Mode(to));
        if (!handedOver) {
            QVERIFY(target->m_dZoom == 1.0);
            QCOMPARE(target->GetScrollPosition(), QPoint(0, 0));
            return;
        }
        QVERIFY(target->m_dZoom == 3.0);
        QCOMPARE(target->GetScrollPosition(), source->GetScrollPosition());
        if (to == ID_MODE_BEFORE || to == ID_MODE_AFTER) {
            // Same picture, same client size: the new view shows what the old one did.
            QCOMPARE(source->GetScrollPosition(), scroll);
            QCOMPARE(Grab(target), shownBefore);
        }
    }

    // ---- the document window ----------------------------------------------------

    void newFrameShowsTheAfterView()
    {
        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        QCOMPARE(m_frame->m_nDisplayMode, int(CChildFrame::DISPLAY_AFTER));
        QVERIFY(AfterView()->isVisible());
        QVERIFY(!BeforeView()->isVisible());
        QCOMPARE(AfterView()->geometry(), QRect(0, 0, 600, 500));
        QCOMPARE(m_frame->ShownTitle(), QStringLiteral("portrait.jpg @After"));
        QCOMPARE(m_frame->GetActiveView(), AfterView());
        QVERIFY(AfterView()->m_bAfter);
        QVERIFY(!BeforeView()->m_bAfter);
        QCOMPARE(AfterView()->GetDocument(), Doc());
        QCOMPARE(BeforeView()->GetDocument(), Doc());
        // Only the after view keeps a display copy and a history.
        QVERIFY(SamePixels(AfterView()->m_dibShow, AfterImage()));
        QCOMPARE(AfterView()->m_history.GetCount(), 1);
        QVERIFY(SamePixels(*AfterView()->m_history.GetSnapshot(0), m_original));
        QVERIFY(BeforeView()->m_dibShow.IsEmpty());
        QCOMPARE(BeforeView()->m_history.GetCount(), 0);
        QVERIFY(!Doc()->IsModified());

        // Save As renames the document: the title follows.
        Doc()->SetTitle(QStringLiteral("face.png"));
        QCOMPARE(m_frame->ShownTitle(), QStringLiteral("face.png @After"));
    }

    void displayModesLayOutTheViews_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QRect>("before"); // null: hidden
        QTest::addColumn<QRect>("after");
        QTest::addColumn<QSize>("resized");
        QTest::addColumn<QRect>("beforeResized");
        QTest::addColumn<QRect>("afterResized");
        QTest::addColumn<QString>("name");

        QTest::newRow("before") << int(ID_MODE_BEFORE) << QSize(600, 500) << QRect(0, 0, 600, 500)
                                << QRect() << QSize(700, 401) << QRect(0, 0, 700, 401) << QRect()
                                << QStringLiteral("Before");
        QTest::newRow("after") << int(ID_MODE_AFTER) << QSize(600, 500) << QRect()
                               << QRect(0, 0, 600, 500) << QSize(700, 401) << QRect()
                               << QRect(0, 0, 700, 401) << QStringLiteral("After");
        QTest::newRow("left/right, odd width")
            << int(ID_MODE_LEFT_RIGHT) << QSize(801, 500) << QRect(0, 0, 400, 500)
            << QRect(400, 0, 400, 500) << QSize(1001, 401) << QRect(0, 0, 500, 401)
            << QRect(500, 0, 500, 401) << QStringLiteral("Combined");
        QTest::newRow("top/bottom, odd height")
            << int(ID_MODE_TOP_BOTTOM) << QSize(600, 501) << QRect(0, 0, 600, 250)
            << QRect(0, 250, 600, 250) << QSize(701, 400) << QRect(0, 0, 701, 200)
            << QRect(0, 200, 701, 200) << QStringLiteral("Combined");
    }

    void displayModesLayOutTheViews()
    {
        QFETCH(int, command);
        QFETCH(QSize, client);
        QFETCH(QRect, before);
        QFETCH(QRect, after);
        QFETCH(QSize, resized);
        QFETCH(QRect, beforeResized);
        QFETCH(QRect, afterResized);
        QFETCH(QString, name);

        QVERIFY(Open(QSize(400, 300), client));
        // Come from another mode, so that every view has to move.
        QVERIFY(Mode(command == ID_MODE_BEFORE ? ID_MODE_TOP_BOTTOM : ID_MODE_BEFORE));
        QVERIFY(Mode(command));
        QCOMPARE(m_frame->m_nDisplayMode, command - ID_MODE_BEFORE);
        QCOMPARE(m_frame->ShownTitle(), kTitle + QStringLiteral(" @") + name);

        for (int pass = 0; pass < 2; ++pass) {
            const QRect wantBefore = pass ? beforeResized : before;
            const QRect wantAfter = pass ? afterResized : after;
            QCOMPARE(BeforeView()->isVisible(), !wantBefore.isNull());
            QCOMPARE(AfterView()->isVisible(), !wantAfter.isNull());
            if (!wantBefore.isNull()) QCOMPARE(BeforeView()->geometry(), wantBefore);
            if (!wantAfter.isNull()) QCOMPARE(AfterView()->geometry(), wantAfter);
            if (command == ID_MODE_BEFORE) QCOMPARE(m_frame->GetActiveView(), BeforeView());
            if (command == ID_MODE_AFTER) QCOMPARE(m_frame->GetActiveView(), AfterView());
            // A size change re-lays the views.
            m_frame->resize(resized);
            Settle();
        }
        QCOMPARE(m_frame->ShownTitle(), kTitle + QStringLiteral(" @") + name);
    }

    void lastPressedViewIsActiveInCombinedModes()
    {
        QVERIFY(Open(QSize(400, 300), QSize(800, 600)));
        QCOMPARE(m_frame->GetActiveView(), AfterView());
        QVERIFY(Mode(ID_MODE_BEFORE));
        QCOMPARE(m_frame->GetActiveView(), BeforeView());
        QVERIFY(Mode(ID_MODE_LEFT_RIGHT));
        QCOMPARE(m_frame->GetActiveView(), BeforeView()); // kept until a press
        QTest::mouseClick(AfterView()->viewport(), Qt::LeftButton, {}, QPoint(100, 100));
        QCOMPARE(m_frame->GetActiveView(), AfterView());
        QTest::mouseClick(BeforeView()->viewport(), Qt::RightButton, {}, QPoint(100, 100));
        QCOMPARE(m_frame->GetActiveView(), BeforeView());
        QVERIFY(Mode(ID_MODE_TOP_BOTTOM));
        QCOMPARE(m_frame->GetActiveView(), BeforeView());
        QTest::mouseClick(AfterView()->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(m_frame->GetActiveView(), AfterView());
        QVERIFY(Mode(ID_MODE_BEFORE));
        QCOMPARE(m_frame->GetActiveView(), BeforeView());
        QVERIFY(Mode(ID_MODE_AFTER));
        QCOMPARE(m_frame->GetActiveView(), AfterView());
    }

    // ---- warp strokes -----------------------------------------------------------

    void warpStrokeCommitsAtTheRelease_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<int>("combine"); // 0: no region
        QTest::addColumn<int>("cover");

        QTest::newRow("circle stretch") << int(ID_TOOL_CIRCLE_STRETCH) << 0 << 0;
        QTest::newRow("circle shrink") << int(ID_TOOL_CIRCLE_SHRINK) << 0 << 0;
        QTest::newRow("region stretch, intersect, cover")
            << int(ID_TOOL_REGION_STRETCH) << int(QVTool::REGION_INTERSECT)
            << int(QVTool::REGION_COVER);
        QTest::newRow("region shrink, exclude, becover")
            << int(ID_TOOL_REGION_SHRINK) << int(QVTool::REGION_EXCLUDE)
            << int(QVTool::REGION_BECOVER);
    }

    // The stroke renders into the display copy exactly as the engine does for
    // the same image points; the document takes it at the release.
    void warpStrokeCommitsAtTheRelease()
    {
        QFETCH(int, tool);
        QFETCH(int, combine);
        QFETCH(int, cover);

        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        CMorvaneView* view = AfterView();
        const QVPoint region[] = {{150, 90}, {280, 110}, {260, 230}, {170, 210}};
        if (combine) {
            for (int i = 0; i < 4; ++i)
                view->m_ptControl[size_t(i)] = region[i];
            view->m_nControlCount = 4;
            combine == QVTool::REGION_EXCLUDE ? view->OnExcludeRegion() : view->OnIntersectRegion();
            cover == QVTool::REGION_BECOVER ? view->OnBecover() : view->OnCover();
        }
        Tool(tool);

        const QList<QPoint> path = {{300, 250}, {320, 240}, {340, 236}, {352, 228}};
        QVDIB source, expected;
        QVERIFY(source.CopyFrom(&m_original));
        QVERIFY(expected.CopyFrom(&m_original));
        QVTool engine;
        const QVClosedCurve curve(region, 4);
        const QPoint centre = view->WindowToImage(path[0].x(), path[0].y());
        QCOMPARE(centre, QPoint(200, 149));
        QVERIFY(engine.BeginWarp(&source, &expected, 100, WarpKind(tool),
                                 combine ? &curve : nullptr, combine, cover, centre.x(),
                                 centre.y()));

        QWidget* port = view->viewport();
        QTest::mousePress(port, Qt::LeftButton, {}, path[0]);
        QCOMPARE(view->m_tool.m_nState, int(QVTool::TOOL_WARPING));
        for (qsizetype i = 1; i < path.size(); ++i) {
            QTest::mouseMove(port, path[i]);
            const QPoint ip = view->WindowToImage(path[i].x(), path[i].y());
            engine.Warp(ip.x(), ip.y());
            // Only the display copy changes; the brush circle stays put.
            QVERIFY(SamePixels(view->m_dibShow, expected));
            QVERIFY(SamePixels(AfterImage(), m_original));
            QVERIFY(!Doc()->IsModified());
            QCOMPARE(view->m_history.GetCount(), 1);
            QCOMPARE(view->m_ptMouse, path[0]);
        }
        engine.EndWarp();
        QVERIFY(!SamePixels(expected, m_original));

        // What is painted is the display copy (overlay colours aside).
        const QImage shown = Grab(view);
        const QString mismatch = Mismatch(shown, [&](int x, int y) {
            const QRgb there = At(shown, x, y);
            if (x < 100 || x >= 500 || y < 100 || y >= 400 ||
                there == (kCircleGrey | 0xFF000000u) || there == (kCurveGreen | 0xFF000000u))
                return there;
            return PictureRgb(expected, x - 100, 399 - y);
        });
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));

        QTest::mouseRelease(port, Qt::LeftButton, {}, path.last());
        QVERIFY(SamePixels(AfterImage(), expected));
        QVERIFY(SamePixels(view->m_dibShow, expected));
        QVERIFY(Doc()->IsModified());
        QCOMPARE(view->m_history.GetCount(), 2);
        QVERIFY(SamePixels(*view->m_history.GetSnapshot(1), expected));
        QCOMPARE(view->m_tool.m_nState, int(QVTool::TOOL_IDLE));
        QCOMPARE(view->m_ptMouse, path.last());
        QVERIFY(SamePixels(Doc()->m_dibBefore, m_before));

        // Nothing outside the brush circle moved.
        int changed = 0;
        for (int row = 0; row < 300; ++row)
            for (int column = 0; column < 400; ++column)
                if (PictureRgb(AfterImage(), column, row) != PictureRgb(m_original, column, row)) {
                    ++changed;
                    const int dx = column - centre.x(), dy = row - centre.y();
                    QVERIFY2(dx * dx + dy * dy <= 100 * 100,
                             qPrintable(QStringLiteral("(%1, %2) changed").arg(column).arg(row)));
                }
        QVERIFY(changed > 0);

        // After the stroke the brush circle follows the mouse again.
        Hover(view, QPoint(380, 300));
        QCOMPARE(view->m_ptMouse, QPoint(380, 300));
    }

    void warpPressOnTheMarginStillRecordsAStep()
    {
        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        CMorvaneView* view = AfterView();
        Tool(ID_TOOL_CIRCLE_STRETCH);
        QWidget* port = view->viewport();
        QTest::mousePress(port, Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(view->m_tool.m_nState, int(QVTool::TOOL_IDLE));
        QVERIFY(!view->m_tool.m_bWarpReady);
        QTest::mouseMove(port, QPoint(90, 110));
        QTest::mouseMove(port, QPoint(120, 130));
        QVERIFY(SamePixels(view->m_dibShow, m_original));
        QVERIFY(!Doc()->IsModified());
        QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(120, 130));
        QVERIFY(SamePixels(AfterImage(), m_original));
        QVERIFY(Doc()->IsModified());
        QCOMPARE(view->m_history.GetCount(), 2);
        QVERIFY(SamePixels(*view->m_history.GetSnapshot(1), m_original));
    }

    // A move without the button while a stroke runs: the release went
    // elsewhere, so the stroke ends there, committed but not recorded.
    void warpEndsAtAMoveWithoutTheButton()
    {
        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        CMorvaneView* view = AfterView();
        Tool(ID_TOOL_CIRCLE_SHRINK);
        Drag(view, {{250, 200}, {262, 212}, {270, 220}});
        QCOMPARE(view->m_history.GetCount(), 2);
        QVDIB recorded;
        QVERIFY(recorded.CopyFrom(&AfterImage()));
        QVERIFY(!SamePixels(recorded, m_original));
        Doc()->SetModifiedFlag(false);

        QVDIB source, expected;
        QVERIFY(source.CopyFrom(&recorded));
        QVERIFY(expected.CopyFrom(&recorded));
        QVTool engine;
        QVERIFY(engine.BeginWarp(&source, &expected, 100, QVWarpControl::WARP_SHRINK_EXPAND,
                                 nullptr, 0, 0, 250, 149));
        engine.Warp(280, 139);

        QWidget* port = view->viewport();
        QCOMPARE(view->WindowToImage(350, 250), QPoint(250, 149));
        QCOMPARE(view->WindowToImage(380, 260), QPoint(280, 139));
        QTest::mousePress(port, Qt::LeftButton, {}, QPoint(350, 250));
        QTest::mouseMove(port, QPoint(380, 260));
        QVERIFY(SamePixels(AfterImage(), recorded));
        Hover(view, QPoint(395, 270));
        QCOMPARE(view->m_tool.m_nState, int(QVTool::TOOL_IDLE));
        QVERIFY(SamePixels(AfterImage(), expected));
        QVERIFY(SamePixels(view->m_dibShow, expected));
        QVERIFY(Doc()->IsModified());
        QCOMPARE(view->m_history.GetCount(), 2);

        // The unrecorded stroke goes with the last recorded step.
        view->OnUndo();
        QVERIFY(SamePixels(AfterImage(), m_original));
        QVERIFY(SamePixels(view->m_dibShow, m_original));

        // Let go of the button with a tool that records nothing.
        Tool(ID_TOOL_POINT);
        QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(395, 270));
        QCOMPARE(view->m_history.GetCount(), 2);
    }

    // ---- control points ---------------------------------------------------------

    void rightClicksAddControlPoints()
    {
        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        CMorvaneView* view = AfterView();
        Tool(ID_TOOL_POINT);
        QWidget* port = view->viewport();
        QTest::mouseClick(port, Qt::RightButton, {}, QPoint(150, 130));
        QTest::mouseClick(port, Qt::RightButton, {}, QPoint(50, 200));  // on the margin
        QTest::mouseClick(port, Qt::RightButton, {}, QPoint(150, 130)); // the same place again
        QCOMPARE(view->m_nControlCount, 3);
        QCOMPARE(view->m_ptControl[0], (QVPoint{50, 269}));
        QCOMPARE(view->m_ptControl[1], (QVPoint{-49, 199}));
        QCOMPARE(view->m_ptControl[2], (QVPoint{50, 269}));
        QCOMPARE(view->m_nSelected, -1);
        QVERIFY(SamePixels(AfterImage(), m_original));
        QVERIFY(!Doc()->IsModified());
        QCOMPARE(view->m_history.GetCount(), 1);

        // 500 points at most: the 501st click is ignored.
        for (int i = 3; i < 499; ++i)
            view->m_ptControl[size_t(i)] = QVPoint{1000 + i, 1000};
        view->m_nControlCount = 499;
        QTest::mouseClick(port, Qt::RightButton, {}, QPoint(200, 300));
        QCOMPARE(view->m_nControlCount, 500);
        QCOMPARE(view->m_ptControl[499], (QVPoint{100, 99}));
        QTest::mouseClick(port, Qt::RightButton, {}, QPoint(220, 320));
        QCOMPARE(view->m_nControlCount, 500);
        QCOMPARE(view->m_ptControl[499], (QVPoint{100, 99}));
        QCOMPARE(view->m_ptControl[498], (QVPoint{1498, 1000}));
    }

    void leftPressPicksAndDragsAPoint_data()
    {
        QTest::addColumn<QList<QPoint>>("points"); // right clicks, in client coordinates
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<int>("selected");

        QTest::newRow("5 px away") << QList<QPoint>{{300, 250}} << QPoint(305, 250) << 0;
        QTest::newRow("exactly 6 px away") << QList<QPoint>{{300, 250}} << QPoint(306, 250) << -1;
        QTest::newRow("exactly 6 px above") << QList<QPoint>{{300, 250}} << QPoint(300, 244) << -1;
        QTest::newRow("diagonal, just within reach")
            << QList<QPoint>{{300, 250}} << QPoint(304, 254) << 0;
        QTest::newRow("equally near: the earlier")
            << QList<QPoint>{{300, 250}, {310, 250}} << QPoint(305, 250) << 0;
        QTest::newRow("the nearer, though later")
            << QList<QPoint>{{300, 250}, {306, 250}} << QPoint(304, 250) << 1;
    }

    void leftPressPicksAndDragsAPoint()
    {
        QFETCH(QList<QPoint>, points);
        QFETCH(QPoint, press);
        QFETCH(int, selected);

        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        CMorvaneView* view = AfterView();
        Tool(ID_TOOL_POINT);
        QWidget* port = view->viewport();
        std::vector<QVPoint> placed;
        for (const QPoint& p : points) {
            QTest::mouseClick(port, Qt::RightButton, {}, p);
            const QPoint ip = view->WindowToImage(p.x(), p.y());
            placed.push_back({ip.x(), ip.y()});
        }
        QTest::mousePress(port, Qt::LeftButton, {}, press);
        QCOMPARE(view->m_nSelected, selected);
        QTest::mouseMove(port, QPoint(340, 200));
        QTest::mouseMove(port, QPoint(360, 180));
        if (selected >= 0) placed[size_t(selected)] = QVPoint{260, 219};
        QCOMPARE(view->m_nSelected, selected);
        QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(360, 180));
        QCOMPARE(view->m_nSelected, -1);
        for (size_t i = 0; i < placed.size(); ++i)
            QCOMPARE(view->m_ptControl[i], placed[i]);

        // A press with no point in reach selects none and moves nothing.
        Drag(view, {{500, 120}, {450, 150}});
        for (size_t i = 0; i < placed.size(); ++i)
            QCOMPARE(view->m_ptControl[i], placed[i]);
        QVERIFY(SamePixels(AfterImage(), m_original));
        QCOMPARE(view->m_history.GetCount(), 1);
        QVERIFY(!Doc()->IsModified());
    }

    void deletePointsOnlyInTheAfterView()
    {
        QVERIFY(Open(QSize(400, 300), QSize(1200, 500)));
        QVERIFY(Mode(ID_MODE_LEFT_RIGHT));
        Tool(ID_TOOL_POINT);
        CMorvaneView* view = AfterView();
        for (const QPoint& p : {QPoint(150, 150), QPoint(300, 160), QPoint(250, 300)})
            QTest::mouseClick(view->viewport(), Qt::RightButton, {}, p);
        QCOMPARE(view->m_nControlCount, 3);
        BeforeView()->m_ptControl[0] = QVPoint{10, 20};
        BeforeView()->m_ptControl[1] = QVPoint{30, 40};
        BeforeView()->m_nControlCount = 2;

        BeforeView()->OnDeletePoints();
        QCOMPARE(BeforeView()->m_nControlCount, 2);
        QCOMPARE(BeforeView()->m_ptControl[1], (QVPoint{30, 40}));
        // Undo has nothing to go back to in the before view either.
        BeforeView()->OnUndo();
        QVERIFY(SamePixels(AfterImage(), m_original));

        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(301, 161));
        QCOMPARE(view->m_nSelected, 1);
        view->OnDeletePoints();
        QCOMPARE(view->m_nControlCount, 0);
        QCOMPARE(view->m_nSelected, -1);
        for (const QVPoint& p : view->m_ptControl)
            QCOMPARE(p, (QVPoint{0, 0}));
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(301, 161));
        QCOMPARE(view->m_nControlCount, 0);
    }

    // ---- copy, blur and eraser --------------------------------------------------

    void copyToolPreviewsAndPastesOnPress()
    {
        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        CMorvaneView* view = AfterView();
        Tool(ID_TOOL_COPY);
        QWidget* port = view->viewport();

        // No patch yet: moving shows nothing new, a left click commits as it is.
        Hover(view, QPoint(250, 200));
        QVERIFY(SamePixels(view->m_dibShow, m_original));
        QTest::mouseClick(port, Qt::LeftButton, {}, QPoint(250, 200));
        QVERIFY(Doc()->IsModified());
        QVERIFY(SamePixels(AfterImage(), m_original));
        QCOMPARE(view->m_history.GetCount(), 2);
        Doc()->SetModifiedFlag(false);

        // The right button takes the patch.
        QTest::mousePress(port, Qt::RightButton, {}, QPoint(260, 220));
        QVERIFY(view->m_tool.m_bCopyReady);
        QCOMPARE(view->m_tool.m_nState, int(QVTool::TOOL_COPY_HELD));
        QTest::mouseRelease(port, Qt::RightButton, {}, QPoint(260, 220));
        QCOMPARE(view->m_ptMouse, QPoint(260, 220));

        QVTool engine;
        QVDIB source, first, second;
        QVERIFY(source.CopyFrom(&m_original));
        QVERIFY(engine.CaptureCopy(&source, 100, 160, 179));
        QVERIFY(first.CopyFrom(&m_original));
        QVERIFY(engine.PasteCopy(&first, 230, 159));
        QVERIFY(second.CopyFrom(&m_original));
        QVERIFY(engine.PasteCopy(&second, 250, 139));

        // Moving previews the patch under the mouse on the unchanged picture.
        Hover(view, QPoint(330, 240));
        QVERIFY(SamePixels(view->m_dibShow, first));
        Hover(view, QPoint(350, 260));
        QVERIFY(SamePixels(view->m_dibShow, second));
        QVERIFY(SamePixels(AfterImage(), m_original));
        QVERIFY(!Doc()->IsModified());
        QCOMPARE(view->m_history.GetCount(), 2);

        // The left press pastes; the release records it.
        QTest::mousePress(port, Qt::LeftButton, {}, QPoint(350, 260));
        QVERIFY(SamePixels(AfterImage(), second));
        QVERIFY(Doc()->IsModified());
        QCOMPARE(view->m_history.GetCount(), 2);
        QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(350, 260));
        QCOMPARE(view->m_history.GetCount(), 3);
        QVERIFY(SamePixels(*view->m_history.GetSnapshot(2), second));
    }

    void brushesCommitEveryStep_data()
    {
        QTest::addColumn<int>("tool");
        QTest::newRow("blur") << int(ID_TOOL_BLUR);
        QTest::newRow("eraser") << int(ID_TOOL_ERASER);
    }

    void brushesCommitEveryStep()
    {
        QFETCH(int, tool);

        // An edited after-image, so that the eraser has something to restore.
        QVERIFY(Open(QSize(400, 300), QSize(600, 500), 3));
        CMorvaneView* view = AfterView();
        view->m_nRadius = 30;
        Tool(tool);
        QVDIB expected;
        QVERIFY(expected.CopyFrom(&m_original));
        auto step = [&](QPoint client) {
            const QPoint ip = view->WindowToImage(client.x(), client.y());
            return tool == ID_TOOL_BLUR
                       ? QVTool::Blur(30, &expected, ip.x(), ip.y())
                       : QVTool::Erase(30, &Doc()->m_dibBefore, &expected, ip.x(), ip.y());
        };

        Hover(view, QPoint(250, 200));
        QVERIFY(SamePixels(AfterImage(), m_original));
        QVERIFY(SamePixels(view->m_dibShow, m_original));

        const QList<QPoint> path = {{250, 200}, {270, 215}, {290, 230}};
        QWidget* port = view->viewport();
        QTest::mousePress(port, Qt::LeftButton, {}, path[0]);
        QVERIFY(step(path[0]));
        QVERIFY(!SamePixels(expected, m_original));
        QVERIFY(SamePixels(AfterImage(), expected));
        QVERIFY(SamePixels(view->m_dibShow, expected));
        QVERIFY(Doc()->IsModified());
        for (qsizetype i = 1; i < path.size(); ++i) {
            Doc()->SetModifiedFlag(false);
            QTest::mouseMove(port, path[i]);
            QVERIFY(step(path[i]));
            QVERIFY(SamePixels(AfterImage(), expected));
            QVERIFY(Doc()->IsModified());
            QCOMPARE(view->m_ptMouse, path[i]);
        }
        QCOMPARE(view->m_history.GetCount(), 1);
        QTest::mouseRelease(port, Qt::LeftButton, {}, path.last());
        QCOMPARE(view->m_history.GetCount(), 2);
        QVERIFY(SamePixels(*view->m_history.GetSnapshot(1), expected));
        QVERIFY(SamePixels(Doc()->m_dibBefore, m_before));
    }

    void beforeViewNeverEditsThePicture_data()
    {
        QTest::addColumn<int>("tool");
        for (int tool : {33901, 33902, 33904, 33905, 33906, 33907, 33908, 33909})
            QTest::newRow(QByteArray::number(tool).constData()) << tool;
    }

    void beforeViewNeverEditsThePicture()
    {
        QFETCH(int, tool);

        QVERIFY(Open(QSize(400, 300), QSize(1200, 500), 5));
        QVERIFY(Mode(ID_MODE_LEFT_RIGHT));
        CMorvaneView* after = AfterView();
        const QVPoint region[] = {{150, 90}, {280, 110}, {260, 230}};
        for (int i = 0; i < 3; ++i)
            after->m_ptControl[size_t(i)] = region[i];
        after->m_nControlCount = 3;
        Tool(tool);

        CMorvaneView* before = BeforeView();
        QWidget* port = before->viewport();
        port->setCursor(Qt::WaitCursor);
        QTest::mouseClick(port, Qt::RightButton, {}, QPoint(300, 250));
        Drag(before, {{300, 250}, {320, 260}, {340, 262}});
        Hover(before, QPoint(350, 270));
        QTest::mouseClick(port, Qt::RightButton, {}, QPoint(340, 262));

        QVERIFY(SamePixels(AfterImage(), m_original));
        QVERIFY(SamePixels(after->m_dibShow, m_original));
        QVERIFY(!Doc()->IsModified());
        QCOMPARE(after->m_history.GetCount(), 1);
        QCOMPARE(before->m_history.GetCount(), 0);
        QCOMPARE(before->m_nControlCount, 0);
        QCOMPARE(after->m_nControlCount, 3);
        QCOMPARE(before->m_tool.m_nState, int(QVTool::TOOL_IDLE));
        QVERIFY(!before->m_tool.m_bCopyReady);
        QVERIFY(!after->m_tool.m_bCopyReady);
        QVERIFY(HasCursor(before, 325));

        // The before view paints the before-image, not the edited one.
        const QImage shown = Grab(before);
        const QString mismatch = Mismatch(shown, [&](int x, int y) {
            if (x < 100 || x >= 500 || y < 100 || y >= 400) return At(shown, x, y);
            return PictureRgb(m_before, x - 100, 399 - y);
        });
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    // ---- hand tool and wheel ----------------------------------------------------

    void handDragPansTheView_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("inAfter");

        QTest::newRow("after mode") << int(ID_MODE_AFTER) << true;
        QTest::newRow("left/right, after view") << int(ID_MODE_LEFT_RIGHT) << true;
        QTest::newRow("left/right, before view") << int(ID_MODE_LEFT_RIGHT) << false;
        QTest::newRow("top/bottom, before view") << int(ID_MODE_TOP_BOTTOM) << false;
        QTest::newRow("before mode") << int(ID_MODE_BEFORE) << false;
    }

    // The picture follows the mouse; in a combined mode the other view follows.
    void handDragPansTheView()
    {
        QFETCH(int, mode);
        QFETCH(bool, inAfter);

        QVERIFY(Open(QSize(400, 300), QSize(800, 600)));
        QVERIFY(Mode(mode));
        CMorvaneView* view = inAfter ? AfterView() : BeforeView();
        CMorvaneView* partner = inAfter ? BeforeView() : AfterView();
        view->OnZoomIn();
        view->OnZoomIn();
        Settle();
        Tool(ID_TOOL_HAND);
        Drag(view, {{200, 200}, {170, 180}, {150, 160}});
        Settle();
        QCOMPARE(view->GetScrollPosition(), QPoint(50, 40));
        QCOMPARE(view->m_ptAnchor, QPoint(150, 160));
        QVERIFY(HasCursor(view, 326));
        const bool combined = mode == ID_MODE_LEFT_RIGHT || mode == ID_MODE_TOP_BOTTOM;
        if (combined) {
            QVERIFY(partner->m_dZoom == 3.0);
            QCOMPARE(partner->GetScrollPosition(), QPoint(50, 40));
            QCOMPARE(Grab(partner), Grab(view));
        } else {
            QVERIFY(partner->m_dZoom == 1.0);
            QCOMPARE(partner->GetScrollPosition(), QPoint(0, 0));
        }
        // Panning never edits.
        QVERIFY(SamePixels(AfterImage(), m_original));
        QCOMPARE(AfterView()->m_history.GetCount(), 1);
        QVERIFY(!Doc()->IsModified());
    }

    void wheelNeitherScrollsNorZooms()
    {
        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        CMorvaneView* view = AfterView();
        QVERIFY(view->SetZoom(3));
        Settle();
        view->ScrollToPosition(QPoint(100, 100));
        QCOMPARE(view->GetScrollPosition(), QPoint(100, 100));
        QWidget* port = view->viewport();
        const QPoint at(200, 200);
        const struct
        {
            QPoint delta;
            Qt::KeyboardModifiers modifiers;
        } turns[] = {{{0, -120}, Qt::NoModifier},
                     {{0, 120}, Qt::NoModifier},
                     {{-120, 0}, Qt::NoModifier},
                     {{0, 120}, Qt::ControlModifier}};
        // Over the picture and over either scroll bar.
        for (QWidget* target : {port, static_cast<QWidget*>(view->horizontalScrollBar()),
                                static_cast<QWidget*>(view->verticalScrollBar())}) {
            QVERIFY(target->isVisible());
            const QPoint over = target == port ? at : target->rect().center();
            for (const auto& turn : turns) {
                QWheelEvent wheel(QPointF(over), QPointF(target->mapToGlobal(over)), QPoint(),
                                  turn.delta, Qt::NoButton, turn.modifiers, Qt::NoScrollPhase, false);
                QApplication::sendEvent(target, &wheel);
                Settle();
                QCOMPARE(view->GetScrollPosition(), QPoint(100, 100));
                QVERIFY(view->m_dZoom == 3.0);
            }
        }
    }

    void keysDoNotScroll()
    {
        CMorvaneView* view = OpenAt(QSize(400, 300), 3, QSize(580, 480), QPoint(100, 100));
        QVERIFY(view);
        QWidget* port = view->viewport();
        QTest::mouseClick(port, Qt::LeftButton, {}, QPoint(200, 200));
        QCOMPARE(QApplication::focusWidget(), view);
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Left, Qt::Key_Up, Qt::Key_PageDown,
                            Qt::Key_PageUp, Qt::Key_Home, Qt::Key_End}) {
            QTest::keyClick(view, key);
            Settle();
            QCOMPARE(view->GetScrollPosition(), QPoint(100, 100));
        }
        QVERIFY(view->m_dZoom == 3.0);
    }

    // ---- history ----------------------------------------------------------------

    void undoRedoAndResetWalkTheHistory_data()
    {
        QTest::addColumn<QString>("ops"); // s: a stroke, u: undo, r: redo, x: reset
        QTest::addColumn<int>("state");   // the step whose picture shows at the end

        QTest::newRow("undo at the start does nothing") << QStringLiteral("u") << 0;
        QTest::newRow("undo one step") << QStringLiteral("ssu") << 1;
        QTest::newRow("redo an undone step") << QStringLiteral("sssuur") << 2;
        QTest::newRow("redo at the newest does nothing") << QStringLiteral("ssr") << 2;
        QTest::newRow("twelve steps allow nine undos") << QString(12, 's') + QString(9, 'u') << 3;
        QTest::newRow("the tenth undo does nothing") << QString(12, 's') + QString(10, 'u') << 3;
        QTest::newRow("back and forth")
            << QString(12, 's') + QString(10, 'u') + QString(10, 'r') << 12;
        QTest::newRow("a new step drops the redo steps") << QStringLiteral("sssuusr") << 4;
        QTest::newRow("reset restores the opened picture") << QStringLiteral("ssx") << 0;
        QTest::newRow("reset is a step that can be undone") << QStringLiteral("ssxu") << 2;
        QTest::newRow("and redone") << QStringLiteral("ssxur") << 0;
    }

    void undoRedoAndResetWalkTheHistory()
    {
        QFETCH(QString, ops);
        QFETCH(int, state);

        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        CMorvaneView* view = AfterView();
        view->m_nRadius = 20;
        Tool(ID_TOOL_BLUR);
        // states[k]: the picture after the k-th stroke.
        std::vector<std::unique_ptr<QVDIB>> states;
        states.push_back(std::make_unique<QVDIB>());
        QVERIFY(states.back()->CopyFrom(&m_original));
        for (const QChar op : ops) {
            if (op == QLatin1Char('s')) {
                const int k = int(states.size());
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                  QPoint(130 + 25 * k, 140 + 15 * k));
                QVERIFY(Doc()->IsModified());
                states.push_back(std::make_unique<QVDIB>());
                QVERIFY(states.back()->CopyFrom(&AfterImage()));
                QVERIFY(!SamePixels(*states[size_t(k)], *states[size_t(k - 1)]));
                continue;
            }
            // Saved here: the step leaves the document modified exactly when it
            // shows another picture.
            Doc()->SetModifiedFlag(false);
            QVDIB saved;
            QVERIFY(saved.CopyFrom(&AfterImage()));
            op == QLatin1Char('u')   ? view->OnUndo()
            : op == QLatin1Char('r') ? view->OnRedo()
                                     : view->OnReset();
            QCOMPARE(Doc()->IsModified(), !SamePixels(AfterImage(), saved));
            QVERIFY(SamePixels(view->m_dibShow, AfterImage()));
        }
        QVERIFY2(SamePixels(AfterImage(), *states[size_t(state)]), "not the expected step");
        QVERIFY(SamePixels(view->m_dibShow, AfterImage()));
        QVERIFY(SamePixels(Doc()->m_dibBefore, m_before));
        // The view paints what it holds.
        const QImage shown = Grab(view);
        QCOMPARE(At(shown, 100, 100), PictureRgb(AfterImage(), 0, 299) | 0xFF000000u);
        QCOMPARE(At(shown, 499, 399), PictureRgb(AfterImage(), 399, 0) | 0xFF000000u);
    }

    // ---- the history against whole copies ---------------------------------------

    void historyMatchesWholePictureCopies_data()
    {
        QTest::addColumn<QString>("ops");
        // w: a warp stroke, k: one on the bottom-left corner, t: one on the top
        // edge, o: one over the last stroke, b: a blur drag, e: an eraser
        // drag, B and E: the same across the corners, p: a patch taken,
        // previewed and pasted, P: the same at the edges, n: a warp stroke
        // whose release went elsewhere (committed, not recorded), u: undo, r:
        // redo, x: reset, S: the document saved.
        QTest::newRow("every tool, undone") << QStringLiteral("wbepuuuur");
        QTest::newRow("edges and corners") << QStringLiteral("ktkturru");
        QTest::newRow("brushes and patches at the edges") << QStringLiteral("wBEPuuurrBu");
        QTest::newRow("overlapping strokes") << QStringLiteral("wooouuurro");
        QTest::newRow("undo past the capacity")
            << QString(12, 'w') + QString(11, 'u') + QString(12, 'r');
        QTest::newRow("a new step drops the redo steps") << QStringLiteral("wwwuubrru");
        QTest::newRow("reset, undone and redone") << QStringLiteral("wbxuxruxu");
        QTest::newRow("unrecorded strokes") << QStringLiteral("wnunwnurwu");
        QTest::newRow("saved, stroked, undone") << QStringLiteral("SwuwSur");
        QTest::newRow("saved, then undone") << QStringLiteral("wwSuur");
        QTest::newRow("saved, undone, a new stroke") << QStringLiteral("wwSuwur");
        QTest::newRow("saved in a full history")
            << QStringLiteral("S") + QString(11, 'w') + QString(10, 'u') + QString(10, 'r');
        QTest::newRow("saved reset") << QStringLiteral("wxSuru");
    }

    // Each step through the real mouse handlers and commands, against the
    // history as whole copies of the picture: the pictures shown and kept are
    // byte for byte the same, and the document is modified exactly when the
    // picture shown is not the one saved last.
    void historyMatchesWholePictureCopies()
    {
        QFETCH(QString, ops);

        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        CMorvaneView* view = AfterView();
        constexpr int kRadius = 40;
        view->m_nRadius = kRadius;
        QWidget* port = view->viewport();

        // The reference: whole copies, the old way; states are numbered, the
        // before-image's content has a number of its own.
        struct Step
        {
            std::unique_ptr<QVDIB> picture;
            int state;
        };
        std::vector<Step> steps;
        int current = -1;
        QVDIB after;
        QVERIFY(after.CopyFrom(&m_original));
        int state = 0, saved = 0, serial = 0;
        constexpr int kBeforeState = -1;
        const auto record = [&] {
            auto copy = std::make_unique<QVDIB>();
            QVERIFY(copy->CopyFrom(&after));
            steps.resize(size_t(current + 1));
            steps.push_back({std::move(copy), state});
            if (steps.size() > size_t(QVUndoRedo::kHistoryCapacity))
                steps.erase(steps.begin());
            current = int(steps.size()) - 1;
        };
        const auto restore = [&](int to) {
            if (to < 0 || to >= int(steps.size()))
                return;
            current = to;
            QVERIFY(after.CopyFrom(steps[size_t(to)].picture.get()));
            state = steps[size_t(to)].state;
        };
        record();

        const auto ip = [&](QPoint client) { return view->WindowToImage(client.x(), client.y()); };
        QPoint last(300, 250);
        const auto warp = [&](QPoint from, QPoint to, bool released) {
            Tool(ID_TOOL_CIRCLE_STRETCH);
            QVDIB source;
            QVERIFY(source.CopyFrom(&after));
            QVTool engine;
            QVERIFY(engine.BeginWarp(&source, &after, kRadius, QVWarpControl::WARP_STRETCH,
                                     nullptr, 0, 0, ip(from).x(), ip(from).y()));
            QVERIFY(engine.Warp(ip(to).x(), ip(to).y()));
            QTest::mousePress(port, Qt::LeftButton, {}, from);
            QTest::mouseMove(port, to);
            if (released) {
                QTest::mouseRelease(port, Qt::LeftButton, {}, to);
            } else {
                // The release went elsewhere: the next move without the button
                // ends the stroke; the button is let go with a tool that
                // records nothing.
                Hover(view, to + QPoint(1, 1));
                Tool(ID_TOOL_POINT);
                QTest::mouseRelease(port, Qt::LeftButton, {}, to + QPoint(1, 1));
            }
            state = ++serial;
            if (released)
                record();
            last = from;
        };
        const auto brush = [&](int tool, QPoint from) {
            Tool(tool);
            const QList<QPoint> path = {from, from + QPoint(12, 8), from + QPoint(24, 16)};
            for (qsizetype i = 0; i < path.size(); ++i) {
                const QPoint p = ip(path[i]);
                QVERIFY(tool == ID_TOOL_BLUR
                            ? QVTool::Blur(kRadius, &after, p.x(), p.y())
                            : QVTool::Erase(kRadius, &m_before, &after, p.x(), p.y()));
                i == 0 ? QTest::mousePress(port, Qt::LeftButton, {}, path[i])
                       : QTest::mouseMove(port, path[i]);
            }
            QTest::mouseRelease(port, Qt::LeftButton, {}, path.last());
            state = ++serial;
            record();
            last = from;
        };
        const auto paste = [&](QPoint take, QPoint put) {
            Tool(ID_TOOL_COPY);
            QVTool engine;
            QVERIFY(engine.CaptureCopy(&after, kRadius, ip(take).x(), ip(take).y()));
            QTest::mouseClick(port, Qt::RightButton, {}, take);
            for (const QPoint p : {put + QPoint(-30, -20), put}) {
                QVDIB preview;
                QVERIFY(preview.CopyFrom(&after));
                QVERIFY(engine.PasteCopy(&preview, ip(p).x(), ip(p).y()));
                Hover(view, p);
                QVERIFY2(SamePixels(view->m_dibShow, preview), "the preview");
                QVERIFY2(SamePixels(AfterImage(), after), "the picture under the preview");
            }
            QVERIFY(engine.PasteCopy(&after, ip(put).x(), ip(put).y()));
            QTest::mousePress(port, Qt::LeftButton, {}, put);
            QTest::mouseRelease(port, Qt::LeftButton, {}, put);
            state = ++serial;
            record();
            last = put;
        };

        for (qsizetype i = 0; i < ops.size(); ++i) {
            const int k = int(i);
            const QPoint spot(150 + 37 * k % 300, 150 + 23 * k % 200);
            switch (ops[i].toLatin1()) {
            case 'w': warp(spot, spot + QPoint(15, 10), true); break;
            case 'k': warp(QPoint(101, 398), QPoint(112, 390), true); break;
            case 't': warp(QPoint(300 + k, 101), QPoint(310 + k, 112), true); break;
            case 'o': warp(last + QPoint(20, 15), last + QPoint(34, 5), true); break;
            case 'n': warp(spot, spot + QPoint(-12, 9), false); break;
            case 'b': brush(ID_TOOL_BLUR, spot); break;
            case 'e': brush(ID_TOOL_ERASER, spot); break;
            case 'B': brush(ID_TOOL_BLUR, QPoint(101, 372)); break;
            case 'E': brush(ID_TOOL_ERASER, QPoint(470, 101)); break;
            case 'p': paste(spot, QPoint(400 - spot.x() / 2, 400 - spot.y() / 2)); break;
            case 'P': paste(QPoint(102, 102), QPoint(497, 397)); break;
            case 'u':
                restore(current - 1);
                view->OnUndo();
                break;
            case 'r':
                restore(current + 1);
                view->OnRedo();
                break;
            case 'x':
                QVERIFY(after.CopyFrom(&m_before));
                state = kBeforeState;
                record();
                view->OnReset();
                break;
            case 'S':
                saved = state;
                Doc()->SetModifiedFlag(false);
                break;
            default:
                QFAIL("no such step");
            }
            const QByteArray where = ops.left(k + 1).toLatin1();
            QVERIFY2(SamePixels(AfterImage(), after), where.constData());
            QVERIFY2(SamePixels(view->m_dibShow, after), where.constData());
            QCOMPARE(view->m_history.GetCount(), int(steps.size()));
            QCOMPARE(view->m_history.GetCurrent(), current);
            QVERIFY2(Doc()->IsModified() == (state != saved), where.constData());
        }
        for (int n = 0; n < int(steps.size()); ++n)
            QVERIFY(SamePixels(*view->m_history.GetSnapshot(n), *steps[size_t(n)].picture));
        QVERIFY(SamePixels(Doc()->m_dibBefore, m_before));
        // What is painted is what the view holds.
        const QImage shown = Grab(view);
        const QString mismatch = Mismatch(shown, [&](int x, int y) {
            const QRgb there = At(shown, x, y);
            if (x < 100 || x >= 500 || y < 100 || y >= 400 || there == (kCircleGrey | 0xFF000000u))
                return there;
            return PictureRgb(after, x - 100, 399 - y);
        });
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    // When the history has no memory for a step, the stroke stays in the
    // picture but cannot be undone on its own: the history keeps what it held,
    // and the next undo takes the stroke back with the step before it.
    void aStepWithoutMemoryLeavesTheHistoryAsItWas()
    {
        QVERIFY(Open(QSize(400, 300), QSize(600, 500)));
        CMorvaneView* view = AfterView();
        Tool(ID_TOOL_CIRCLE_SHRINK);
        view->m_nRadius = 50;
        Drag(view, {{250, 200}, {262, 212}});
        QVDIB first;
        QVERIFY(first.CopyFrom(&AfterImage()));
        const size_t memory = view->m_history.GetMemoryBytes();

        QVSnapshot::SetAllocator([](size_t) -> void* { return nullptr; });
        Drag(view, {{350, 250}, {340, 262}});
        Drag(view, {{300, 330}, {310, 320}});
        QVSnapshot::SetAllocator(nullptr);
        QVDIB stroked;
        QVERIFY(stroked.CopyFrom(&AfterImage()));
        QVERIFY(!SamePixels(stroked, first));
        QVERIFY(SamePixels(view->m_dibShow, stroked));
        QVERIFY(Doc()->IsModified());
        QCOMPARE(view->m_history.GetCount(), 2);
        QCOMPARE(view->m_history.GetCurrent(), 1);
        QCOMPARE(view->m_history.GetMemoryBytes(), memory);
        QVERIFY(SamePixels(*view->m_history.GetSnapshot(0), m_original));
        QVERIFY(SamePixels(*view->m_history.GetSnapshot(1), first));

        view->OnUndo();
        QVERIFY(SamePixels(AfterImage(), m_original));
        QVERIFY(SamePixels(view->m_dibShow, m_original));
        QVERIFY(!Doc()->IsModified());
        view->OnRedo();
        QVERIFY(SamePixels(AfterImage(), first));
        QVERIFY(SamePixels(view->m_dibShow, first));

        // With memory again, a step records all it changed since the last one.
        Drag(view, {{350, 250}, {340, 262}});
        QVDIB second;
        QVERIFY(second.CopyFrom(&AfterImage()));
        Tool(ID_TOOL_HAND);
        view->OnUndo();
        QVERIFY(SamePixels(AfterImage(), first));
        view->OnRedo();
        QVERIFY(SamePixels(AfterImage(), second));
        QVERIFY(SamePixels(view->m_dibShow, second));
    }

    // ---- overlays and cursors ---------------------------------------------------

    void overlaysFollowTheTool_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<bool>("inAfter");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<bool>("circle");
        QTest::addColumn<bool>("handles");
        QTest::addColumn<bool>("curve");

        QTest::newRow("circle stretch") << 33901 << true << 1.0 << true << false << false;
        QTest::newRow("circle shrink, zoom 0.5") << 33902 << true << 0.5 << true << false << false;
        QTest::newRow("hand") << 33903 << true << 1.0 << false << false << false;
        QTest::newRow("region stretch") << 33904 << true << 1.0 << true << false << true;
        QTest::newRow("region shrink, zoom 2") << 33905 << true << 2.0 << true << false << true;
        QTest::newRow("control points") << 33906 << true << 1.0 << false << true << true;
        QTest::newRow("copy") << 33907 << true << 1.0 << true << false << false;
        QTest::newRow("blur") << 33908 << true << 1.0 << true << false << false;
        QTest::newRow("eraser") << 33909 << true << 1.0 << true << false << false;
        QTest::newRow("before view, circle stretch")
            << 33901 << false << 1.0 << false << false << false;
        QTest::newRow("before view, region stretch")
            << 33904 << false << 1.0 << false << false << false;
        QTest::newRow("before view, control points")
            << 33906 << false << 1.0 << false << false << false;
    }

    // Grey brush circle around the mouse, red 8 x 8 handles on the control
    // points, the green curve through them.
    void overlaysFollowTheTool()
    {
        QFETCH(int, tool);
        QFETCH(bool, inAfter);
        QFETCH(double, zoom);
        QFETCH(bool, circle);
        QFETCH(bool, handles);
        QFETCH(bool, curve);

        QVERIFY(Open(QSize(400, 300), QSize(1200, 500)));
        QVERIFY(Mode(ID_MODE_LEFT_RIGHT));
        CMorvaneView* view = inAfter ? AfterView() : BeforeView();
        const QVPoint points[] = {{150, 90}, {280, 110}, {260, 230}, {170, 210}};
        for (CMorvaneView* v : {AfterView(), BeforeView()}) {
            for (int i = 0; i < 4; ++i)
                v->m_ptControl[size_t(i)] = points[i];
            v->m_nControlCount = 4;
        }
        QVERIFY(view->SetZoom(zoom));
        Settle();
        Tool(tool);
        const QPoint mouse(300, 250);
        view->m_ptMouse = mouse;
        Hover(view, mouse);
        const QImage shown = Grab(view);

        std::vector<QRect> squares;
        for (const QVPoint& p : points) {
            const QPoint c = view->ImageToWindow(p.x, p.y);
            squares.emplace_back(c.x() - 4, c.y() - 4, 8, 8);
        }
        const double radius = 100 * zoom;
        int grey = 0, red = 0, green = 0;
        std::vector<int> redIn(squares.size(), 0);
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb c = At(shown, x, y);
                if (c == (kCircleGrey | 0xFF000000u)) {
                    ++grey;
                    // The circle's box ends one pixel short on the right and bottom.
                    const double d = std::hypot(x - mouse.x() + 0.5, y - mouse.y() + 0.5);
                    QVERIFY2(
                        d >= radius - 1.5 && d <= radius + 1.5,
                        qPrintable(
                            QStringLiteral("circle pixel (%1, %2) at %3").arg(x).arg(y).arg(d)));
                } else if (c == (kHandleRed | 0xFF000000u)) {
                    ++red;
                    bool inside = false;
                    for (size_t i = 0; i < squares.size(); ++i)
                        if (squares[i].contains(x, y)) {
                            ++redIn[i];
                            inside = true;
                        }
                    QVERIFY2(inside, qPrintable(QStringLiteral("red at (%1, %2)").arg(x).arg(y)));
                } else if (c == (kCurveGreen | 0xFF000000u)) {
                    ++green;
                }
            }
        QCOMPARE(grey > int(3 * radius), circle);
        if (!circle) QCOMPARE(grey, 0);
        if (handles) {
            for (int n : redIn)
                QVERIFY2(n >= 40, qPrintable(QString::number(n)));
        } else {
            QCOMPARE(red, 0);
        }
        QCOMPARE(green > 100, curve);
        if (!curve) QCOMPARE(green, 0);
    }

    void cursorFollowsToolAndView_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<bool>("inAfter");
        QTest::addColumn<int>("cursor"); // 0: hidden, -1: left as it was

        QTest::newRow("after, circle stretch") << 33901 << true << 320;
        QTest::newRow("after, circle shrink") << 33902 << true << 323;
        QTest::newRow("after, hand") << 33903 << true << 326;
        QTest::newRow("after, region stretch") << 33904 << true << 320;
        QTest::newRow("after, region shrink") << 33905 << true << 323;
        QTest::newRow("after, control points") << 33906 << true << 324;
        QTest::newRow("after, copy") << 33907 << true << 0;
        QTest::newRow("after, blur") << 33908 << true << 0;
        QTest::newRow("after, eraser") << 33909 << true << 0;
        QTest::newRow("after, no tool") << -1 << true << -1;
        QTest::newRow("before, hand") << 33903 << false << 326;
        QTest::newRow("before, circle stretch") << 33901 << false << 325;
        QTest::newRow("before, control points") << 33906 << false << 325;
        QTest::newRow("before, copy") << 33907 << false << 325;
        QTest::newRow("before, no tool") << -1 << false << 325;
    }

    void cursorFollowsToolAndView()
    {
        QFETCH(int, tool);
        QFETCH(bool, inAfter);
        QFETCH(int, cursor);

        QVERIFY(Open(QSize(400, 300), QSize(1200, 500)));
        QVERIFY(Mode(ID_MODE_LEFT_RIGHT));
        CMorvaneView* view = inAfter ? AfterView() : BeforeView();
        Tool(tool);
        QWidget* port = view->viewport();
        const auto shows = [&] {
            return cursor > 0
                       ? HasCursor(view, cursor)
                       : port->cursor().shape() == (cursor == 0 ? Qt::BlankCursor : Qt::WaitCursor);
        };
        port->setCursor(Qt::WaitCursor);
        Hover(view, QPoint(300, 250));
        QVERIFY2(shows(), "after a move");
        port->setCursor(Qt::WaitCursor);
        QTest::mouseClick(port, Qt::RightButton, {}, QPoint(310, 250));
        QVERIFY2(shows(), "after a right click");
        port->setCursor(Qt::WaitCursor);
        QTest::mouseClick(port, Qt::LeftButton, {}, QPoint(320, 250));
        QVERIFY2(shows(), "after a left click");
    }
};

QTEST_MAIN(TestView)
#include "test_view.moc"
