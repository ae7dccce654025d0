#include "QVMRVVisualManager.h"

#include <QApplication>
#include <QLinearGradient>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QSlider>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolBar>

namespace {

constexpr int kTabBandHeight = 21;

bool Themed()
{
    // Above 8 bits per pixel the slider gets its shaded look; on a poorer
    // display the plain one.
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen && screen->depth() > 8;
}

} // namespace

QVMRVVisualManager::QVMRVVisualManager() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
{
    s_pInstance = this;
    const QColor magenta(255, 0, 255);
    m_rendererTab.Create(QStringLiteral(":/bitmaps/316.png"), QRect(0, 0, 15, 16),
                         QMargins(4, 4, 4, 2), magenta);
    m_rendererTabFlipped.Create(QStringLiteral(":/bitmaps/316.png"), QRect(0, 0, 15, 16),
                                QMargins(4, 4, 4, 2), magenta, false, true);
    m_rendererClose.Create(QStringLiteral(":/bitmaps/315.png"), QRect(0, 0, 11, 11), QMargins(),
                           Qt::white);
    m_rendererTabFrame.Create(QStringLiteral(":/bitmaps/314.png"), QRect(0, 0, 31, 32),
                              QMargins(3, 25, 26, 3), Qt::black);
}

QVMRVVisualManager* QVMRVVisualManager::s_pInstance = nullptr;

QVMRVVisualManager::~QVMRVVisualManager()
{
    if (s_pInstance == this)
        s_pInstance = nullptr;
}

QVMRVVisualManager* QVMRVVisualManager::Instance()
{
    // The application's style may be a style-sheet style wrapped around this one.
    return s_pInstance;
}

// ---- colours -----------------------------------------------------------------------

QPalette QVMRVVisualManager::standardPalette() const
{
    QPalette palette = QProxyStyle::standardPalette();
    const_cast<QVMRVVisualManager*>(this)->polish(palette);
    return palette;
}

void QVMRVVisualManager::polish(QPalette& palette)
{
    QProxyStyle::polish(palette);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, kBarFace);
        palette.setColor(group, QPalette::Button, kBarFace);
        palette.setColor(group, QPalette::Dark, kBarShadow);
        palette.setColor(group, QPalette::Light, kBarHighlight);
        palette.setColor(group, QPalette::Shadow, kBarDarkShadow);
        palette.setColor(group, QPalette::Midlight, kBarLight);
        palette.setColor(group, QPalette::ButtonText, Qt::black);
        palette.setColor(group, QPalette::WindowText, Qt::black);
        palette.setColor(group, QPalette::Text, Qt::black);
        palette.setColor(group, QPalette::Highlight, kHighlight);
        palette.setColor(group, QPalette::HighlightedText, kHighlightText);
    }
    palette.setColor(QPalette::Disabled, QPalette::Window, kBarFace);
    palette.setColor(QPalette::Disabled, QPalette::Button, kBarFace);
    for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
        palette.setColor(QPalette::Disabled, role, kGrayedText);
}

void QVMRVVisualManager::polish(QWidget* widget)
{
    QProxyStyle::polish(widget);
    // Bars paint their own background.
    if (qobject_cast<QToolBar*>(widget) || qobject_cast<QMenuBar*>(widget))
        widget->setAttribute(Qt::WA_StyledBackground);
}

// ---- bars ----------------------------------------------------------------------------

void QVMRVVisualManager::DrawBarBackground(QPainter* painter, const QWidget* bar, const QRect& rect) const
{
    if (bar && bar->inherits("QVContextBar")) {
        // The gradient runs across the bar: from the bottom (or left) edge up.
        const auto* toolBar = qobject_cast<const QToolBar*>(bar);
        const bool horizontal = !toolBar || toolBar->orientation() == Qt::Horizontal;
        const QRect whole = bar->rect();
        QLinearGradient gradient = horizontal ? QLinearGradient(0, whole.bottom(), 0, whole.top())
                                              : QLinearGradient(whole.left(), 0, whole.right(), 0);
        gradient.setColorAt(0, kContextBarStart);
        gradient.setColorAt(1, kContextBarFinish);
        painter->fillRect(rect, gradient);
        return;
    }
    if (qobject_cast<const QMenuBar*>(bar)) {
        painter->fillRect(rect, kMenuBarFace);
        return;
    }
    painter->fillRect(rect, kBarFace);
}

void QVMRVVisualManager::DrawDockSite(QPainter* painter, const QRect& rect) const
{
    painter->fillRect(rect, kDockSite);
    const int top = rect.top(), bottom = rect.bottom() - 1;
    painter->setPen(kDockSiteOuterLine);
    painter->drawLine(rect.left(), top, rect.left(), bottom);
    painter->drawLine(rect.right(), top, rect.right(), bottom);
    painter->setPen(kDockSiteInnerLine);
    painter->drawLine(rect.left() + 1, top, rect.left() + 1, bottom);
    painter->drawLine(rect.right() - 1, top, rect.right() - 1, bottom);
}

