#include "QVToolBarSliderButton.h"

#include "QVSliderCtrl.h"

#include <QSignalBlocker>
#include <QToolBar>

QList<QVToolBarSliderButton*> QVToolBarSliderButton::s_buttons;

QVToolBarSliderButton::QVToolBarSliderButton(int commandId, QObject* parent)
    : QWidgetAction(parent), m_nID(commandId)
{
    setData(commandId);
    s_buttons.append(this);
}

QVToolBarSliderButton::~QVToolBarSliderButton()
{
    s_buttons.removeAll(this);
}

QVToolbarSliderCtrl* QVToolBarSliderButton::Slider() const
{
    for (const QPointer<QVToolbarSliderCtrl>& slider : m_sliders)
        if (slider)
            return slider;
    return nullptr;
}

void QVToolBarSliderButton::ApplyTo(QVToolbarSliderCtrl* slider) const
{
    // Programmatic changes are not the user's: the bar hears nothing of them.
    const QSignalBlocker blocker(slider);
    slider->setRange(m_nMin, m_nMax);
    slider->setValue(m_nValue);
    slider->update();
}

void QVToolBarSliderButton::SetRange(int minimum, int maximum)
{
    for (QVToolBarSliderButton* button : s_buttons) {
        if (button != this && button->m_nID != m_nID)
            continue;
        button->m_nMin = minimum;
        button->m_nMax = maximum;
        for (const QPointer<QVToolbarSliderCtrl>& slider : button->m_sliders)
            if (slider)
                button->ApplyTo(slider);
    }
}

void QVToolBarSliderButton::SetValue(int value, bool notify)
{
    for (QVToolBarSliderButton* button : s_buttons) {
        if (button != this && button->m_nID != m_nID)
            continue;
        button->m_nValue = value;
        for (const QPointer<QVToolbarSliderCtrl>& slider : button->m_sliders)
            if (slider)
                button->ApplyTo(slider);
    }
    if (notify && Slider())
        emit commandNotified(m_nID);
}

int QVToolBarSliderButton::GetPos(int commandId)
{
    for (QVToolBarSliderButton* button : s_buttons)
        if (button->m_nID == commandId)
            if (QVToolbarSliderCtrl* slider = button->Slider())
                return slider->value();
    return -1;
}

void QVToolBarSliderButton::CopyFrom(const QVToolBarSliderButton& source)
{
    m_nWidth = source.m_nWidth;
    m_nHeight = source.m_nHeight;
    m_nMin = source.m_nMin;
    m_nMax = source.m_nMax;
    m_nValue = source.m_nValue;
    for (const QPointer<QVToolbarSliderCtrl>& slider : m_sliders)
        if (slider)
            ApplyTo(slider);
}

QWidget* QVToolBarSliderButton::createWidget(QWidget* parent)
{
    auto* slider = new QVToolbarSliderCtrl(this, parent);
    slider->setFixedSize(m_nWidth, m_nHeight);
    slider->setToolTip(toolTip());
    ApplyTo(slider);
    connect(slider, &QSlider::valueChanged, this, &QVToolBarSliderButton::positionChanged);
    // In a vertical bar the slider turns vertical and takes the swapped size.
    if (auto* bar = qobject_cast<QToolBar*>(parent)) {
        auto orient = [this, slider](Qt::Orientation orientation) {
            slider->setOrientation(orientation);
            if (orientation == Qt::Horizontal)
                slider->setFixedSize(m_nWidth, m_nHeight);
            else
                slider->setFixedSize(m_nHeight, m_nWidth);
        };
        orient(bar->orientation());
        connect(bar, &QToolBar::orientationChanged, slider, orient);
    }
    m_sliders.append(slider);
    return slider;
}

void QVToolBarSliderButton::deleteWidget(QWidget* widget)
{
    m_sliders.removeAll(QPointer<QVToolbarSliderCtrl>(static_cast<QVToolbarSliderCtrl*>(widget)));
    QWidgetAction::deleteWidget(widget);
}
