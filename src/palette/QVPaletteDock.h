#pragma once

#include <QDockWidget>

class QVPalette;

// The frame that hosts the tool palette: it floats over the main window at
// first and can be docked at the left or right edge and floated again, but not
// closed. While floating it keeps itself exactly as large as the palette asks
// for; it tells the palette whether it is docked.
class QVPaletteDock : public QDockWidget
{
    Q_OBJECT

public:
    // The plain strip above the palette by which the user drags it.
    static constexpr int kTitleBarHeight = 12;

    explicit QVPaletteDock(QWidget* parent = nullptr);
    ~QVPaletteDock() override;
    QVPaletteDock(const QVPaletteDock&) = delete;
    QVPaletteDock& operator=(const QVPaletteDock&) = delete;

    QVPalette* GetPalette() const { return m_pPalette; }

private:
    void FitToPalette();

    QVPalette* m_pPalette;
};
