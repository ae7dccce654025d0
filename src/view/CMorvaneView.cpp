#include "CMorvaneView.h"

#include "CChildFrame.h"
#include "app/QVCommandIds.h"
#include "document/CMorvaneDoc.h"
#include "engine/history/QVRectCopy.h"
#include "engine/image/QVClosedCurve.h"
#include "res/QVArt.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

const QColor kBackgroundColour(192, 192, 192);
const QColor kFrameColour(0, 0, 0);
const QColor kCircleColour(102, 102, 102);
const QColor kHandleColour(255, 0, 0);
const QColor kCurveColour(0, 255, 0);

// Cursor resources.
constexpr int kCursorCross = 320;
constexpr int kCursorShrink = 323;
constexpr int kCursorPoint = 324;
constexpr int kCursorForbidden = 325;
constexpr int kCursorHand = 326;

constexpr int kHandleHalf = 4;
constexpr int kBlankCursor = -1;

int Trunc(double value)
{
    return int(value);
}

} // namespace

CMorvaneView::CMorvaneView(CMorvaneDoc* document, CChildFrame* frame, QWidget* parent)
    : QAbstractScrollArea(parent), m_pDocument(document), m_pFrame(frame)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::ClickFocus);
    viewport()->setMouseTracking(true);
    // Every pixel is painted by paintEvent.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    // The wheel neither scrolls nor zooms, over the scroll bars either.
    horizontalScrollBar()->installEventFilter(this);
    verticalScrollBar()->installEventFilter(this);
}

bool CMorvaneView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel &&
        (watched == horizontalScrollBar() || watched == verticalScrollBar())) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void CMorvaneView::keyPressEvent(QKeyEvent* event)
{
    // No key scrolls the picture (arrows, Page Up/Down, Home, End): only the
    // scroll bars and the hand tool move it. The keys go on to the window.
    event->ignore();
}

CMorvaneView::~CMorvaneView() = default;

QVDIB* CMorvaneView::Before() const
{
    return m_pDocument ? &m_pDocument->m_dibBefore : nullptr;
}

QVDIB* CMorvaneView::After() const
{
    return m_pDocument ? &m_pDocument->m_dibAfter : nullptr;
}

const QVDIB* CMorvaneView::ShownImage() const
{
    return m_bAfter ? After() : Before();
}

CMorvaneView* CMorvaneView::Partner() const
{
    if (!m_pFrame)
        return nullptr;
    return m_bAfter ? m_pFrame->m_pBeforeView : m_pFrame->m_pAfterView;
}

bool CMorvaneView::IsWarpTool(int tool)
{
    return tool == ID_TOOL_CIRCLE_STRETCH || tool == ID_TOOL_CIRCLE_SHRINK ||
           tool == ID_TOOL_REGION_STRETCH || tool == ID_TOOL_REGION_SHRINK;
}

bool CMorvaneView::IsBrushTool(int tool)
{
    return IsWarpTool(tool) || tool == ID_TOOL_COPY || tool == ID_TOOL_BLUR ||
           tool == ID_TOOL_ERASER;
}

bool CMorvaneView::WarpRunning() const
{
    return m_tool.m_bWarpReady && m_tool.m_pSource && m_tool.m_pTarget &&
           m_tool.m_nState == QVTool::TOOL_WARPING;
}

void CMorvaneView::OnInitialUpdate()
{
    UpdateScrollSizes();
    if (m_bAfter && m_pDocument) {
        (void)m_dibShow.CopyFrom(After());
        m_rcShowDirty = QVRect{};
        m_unrecorded.clear();
        m_history.Add(After(), m_pDocument->GetAfterState());
    }
}

// ---- zoom and scrolling --------------------------------------------------------

