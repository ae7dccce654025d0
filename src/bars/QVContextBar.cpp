#include "QVContextBar.h"

#include "QVToolBarSliderButton.h"

#include <QToolButton>

QVContextBar::QVContextBar(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("ContextBar"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(kImageSize, kImageSize));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void QVContextBar::LoadButtons(const QList<int>& commandIds, const QHash<int, QAction*>& actions)
{
    for (int id : commandIds) {
        if (id == 0) {
            addSeparator();
            continue;
        }
        auto* button = new QToolButton(this);
        button->setFixedSize(kButtonSize, kButtonSize);
        button->setIconSize(QSize(kImageSize, kImageSize));
        button->setAutoRaise(true);
        // Bar buttons never take the keyboard focus: it stays in the view,
        // and a button with the focus would look picked.
        button->setFocusPolicy(Qt::NoFocus);
        if (const QAction* action = actions.value(id)) {
            button->setIcon(action->icon());
            button->setToolTip(action->toolTip());
        }
        connect(button, &QToolButton::clicked, this, [this, id, button] {
            // A click does not toggle a mark: the command decides it.
            if (button->isCheckable())
                button->setChecked(!button->isChecked());
            emit commandTriggered(id);
        });
        QAction* place = addWidget(button);
        place->setData(id);
        m_buttons.insert(id, place);
    }
}

bool QVContextBar::ReplaceButton(int commandId, QAction* replacement)
{
    QAction* place = m_buttons.value(commandId);
    if (!place)
        return false;
    insertAction(place, replacement);
    removeAction(place);
    place->deleteLater();
    m_buttons.insert(commandId, replacement);
    if (auto* slider = qobject_cast<QVToolBarSliderButton*>(replacement))
        connect(slider, &QVToolBarSliderButton::positionChanged, this, &QVContextBar::sliderMoved);
    return true;
}

void QVContextBar::ShowButtons(int first, int last, bool show)
{
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        if (unsigned(it.key()) >= unsigned(first) && unsigned(it.key()) <= unsigned(last))
            it.value()->setVisible(show);
}

bool QVContextBar::IsButtonVisible(int commandId) const
{
    const QAction* place = m_buttons.value(commandId);
    return place && place->isVisible();
}

QToolButton* QVContextBar::ButtonForCommand(int commandId) const
{
    QAction* place = m_buttons.value(commandId);
    return place ? qobject_cast<QToolButton*>(widgetForAction(place)) : nullptr;
}

void QVContextBar::SetButtonEnabled(int commandId, bool enabled)
{
    QAction* place = m_buttons.value(commandId);
    if (QWidget* widget = place ? widgetForAction(place) : nullptr)
        widget->setEnabled(enabled);
}

bool QVContextBar::IsButtonEnabled(int commandId) const
{
    QAction* place = m_buttons.value(commandId);
    const QWidget* widget = place ? widgetForAction(place) : nullptr;
    return widget && widget->isEnabled();
}

void QVContextBar::SetButtonChecked(int commandId, bool checked)
{
    if (QToolButton* button = ButtonForCommand(commandId)) {
        button->setCheckable(true);
        button->setChecked(checked);
    }
}

bool QVContextBar::IsButtonChecked(int commandId) const
{
    const QToolButton* button = ButtonForCommand(commandId);
    return button && button->isChecked();
}
