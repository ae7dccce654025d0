#pragma once

#include <QList>
#include <QPointer>
#include <QWidgetAction>

class QVToolbarSliderCtrl;

// A toolbar button that hosts a slider and keeps its range and value, so a
// slider re-created in another bar shows them again. Buttons with the same
// command id stay in step.
class QVToolBarSliderButton : public QWidgetAction
{
    Q_OBJECT

public:
    static constexpr int kDefaultWidth = 150;
    static constexpr int kRadiusHeight = 35;

    // The radius slider's button: command id, range and value 0.
    QVToolBarSliderButton(int commandId, QObject* parent = nullptr);
    ~QVToolBarSliderButton() override;

    int CommandId() const { return m_nID; }
    void SetRange(int minimum, int maximum);
    // notify: the command goes to the main window, as a user's change does.
    void SetValue(int value, bool notify);
    // The position of the first slider of that id that has a window; -1 when none.
    static int GetPos(int commandId);
    // Copies width, height, range and value from another button.
    void CopyFrom(const QVToolBarSliderButton& source);
    QVToolbarSliderCtrl* Slider() const;

    int m_nWidth = kDefaultWidth;
    int m_nHeight = kRadiusHeight;
    int m_nMin = 0;
    int m_nMax = 0;
    int m_nValue = 0;

signals:
    // The user moved the slider (the bar turns this into the radius).
    void positionChanged(int position);
    // SetValue with notification: the command of this button.
    void commandNotified(int commandId);

protected:
    QWidget* createWidget(QWidget* parent) override;
    void deleteWidget(QWidget* widget) override;

private:
    void ApplyTo(QVToolbarSliderCtrl* slider) const;

    int m_nID;
    QList<QPointer<QVToolbarSliderCtrl>> m_sliders;
    static QList<QVToolBarSliderButton*> s_buttons;
};
