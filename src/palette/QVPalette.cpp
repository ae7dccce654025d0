#include "palette/QVPalette.h"

#include "res/QVArt.h"

#include <QAction>
#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QToolButton>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The title strip is followed by a 4-pixel gap before the first row.
constexpr int kCaptionGap = 4;
// Beyond the frame's left corner a docked palette keeps 3 more pixels; a
// floating one starts its rows 1 pixel from the left edge.
constexpr int kDockedLeftInset = 3;
constexpr int kFloatingLeftInset = 1;
// A row may be up to 10% wider than `columns` standard buttons, so a slightly
// wider button does not push its neighbours onto a row of their own.
constexpr int kRowSlackNumerator = 11;
constexpr int kRowSlackDenominator = 10;
// The title text keeps clear of the strip's edges by this much.
constexpr QMargins kCaptionTextMargins{1, 2, 1, 2};
constexpr int kCaptionPointSize = 10;
// "Trebuchet MS" is rarely installed outside Windows; the sans-serif style hint
// lets the font matcher substitute the closest sans face.
const QString kCaptionFontFamily = QStringLiteral("Trebuchet MS");
constexpr qreal kFrameCornerRadius = 3.0;

// One row of the layout. A separator row has width 0.
struct Stripe
{
    int nCount = 0;
    int nHeight = 0;
    int nWidth = 0;
    bool bSeparator = false;
};

// A button's own size: its size hint within its minimum and maximum, as a
// layout would give it. The palette's buttons are fixed at the standard size;
// a wider one (set by a caller) gets its own row when it does not fit.
QSize MeasureButton(const QWidget* widget)
{
    return widget->sizeHint().expandedTo(widget->minimumSize()).boundedTo(widget->maximumSize());
}

// A two-colour gradient at `degrees` counted counter-clockwise from the x axis
// as on paper (y up), the way a drawing manager's angled fill takes its angle.
// Screen y grows downwards, so the direction's y component is negated: 305
// degrees runs right and down, from the top-left corner to the bottom-right one.
// The gradient line passes through the centre and is just long enough for the
// two corners it runs between to take the end colours exactly.
QLinearGradient AngledGradient(const QRectF& rect, int degrees, const QColor& from,
                               const QColor& to)
{
    const qreal radians = qDegreesToRadians(qreal(degrees));
    const QPointF direction(std::cos(radians), -std::sin(radians));
    const qreal halfLength =
        std::abs(direction.x()) * rect.width() / 2 + std::abs(direction.y()) * rect.height() / 2;
    QLinearGradient gradient(rect.center() - direction * halfLength,
                             rect.center() + direction * halfLength);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

} // namespace

QVPalette::QVPalette(QWidget* parent) : QWidget(parent)
{
    m_fontCaption.setFamily(kCaptionFontFamily);
    m_fontCaption.setPointSize(kCaptionPointSize);
    m_fontCaption.setWeight(QFont::Black);
    m_fontCaption.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    // The frame's first state, corners 5, 10, 5, 4.
    QVArt::EnsureResources();
    m_rendererFrame.Create(QStringLiteral(":/bitmaps/311.png"), QRect(0, 0, 46, 15),
                           QMargins(5, 10, 5, 4), QColor(), true);
}

QVPalette::~QVPalette() = default;

void QVPalette::SetActions(const QList<QAction*>& actions)
{
    for (const Item& item : m_items)
        delete item.pWidget;
    m_items.clear();

    for (QAction* action : actions) {
        if (!action) {
            auto* line = new QFrame(this);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            m_items.push_back({line, 0, true});
            // Shown explicitly, so that isHidden() means "hidden on purpose"
            // even before the palette itself is first shown.
            line->show();
            continue;
        }
        auto* button = new QToolButton(this);
        const int commandId = action->data().toInt();
        button->setFixedSize(kButtonSize);
        button->setIconSize(kIconSize);
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setFocusPolicy(Qt::NoFocus);
        // Checkable only so that the style draws the current tool pressed;
        // KeepCheckedState decides which button that is.
        button->setCheckable(true);
        button->setIcon(action->icon());
        button->setText(action->iconText()); // not drawn; for accessibility
        button->setToolTip(action->toolTip());
        // The action's look (a new language, a new icon) follows; its enabled
        // and checked state deliberately do not.
        connect(action, &QAction::changed, button, [button, action] {
            if (button->toolTip() != action->toolTip()) button->setToolTip(action->toolTip());
            if (button->text() != action->iconText()) button->setText(action->iconText());
            if (button->icon().cacheKey() != action->icon().cacheKey())
                button->setIcon(action->icon());
        });
        connect(button, &QToolButton::clicked, this,
                [this, commandId] { emit commandTriggered(commandId); });
        connect(button, &QToolButton::toggled, this, [this, button] { KeepCheckedState(button); });
        m_items.push_back({button, commandId, false});
        button->show();
    }
    ApplyCheckedState();
    Relayout();
}