void QVMRVVisualManager::DrawPaletteCaption(QPainter* painter, const QRect& rect) const
{
    QRect caption = rect;
    caption.setBottom(caption.bottom() - 1);
    painter->fillRect(caption, kCaptionFace);
    painter->setPen(kCaptionBorder);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(caption.adjusted(0, 0, -1, -1));
    painter->setPen(kCaptionLine);
    painter->drawLine(caption.left(), caption.bottom(), caption.right(), caption.bottom());
    const QRect inside = caption.adjusted(1, 1, -1, -1);
    QLinearGradient gradient(0, inside.top(), 0, inside.bottom());
    gradient.setColorAt(0, kCaptionFace);
    gradient.setColorAt(1, kCaptionGradientEnd);
    painter->fillRect(inside, gradient);
}

void QVMRVVisualManager::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                       QPainter* painter, const QWidget* widget) const
{
    switch (element) {
    case PE_IndicatorToolBarHandle: {
        // Two rows of dots, every second pixel, across the middle of the handle.
        const QRect r = option->rect;
        if (r.isEmpty())
            return;
        const bool horizontal = option->state & State_Horizontal;
        painter->setPen(kGripper);
        if (horizontal && r.height() >= 6 && r.width() >= 3) {
            const int margin = std::min(r.height() / 2 - 6, 8);
            const int x = r.center().x();
            for (int y = r.top() + margin; y < r.bottom() - margin; y += 2) {
                painter->drawPoint(x - 1, y);
                painter->drawPoint(x + 1, y);
            }
        } else if (!horizontal && r.width() >= 6 && r.height() >= 3) {
            const int margin = std::min(r.width() / 2 - 6, 8);
            const int y = r.center().y();
            for (int x = r.left() + margin; x < r.right() - margin; x += 2) {
                painter->drawPoint(x, y - 1);
                painter->drawPoint(x, y + 1);
            }
        }
        return;
    }
    case PE_IndicatorToolBarSeparator: {
        // A 2-pixel engraved band through the middle.
        const QRect r = option->rect;
        const bool horizontal = option->state & State_Horizontal;
        const QRect band = horizontal ? QRect(r.left() + r.width() / 2 - 1, r.top(), 2, r.height())
                                      : QRect(r.left(), r.top() + r.height() / 2 - 1, r.width(), 2);
        painter->setPen(kBarShadow);
        painter->drawLine(band.topLeft(), horizontal ? band.bottomLeft() : band.topRight());
        painter->setPen(kBarHighlight);
        painter->drawLine(horizontal ? band.topRight() : band.bottomLeft(), band.bottomRight());
        return;
    }
    case PE_PanelMenuBar:
        painter->fillRect(option->rect, kMenuBarFace);
        return;
    case PE_FrameTabWidget:
        if (m_rendererTabFrame.IsValid()) {
            m_rendererTabFrame.Draw(painter, option->rect, 0);
            return;
        }
        break;
    case PE_IndicatorTabClose:
        if (m_rendererClose.IsValid()) {
            const QSize size = m_rendererClose.FrameSize();
            const QRect r = option->rect;
            int frame = 0;
            if (!(option->state & State_Enabled))
                frame = 0;
            else if (option->state & State_Sunken)
                frame = 1;
            else if (option->state & State_MouseOver)
                frame = 2;
            m_rendererClose.DrawImage(painter,
                                      QPoint(r.left() + (r.width() - size.width()) / 2,
                                             r.top() + (r.height() - size.height()) / 2),
                                      frame);
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void QVMRVVisualManager::drawControl(ControlElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const
{
    switch (element) {
    case CE_ToolBar:
        DrawBarBackground(painter, widget, option->rect);
        return;
    case CE_MenuBarEmptyArea:
        painter->fillRect(option->rect, kMenuBarFace);
        return;
    case CE_MenuBarItem:
    case CE_MenuItem: {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        const bool selected = item && (option->state & State_Selected) &&
                              (option->state & State_Enabled) &&
                              item->menuItemType != QStyleOptionMenuItem::Separator;
        if (!item)
            break;
        if (!selected) {
            // The menu bar's items sit on the bar's own face.
            QStyleOptionMenuItem copy = *item;
            if (element == CE_MenuBarItem) {
                painter->fillRect(option->rect, kMenuBarFace);
                copy.palette.setColor(QPalette::Window, kMenuBarFace);
                copy.palette.setColor(QPalette::Button, kMenuBarFace);
            }
            QProxyStyle::drawControl(element, &copy, painter, widget);
            return;
        }
        // The selected item: red, outlined in red, its text white.
        painter->fillRect(option->rect, kHighlight);
        painter->setPen(kHighlight);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        QStyleOptionMenuItem copy = *item;
        copy.state &= ~(State_Selected | State_Sunken);
        for (QPalette::ColorRole role :
             {QPalette::Text, QPalette::ButtonText, QPalette::WindowText, QPalette::HighlightedText})
            copy.palette.setColor(role, kHighlightText);
        copy.palette.setColor(QPalette::Window, kHighlight);
        copy.palette.setColor(QPalette::Button, kHighlight);
        copy.palette.setColor(QPalette::Base, kHighlight);
        QProxyStyle::drawControl(element, &copy, painter, widget);
        return;
    }
    case CE_TabBarTabShape: {
        const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
        if (!tab || !m_rendererTab.IsValid())
            break;
        const bool below = tab->shape == QTabBar::RoundedSouth || tab->shape == QTabBar::TriangularSouth;
        const int frame = (option->state & State_Selected)    ? 2
                          : (option->state & State_MouseOver) ? 1
                                                              : 0;
        const QRect r = option->rect;
        const QRect band = below ? QRect(r.left(), r.bottom() + 1 - kTabBandHeight, r.width(), kTabBandHeight)
                                 : QRect(r.left(), r.top(), r.width(), kTabBandHeight);
        (below ? m_rendererTabFlipped : m_rendererTab).Draw(painter, band, frame);
        return;
    }
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

int QVMRVVisualManager::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                    const QWidget* widget) const
{
    switch (metric) {
    case PM_DockWidgetSeparatorExtent:
        return kPaneDividerWidth;
    case PM_DockWidgetFrameWidth:
        return 0; // the floating palette has no border of its own
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

// ---- slider ----------------------------------------------------------------------------

bool QVMRVVisualManager::DrawParentPaneBackground(const QWidget* child, QPainter* painter,
                                                  const QRect* clip) const
{
    const QWidget* parent = child ? child->parentWidget() : nullptr;
    if (!qobject_cast<const QToolBar*>(parent))
        return false;
    painter->save();
    if (clip)
        painter->setClipRect(*clip);
    // The parent's background, shifted so that it lines up under the child.
    painter->translate(-child->mapTo(parent, QPoint(0, 0)));
    DrawBarBackground(painter, parent, parent->rect());
    painter->restore();
    return true;
}

void QVMRVVisualManager::DrawSliderChannel(QPainter* painter, const QSlider*, bool vertical,
                                           QRect rect, bool glass) const
{
    if (vertical && rect.width() < 3)
        rect.setRight(rect.right() + 1);
    if (!vertical && rect.height() < 3)
        rect.setBottom(rect.bottom() + 1);
    painter->save();
    if (Themed() && !glass) {
        // A sunk, rounded track.
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(kBarShadow);
        painter->setBrush(QColor(214, 214, 216));
        painter->drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    } else if (glass) {
        painter->setPen(kBarShadow);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
    } else {
        painter->setPen(kBarShadow);
        painter->drawLine(rect.topLeft(), rect.topRight());
        painter->drawLine(rect.topLeft(), rect.bottomLeft());
        painter->setPen(kBarHighlight);
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->drawLine(rect.topRight(), rect.bottomRight());
    }
    painter->restore();
}

void QVMRVVisualManager::DrawSliderThumb(QPainter* painter, const QSlider*, QRect rect,
                                         bool highlighted, bool pressed, bool disabled,
                                         bool vertical, bool, bool, bool) const
{
    painter->save();
    if (Themed()) {
        // A rounded thumb: white to grey, red-rimmed when hot or pressed.
        painter->setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
        QLinearGradient fill(r.topLeft(), r.bottomLeft());
        fill.setColorAt(0, disabled ? kBarFace : pressed ? QColor(225, 225, 225) : Qt::white);
        fill.setColorAt(1, disabled ? kBarFace : pressed ? QColor(205, 205, 205) : QColor(222, 222, 222));
        painter->setBrush(fill);
        painter->setPen(disabled ? kBarShadow : (highlighted || pressed) ? kHighlight : kBarDarkShadow);
        painter->drawRoundedRect(r, 3, 3);
        painter->restore();
        return;
    }
    // Plain: a box twice as long across the slider as along it.
    rect.adjust(vertical ? 2 : 1, vertical ? 1 : 2, vertical ? -2 : -1, vertical ? -1 : -2);
    const QPoint centre = rect.center();
    if (vertical)
        rect.setWidth(2 * rect.height());
    else
        rect.setHeight(2 * rect.width());
    rect.moveCenter(centre);
    painter->setPen(disabled ? kBarShadow : kBarDarkShadow);
    painter->setBrush((highlighted || pressed) && !disabled ? kBarHighlight : kBarFace);
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
    painter->restore();
}
