#include "QVShadowWnd.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

QVShadowWnd::QVShadowWnd()
{
    // Never takes the mouse or the focus: clicks reach the window below.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                   Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

bool QVShadowWnd::CreateShadow(QWidget* owner)
{
    if (!owner)
        return false;
    m_pOwner = owner;
    const QScreen* screen = QGuiApplication::primaryScreen();
    m_bEnabled = screen && screen->depth() > 8;
    setWindowOpacity(m_nAlpha / 255.0);
    setGeometry(owner->frameGeometry().marginsAdded(m_rcMargins));
    owner->installEventFilter(this);
    return true;
}

void QVShadowWnd::UpdateShadow(bool show)
{
    // Only a window of its own casts a shadow (not a docked palette, say).
    if (!m_bEnabled || !show || !m_pOwner || !m_pOwner->isVisible() || !m_pOwner->isWindow()) {
        hide();
        return;
    }
    setGeometry(m_pOwner->frameGeometry().marginsAdded(m_rcMargins));
    QWidget::show();
    // Directly behind the owner.
    m_pOwner->raise();
}

bool QVShadowWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pOwner) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
            UpdateShadow(true);
            break;
        case QEvent::Hide:
            UpdateShadow(false);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QRect QVShadowWnd::OwnerRect() const
{
    return rect().marginsRemoved(m_rcMargins);
}

void QVShadowWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Only the rings belong to the window, so nothing shows where a system
    // cannot blend it, and the owner's area stays the owner's.
    const qreal radius = m_nCornerRadius;
    QPainterPath outer;
    outer.addRoundedRect(QRectF(rect()), radius, radius);
    QPainterPath inner;
    inner.addRect(QRectF(OwnerRect()));
    setMask(QRegion(outer.subtracted(inner).toFillPolygon().toPolygon()));
}

void QVShadowWnd::paintEvent(QPaintEvent*)
{
    if (!m_bEnabled)
        return;
    QPainter painter(this);
    // What is not a ring is see-through.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);

    const int rings = std::max({m_rcMargins.left(), m_rcMargins.top(), m_rcMargins.right(),
                                m_rcMargins.bottom()});
    const int diameter = 2 * m_nCornerRadius;
    QRect ring = rect();
    for (int i = 0; i < rings && !ring.isEmpty(); ++i) {
        // From the outer colour towards the inner one, never reaching it.
        auto channel = [&](int outer, int inner) { return outer + (inner - outer) * i / rings; };
        const QColor colour(channel(m_clrOuter.red(), m_clrInner.red()),
                            channel(m_clrOuter.green(), m_clrInner.green()),
                            channel(m_clrOuter.blue(), m_clrInner.blue()));
        painter.setPen(QPen(colour, 2));
        painter.setBrush(Qt::transparent);
        if (diameter * diameter < 1)
            painter.drawRect(ring.adjusted(0, 0, -1, -1));
        else
            painter.drawRoundedRect(ring.adjusted(0, 0, -1, -1), m_nCornerRadius, m_nCornerRadius);
        ring.adjust(1, 1, -1, -1);
    }
    if (m_pOwner)
        painter.fillRect(OwnerRect(), Qt::transparent);
}