QWidget* QVPalette::GetItemWidget(int index) const
{
    return index >= 0 && index < GetItemCount() ? m_items[size_t(index)].pWidget : nullptr;
}

int QVPalette::CommandToIndex(int commandId) const
{
    for (int i = 0; i < GetItemCount(); ++i) {
        const Item& item = m_items[size_t(i)];
        if (!item.bSeparator && item.nCommandId == commandId) return i;
    }
    return -1;
}

QToolButton* QVPalette::ButtonForCommand(int commandId) const
{
    const int index = CommandToIndex(commandId);
    return index < 0 ? nullptr : static_cast<QToolButton*>(m_items[size_t(index)].pWidget);
}

void QVPalette::SetButtonEnabled(int commandId, bool enabled)
{
    if (QToolButton* button = ButtonForCommand(commandId)) button->setEnabled(enabled);
}

bool QVPalette::IsButtonEnabled(int commandId) const
{
    // The button's own state, whether or not the palette as a whole is enabled.
    const QToolButton* button = ButtonForCommand(commandId);
    return button && button->isEnabledTo(this);
}

void QVPalette::SetButtonVisible(int commandId, bool visible)
{
    QToolButton* button = ButtonForCommand(commandId);
    if (!button || button->isHidden() != visible) return;
    button->setVisible(visible);
    Relayout();
}

void QVPalette::SetColumns(int n)
{
    if (n < 1 || n == m_nColumns) return;
    m_nColumns = n;
    // The width moves by a pixel with every change, so the host always sees a
    // new size and lays itself out again, even when the new column count gives
    // the same row width (a button wider than both counts allow, say).
    m_bWidthToggle = !m_bWidthToggle;
    Relayout();
    if (QWidget* host = parentWidget()) host->update();
}

void QVPalette::SelectTool(int commandId)
{
    const int index = CommandToIndex(commandId);
    if (index < 0) return;
    m_nCheckedIndex = index;
    ApplyCheckedState();
    update();
}

void QVPalette::SetDocked(bool docked)
{
    if (docked == m_bDocked) return;
    m_bDocked = docked;
    Relayout();
}

int QVPalette::GetPaletteFlags() const
{
    // The palette is a vertical bar whether it floats or is docked at a side,
    // so the horizontal layout, which would give no flags, never occurs.
    int flags = 0;
    if (!windowTitle().isEmpty()) flags |= kFlagTitle;
    if (m_bDocked) flags |= kFlagDocked;
    return flags;
}

QSize QVPalette::LayoutStripes(int columns, bool calcOnly) const
{
    const int n = std::max(columns, 1);
    const int flags = GetPaletteFlags();

    int left = rect().left();
    int top = rect().top();
    int extraWidth = 0;
    int extraHeight = 0;
    if (flags & kFlagTitle) top += m_nCaptionHeight + kCaptionGap;
    if (flags & kFlagDocked) {
        left += kFrameCorners.left() + kDockedLeftInset;
        top += kFrameCorners.top();
        extraWidth = kFrameCorners.left() + kFrameCorners.right();
        extraHeight = kFrameCorners.top() + kFrameCorners.bottom();
    } else {
        left += kFloatingLeftInset;
    }

    const int columnWidth = kButtonSize.width();
    const int maxWidth = columnWidth * n * kRowSlackNumerator / kRowSlackDenominator;

    // The items that take part, with their sizes. Hidden items are passed over
    // without a trace: a separator right after another one stays surplus even
    // with a hidden button between them, and so does one at the very start.
    std::vector<std::pair<const Item*, QSize>> placed;
    bool afterSeparator = true;
    for (const Item& item : m_items) {
        if (item.pWidget->isHidden()) continue;
        if (item.bSeparator && afterSeparator) continue;
        placed.emplace_back(&item, item.bSeparator ? kSeparatorSize : MeasureButton(item.pWidget));
        afterSeparator = item.bSeparator;
    }

    std::vector<Stripe> stripes;
    Stripe open;
    const auto closeOpen = [&stripes, &open] {
        if (open.nCount > 0) stripes.push_back(open);
        open = Stripe();
    };
    for (const auto& [item, size] : placed) {
        if (item->bSeparator) {
            closeOpen();
            stripes.push_back({1, size.height(), 0, true});
        } else if (size.width() > maxWidth) {
            closeOpen();
            stripes.push_back({1, size.height(), size.width(), false});
        } else if (open.nWidth + size.width() <= maxWidth) {
            ++open.nCount;
            open.nWidth += size.width();
            open.nHeight = std::max(open.nHeight, size.height());
        } else {
            closeOpen();
            open = {1, size.height(), size.width(), false};
        }
    }
    closeOpen();

    if (stripes.empty()) return QSize(0, 0);
    if (stripes.back().bSeparator) stripes.pop_back();

    // The title strip is always counted, so the height does not depend on
    // whether the palette has a title.
    int height = m_nCaptionHeight + kCaptionGap;
    int rowWidth = maxWidth;
    for (const Stripe& stripe : stripes) {
        height += stripe.nHeight;
        rowWidth = std::max(rowWidth, stripe.nWidth);
    }

    if (!calcOnly) {
        // Surplus separators would otherwise stay wherever they were last put.
        for (const Item& item : m_items) {
            const bool isPlaced = std::any_of(placed.begin(), placed.end(),
                                              [&item](const auto& p) { return p.first == &item; });
            if (item.bSeparator && !isPlaced) item.pWidget->setGeometry(QRect());
        }

        int y = top;
        int x = left;
        int stripeIndex = -1;
        int leftInStripe = 0;
        for (const auto& [item, size] : placed) {
            if (leftInStripe == 0) {
                if (stripeIndex >= 0) y += stripes[size_t(stripeIndex)].nHeight;
                ++stripeIndex;
                if (stripeIndex == int(stripes.size())) {
                    // Only a dropped trailing separator is left over.
                    item->pWidget->setGeometry(QRect());
                    break;
                }
                leftInStripe = stripes[size_t(stripeIndex)].nCount;
                x = left + (rowWidth - stripes[size_t(stripeIndex)].nWidth) / 2;
            }
            --leftInStripe;
            const Stripe& stripe = stripes[size_t(stripeIndex)];
            if (item->bSeparator) {
                item->pWidget->setGeometry(left, y, rowWidth, size.height());
            } else {
                item->pWidget->setGeometry(x, y + (stripe.nHeight - size.height()) / 2,
                                           size.width(), size.height());
                x += size.width();
            }
        }
    }

    return QSize(rowWidth + (m_bWidthToggle ? 1 : 0) + extraWidth, height + extraHeight);
}

