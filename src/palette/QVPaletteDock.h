#pragma once

#include "palette/QVShadowWnd.h"

#include <QDockWidget>
#include <QRect>

class QVPalette;

// The palette's frame: it floats over the main window at first, with a grey
// caption that holds only the column button, a soft shadow and half
// transparency while it is dragged; it docks at the left or right edge only and
// floats again, but never closes. While floating it keeps itself exactly as
// large as the palette asks for (its edges do not resize it); docked, the rest
// of the dock site shows the site's own colours.
class QVPaletteDock : public QDockWidget
{
    Q_OBJECT

public:
    // The caption: the look's caption-button border (2) + 8.
    static constexpr int kTitleBarHeight = 10;
    // The column button inside the caption, in window coordinates.
    static constexpr QRect kColumnButton{QPoint(3, 2), QPoint(9, 7)};
    static constexpr qreal kDragOpacity = 127 / 255.0;
    static constexpr int kMaxColumns = 4;

    explicit QVPaletteDock(QWidget* parent = nullptr);
    ~QVPaletteDock() override;
    QVPaletteDock(const QVPaletteDock&) = delete;
    QVPaletteDock& operator=(const QVPaletteDock&) = delete;

    QVPalette* GetPalette() const { return m_pPalette; }
    QWidget* Caption() const { return titleBarWidget(); }
    // The column button was released: 3 -> 4 -> 1 -> 2 -> 3.
    void OnColumnButton();

    QVShadowWnd m_wndShadow;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitToPalette();

    QVPalette* m_pPalette;
};