void CMorvaneView::UpdateScrollSizes()
{
    const QVDIB* image = ShownImage();
    const int totalWidth = image ? Trunc(image->GetWidth() * m_dZoom) : 0;
    const int totalHeight = image ? Trunc(image->GetHeight() * m_dZoom) : 0;
    // The ranges are those of the viewport that remains once the scroll bars
    // this size needs are shown: the bars appear later, and a range computed
    // without them would cut a position given now (a partner's, say).
    const QSize whole = maximumViewportSize();
    const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    int width = whole.width(), height = whole.height();
    for (int pass = 0; pass < 2; ++pass) {
        width = whole.width() - (totalHeight > height ? barWidth : 0);
        height = whole.height() - (totalWidth > width ? barWidth : 0);
    }
    horizontalScrollBar()->setRange(0, std::max(0, totalWidth - width));
    verticalScrollBar()->setRange(0, std::max(0, totalHeight - height));
    horizontalScrollBar()->setPageStep(std::max(1, width));
    verticalScrollBar()->setPageStep(std::max(1, height));
    horizontalScrollBar()->setSingleStep(std::max(1, totalWidth / 100));
    verticalScrollBar()->setSingleStep(std::max(1, totalHeight / 100));
}

bool CMorvaneView::SetZoom(double zoom)
{
    if (!(zoom > 0 && zoom <= kMaxZoom))
        return false;
    m_dZoom = zoom;
    UpdateScrollSizes();
    RedrawNow();
    return true;
}

QPoint CMorvaneView::GetScrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CMorvaneView::ScrollToPosition(QPoint position)
{
    // The scroll bars clamp to their ranges.
    horizontalScrollBar()->setValue(position.x());
    verticalScrollBar()->setValue(position.y());
}

void CMorvaneView::RedrawNow()
{
    viewport()->repaint();
}

namespace {

// A step below 1 adds or takes 0.1; on the ladder 0.1 ... 0.9 it lands exactly
// on the next value, so no rounding error builds up over repeated steps.
double TenthStep(double zoom, double step)
{
    const double tenths = zoom * 10;
    if (std::abs(tenths - std::round(tenths)) < 1e-9)
        return (std::round(tenths) + step * 10) / 10;
    return zoom + step;
}

} // namespace

void CMorvaneView::OnZoomIn()
{
    const double zoom = m_dZoom >= 1 ? m_dZoom + 1 : TenthStep(m_dZoom, 0.1);
    if (SetZoom(zoom))
        SyncPartnerView();
}

void CMorvaneView::OnZoomOut()
{
    const double zoom = m_dZoom > 1 ? m_dZoom - 1 : TenthStep(m_dZoom, -0.1);
    if (SetZoom(zoom))
        SyncPartnerView();
}

void CMorvaneView::OnUnzoom()
{
    if (SetZoom(1))
        SyncPartnerView();
}

void CMorvaneView::OnFitInWindow()
{
    const QVDIB* image = ShownImage();
    if (!image || image->IsEmpty())
        return;
    // The viewport as large as it is without scroll bars: a fitted picture
    // needs none. Any factor is taken, not only a step of the ladder, within
    // the ladder's range; zoom in and out then step from it as usual.
    const QSize room = maximumViewportSize();
    const double fit = std::min(double(room.width()) / image->GetWidth(),
                                double(room.height()) / image->GetHeight());
    if (SetZoom(std::clamp(fit, kMinZoom, kMaxZoom)))
        SyncPartnerView();
}

bool CMorvaneView::SyncPartnerView()
{
    CMorvaneView* partner = Partner();
    if (!m_pFrame || !partner || !partner->isVisible() || m_bSyncing)
        return false;
    // The partner takes our zoom and position without handing them back.
    const QPoint position = GetScrollPosition();
    m_bSyncing = partner->m_bSyncing = true;
    partner->SetZoom(m_dZoom);
    partner->ScrollToPosition(position);
    partner->RedrawNow();
    m_bSyncing = partner->m_bSyncing = false;
    return true;
}

void CMorvaneView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollSizes();
}

void CMorvaneView::scrollContentsBy(int, int)
{
    SyncPartnerView();
    RedrawNow();
}

// ---- coordinates -----------------------------------------------------------------

