// The program's own pictures: every command with art gets an icon that draws,
// and a hot variant of it for the hovered button; the application icon draws
// at desktop size; each view cursor is a 32 x 32 picture whose hot spot sits
// where the picture points; the frame, button and splash bitmaps have their
// exact sizes, their transparent colours and room for the text drawn on them.
#include "res/QVArt.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QtTest>

#include <cmath>

namespace {

const int kCommandsWithArt[] = {
    33901, 33902, 33903, 33904, 33905, 33906, 33907, 33908, 33909, 33910, 33911, 33912,
    33913, 33923, 33924, 33925, 33926, 33927, 33931, 33932, 33933, 33934, 33935, 33936, 33937,
    32804,
};

int OpaqueCount(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 128)
                ++count;
        }
    }
    return count;
}

bool Opaque(const QImage &image, int x, int y)
{
    return image.rect().contains(x, y) && qAlpha(image.pixel(x, y)) > 128;
}

QImage CursorImage(int cursorId)
{
    return QVArt::ToolCursor(cursorId).pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage HotIconImage(int id, int size)
{
    QVArt::EnsureResources();
    return QIcon(QStringLiteral(":/icons/%1_hot.svg").arg(id)).pixmap(size, size).toImage().convertToFormat(
        QImage::Format_ARGB32);
}

bool IsLineGrey(QRgb p)
{
    // The normal icons' #3a3a3a lines (58, 58, 58) and their darker blends.
    return qAlpha(p) > 200 && std::abs(qRed(p) - 58) <= 14 && std::abs(qGreen(p) - 58) <= 14 &&
           std::abs(qBlue(p) - 58) <= 14;
}

bool IsRed(QRgb p)
{
    return qAlpha(p) > 200 && qRed(p) >= 100 && qGreen(p) < 60 && qBlue(p) < 60;
}

QImage Bitmap(int id)
{
    QVArt::EnsureResources();
    return QImage(QStringLiteral(":/bitmaps/%1.png").arg(id));
}

double Luminance(QRgb p)
{
    return 0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p);
}

// Mean and standard deviation of the luminance inside the rectangle.
void LuminanceStats(const QImage &image, const QRect &rect, double *mean, double *deviation)
{
    double sum = 0, squares = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const double l = Luminance(image.pixel(x, y));
            sum += l;
            squares += l * l;
        }
    }
    const double n = double(rect.width()) * rect.height();
    *mean = sum / n;
    *deviation = std::sqrt(std::max(0.0, squares / n - *mean * *mean));
}

// How a centred cursor must mirror onto itself about its hot spot.
enum Symmetry {
    kMirrorBoth = 1,      // left-right and top-bottom
    kMirrorDiagonal = 2,  // across the main diagonal and half a turn
};

} // namespace

class TestArt : public QObject
{
    Q_OBJECT

private slots:
    void commandIcons_data();
    void commandIcons();
    void commandIconsDiffer();
    void idsWithoutArt();
    void appIcon();
    void cursors_data();
    void cursors();
    void centredCursorsMirrorAboutHotSpot_data();
    void centredCursorsMirrorAboutHotSpot();
    void pointingCursorsTouchTheirHotSpot_data();
    void pointingCursorsTouchTheirHotSpot();
    void crosshairIsOpenAtItsHotSpot();
    void otherCursorIdsFallBackToArrow();
    void hotIcons_data();
    void hotIcons();
    void bitmaps_data();
    void bitmaps();
    void transparentColourHasNoHalo_data();
    void transparentColourHasNoHalo();
    void paletteFrameStretches();
    void tabPanelFrames();
    void closeButtons();
    void tabs();
    void splashLeavesRoomForText();
};

void TestArt::commandIcons_data()
{
    QTest::addColumn<int>("id");
    for (int id : kCommandsWithArt)
        QTest::addRow("%d", id) << id;
}

