#pragma once

#include <QHash>
#include <QMenuBar>
#include <QToolBar>

class QToolButton;

// The bar of the current tool's options: radius slider and label, region and
// cover modes, delete points, then undo, redo, reset, the display modes and
// help. It spans its row on its own. Its buttons keep their own enabled and
// checked states, set by the main window's state rules.
class QVContextBar : public QToolBar
{
    Q_OBJECT

public:
    static constexpr int kButtonSize = 35;
    static constexpr int kImageSize = 32;

    explicit QVContextBar(QWidget* parent = nullptr);

    // One button per command id (0 is a separator), with the command's icon and
    // tooltip taken from its action.
    void LoadButtons(const QList<int>& commandIds, const QHash<int, QAction*>& actions);
    // Puts a widget button (slider, label) in the place of the button of its id.
    bool ReplaceButton(int commandId, QAction* replacement);
    // Shows or hides every button whose id lies in [first, last].
    void ShowButtons(int first, int last, bool show);

    bool HasButton(int commandId) const { return m_buttons.contains(commandId); }
    bool IsButtonVisible(int commandId) const;
    void SetButtonEnabled(int commandId, bool enabled);
    bool IsButtonEnabled(int commandId) const;
    void SetButtonChecked(int commandId, bool checked);
    bool IsButtonChecked(int commandId) const;
    QToolButton* ButtonForCommand(int commandId) const;
    QAction* ActionForCommand(int commandId) const { return m_buttons.value(commandId); }

signals:
    void commandTriggered(int commandId);
    // The radius slider moved.
    void sliderMoved(int position);

private:
    // The bar's action for each button's id.
    QHash<int, QAction*> m_buttons;
};

// The menu bar: shows the main window's current menu.
class QVMenuBar : public QMenuBar
{
    Q_OBJECT

public:
    using QMenuBar::QMenuBar;
};