void CMorvaneView::Placement(double& offX, double& offY, int& height) const
{
    // A picture narrower (lower) than the viewport is centred and not scrolled
    // in that direction.
    const QVDIB* image = ShownImage();
    const int w = image ? image->GetWidth() : 0;
    height = image ? image->GetHeight() : 0;
    const double sw = w * m_dZoom, sh = height * m_dZoom;
    offX = viewport()->width() > sw ? (viewport()->width() - sw) * 0.5 : 0;
    offY = viewport()->height() > sh ? (viewport()->height() - sh) * 0.5 : 0;
}

QPoint CMorvaneView::WindowToImage(int x, int y) const
{
    double offX, offY;
    int h;
    Placement(offX, offY, h);
    const QPoint scroll = GetScrollPosition();
    const double X = offX > 0 ? x - offX : x + scroll.x();
    const double Y = offY > 0 ? y - offY : y + scroll.y();
    return {Trunc(X / m_dZoom + 0.5), Trunc(h - Y / m_dZoom - 1 + 0.5)};
}

QPoint CMorvaneView::ImageToWindow(int column, int row) const
{
    double offX, offY;
    int h;
    Placement(offX, offY, h);
    const QPoint scroll = GetScrollPosition();
    const double px = offX > 0 ? offX + column * m_dZoom : column * m_dZoom - scroll.x();
    const double py = offY > 0 ? offY + (h - row - 1) * m_dZoom : (h - row - 1) * m_dZoom - scroll.y();
    return {Trunc(px + 0.5), Trunc(py + 0.5)};
}

QVRect CMorvaneView::GetVisibleImageRect() const
{
    const QVDIB* image = ShownImage();
    const int w = image ? image->GetWidth() : 0;
    const int h = image ? image->GetHeight() : 0;
    const double z = m_dZoom;
    const int cw = viewport()->width();
    const int ch = viewport()->height();
    const QPoint scroll = GetScrollPosition();
    QVRect rect;
    if (cw > w * z) {
        rect.left = 0;
        rect.right = w;
    } else {
        rect.left = Trunc(scroll.x() / z);
        rect.right = Trunc((scroll.x() + cw) / z);
    }
    // Rows are mirrored: storage row 0 is the bottom of the picture.
    if (ch > h * z) {
        rect.top = 0;
        rect.bottom = h;
    } else {
        rect.top = Trunc(h - (scroll.y() + ch) / z);
        rect.bottom = Trunc(h - scroll.y() / z);
    }
    return rect;
}

// ---- painting ----------------------------------------------------------------------

void CMorvaneView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    // Only the area that changed is converted and drawn.
    painter.setClipRect(event->rect());
    const QVDIB* image = ShownImage();
    const int w = image ? image->GetWidth() : 0;
    const int h = image ? image->GetHeight() : 0;
    const int W = viewport()->width();
    const int H = viewport()->height();
    const QPoint scroll = GetScrollPosition();

    const int sw = Trunc(w * m_dZoom);
    const int sh = Trunc(h * m_dZoom);
    const int ox = W > sw ? (W - sw) / 2 : 0;
    const int oy = H > sh ? (H - sh) / 2 : 0;
    const int R = ox > 0 ? ox + sw : W;
    const int B = oy > 0 ? oy + sh : H;

    if (ox > 0 || oy > 0 || !image || image->IsEmpty()) {
        painter.fillRect(0, 0, W, H, kBackgroundColour);
        // A 1-pixel black frame just outside the picture.
        painter.setPen(kFrameColour);
        painter.setBrush(kBackgroundColour);
        painter.drawRect(ox - 1, oy - 1, R - ox + 1, B - oy + 1);
    }

    // The source rectangle counts its rows from the bottom of the picture.
    const int left = Trunc(scroll.x() / m_dZoom);
    const QVRect source{left, Trunc(h - (scroll.y() - oy + B) / m_dZoom),
                        Trunc((R - ox) / m_dZoom + left), Trunc(h - scroll.y() / m_dZoom)};
    const QVRect dest{ox, oy, R, B};
    if (image) {
        const QVDIB& shown = m_bAfter ? m_dibShow : *image;
        shown.Paint(&painter, dest, source);
    }

    if (!m_bAfter)
        return;
    switch (CurrentTool()) {
    case ID_TOOL_CIRCLE_STRETCH:
    case ID_TOOL_CIRCLE_SHRINK:
    case ID_TOOL_COPY:
    case ID_TOOL_BLUR:
    case ID_TOOL_ERASER:
        DrawBrushCircle(painter);
        break;
    case ID_TOOL_REGION_STRETCH:
    case ID_TOOL_REGION_SHRINK:
        DrawBrushCircle(painter);
        DrawControlCurve(painter, false);
        break;
    case ID_TOOL_POINT:
        DrawControlCurve(painter, true);
        break;
    default:
        break;
    }
}