void TestArt::commandIcons()
{
    QFETCH(int, id);
    const QIcon icon = QVArt::CommandIcon(id);
    QVERIFY(!icon.isNull());
    for (int size : {32, 16}) {
        const QImage image = icon.pixmap(size, size).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        // A drawn tool, not a speck: at least a tenth of the square is ink.
        QVERIFY2(OpaqueCount(image) * 10 >= size * size,
                 qPrintable(QStringLiteral("icon %1 at %2 px is nearly empty").arg(id).arg(size)));
    }
}

void TestArt::commandIconsDiffer()
{
    // Each command has its own picture (no file left as a copy of another).
    QSet<QByteArray> seen;
    for (int id : kCommandsWithArt) {
        const QImage image = QVArt::CommandIcon(id).pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
        const QByteArray bytes(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
        QVERIFY2(!seen.contains(bytes), qPrintable(QStringLiteral("icon %1 repeats another icon").arg(id)));
        seen.insert(bytes);
    }
}

void TestArt::idsWithoutArt()
{
    QVERIFY(QVArt::CommandIcon(33921).isNull()); // the radius slider
    QVERIFY(QVArt::CommandIcon(57601).isNull()); // File > Open
    QVERIFY(QVArt::CommandIcon(0).isNull());
}

void TestArt::appIcon()
{
    const QIcon icon = QVArt::AppIcon();
    QVERIFY(!icon.isNull());
    const QImage image = icon.pixmap(256, 256).toImage();
    QCOMPARE(image.size(), QSize(256, 256));
    QVERIFY(OpaqueCount(image) * 2 >= 256 * 256);
    // The mark fills its square: something is drawn in each quarter.
    for (const QRect quarter : {QRect(0, 0, 128, 128), QRect(128, 0, 128, 128),
                                QRect(0, 128, 128, 128), QRect(128, 128, 128, 128)})
        QVERIFY(OpaqueCount(image.copy(quarter)) > 0);
}

void TestArt::cursors_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QPoint>("hotSpot");
    QTest::addColumn<bool>("drawnAtHotSpot");
    QTest::newRow("320 move") << 320 << QPoint(16, 15) << true;
    QTest::newRow("321 closed hand") << 321 << QPoint(16, 16) << true;
    QTest::newRow("322 crosshair") << 322 << QPoint(15, 15) << false;
    QTest::newRow("323 left-right") << 323 << QPoint(16, 15) << true;
    QTest::newRow("324 pointer and move") << 324 << QPoint(0, 0) << true;
    QTest::newRow("325 prohibition") << 325 << QPoint(15, 15) << true;
    QTest::newRow("326 pointing hand") << 326 << QPoint(0, 0) << true;
}

void TestArt::cursors()
{
    QFETCH(int, id);
    QFETCH(QPoint, hotSpot);
    QFETCH(bool, drawnAtHotSpot);
    QCOMPARE(QVArt::CursorHotSpot(id), hotSpot);

    const QCursor cursor = QVArt::ToolCursor(id);
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.hotSpot(), hotSpot);
    const QImage image = CursorImage(id);
    QCOMPARE(image.size(), QSize(32, 32));
    const int opaque = OpaqueCount(image);
    QVERIFY2(opaque >= 40, qPrintable(QStringLiteral("cursor %1 has %2 opaque pixels").arg(id).arg(opaque)));
    QVERIFY(opaque < 32 * 32 / 2);

    // Black rim and white inside, so the cursor shows on any picture.
    int black = 0, white = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) < 250)
                continue;
            if (qGray(p) < 20)
                ++black;
            else if (qGray(p) > 235)
                ++white;
        }
    }
    QVERIFY(black >= 20);
    QVERIFY(white >= 10);

    // The hot spot lands on the picture (the crosshair keeps it clear).
    QCOMPARE(Opaque(image, hotSpot.x(), hotSpot.y()), drawnAtHotSpot);
}

