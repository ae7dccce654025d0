#pragma once

class QImage;
class QIODevice;

// Qt's PNG writer takes a compression ratio from 0 to 100 and hands zlib the
// level ratio * 9 / 91; this is the smallest ratio that gives zlib level
// `level` (0 to 9).
constexpr int QtPngCompressionForLevel(int level)
{
    return (level * 91 + 8) / 9;
}

// Writes a picture as a PNG through libpng at zlib level `zlibLevel` (0 to 9),
// each row filtered against the row above ("Up") only. Qt's PNG writer tries
// all five filters on every row and keeps the best; on a photo that costs
// more than the compression itself for a file a few per cent smaller. The
// file carries what Qt's writer would put there: the colour profile (iCCP) and
// the resolution (pHYs). 24-bit pictures are written from their rows; other
// formats go to Qt's writer at the same level.
//
// False when the device refuses a write (the device then holds part of a
// file) or libpng fails.
[[nodiscard]] bool WritePng(const QImage& picture, QIODevice* device, int zlibLevel);
