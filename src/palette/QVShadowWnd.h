#pragma once

#include <QColor>
#include <QMargins>
#include <QPointer>
#include <QWidget>

// A soft drop shadow behind another top-level window (its owner): a separate,
// click-through, faint window slightly larger than the owner, showing a few
// rings of grey that darken towards the owner's edge. It follows its owner's
// moves, sizes and visibility.
class QVShadowWnd : public QWidget
{
    Q_OBJECT

public:
    QVShadowWnd();

    // Starts shadowing owner; false for no owner.
    bool CreateShadow(QWidget* owner);
    // Places the shadow behind the owner and shows it, or hides it.
    void UpdateShadow(bool show);

    int m_nAlpha = 64;
    QMargins m_rcMargins{5, 5, 5, 5};
    int m_nCornerRadius = 5;
    QPointer<QWidget> m_pOwner;
    QColor m_clrInner{0, 0, 0};
    QColor m_clrOuter{160, 160, 160};
    bool m_bEnabled = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The owner's area inside this window.
    QRect OwnerRect() const;
};