void CMorvaneView::DrawBrushCircle(QPainter& painter) const
{
    if (m_nRadius <= 0)
        return;
    // Centred on the remembered mouse position: it shows the brush size on
    // screen at the current zoom.
    const double rz = m_nRadius * m_dZoom;
    const int l = Trunc(m_ptMouse.x() - rz), t = Trunc(m_ptMouse.y() - rz);
    const int r = Trunc(m_ptMouse.x() + rz), b = Trunc(m_ptMouse.y() + rz);
    painter.setPen(kCircleColour);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRect(l, t, r - l - 1, b - t - 1));
}

void CMorvaneView::DrawControlCurve(QPainter& painter, bool handles) const
{
    if (m_nControlCount <= 0)
        return;
    std::vector<QVPoint> client(static_cast<size_t>(m_nControlCount));
    for (int i = 0; i < m_nControlCount; ++i) {
        const QPoint p = ImageToWindow(m_ptControl[size_t(i)].x, m_ptControl[size_t(i)].y);
        client[size_t(i)] = QVPoint{p.x(), p.y()};
        if (handles)
            painter.fillRect(p.x() - kHandleHalf, p.y() - kHandleHalf, 2 * kHandleHalf,
                             2 * kHandleHalf, kHandleColour);
    }

    // The same spline the region strokes fill, through the points on screen;
    // two points give a line, one point only its handle.
    painter.setPen(QPen(kCurveColour, 1));
    painter.setBrush(Qt::NoBrush);
    if (m_nControlCount == 2) {
        painter.drawLine(client[0].x, client[0].y, client[1].x, client[1].y);
        return;
    }
    const QVClosedCurve curve(client.data(), m_nControlCount);
    const std::vector<QVPointF>& b = curve.Beziers();
    if (b.empty())
        return;
    QPainterPath path(QPointF(b[0].x, b[0].y));
    for (size_t i = 1; i + 2 < b.size(); i += 3)
        path.cubicTo(b[i].x, b[i].y, b[i + 1].x, b[i + 1].y, b[i + 2].x, b[i + 2].y);
    painter.drawPath(path);
}

// ---- input ---------------------------------------------------------------------------

void CMorvaneView::SetToolCursor()
{
    const int tool = CurrentTool();
    int cursor = 0;
    if (tool == ID_TOOL_HAND)
        cursor = kCursorHand;
    else if (!m_bAfter)
        cursor = kCursorForbidden;
    else if (tool == ID_TOOL_CIRCLE_STRETCH || tool == ID_TOOL_REGION_STRETCH)
        cursor = kCursorCross;
    else if (tool == ID_TOOL_CIRCLE_SHRINK || tool == ID_TOOL_REGION_SHRINK)
        cursor = kCursorShrink;
    else if (tool == ID_TOOL_POINT)
        cursor = kCursorPoint;

    if (!cursor && (tool == ID_TOOL_COPY || tool == ID_TOOL_BLUR || tool == ID_TOOL_ERASER))
        cursor = kBlankCursor; // the brush circle marks the spot
    if (!cursor)
        return;
    // Each cursor picture is rendered from its drawing once per view, and set
    // only when the viewport shows another one.
    auto built = m_cursors.find(cursor);
    if (built == m_cursors.end())
        built = m_cursors.insert(cursor, cursor == kBlankCursor ? QCursor(Qt::BlankCursor)
                                                                : QVArt::ToolCursor(cursor));
    const QCursor current = viewport()->cursor();
    if (current.shape() == built->shape() &&
        current.pixmap().cacheKey() == built->pixmap().cacheKey())
        return;
    viewport()->setCursor(*built);
}

