// Our PNG writer: every pixel, the colour profile and the resolution come back
// as written; a device that refuses a write fails the picture wherever it
// happens; pictures that are not 24-bit still save exactly.

#include "engine/image/QVPngEncoder.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImage>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cstring>

namespace {

QImage RandomPicture(int width, int height, QImage::Format format, quint32 seed)
{
    QImage picture(width, height, format);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        uchar* row = picture.scanLine(y);
        for (qsizetype i = 0; i < picture.bytesPerLine(); ++i)
            row[i] = uchar(random.bounded(256));
    }
    return picture;
}

QByteArray Written(const QImage& picture, int level = 1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WritePng(picture, &buffer, level));
    return bytes;
}

// True when both pictures have the same pixels, row by row (padding ignored).
bool SamePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    const size_t rowBytes = size_t(a.width()) * size_t(a.depth()) / 8;
    for (int y = 0; y < a.height(); ++y) {
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0)
            return false;
    }
    return true;
}

// Accepts `room` bytes, then refuses every write, as a full disk does.
class FullDevice : public QIODevice
{
public:
    explicit FullDevice(qint64 room) : m_nRoom(room) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        if (size > m_nRoom)
            return -1;
        m_nRoom -= size;
        return size;
    }

private:
    qint64 m_nRoom;
};

} // namespace

// Odd widths leave row padding in the QImage that must not reach the file;
// every zlib level decodes to the same pixels.
TEST(PngEncoder, WritesEveryPixelAtEveryLevel)
{
    struct Case
    {
        int width, height, level;
    };
    const Case cases[] = {{1, 1, 1}, {3, 5, 0}, {257, 3, 1}, {64, 64, 6}, {31, 9, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " level " << c.level);
        const QImage picture = RandomPicture(c.width, c.height, QImage::Format_RGB888, quint32(c.width));
        const QImage read = QImage::fromData(Written(picture, c.level), "PNG");
        ASSERT_FALSE(read.isNull());
        EXPECT_TRUE(SamePixels(read.convertToFormat(QImage::Format_RGB888), picture));
    }
}

TEST(PngEncoder, KeepsTheColourProfileAndTheResolution)
{
    QImage picture = RandomPicture(40, 30, QImage::Format_RGB888, 7);
    picture.setColorSpace(QColorSpace::DisplayP3);
    picture.setDotsPerMeterX(11811); // 300 dpi
    picture.setDotsPerMeterY(5906);
    const QImage read = QImage::fromData(Written(picture), "PNG");
    ASSERT_FALSE(read.isNull());
    EXPECT_EQ(read.colorSpace(), QColorSpace(QColorSpace::DisplayP3));
    EXPECT_EQ(read.colorSpace().iccProfile(), picture.colorSpace().iccProfile());
    EXPECT_EQ(read.dotsPerMeterX(), 11811);
    EXPECT_EQ(read.dotsPerMeterY(), 5906);

    // Without a profile none is invented.
    picture.setColorSpace(QColorSpace());
    EXPECT_FALSE(Written(picture).contains("iCCP"));
}

// A refused write anywhere in the file (signature, header, profile, pixel
// data, end) fails the picture instead of passing a cut file for whole.
TEST(PngEncoder, AWriteRefusedAnywhereFailsThePicture)
{
    QImage picture = RandomPicture(600, 400, QImage::Format_RGB888, 3);
    picture.setColorSpace(QColorSpace::AdobeRgb);
    const qint64 whole = Written(picture).size();
    ASSERT_GT(whole, 600 * 400 * 3); // random bytes do not compress
    for (const qint64 room : {qint64(0), qint64(8), qint64(40), qint64(300), whole / 2, whole - 12,
                              whole - 1}) {
        SCOPED_TRACE(room);
        FullDevice device(room);
        EXPECT_FALSE(WritePng(picture, &device, 1));
    }
    FullDevice enough(whole);
    EXPECT_TRUE(WritePng(picture, &enough, 1));
}

// Palettes, grey and alpha are not what documents hold, but a picture of any
// format saves with its pixels (and its transparency) intact.
TEST(PngEncoder, OtherFormatsKeepTheirPixels)
{
    QImage indexed = RandomPicture(33, 7, QImage::Format_Indexed8, 11);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(qRgb(i, 255 - i, (i * 7) & 255));
    indexed.setColorTable(table);
    const QImage alpha = RandomPicture(17, 5, QImage::Format_ARGB32, 12);
    const QImage grey = RandomPicture(19, 4, QImage::Format_Grayscale8, 13);
    for (const QImage& picture : {indexed, alpha, grey}) {
        SCOPED_TRACE(int(picture.format()));
        const QImage read = QImage::fromData(Written(picture), "PNG");
        ASSERT_FALSE(read.isNull());
        const QImage::Format compare =
            picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB888;
        EXPECT_TRUE(SamePixels(read.convertToFormat(compare), picture.convertToFormat(compare)));
    }
}
