#pragma once

#include "QVControlRenderer.h"

#include <QColor>
#include <QProxyStyle>

class QSlider;

// The program's look: light grey bars, a gradient context bar, a darker menu
// bar, red selection with white text, tabs and close buttons from the
// program's bitmaps, a grey caption for the floating palette, and the slider's
// channel and thumb.
class QVMRVVisualManager : public QProxyStyle
{
    Q_OBJECT

public:
    static constexpr QColor kBarFace{237, 237, 237};
    static constexpr QColor kBarShadow{166, 167, 170};
    static constexpr QColor kBarHighlight{237, 237, 237};
    static constexpr QColor kBarDarkShadow{140, 135, 133};
    static constexpr QColor kBarLight{228, 223, 220};
    static constexpr QColor kGrayedText{170, 166, 167};
    static constexpr QColor kHighlight{190, 0, 0};
    static constexpr QColor kHighlightText{255, 255, 255};
    static constexpr QColor kContextBarStart{217, 217, 217};
    static constexpr QColor kContextBarFinish{247, 247, 247};
    static constexpr QColor kMenuBarFace{222, 222, 222};
    static constexpr QColor kDockSite{100, 100, 100};
    static constexpr QColor kDockSiteOuterLine{51, 51, 51};
    static constexpr QColor kDockSiteInnerLine{118, 118, 118};
    static constexpr QColor kGripper{153, 153, 153};
    static constexpr QColor kCaptionFace{205, 205, 205};
    static constexpr QColor kCaptionBorder{221, 221, 221};
    static constexpr QColor kCaptionLine{164, 164, 164};
    static constexpr QColor kCaptionGradientEnd{229, 229, 229};
    static constexpr int kPaneDividerWidth = 2;

    QVMRVVisualManager();
    ~QVMRVVisualManager() override;

    // The look installed on the application, or nullptr.
    static QVMRVVisualManager* Instance();

    QPalette standardPalette() const override;
    void polish(QPalette& palette) override;
    void polish(QWidget* widget) override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

    // A bar's background: the context bar's gradient, the menu bar's face, the
    // dock sites' dark grey, other bars' face.
    void DrawBarBackground(QPainter* painter, const QWidget* bar, const QRect& rect) const;
    void DrawDockSite(QPainter* painter, const QRect& rect) const;
    // The floating palette's caption.
    void DrawPaletteCaption(QPainter* painter, const QRect& rect) const;

    // What the slider's parent bar would paint under it; false when the parent
    // is not a bar.
    virtual bool DrawParentPaneBackground(const QWidget* child, QPainter* painter,
                                          const QRect* clip) const;
    virtual void DrawSliderChannel(QPainter* painter, const QSlider* slider, bool vertical,
                                   QRect rect, bool glass) const;
    virtual void DrawSliderThumb(QPainter* painter, const QSlider* slider, QRect rect,
                                 bool highlighted, bool pressed, bool disabled, bool vertical,
                                 bool leftTop, bool rightBottom, bool glass) const;

private:
    static QVMRVVisualManager* s_pInstance;
    QVControlRenderer m_rendererTab;
    QVControlRenderer m_rendererTabFlipped;
    QVControlRenderer m_rendererClose;
    QVControlRenderer m_rendererTabFrame;
};
