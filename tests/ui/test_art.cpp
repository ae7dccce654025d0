// The program's own pictures: every command with art gets an icon that draws,
// the application icon draws at desktop size, and each view cursor is a 32 x 32
// picture whose hot spot sits where the picture points.
#include "res/QVArt.h"

#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QtTest>

namespace {

const int kCommandsWithArt[] = {
    33901, 33902, 33903, 33904, 33905, 33906, 33907, 33908, 33909, 33910, 33911, 33912,
    33923, 33924, 33925, 33926, 33927, 33931, 33932, 33933, 33934, 33935, 33936, 33937,
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

QTEST_MAIN(TestArt)
#include "test_art.moc"
