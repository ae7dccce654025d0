#pragma once

#include "look/QVControlRenderer.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QMargins>
#include <QSize>
#include <QString>
#include <QWidget>

#include <vector>

class QAction;
class QToolButton;

// The toolbox from which the user picks a tool: 32 x 32 tool images in 35 x 35
// buttons laid out in a fixed number of columns below a title strip, with
// exactly one button pressed, the current tool.
//
// The palette places its children itself (no QLayout): the buttons form rows
// ("stripes") of at most m_nColumns standard widths plus 10%, a separator
// always ends a row and takes a row of its own, and every row is centred in the
// common row width. It is always a vertical bar, floating or docked at a side.
//
// The buttons are not bound to their QActions' enabled or checked state: the
// main window decides each button's enabled state through SetButtonEnabled,
// routes commandTriggered itself, and presses the current tool through
// SelectTool. Only the button at m_nCheckedIndex is ever shown checked.
class QVPalette : public QWidget
{
    Q_OBJECT

public:
    // Bits of GetPaletteFlags().
    static constexpr int kFlagTitle = 0x1;  // the window title is not empty
    static constexpr int kFlagDocked = 0x2; // hosted docked, not floating alone

    static constexpr int kCaptionHeight = 23;
    static constexpr int kInitialColumns = 2;
    static constexpr QSize kButtonSize{35, 35};
    static constexpr QSize kIconSize{32, 32};
    // A separator in a vertical bar: a button wide and 8 pixels high. Only its
    // height matters to the layout, which stretches it over the row width.
    static constexpr QSize kSeparatorSize{35, 8};
    // Corner sizes of the frame drawn around a docked palette.
    static constexpr QMargins kFrameCorners{5, 10, 5, 4};

    static constexpr QColor kBackgroundColor{237, 237, 237};
    static constexpr QColor kCaptionStartColor{255, 0, 0};
    static constexpr QColor kCaptionEndColor{112, 0, 0};
    static constexpr int kCaptionGradientAngle = 305; // degrees
    static constexpr QColor kCaptionTextColor{255, 255, 255};
    static constexpr QColor kFrameColor{91, 91, 91};

    explicit QVPalette(QWidget* parent = nullptr);
    ~QVPalette() override;
    QVPalette(const QVPalette&) = delete;
    QVPalette& operator=(const QVPalette&) = delete;

    // One button per action (command id = action->data().toInt()), a separator
    // for every nullptr. Replaces (and deletes) the previous buttons, so it must
    // not be called from one of them. The pressed index is kept as it is.
    void SetActions(const QList<QAction*>& actions);
    int GetItemCount() const { return int(m_items.size()); }
    // The button or separator at a list index; nullptr out of range.
    QWidget* GetItemWidget(int index) const;
    // The list index of the command's button, -1 when it is not on the palette.
    // Separators carry no command, so they are never found.
    int CommandToIndex(int commandId) const;
    QToolButton* ButtonForCommand(int commandId) const;

    void SetButtonEnabled(int commandId, bool enabled);
    bool IsButtonEnabled(int commandId) const;
    // Hidden buttons take no room; the rows close up as if they were not there.
    void SetButtonVisible(int commandId, bool visible);

    // Ignored for n < 1 and for the current count. Every change flips
    // m_bWidthToggle and announces the new size through sizeChanged().
    void SetColumns(int n);
    int GetColumns() const { return m_nColumns; }
    bool GetWidthToggle() const { return m_bWidthToggle; }

    // Presses the command's button and releases every other one; a command
    // that is not on the palette changes nothing.
    void SelectTool(int commandId);
    int GetCheckedIndex() const { return m_nCheckedIndex; }

    // Docked: hosted in a dock area rather than floating alone; the layout then
    // leaves room for the frame drawn around the palette.
    void SetDocked(bool docked);
    bool IsDocked() const { return m_bDocked; }

    int GetCaptionHeight() const { return m_nCaptionHeight; }
    const QFont& GetCaptionFont() const { return m_fontCaption; }

    virtual int GetPaletteFlags() const;
    // The size of the palette laid out in `columns` columns (at least 1); unless
    // calcOnly, also moves the buttons and separators into place. The children
    // are not the palette's own state, hence const.
    virtual QSize LayoutStripes(int columns, bool calcOnly) const;
    QSize CalcSize() const { return LayoutStripes(m_nColumns, true); }
    void AdjustLocations() { LayoutStripes(m_nColumns, false); }

    QSize sizeHint() const override { return CalcSize(); }
    QSize minimumSizeHint() const override { return CalcSize(); }

signals:
    // A click on an enabled button.
    void commandTriggered(int commandId);
    // The computed size changed (columns, buttons, title, docking): a host that
    // sizes itself to the palette should ask CalcSize() again.
    void sizeChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Item
    {
        QWidget* pWidget;
        int nCommandId; // 0 for a separator
        bool bSeparator;
    };

    void Relayout();
    void ApplyCheckedState();
    void KeepCheckedState(QToolButton* button);
    void PaintTitle(QPainter& painter, bool docked) const;
    void PaintFrame(QPainter& painter) const;

    int m_nCaptionHeight = kCaptionHeight;
    int m_nColumns = kInitialColumns;
    int m_nCheckedIndex = -1;
    bool m_bWidthToggle = false;
    QFont m_fontCaption;
    // The frame picture drawn around the docked palette.
    QVControlRenderer m_rendererFrame;
    bool m_bDocked = false;
    std::vector<Item> m_items;
};