void CMorvaneView::MarkCircle(QPoint centre)
{
    const int reach = Trunc(m_nRadius * m_dZoom) + 2;
    m_rcDirty |= QRect(centre.x() - reach, centre.y() - reach, 2 * reach + 1, 2 * reach + 1);
}

void CMorvaneView::MarkImageRect(const QVRect& rect)
{
    if (rect.IsEmpty())
        return;
    // Rows count from the bottom: the rectangle's top row on screen is its last.
    const QPoint a = ImageToWindow(rect.left, rect.bottom);
    const QPoint b = ImageToWindow(rect.right, rect.top);
    const int margin = Trunc(m_dZoom) + 2;
    m_rcDirty |= QRect(a, b).normalized().adjusted(-margin, -margin, margin, margin);
}

void CMorvaneView::FlushRedraw()
{
    if (m_bDirtyAll)
        RedrawNow();
    else if (!m_rcDirty.isEmpty())
        viewport()->repaint(m_rcDirty);
    m_bDirtyAll = false;
    m_rcDirty = QRect();
}

void CMorvaneView::DropPreview()
{
    QVDIB* after = After();
    if (!m_bAfter || !after || m_rcShowDirty.IsEmpty())
        return;
    if (!QVCopyRect(*after, m_dibShow, m_rcShowDirty))
        (void)m_dibShow.CopyFrom(after);
    m_rcShowDirty = QVRect{};
}

bool CMorvaneView::Commit()
{
    QVDIB* after = After();
    if (!after)
        return false;
    // Outside the stroke's square or the preview the display copy is the
    // after-image already.
    if (!m_rcShowDirty.IsEmpty()) {
        if (!QVCopyRect(m_dibShow, *after, m_rcShowDirty))
            return false;
        AddUnrecorded(m_rcShowDirty);
        m_rcShowDirty = QVRect{};
    }
    m_pDocument->SetModifiedFlag(true);
    return true;
}

void CMorvaneView::AddUnrecorded(const QVRect& rect)
{
    if (rect.IsEmpty())
        return;
    // A drag adds a square per move; squares inside others add nothing.
    for (const QVRect& held : m_unrecorded)
        if (held.Intersected(rect) == rect)
            return;
    std::erase_if(m_unrecorded, [&](const QVRect& held) { return rect.Intersected(held) == held; });
    m_unrecorded.push_back(rect);
}

void CMorvaneView::Record()
{
    // When the history has no memory for the step, the areas stay unrecorded:
    // the next step or undo takes them along.
    if (m_history.Add(After(), m_unrecorded, m_pDocument->GetAfterState()))
        m_unrecorded.clear();
}

void CMorvaneView::mousePressEvent(QMouseEvent* event)
{
    emit activated(this);
    if (!m_pDocument)
        return;
    SetToolCursor();
    const QPoint position = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(position);
    else if (event->button() == Qt::RightButton)
        OnRButtonDown(position);
    else
        return;
    // The brush tools mark what they changed; other tools repaint it all.
    if (!m_bAfter || !IsBrushTool(CurrentTool()))
        MarkAll();
    FlushRedraw();
}

void CMorvaneView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pDocument)
        return;
    SetToolCursor();
    OnMouseMove(event->position().toPoint(), event->buttons() & Qt::LeftButton);
    FlushRedraw();
}

void CMorvaneView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_pDocument)
        return;
    SetToolCursor();
    const QPoint position = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        OnLButtonUp(position);
        if (!m_bAfter || !IsBrushTool(CurrentTool()))
            MarkAll();
        FlushRedraw();
    } else if (event->button() == Qt::RightButton) {
        m_ptMouse = position;
    }
}

