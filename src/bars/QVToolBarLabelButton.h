#pragma once

#include <QWidgetAction>

// A toolbar button that shows only a short text (the brush radius).
class QVToolBarLabelButton : public QWidgetAction
{
    Q_OBJECT

public:
    QVToolBarLabelButton(int commandId, const QString& text, QObject* parent = nullptr);

    int CommandId() const { return m_nID; }
    QString Text() const { return m_strText; }
    void SetText(const QString& text);
    // The label's text for a radius: the number right-aligned in five characters.
    static QString FormatRadius(int radius);

protected:
    QWidget* createWidget(QWidget* parent) override;

private:
    int m_nID;
    QString m_strText;
};