void TestArt::centredCursorsMirrorAboutHotSpot_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("symmetry");
    QTest::newRow("320 move") << 320 << int(kMirrorBoth);
    QTest::newRow("322 crosshair") << 322 << int(kMirrorBoth);
    QTest::newRow("323 left-right") << 323 << int(kMirrorBoth);
    QTest::newRow("325 prohibition") << 325 << int(kMirrorDiagonal);
}

void TestArt::centredCursorsMirrorAboutHotSpot()
{
    // These cursors point with their middle: a hot spot one pixel off breaks
    // the mirror image of the picture about it.
    QFETCH(int, id);
    QFETCH(int, symmetry);
    const QImage image = CursorImage(id);
    const QPoint hot = QVArt::CursorHotSpot(id);

    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int dx = x - hot.x(), dy = y - hot.y();
            QList<QPoint> images;
            if (symmetry == kMirrorBoth)
                images = {QPoint(hot.x() - dx, y), QPoint(x, hot.y() - dy)};
            else
                images = {QPoint(hot.x() + dy, hot.y() + dx), QPoint(hot.x() - dx, hot.y() - dy)};
            for (const QPoint &m : images) {
                if (Opaque(image, x, y) != Opaque(image, m.x(), m.y()))
                    QFAIL(qPrintable(QStringLiteral("cursor %1: pixel (%2, %3) does not mirror onto (%4, %5)")
                                         .arg(id).arg(x).arg(y).arg(m.x()).arg(m.y())));
            }
        }
    }
}

void TestArt::pointingCursorsTouchTheirHotSpot_data()
{
    QTest::addColumn<int>("id");
    QTest::newRow("324 pointer and move") << 324;
    QTest::newRow("326 pointing hand") << 326;
}

void TestArt::pointingCursorsTouchTheirHotSpot()
{
    // The tip is in the top-left corner: the pixel at the hot spot or a
    // neighbour of it is drawn.
    QFETCH(int, id);
    const QImage image = CursorImage(id);
    const QPoint hot = QVArt::CursorHotSpot(id);
    QCOMPARE(hot, QPoint(0, 0));
    QVERIFY(Opaque(image, 0, 0) || Opaque(image, 1, 0) || Opaque(image, 0, 1) || Opaque(image, 1, 1));
    // The tip is a point, not a bar along the top edge, and the body of the
    // cursor spreads below-right of it.
    int topRow = 0;
    for (int x = 0; x < 32; ++x)
        topRow += Opaque(image, x, 0);
    QVERIFY(topRow <= 3);
    QRect drawn;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (Opaque(image, x, y))
                drawn |= QRect(x, y, 1, 1);
        }
    }
    QCOMPARE(drawn.topLeft(), QPoint(0, 0));
    QVERIFY(drawn.width() >= 16 && drawn.height() >= 16);
}

void TestArt::crosshairIsOpenAtItsHotSpot()
{
    // The aimed-at pixel stays visible: a gap around the hot spot, with the
    // four arms starting just beyond it on its row and column.
    const QImage image = CursorImage(322);
    const QPoint hot = QVArt::CursorHotSpot(322);
    QVERIFY(!Opaque(image, hot.x(), hot.y()));
    QVERIFY(!Opaque(image, hot.x() + 1, hot.y() + 1));
    bool right = false, left = false, down = false, up = false;
    for (int d = 1; d <= 6; ++d) {
        right |= Opaque(image, hot.x() + d, hot.y());
        left |= Opaque(image, hot.x() - d, hot.y());
        down |= Opaque(image, hot.x(), hot.y() + d);
        up |= Opaque(image, hot.x(), hot.y() - d);
    }
    QVERIFY(right && left && down && up);
}

void TestArt::otherCursorIdsFallBackToArrow()
{
    QCOMPARE(QVArt::ToolCursor(319).shape(), Qt::ArrowCursor);
    QCOMPARE(QVArt::ToolCursor(327).shape(), Qt::ArrowCursor);
    QCOMPARE(QVArt::CursorHotSpot(327), QPoint(-1, -1));
    QCOMPARE(QVArt::CursorHotSpot(0), QPoint(-1, -1));
}

