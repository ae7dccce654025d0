#include "QVToolBarLabelButton.h"

#include <QLabel>

QVToolBarLabelButton::QVToolBarLabelButton(int commandId, const QString& text, QObject* parent)
    : QWidgetAction(parent), m_nID(commandId), m_strText(text)
{
    setData(commandId);
}

QString QVToolBarLabelButton::FormatRadius(int radius)
{
    return QString::asprintf("%5d", radius);
}

void QVToolBarLabelButton::SetText(const QString& text)
{
    m_strText = text;
    for (QWidget* widget : createdWidgets())
        if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(text);
}

QWidget* QVToolBarLabelButton::createWidget(QWidget* parent)
{
    auto* label = new QLabel(m_strText, parent);
    // Five digits' room, the number at the right as the text has it.
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 6);
    return label;
}