void CMorvaneView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is not a press.
    event->accept();
}

void CMorvaneView::wheelEvent(QWheelEvent* event)
{
    // The wheel neither scrolls nor zooms.
    event->accept();
}

void CMorvaneView::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
}

void CMorvaneView::OnLButtonDown(QPoint position)
{
    const int tool = CurrentTool();
    MarkCircle(m_ptMouse);
    m_ptMouse = position;
    MarkCircle(m_ptMouse);
    if (tool == ID_TOOL_HAND)
        m_ptAnchor = position;
    if (!m_bAfter)
        return;

    const QPoint ip = WindowToImage(position.x(), position.y());
    switch (tool) {
    case ID_TOOL_CIRCLE_STRETCH:
    case ID_TOOL_CIRCLE_SHRINK:
        (void)m_tool.BeginWarp(After(), &m_dibShow, m_nRadius,
                               tool == ID_TOOL_CIRCLE_STRETCH ? QVWarpControl::WARP_STRETCH
                                                              : QVWarpControl::WARP_SHRINK_EXPAND,
                               nullptr, 0, 0, ip.x(), ip.y());
        break;
    case ID_TOOL_REGION_STRETCH:
    case ID_TOOL_REGION_SHRINK: {
        // With fewer than three points the curve is empty.
        const QVClosedCurve region(m_ptControl.data(), m_nControlCount);
        (void)m_tool.BeginWarp(After(), &m_dibShow, m_nRadius,
                               tool == ID_TOOL_REGION_STRETCH ? QVWarpControl::WARP_STRETCH
                                                              : QVWarpControl::WARP_SHRINK_EXPAND,
                               &region, m_nRegionCombine, m_nCoverMode, ip.x(), ip.y());
        break;
    }
    case ID_TOOL_POINT: {
        // The nearest point within reach on screen; of equally near points the
        // one added first.
        double best = kPickDistance * kPickDistance;
        m_nSelected = -1;
        for (int i = 0; i < m_nControlCount; ++i) {
            const QPoint p = ImageToWindow(m_ptControl[size_t(i)].x, m_ptControl[size_t(i)].y);
            const double dx = p.x() - position.x(), dy = p.y() - position.y();
            const double distance = dx * dx + dy * dy;
            if (distance < best) {
                best = distance;
                m_nSelected = i;
            }
        }
        break;
    }
    case ID_TOOL_COPY:
        Commit(); // the paste preview becomes the picture
        break;
    case ID_TOOL_BLUR:
    case ID_TOOL_ERASER:
        BrushStep(tool, ip);
        break;
    default:
        break;
    }
}