void TestArt::hotIcons_data()
{
    commandIcons_data();
}

void TestArt::hotIcons()
{
    // The same drawing, recoloured: the same pixels are ink, none of the dark
    // grey lines is left and the accent red gains ground.
    QFETCH(int, id);
    QVERIFY(QFile::exists(QStringLiteral(":/icons/%1_hot.svg").arg(id)));
    for (int size : {32, 16}) {
        const QImage hot = HotIconImage(id, size);
        const QImage normal =
            QVArt::CommandIcon(id).pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(hot.size(), QSize(size, size));
        QVERIFY2(OpaqueCount(hot) * 10 >= size * size,
                 qPrintable(QStringLiteral("hot icon %1 at %2 px is nearly empty").arg(id).arg(size)));
        QVERIFY(hot != normal);
        int shapeDiffers = 0, grey = 0, normalGrey = 0, red = 0, normalRed = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb h = hot.pixel(x, y), n = normal.pixel(x, y);
                shapeDiffers += std::abs(qAlpha(h) - qAlpha(n)) > 8;
                grey += IsLineGrey(h);
                normalGrey += IsLineGrey(n);
                red += IsRed(h);
                normalRed += IsRed(n);
            }
        }
        QVERIFY2(shapeDiffers == 0,
                 qPrintable(QStringLiteral("hot icon %1 is not the same drawing (%2 pixels)").arg(id).arg(shapeDiffers)));
        if (size == 32) {
            QVERIFY2(normalGrey > 0, qPrintable(QStringLiteral("icon %1 has no dark lines").arg(id)));
            QVERIFY2(grey == 0, qPrintable(QStringLiteral("hot icon %1 keeps %2 dark grey pixels").arg(id).arg(grey)));
            QVERIFY2(red > normalRed,
                     qPrintable(QStringLiteral("hot icon %1: %2 red pixels, normal %3").arg(id).arg(red).arg(normalRed)));
        }
    }
}

void TestArt::bitmaps_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QSize>("size");
    QTest::newRow("311 palette frame") << 311 << QSize(46, 45);
    QTest::newRow("312 columns button") << 312 << QSize(7, 6);
    QTest::newRow("313 splash") << 313 << QSize(600, 300);
    QTest::newRow("314 tab panels") << 314 << QSize(62, 32);
    QTest::newRow("315 close button") << 315 << QSize(33, 11);
    QTest::newRow("316 tabs") << 316 << QSize(45, 16);
}

void TestArt::bitmaps()
{
    QFETCH(int, id);
    QFETCH(QSize, size);
    const QImage image = Bitmap(id);
    QVERIFY2(!image.isNull(), qPrintable(QStringLiteral("bitmap %1 does not load").arg(id)));
    QCOMPARE(image.size(), size);
    // Opaque 24-bit pictures: transparency, where there is any, is a key colour.
    QVERIFY(!image.hasAlphaChannel());
}

void TestArt::transparentColourHasNoHalo_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QColor>("key");
    QTest::addColumn<int>("frames");
    QTest::newRow("312 on white") << 312 << QColor(Qt::white) << 1;
    QTest::newRow("314 on black") << 314 << QColor(Qt::black) << 2;
    QTest::newRow("315 on white") << 315 << QColor(Qt::white) << 3;
    QTest::newRow("316 on magenta") << 316 << QColor(Qt::magenta) << 3;
}

