#include "QVSplashWnd.h"

#include "res/QVArt.h"
#include "res/QVStrings.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

const QRect kNoticeRect(QPoint(30, 170), QPoint(399, 274));
const QRect kVersionRect(QPoint(30, 110), QPoint(549, 149));
constexpr int kFontPoints = 9;

} // namespace

QVSplashWnd::QVSplashWnd()
{
    m_wndShadow.m_nAlpha = 64;
    m_wndShadow.m_rcMargins = QMargins(5, 5, 5, 5);
    m_wndShadow.m_nCornerRadius = 5;
    connect(&m_timer, &QTimer::timeout, this, &QVSplashWnd::OnTimer);
}

QVSplashWnd::~QVSplashWnd() = default;

bool QVSplashWnd::LoadPicture(unsigned int id)
{
    QVArt::EnsureResources();
    return m_bitmap.load(QStringLiteral(":/bitmaps/%1.png").arg(id));
}

bool QVSplashWnd::CreateSplash(QWidget* owner)
{
    if (m_bitmap.isNull())
        return false;
    setParent(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    // The main window keeps the keyboard while the splash shows.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(m_bitmap.size());
    // Over the owner when it shows, else in the middle of the screen.
    const QRect area = owner && owner->isVisible()
                           ? owner->frameGeometry()
                           : (screen() ? screen()->availableGeometry() : QRect(0, 0, 0, 0));
    move(area.center() - rect().center());

    m_wndShadow.CreateShadow(this);
    m_wndShadow.m_rcMargins = QMargins(6, 6, 6, 6);
    m_wndShadow.m_nCornerRadius = 6;
    m_wndShadow.update();

    m_font = QFont(LoadString(IDS_SPLASH_FONT));
    m_font.setStyleHint(QFont::SansSerif);
    m_font.setPointSize(kFontPoints);
    m_timer.start(kTick);
    m_bCreated = true;
    return true;
}

bool QVSplashWnd::Show(int milliseconds)
{
    if (!m_bCreated)
        return false;
    m_nDuration = milliseconds;
    m_nElapsed = 0;
    show();
    raise();
    m_wndShadow.UpdateShadow(true);
    return true;
}

void QVSplashWnd::OnTimer()
{
    m_nElapsed += kTick;
    if (m_nDuration < m_nElapsed)
        HideSplash();
}

void QVSplashWnd::HideSplash()
{
    m_nElapsed = 0;
    m_nDuration = 0;
    hide();
    m_wndShadow.UpdateShadow(false);
}

void QVSplashWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        HideSplash();
}

void QVSplashWnd::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_wndShadow.UpdateShadow(true);
}

void QVSplashWnd::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_wndShadow.UpdateShadow(false);
}

void QVSplashWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_bitmap);
    painter.setPen(Qt::black);
    painter.setFont(m_font);
    painter.drawText(kNoticeRect, Qt::TextWordWrap, LoadString(IDS_SPLASH_NOTICE));
    painter.drawText(kVersionRect, Qt::TextWordWrap, LoadString(IDS_SPLASH_VERSION));
}
