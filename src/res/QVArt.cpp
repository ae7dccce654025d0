#include "QVArt.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resources live in a static library, so nothing registers them at load
// time: every entry point below makes sure they are registered first.
// Q_INIT_RESOURCE declares the registration function where it is used, so it
// must stand outside any namespace.
static int RegisterResources()
{
    Q_INIT_RESOURCE(morvane);
    return 0;
}

void QVArt::EnsureResources()
{
    static const int registered = RegisterResources();
    (void)registered;
}

namespace QVArt {

namespace {

constexpr int kCursorSize = 32;

// The view cursors and the pixel each one points with.
struct CursorArt {
    int id;
    int hotX;
    int hotY;
};

constexpr CursorArt kCursors[] = {
    {320, 16, 15}, // move: four arrows in a cross
    {321, 16, 16}, // closed hand, dragging the picture
    {322, 15, 15}, // thin crosshair with an open centre
    {323, 16, 15}, // left-right arrow heads around a dot
    {324, 0, 0},   // arrow pointer with a small move cross
    {325, 15, 15}, // prohibition sign
    {326, 0, 0},   // hand pointing up-left
};

const CursorArt *FindCursor(int cursorId)
{
    for (const CursorArt &art : kCursors) {
        if (art.id == cursorId)
            return &art;
    }
    return nullptr;
}

} // namespace

QString CommandIconPath(int commandId)
{
    EnsureResources();
    const QString path = QStringLiteral(":/icons/%1.svg").arg(commandId);
    return QFile::exists(path) ? path : QString();
}

QIcon CommandIcon(int commandId)
{
    const QString path = CommandIconPath(commandId);
    if (path.isEmpty())
        return QIcon();
    QIcon icon(path);
    // The hot picture while the mouse is over the button.
    const QString hot = QStringLiteral(":/icons/%1_hot.svg").arg(commandId);
    if (QFile::exists(hot))
        icon.addFile(hot, QSize(), QIcon::Active);
    return icon;
}

QIcon AppIcon()
{
    EnsureResources();
    return QIcon(QStringLiteral(":/icons/morvane.svg"));
}

QCursor ToolCursor(int cursorId)
{
    EnsureResources();
    const CursorArt *art = FindCursor(cursorId);
    if (!art)
        return QCursor(Qt::ArrowCursor);

    QSvgRenderer renderer(QStringLiteral(":/cursors/%1.svg").arg(cursorId));
    if (!renderer.isValid())
        return QCursor(Qt::ArrowCursor);

    // The pictures are drawn on the pixel grid of exactly this size.
    QPixmap pixmap(kCursorSize, kCursorSize);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, kCursorSize, kCursorSize));
    }
    return QCursor(pixmap, art->hotX, art->hotY);
}

QPoint CursorHotSpot(int cursorId)
{
    const CursorArt *art = FindCursor(cursorId);
    return art ? QPoint(art->hotX, art->hotY) : QPoint(-1, -1);
}

} // namespace QVArt