void TestArt::transparentColourHasNoHalo()
{
    // Every frame shows the key (its corners are see-through) and ink; no
    // pixel is a near miss of the key, which would show as a fringe on any
    // other background.
    QFETCH(int, id);
    QFETCH(QColor, key);
    QFETCH(int, frames);
    const QImage image = Bitmap(id).convertToFormat(QImage::Format_RGB32);
    const int width = image.width() / frames;
    for (int f = 0; f < frames; ++f) {
        int keyed = 0, ink = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = f * width; x < (f + 1) * width; ++x) {
                const QRgb p = image.pixel(x, y);
                const int distance = std::abs(qRed(p) - key.red()) + std::abs(qGreen(p) - key.green()) +
                                     std::abs(qBlue(p) - key.blue());
                if (distance == 0)
                    ++keyed;
                else
                    ++ink;
                if (distance > 0 && distance < 60)
                    QFAIL(qPrintable(QStringLiteral("bitmap %1: pixel (%2, %3) is nearly the transparent colour")
                                         .arg(id).arg(x).arg(y)));
            }
        }
        QVERIFY2(keyed > 0 && ink >= 10, qPrintable(QStringLiteral("bitmap %1 frame %2").arg(id).arg(f)));
    }
    const QRgb corner = image.pixel(0, 0);
    QCOMPARE(QColor(corner), key);
}

void TestArt::paletteFrameStretches()
{
    // Three 46 x 15 states drawn with the corners left 5, top 10, right 5,
    // bottom 4: the stretched parts repeat one colour along their length, the
    // edge is the frame's dark grey and the inside the bars' light grey.
    const QImage image = Bitmap(311).convertToFormat(QImage::Format_RGB32);
    double brightness[3];
    for (int s = 0; s < 3; ++s) {
        const int top = 15 * s;
        for (int y = top; y < top + 15; ++y) {
            for (int x = 6; x <= 40; ++x)
                QVERIFY2(image.pixel(x, y) == image.pixel(5, y),
                         qPrintable(QStringLiteral("state %1: row %2 changes along its middle").arg(s).arg(y - top)));
        }
        double sum = 0;
        for (int x = 0; x < 46; ++x)
            sum += Luminance(image.pixel(x, top + 10));
        brightness[s] = sum / 46;
        // Outline, then a lighter bevel, then the inside.
        const QRgb edge = image.pixel(0, top + 10), bevel = image.pixel(1, top + 10);
        QVERIFY(qGray(edge) >= 60 && qGray(edge) <= 120);
        QVERIFY(qGray(bevel) > qGray(edge) + 60);
        QVERIFY(qGray(image.pixel(45, top + 10)) == qGray(edge));
        QVERIFY(qGray(image.pixel(23, top + 14)) == qGray(edge));
        // The repeated row is the inside itself, not a line that would spread
        // over the whole panel.
        QCOMPARE(image.pixel(23, top + 10), image.pixel(23, top + 11));
    }
    QCOMPARE(image.pixel(0, 10), qRgb(91, 91, 91));
    QCOMPARE(image.pixel(23, 10), qRgb(237, 237, 237));
    QVERIFY(brightness[1] > brightness[0]);
    QVERIFY(brightness[2] < brightness[0]);
}

void TestArt::tabPanelFrames()
{
    // Two 31 x 32 frames with the corners left 3, top 25, right 26, bottom 3:
    // rows 25..28 and columns 3..4 repeat, so they hold no detail; the tab
    // frame's drop-down glyph lies whole inside its top right corner, and the
    // plain frame has none.
    const QImage image = Bitmap(314).convertToFormat(QImage::Format_RGB32);
    for (int f = 0; f < 2; ++f) {
        const int left = 31 * f;
        for (int y = 26; y <= 28; ++y) {
            for (int x = left; x < left + 31; ++x)
                QCOMPARE(image.pixel(x, y), image.pixel(x, 25));
        }
        for (int y = 0; y < 32; ++y)
            QCOMPARE(image.pixel(left + 4, y), image.pixel(left + 3, y));
        QRect glyph;
        for (int y = 0; y < 32; ++y) {
            for (int x = left + 2; x < left + 29; ++x) {
                const QRgb p = image.pixel(x, y);
                if (p != qRgb(0, 0, 0) && qGray(p) < 120)
                    glyph |= QRect(x - left, y, 1, 1);
            }
        }
        if (f == 0) {
            QVERIFY(!glyph.isEmpty());
            QVERIFY2(QRect(5, 0, 26, 25).contains(glyph), "the glyph leaves the top right corner");
            QVERIFY(glyph.bottom() > 12 && glyph.left() > 15);
        } else {
            QVERIFY(glyph.isEmpty());
        }
    }
}

