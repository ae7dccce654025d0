#include "palette/QVPaletteDock.h"

#include "look/QVMRVVisualManager.h"
#include "palette/QVPalette.h"
#include "res/QVArt.h"

#include <QColor>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// The caption: no text. Floating, the column button at its left; docked, a
// gripper. Presses and moves outside the button reach the dock widget, which
// drags the palette by them.
class QVPaletteCaption : public QWidget
{
public:
    explicit QVPaletteCaption(QVPaletteDock* dock) : QWidget(dock), m_pDock(dock)
    {
        QVArt::EnsureResources();
        m_button.load(QStringLiteral(":/bitmaps/312.png"));
        // White is see-through.
        if (!m_button.isNull())
            m_button.setMask(m_button.createMaskFromColor(Qt::white));
    }

    QSize sizeHint() const override { return QSize(0, QVPaletteDock::kTitleBarHeight); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    // Taken here so that the dock widget does not see it: a double click on the
    // caption must not dock the floating palette (or float a docked one).
    void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (OnColumnButton(event))
            event->accept(); // a click on the button is not the start of a drag
        else
            event->ignore();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && OnColumnButton(event)) {
            event->accept();
            m_pDock->OnColumnButton();
            return;
        }
        event->ignore();
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QVMRVVisualManager* look = QVMRVVisualManager::Instance();
        if (!m_pDock->isFloating()) {
            // Docked at a side: a vertical bar's gripper across the bar face.
            painter.fillRect(rect(), QVMRVVisualManager::kBarFace);
            QStyleOption option;
            option.initFrom(this);
            option.state &= ~QStyle::State_Horizontal;
            style()->drawPrimitive(QStyle::PE_IndicatorToolBarHandle, &option, &painter, this);
            return;
        }
        if (look)
            look->DrawPaletteCaption(&painter, rect());
        else
            painter.fillRect(rect(), QColor(205, 205, 205));
        painter.drawPixmap(QVPaletteDock::kColumnButton.topLeft(), m_button);
    }

private:
    // Only the floating frame has the column button.
    bool OnColumnButton(const QMouseEvent* event) const
    {
        return m_pDock->isFloating() &&
               QVPaletteDock::kColumnButton.contains(event->position().toPoint());
    }

public:

private:
    QVPaletteDock* m_pDock;
    QPixmap m_button;
};

// Holds the palette at the top; docked, the rest shows the dock site.
class QVPaletteSite : public QWidget
{
public:
    QVPaletteSite(QVPaletteDock* dock, QVPalette* palette) : QWidget(dock), m_pDock(dock)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(palette);
        layout->addStretch(1);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (m_pDock->isFloating())
            return;
        QPainter painter(this);
        if (const QVMRVVisualManager* look = QVMRVVisualManager::Instance())
            look->DrawDockSite(&painter, rect());
    }

private:
    QVPaletteDock* m_pDock;
};

} // namespace

QVPaletteDock::QVPaletteDock(QWidget* parent) : QDockWidget(parent), m_pPalette(new QVPalette(this))
{
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setTitleBarWidget(new QVPaletteCaption(this));
    setWidget(new QVPaletteSite(this, m_pPalette));

    m_wndShadow.m_nAlpha = 64;
    m_wndShadow.m_rcMargins = QMargins(5, 5, 5, 5);
    m_wndShadow.m_nCornerRadius = 5;
    m_wndShadow.CreateShadow(this);
    m_wndShadow.m_rcMargins = QMargins(2, 2, 2, 4);
    m_wndShadow.m_nCornerRadius = 4;
    m_wndShadow.update();

    connect(this, &QDockWidget::topLevelChanged, this, [this](bool floating) {
        // The dock widget sets up its edge handler as it floats: the filter
        // goes in again after it, so that it comes first.
        installEventFilter(this);
        m_pPalette->SetDocked(!floating);
        FitToPalette();
        // Only the floating frame casts a shadow.
        m_wndShadow.UpdateShadow(floating);
    });
    connect(m_pPalette, &QVPalette::sizeChanged, this, &QVPaletteDock::FitToPalette);

    setFloating(true);
    installEventFilter(this);
    m_pPalette->SetDocked(false);
}

QVPaletteDock::~QVPaletteDock()
{
    removeEventFilter(&m_wndShadow);
}

void QVPaletteDock::OnColumnButton()
{
    m_pPalette->SetColumns(m_pPalette->GetColumns() % kMaxColumns + 1);
}

bool QVPaletteDock::eventFilter(QObject* watched, QEvent* event)
{
    // The floating frame has a fixed size, yet the dock widget's edge handler
    // takes every press within a few pixels of an edge as the start of a
    // resize, which does nothing: the upper half of the 10-pixel caption
    // would not drag. Mouse messages of the floating frame therefore go
    // straight to the dock widget's own handling, which drags by the caption.
    if (watched == this && isFloating()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            // Handled here only: the edge handler and the event itself must
            // not see it twice.
            this->event(event);
            return true;
        default:
            break;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

bool QVPaletteDock::event(QEvent* event)
{
    // Half transparent while the user drags the floating frame.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (isFloating())
            setWindowOpacity(kDragOpacity);
        break;
    case QEvent::MouseButtonRelease:
        setWindowOpacity(1.0);
        break;
    default:
        break;
    }
    return QDockWidget::event(event);
}

void QVPaletteDock::FitToPalette()
{
    // The size fixed last time would bound the new size hint.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // Docked, the main window's dock area decides the size.
    if (!isFloating())
        return;
    // Until its layout runs again the dock widget keeps the old palette's size
    // as its minimum, which would stop it from shrinking.
    if (layout())
        layout()->activate();
    if (widget() && widget()->layout())
        widget()->layout()->activate();
    // Exactly the palette's size: the frame's edges do not resize it.
    setFixedSize(sizeHint());
}
