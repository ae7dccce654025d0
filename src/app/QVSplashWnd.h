#pragma once

#include "palette/QVShadowWnd.h"

#include <QFont>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

// The splash: the program's picture with the version line and a short notice,
// shown for 2 seconds at start-up and for 10 seconds on About, with a soft
// shadow. A click, or the end of its time, hides it; a new showing restarts the
// count. The count advances by kTick at every tick of its timer.
class QVSplashWnd : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kTick = 25;
    static constexpr unsigned kPictureResource = 313;

    QVSplashWnd();
    ~QVSplashWnd() override;

    virtual bool LoadPicture(unsigned int id);
    virtual bool Show(int milliseconds);
    // Builds the window over owner (centred on the screen while owner is hidden).
    bool CreateSplash(QWidget* owner);
    bool IsCreated() const { return m_bCreated; }
    // One tick of the showing time.
    void OnTimer();

    QPixmap m_bitmap;
    int m_nDuration = 1000;
    int m_nElapsed = 0;
    QFont m_font;
    QVShadowWnd m_wndShadow;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void HideSplash();

    QTimer m_timer;
    bool m_bCreated = false;
};
