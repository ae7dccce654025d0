#include "QVSliderCtrl.h"

#include "QVToolBarSliderButton.h"
#include "look/QVMRVVisualManager.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionSlider>

QVSliderCtrl::QVSliderCtrl(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setMouseTracking(true);
    setTickPosition(QSlider::NoTicks);
}

QRect QVSliderCtrl::ThumbRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

void QVSliderCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const bool hot = ThumbRect().contains(event->position().toPoint());
    QSlider::mouseMoveEvent(event);
    if (hot != m_bThumbHot) {
        m_bThumbHot = hot;
        repaint();
    }
    m_bTracking = true; // a leave event will come
}

void QVSliderCtrl::leaveEvent(QEvent* event)
{
    m_bTracking = false;
    if (m_bThumbHot) {
        m_bThumbHot = false;
        repaint();
    }
    QSlider::leaveEvent(event);
}

void QVSliderCtrl::mousePressEvent(QMouseEvent* event)
{
    m_bThumbPressed = ThumbRect().contains(event->position().toPoint());
    if (m_bThumbPressed)
        repaint();
    QSlider::mousePressEvent(event);
}

void QVSliderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_bThumbPressed) {
        m_bThumbPressed = false;
        repaint();
    }
    QSlider::mouseReleaseEvent(event);
}

void QVSliderCtrl::paintEvent(QPaintEvent* event)
{
    const QVMRVVisualManager* look = QVMRVVisualManager::Instance();
    if (!look) {
        QSlider::paintEvent(event);
        return;
    }
    QPainter painter(this);
    if (!look->DrawParentPaneBackground(this, &painter, nullptr))
        painter.fillRect(rect(), palette().window());

    QStyleOptionSlider option;
    initStyleOption(&option);
    const bool vertical = orientation() == Qt::Vertical;
    const bool leftTop = tickPosition() == TicksBothSides || tickPosition() == TicksAbove;
    const bool rightBottom = tickPosition() == TicksBothSides || tickPosition() != TicksAbove;
    // The channel runs between the thumb's two end positions, 4 pixels thick.
    const QRect thumb = ThumbRect();
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect channel =
        vertical ? QRect(groove.center().x() - 2, groove.top() + thumb.height() / 2, 4,
                         groove.height() - thumb.height())
                 : QRect(groove.left() + thumb.width() / 2, groove.center().y() - 2,
                         groove.width() - thumb.width(), 4);
    look->DrawSliderChannel(&painter, this, vertical, channel, m_bDrawOnGlass);
    look->DrawSliderThumb(&painter, this, thumb, m_bThumbHot || hasFocus(), m_bThumbPressed,
                          !isEnabled(), vertical, leftTop, rightBottom, m_bDrawOnGlass);
}

void QVSliderCtrl::hideEvent(QHideEvent* event)
{
    // Like a cancelled mode: nothing stays hot or pressed.
    m_bThumbHot = false;
    m_bThumbPressed = false;
    QSlider::hideEvent(event);
}

QVToolbarSliderCtrl::QVToolbarSliderCtrl(QVToolBarSliderButton* owner, QWidget* parent)
    : QVSliderCtrl(parent), m_pOwnerButton(owner)
{
}

void QVToolbarSliderCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const int before = value();
    QVSliderCtrl::mouseMoveEvent(event);
    if ((event->buttons() & Qt::LeftButton) && value() != before && m_pOwnerButton)
        m_pOwnerButton->SetValue(value(), true);
}

void QVToolbarSliderCtrl::keyPressEvent(QKeyEvent* event)
{
    const int before = value();
    QVSliderCtrl::keyPressEvent(event);
    if (value() != before && m_pOwnerButton)
        m_pOwnerButton->SetValue(value(), true);
}

void QVToolbarSliderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    QVSliderCtrl::mouseReleaseEvent(event);
    // A release always notifies, also without a change.
    if (isVisible() && m_pOwnerButton)
        m_pOwnerButton->SetValue(value(), true);
}
