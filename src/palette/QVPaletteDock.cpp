#include "palette/QVPaletteDock.h"

#include "palette/QVPalette.h"

#include <QColor>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

namespace {

constexpr QColor kTitleBarColor{91, 91, 91};

// A caption without text or buttons. It ignores presses and moves, so they
// reach the dock widget, which drags the palette by it.
class QVPaletteTitleBar : public QWidget
{
public:
    explicit QVPaletteTitleBar(QWidget* parent) : QWidget(parent) {}

    QSize sizeHint() const override { return QSize(0, QVPaletteDock::kTitleBarHeight); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    // Taken here so that the dock widget does not see it: a double click on the
    // caption must not dock the floating palette (or float a docked one).
    void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }

    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kTitleBarColor); }
};

} // namespace

QVPaletteDock::QVPaletteDock(QWidget* parent) : QDockWidget(parent), m_pPalette(new QVPalette(this))
{
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setTitleBarWidget(new QVPaletteTitleBar(this));
    setWidget(m_pPalette);

    connect(this, &QDockWidget::topLevelChanged, this, [this](bool floating) {
        m_pPalette->SetDocked(!floating);
        FitToPalette();
    });
    connect(m_pPalette, &QVPalette::sizeChanged, this, &QVPaletteDock::FitToPalette);

    setFloating(true);
    m_pPalette->SetDocked(false);
}

QVPaletteDock::~QVPaletteDock() = default;

void QVPaletteDock::FitToPalette()
{
    // Docked, the main window's dock area decides the size.
    if (!isFloating()) return;
    // Until its layout runs again the dock widget keeps the old palette's size
    // as its minimum, which would stop it from shrinking.
    if (layout()) layout()->activate();
    // Its size hint is the palette's plus the title bar and whatever frame the
    // style draws around a floating dock widget.
    resize(sizeHint());
}