void TestArt::closeButtons()
{
    // A grey cross, a red cross, and a red cross in a thin frame.
    const QImage image = Bitmap(315).convertToFormat(QImage::Format_RGB32);
    int grey = 0, red = 0, pressedRed = 0;
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 11; ++x) {
            const QRgb a = image.pixel(x, y), b = image.pixel(11 + x, y), c = image.pixel(22 + x, y);
            if (a != qRgb(255, 255, 255)) {
                QCOMPARE(qRed(a), qGreen(a));
                QVERIFY(qGray(a) < 160);
                ++grey;
            }
            if (b != qRgb(255, 255, 255)) {
                QVERIFY(IsRed(b));
                ++red;
            }
            pressedRed += IsRed(c);
        }
    }
    QVERIFY(grey >= 15);
    QCOMPARE(red, grey); // the same cross
    // The frame: the middle of each side is ink.
    for (const QPoint p : {QPoint(27, 0), QPoint(22, 5), QPoint(32, 5), QPoint(27, 10)})
        QVERIFY(IsRed(image.pixel(p)));
    QVERIFY(pressedRed >= red + 30);
}

void TestArt::tabs()
{
    // Three 15 x 16 tabs, corners 4, 4, 4, 2: the middle columns 4..10 and
    // rows 4..13 repeat along their length; the top corners are rounded off
    // (transparent) and each state is lighter than the one before.
    const QImage image = Bitmap(316).convertToFormat(QImage::Format_RGB32);
    const QRgb magenta = qRgb(255, 0, 255);
    double previous = 0;
    for (int t = 0; t < 3; ++t) {
        const int left = 15 * t;
        QCOMPARE(image.pixel(left, 0), magenta);
        QCOMPARE(image.pixel(left + 14, 0), magenta);
        QVERIFY(image.pixel(left + 7, 0) != magenta);
        for (int y = 0; y < 16; ++y) {
            for (int x = left + 5; x <= left + 10; ++x)
                QCOMPARE(image.pixel(x, y), image.pixel(left + 4, y));
        }
        double sum = 0;
        for (int y = 4; y < 14; ++y)
            sum += Luminance(image.pixel(left + 7, y));
        QVERIFY2(sum / 10 > previous, qPrintable(QStringLiteral("tab %1 is not lighter").arg(t)));
        previous = sum / 10;
    }
    // The active tab is open at the bottom, where it meets its page.
    QVERIFY(qGray(image.pixel(37, 15)) > 220);
    QVERIFY(qGray(image.pixel(7, 15)) < 200);
}

void TestArt::splashLeavesRoomForText()
{
    // The program writes black text into two boxes; they stay light and
    // quiet. The art itself shows the accent red, mostly right of the text.
    const QImage image = Bitmap(313).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.size(), QSize(600, 300));
    for (const QRect box : {QRect(QPoint(30, 110), QPoint(549, 149)), QRect(QPoint(30, 170), QPoint(399, 274))}) {
        double mean = 0, deviation = 0;
        LuminanceStats(image, box, &mean, &deviation);
        QVERIFY2(mean > 200 && deviation < 25,
                 qPrintable(QStringLiteral("text box %1,%2: mean %3, deviation %4")
                                .arg(box.x()).arg(box.y()).arg(mean).arg(deviation)));
    }
    int redLeft = 0, redRight = 0;
    for (int y = 0; y < 290; ++y) {
        for (int x = 0; x < 600; ++x) {
            if (IsRed(image.pixel(x, y)))
                (x < 300 ? redLeft : redRight)++;
        }
    }
    QVERIFY2(redRight >= 300, qPrintable(QString::number(redRight)));
    QVERIFY(redLeft > 0);
}

QTEST_MAIN(TestArt)
#include "test_art.moc"
