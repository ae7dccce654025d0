#pragma once

#include <QSlider>

class QVToolBarSliderButton;

// A slider that tracks whether its thumb is hot (under the mouse) or pressed,
// for the program's look to draw.
class QVSliderCtrl : public QSlider
{
    Q_OBJECT

public:
    explicit QVSliderCtrl(QWidget* parent = nullptr);

    QRect ThumbRect() const;

    bool m_bDrawOnGlass = false;
    bool m_bThumbHot = false;
    bool m_bThumbPressed = false;
    bool m_bTracking = false;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Painted through the program's look: the bar's background, the channel
    // and the thumb in its hot, pressed or disabled state.
    void paintEvent(QPaintEvent* event) override;
};

// The slider window of a toolbar slider button: reports the user's changes
// back to its button.
class QVToolbarSliderCtrl : public QVSliderCtrl
{
    Q_OBJECT

public:
    QVToolbarSliderCtrl(QVToolBarSliderButton* owner, QWidget* parent);

    QVToolBarSliderButton* m_pOwnerButton;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