void CMorvaneView::OnMouseMove(QPoint position, bool buttonDown)
{
    const int tool = CurrentTool();
    if (tool == ID_TOOL_HAND) {
        m_ptMouse = position;
        if (buttonDown) {
            // The picture follows the mouse; an axis in which it fits is not panned.
            const QVDIB* image = ShownImage();
            const int sw = image ? Trunc(image->GetWidth() * m_dZoom) : 0;
            const int sh = image ? Trunc(image->GetHeight() * m_dZoom) : 0;
            QPoint scroll = GetScrollPosition();
            if (viewport()->width() < sw)
                scroll.rx() += m_ptAnchor.x() - position.x();
            if (viewport()->height() < sh)
                scroll.ry() += m_ptAnchor.y() - position.y();
            ScrollToPosition(scroll);
            m_ptAnchor = position;
            SyncPartnerView();
        }
    }
    if (!m_bAfter)
        return;

    const QPoint ip = WindowToImage(position.x(), position.y());
    if (IsWarpTool(tool)) {
        if (buttonDown && WarpRunning()) {
            // The brush circle stays where the stroke began.
            if (m_tool.Warp(ip.x(), ip.y())) {
                const QVRect square = m_tool.WarpRect();
                m_rcShowDirty = QVUnite(m_rcShowDirty, square);
                MarkImageRect(square);
            }
        } else if (WarpRunning()) {
            // The release happened elsewhere: the stroke ends here, unrecorded.
            m_tool.EndWarp();
            Commit();
        } else {
            MarkCircle(m_ptMouse);
            m_ptMouse = position;
            MarkCircle(m_ptMouse);
        }
        return;
    }
    switch (tool) {
    case ID_TOOL_POINT:
        m_ptMouse = position;
        if (buttonDown && m_nSelected >= 0) {
            m_ptControl[size_t(m_nSelected)] = QVPoint{ip.x(), ip.y()};
            MarkAll(); // the whole curve follows the point
        }
        break;
    case ID_TOOL_COPY:
        MarkCircle(m_ptMouse);
        m_ptMouse = position;
        MarkCircle(m_ptMouse);
        if (m_tool.m_bCopyReady && m_tool.m_nState == QVTool::TOOL_COPY_HELD) {
            // A live preview: the after-image with the patch under the mouse.
            // Only the square the last preview drew is put back.
            if (QVCopyRect(*After(), m_dibShow, m_rcShowDirty)) {
                MarkImageRect(m_rcShowDirty);
                m_rcShowDirty = QVRect{};
                const QVRect square = m_tool.PasteRect(&m_dibShow, ip.x(), ip.y());
                if (m_tool.PasteCopy(&m_dibShow, ip.x(), ip.y())) {
                    m_rcShowDirty = square;
                    MarkImageRect(square);
                }
            }
        }
        break;
    case ID_TOOL_ERASER:
    case ID_TOOL_BLUR:
        MarkCircle(m_ptMouse);
        m_ptMouse = position;
        MarkCircle(m_ptMouse);
        if (buttonDown)
            BrushStep(tool, ip);
        break;
    default:
        break;
    }
}

void CMorvaneView::BrushStep(int tool, QPoint ip)
{
    const QVRect square = QVTool::BrushRect(&m_dibShow, m_nRadius, ip.x(), ip.y());
    const bool done = tool == ID_TOOL_ERASER
                          ? QVTool::Erase(m_nRadius, Before(), &m_dibShow, ip.x(), ip.y())
                          : QVTool::Blur(m_nRadius, &m_dibShow, ip.x(), ip.y());
    if (!done)
        return;
    m_rcShowDirty = QVUnite(m_rcShowDirty, square);
    MarkImageRect(square);
    Commit();
}

void CMorvaneView::OnLButtonUp(QPoint position)
{
    MarkCircle(m_ptMouse);
    m_ptMouse = position;
    MarkCircle(m_ptMouse);
    if (!m_bAfter)
        return;
    const int tool = CurrentTool();
    if (IsWarpTool(tool)) {
        // Every release records a step, also after a click that started no stroke.
        if (Commit()) {
            Record();
            m_tool.EndWarp();
        }
    } else if (tool == ID_TOOL_POINT) {
        m_nSelected = -1;
    } else if (tool == ID_TOOL_COPY || tool == ID_TOOL_BLUR || tool == ID_TOOL_ERASER) {
        Record();
    }
}

void CMorvaneView::OnRButtonDown(QPoint position)
{
    MarkCircle(m_ptMouse);
    m_ptMouse = position;
    MarkCircle(m_ptMouse);
    if (!m_bAfter)
        return;
    const QPoint ip = WindowToImage(position.x(), position.y());
    const int tool = CurrentTool();
    if (tool == ID_TOOL_POINT) {
        if (m_nControlCount < kMaxControlPoints)
            m_ptControl[size_t(m_nControlCount++)] = QVPoint{ip.x(), ip.y()};
    } else if (tool == ID_TOOL_COPY) {
        (void)m_tool.CaptureCopy(After(), m_nRadius, ip.x(), ip.y());
    }
}

// ---- commands ------------------------------------------------------------------------