void QVPalette::Relayout()
{
    updateGeometry();
    AdjustLocations();
    update();
    emit sizeChanged();
}

void QVPalette::ApplyCheckedState()
{
    for (int i = 0; i < GetItemCount(); ++i) {
        const Item& item = m_items[size_t(i)];
        if (item.bSeparator) continue;
        auto* button = static_cast<QToolButton*>(item.pWidget);
        const QSignalBlocker blocker(button);
        button->setChecked(i == m_nCheckedIndex);
    }
}

// Whoever toggles a button - a click, or code calling setChecked - the pressed
// state goes straight back to what m_nCheckedIndex says. A click therefore only
// reports the command; the tool is pressed when the main window selects it.
void QVPalette::KeepCheckedState(QToolButton* button)
{
    const auto it = std::find_if(m_items.begin(), m_items.end(),
                                 [button](const Item& item) { return item.pWidget == button; });
    if (it == m_items.end()) return;
    const bool shouldBeChecked = int(it - m_items.begin()) == m_nCheckedIndex;
    if (button->isChecked() != shouldBeChecked) {
        const QSignalBlocker blocker(button);
        button->setChecked(shouldBeChecked);
    }
}

bool QVPalette::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::LayoutRequest:
        // A button's size limits changed, or one was shown or hidden directly.
        Relayout();
        return true;
    case QEvent::WindowTitleChange:
        // A title moves the rows below its strip; an empty one lets them up.
        Relayout();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void QVPalette::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    AdjustLocations();
}

void QVPalette::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), kBackgroundColor);
    const int flags = GetPaletteFlags();
    // The frame picture fills its middle: drawn after the title strip it
    // would cover it, so the strip goes on top.
    if (flags & kFlagDocked) PaintFrame(painter);
    if (flags & kFlagTitle) PaintTitle(painter, flags & kFlagDocked);
}

void QVPalette::PaintTitle(QPainter& painter, bool docked) const
{
    const int top = rect().top() + 1 + (docked ? kFrameCorners.top() : 0);
    const QRect strip(rect().left(), top, rect().width(), m_nCaptionHeight);
    painter.fillRect(
        strip, AngledGradient(strip, kCaptionGradientAngle, kCaptionStartColor, kCaptionEndColor));

    const QRect textRect = strip - kCaptionTextMargins;
    const QString text =
        QFontMetrics(m_fontCaption).elidedText(windowTitle(), Qt::ElideRight, textRect.width());
    painter.setFont(m_fontCaption);
    painter.setPen(kCaptionTextColor);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, text);
}

void QVPalette::PaintFrame(QPainter& painter) const
{
    if (m_rendererFrame.IsValid()) {
        m_rendererFrame.Draw(&painter, rect(), 0);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(kFrameColor);
    painter.setBrush(Qt::NoBrush);
    // Half-pixel inset: the 1-pixel pen then covers the outermost pixels exactly.
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kFrameCornerRadius,
                            kFrameCornerRadius);
    painter.restore();
}
