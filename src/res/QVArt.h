#pragma once

#include <QCursor>
#include <QIcon>

// The program's own pictures: the tool and command icons, the application
// icon and the view cursors, all drawn as SVG and compiled into the resources.
namespace QVArt {

// Registers the program's resources (icons, cursors, bitmaps) once.
void EnsureResources();

// Icon of a command's buttons and menu item; a null icon for ids without art.
QIcon CommandIcon(int commandId);

// Where a command's icon picture lies in the resources (for rich text); an
// empty text for ids without art.
QString CommandIconPath(int commandId);

// The program's window and desktop icon.
QIcon AppIcon();

// Cursor resource 320..326: the 32 x 32 picture with its hot spot; the arrow
// cursor for other ids.
QCursor ToolCursor(int cursorId);

// Hot spot of cursor resource id (for tests); (-1, -1) for unknown ids.
QPoint CursorHotSpot(int cursorId);

} // namespace QVArt