void CMorvaneView::OnDeletePoints()
{
    if (!m_bAfter)
        return;
    m_ptControl.fill(QVPoint{});
    m_nControlCount = 0;
    m_nSelected = -1;
    RedrawNow();
}

void CMorvaneView::OnReset()
{
    QVDIB* after = After();
    if (!after || !Before())
        return;
    // Only where the after-image differs from the before-image is written.
    std::vector<QVRect> changed;
    if (!QVCopyDifferences(*Before(), *after, changed)) {
        if (!after->CopyFrom(Before()))
            return;
        changed.assign(1, QVRect{0, 0, after->GetWidth(), after->GetHeight()});
    }
    m_pDocument->SetAfterState(m_pDocument->GetBeforeState());
    for (const QVRect& rect : changed)
        AddUnrecorded(rect);
    Record();
    changed.push_back(m_rcShowDirty);
    ShowAfterImage(changed);
}

void CMorvaneView::OnUndo()
{
    std::vector<QVRect> changed;
    RestoreSnapshot(m_history.Undo(&changed), changed);
}

void CMorvaneView::OnRedo()
{
    std::vector<QVRect> changed;
    RestoreSnapshot(m_history.Redo(&changed), changed);
}

void CMorvaneView::RestoreSnapshot(const QVSnapshot* snapshot, std::vector<QVRect>& changed)
{
    // At the ends of the history there is no snapshot and nothing happens.
    QVDIB* after = After();
    if (!snapshot || !after)
        return;
    changed.insert(changed.end(), m_unrecorded.begin(), m_unrecorded.end());
    changed.push_back(m_rcShowDirty);
    if (!snapshot->SameGeometry(*after)) {
        // Not the picture's geometry: the whole picture is the snapshot's.
        if (!snapshot->CopyTo(*after))
            return;
        changed.assign(1, QVRect{0, 0, after->GetWidth(), after->GetHeight()});
    }
    for (const QVRect& rect : changed)
        (void)snapshot->CopyTo(*after, rect);
    m_unrecorded.clear();
    m_pDocument->SetAfterState(snapshot->GetTag());
    ShowAfterImage(changed);
}

void CMorvaneView::ShowAfterImage(const std::vector<QVRect>& changed)
{
    if (m_bAfter) {
        for (const QVRect& rect : changed)
            if (!QVCopyRect(*After(), m_dibShow, rect)) {
                // Another geometry: the display copy is made anew.
                (void)m_dibShow.CopyFrom(After());
                break;
            }
        m_rcShowDirty = QVRect{};
    }
    for (const QVRect& rect : changed)
        MarkImageRect(rect);
    FlushRedraw();
}

bool CMorvaneView::HasCmdHandler(int id) const
{
    switch (id) {
    case ID_ZOOM_IN:
    case ID_ZOOM_OUT:
    case ID_UNZOOM:
    case ID_ZOOM_FIT:
    case ID_REGION_INTERSECT:
    case ID_REGION_EXCLUDE:
    case ID_REGION_COVER:
    case ID_REGION_BECOVER:
    case ID_DELETE_POINTS:
    case ID_RESET:
    case ID_UNDO:
    case ID_REDO:
        return true;
    default:
        return false;
    }
}

bool CMorvaneView::OnCmdMsg(int id)
{
    switch (id) {
    case ID_ZOOM_IN: OnZoomIn(); return true;
    case ID_ZOOM_OUT: OnZoomOut(); return true;
    case ID_UNZOOM: OnUnzoom(); return true;
    case ID_ZOOM_FIT: OnFitInWindow(); return true;
    case ID_REGION_INTERSECT: OnIntersectRegion(); return true;
    case ID_REGION_EXCLUDE: OnExcludeRegion(); return true;
    case ID_REGION_COVER: OnCover(); return true;
    case ID_REGION_BECOVER: OnBecover(); return true;
    case ID_DELETE_POINTS: OnDeletePoints(); return true;
    case ID_RESET: OnReset(); return true;
    case ID_UNDO: OnUndo(); return true;
    case ID_REDO: OnRedo(); return true;
    default: return false;
    }
}
