// Files that lie: tiny files whose headers claim huge pictures are refused
// from their bytes alone, before anything of the claimed size is allocated;
// damaged files (cut short, missing their end) are refused rather than opened
// with a made-up part; and big pictures that really are in their files still open.

#include "PictureFiles.h"
#include "ProcessMemory.h"
#include "engine/image/QVDIB.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// ---- hand-made files ------------------------------------------------------------

// A BMP: file header, 40-byte info header, `colours` palette entries, then `pixels`.
QByteArray BmpFile(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                   int colours, const QByteArray& pixels)
{
    const uint32_t offset = 14 + 40 + 4 * uint32_t(colours);
    QByteArray bmp("BM");
    PutLE32(bmp, offset + uint32_t(pixels.size()));
    PutLE32(bmp, 0);
    PutLE32(bmp, offset);
    PutLE32(bmp, 40);
    PutLE32(bmp, uint32_t(width));
    PutLE32(bmp, uint32_t(height));
    PutLE16(bmp, 1);
    PutLE16(bmp, bits);
    PutLE32(bmp, compression);
    PutLE32(bmp, compression ? uint32_t(pixels.size()) : 0);
    PutLE32(bmp, 0);
    PutLE32(bmp, 0);
    PutLE32(bmp, uint32_t(colours));
    PutLE32(bmp, 0);
    for (int i = 0; i < colours; ++i)
        PutLE32(bmp, uint32_t(i * 0x010101));
    return bmp + pixels;
}

// RLE8 rows of `width` pixels, each a few runs of one colour and an end of line.
QByteArray Rle8Rows(int width, int rows)
{
    QByteArray data;
    for (int y = 0; y < rows; ++y) {
        for (int left = width; left > 0; left -= 255)
            data.append(char(std::min(left, 255))).append(char(y % 7));
        data.append('\0').append('\0');
    }
    return data;
}

// A TIFF of one 8-bit grey strip: header, the directory at offset 8, the strip.
QByteArray GreyTiff(uint32_t width, uint32_t height, uint16_t compression,
                    const QByteArray& strip, uint32_t claimedStripBytes)
{
    struct Entry
    {
        uint16_t tag, type;
        uint32_t value;
    };
    const uint16_t kShort = 3, kLong = 4;
    const Entry entries[] = {
        {256, kLong, width},  {257, kLong, height},       {258, kShort, 8},
        {259, kShort, compression}, {262, kShort, 1},     {273, kLong, 0 /* strip offset */},
        {277, kShort, 1},     {278, kLong, height},       {279, kLong, claimedStripBytes},
    };
    const uint32_t count = sizeof(entries) / sizeof(entries[0]);
    const uint32_t stripOffset = 8 + 2 + 12 * count + 4;
    QByteArray tiff("II*\0", 4);
    PutLE32(tiff, 8);
    PutLE16(tiff, count);
    for (const Entry& e : entries) {
        PutLE16(tiff, e.tag);
        PutLE16(tiff, e.type);
        PutLE32(tiff, 1);
        const uint32_t value = e.tag == 273 ? stripOffset : e.value;
        if (e.type == kShort) {
            PutLE16(tiff, value);
            PutLE16(tiff, 0);
        } else {
            PutLE32(tiff, value);
        }
    }
    PutLE32(tiff, 0);
    return tiff + strip;
}

// A GIF whose screen is screenWidth x screenHeight, holding a picture of
// frameWidth x frameHeight at (left, top) whose data is a single pixel.
QByteArray GifWithFrame(uint16_t screenWidth, uint16_t screenHeight, uint16_t left, uint16_t top,
                        uint16_t frameWidth, uint16_t frameHeight)
{
    QByteArray gif("GIF89a");
    PutLE16(gif, screenWidth);
    PutLE16(gif, screenHeight);
    gif.append(char(0x80)).append('\0').append('\0'); // two-colour global table
    gif.append(QByteArray("\0\0\0\xFF\xFF\xFF", 6));
    gif.append(',');
    PutLE16(gif, left);
    PutLE16(gif, top);
    PutLE16(gif, frameWidth);
    PutLE16(gif, frameHeight);
    gif.append('\0');
    // Minimum code size 2: clear (4), index 0, end (5), packed in 3-bit codes.
    gif.append('\x02').append('\x02').append('\x44').append('\x01').append('\0');
    return gif + ';';
}

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) return {};
    return bytes;
}

// Smooth colours with fine noise, as a photo has: encoders cannot squeeze it
// much, so a cut anywhere loses real picture data.
QImage PhotoLike(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    uint32_t state = 7;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image.scanLine(y);
        for (int x = 0; x < 3 * width; ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = uint8_t(x / 6 + y + (state >> 28));
        }
    }
    return image;
}

QByteArray SavedBy(const QVDIB& picture, const char* extension)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.") + QLatin1String(extension));
    if (!QVDIB::SaveToFile(&picture, path)) return {};
    return ReadAll(path);
}

// ---- fixture ----------------------------------------------------------------------------

class FileChecks : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(picture.Create(7, 2, 24));
        std::memset(picture.GetBits(), 0x5A, picture.GetHeader()->biSizeImage);
    }

    // Refused, and the picture held before is the same block with the same bytes.
    void ExpectRefused(const QString& path)
    {
        const auto* block = reinterpret_cast<const uint8_t*>(picture.GetHeader());
        const std::vector<uint8_t> before(block, block + picture.GetBlockSize());
        const uint8_t* bits = picture.GetBits();
        EXPECT_FALSE(picture.LoadFromFile(path));
        EXPECT_EQ(picture.GetBits(), bits);
        block = reinterpret_cast<const uint8_t*>(picture.GetHeader());
        EXPECT_TRUE(std::vector<uint8_t>(block, block + picture.GetBlockSize()) == before);
    }

    QString Write(const char* name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(QLatin1String(name));
        WriteAll(path, bytes);
        return path;
    }

    QTemporaryDir dir;
    QVDIB picture;
};

struct NamedFile
{
    const char* name;
    QByteArray bytes;
};

// =============================================================================
// Headers that claim more than their files can hold
// =============================================================================

TEST_F(FileChecks, HostileHeadersAreRefusedCheaply)
{
    constexpr int32_t kTall = 5570592; // 48 x 5,570,592: 267 megapixels, under the pixel cap
    static_assert(int64_t(48) * kTall <= QVDIB::kMaxDecodedPixels);

    // A small real JPEG with the frame's size made huge.
    QByteArray jpeg = Encoded(PhotoLike(16, 16), "jpeg");
    ASSERT_FALSE(jpeg.isEmpty());
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    jpeg[sof + 5] = char(16000 >> 8);
    jpeg[sof + 6] = char(16000 & 0xFF);
    jpeg[sof + 7] = char(16000 >> 8);
    jpeg[sof + 8] = char(16000 & 0xFF);

    const auto pngClaiming = [](const char* type) {
        QByteArray png = GreyPngHeader(1, 1);
        PutBE32(png, 0x7FFFFFFF); // 2 GB of chunk data, in a 57-byte file
        png.append(type);
        return png + QByteArray(16, 'x');
    };

    const NamedFile hostile[] = {
        {"rows-past-the-end.bmp", BmpFile(48, kTall, 24, 0, 0, QByteArray(12 * 1024, '\x40'))},
        {"rle8-ends-at-once.bmp", BmpFile(48, kTall, 8, 1, 1, QByteArray("\0\1", 2))},
        {"rle8-one-kilobyte.bmp", BmpFile(48, kTall, 8, 1, 1, Rle8Rows(48, 256) + QByteArray("\0\1", 2))},
        {"text-2gb.png", pngClaiming("tEXt")},
        {"ztxt-2gb.png", pngClaiming("zTXt")},
        {"itxt-2gb.png", pngClaiming("iTXt")},
        {"splt-2gb.png", pngClaiming("sPLT")},
        {"idat-2gb.png", pngClaiming("IDAT")},
        // 16384 x 16384 of grey in 600 bytes: deflate cannot pack that tight.
        {"tiny-idat.png", GreyPngHeader(16384, 16384) + PngChunk("IDAT", ZerosZlib(500)) +
                              PngChunk("IEND", {})},
        {"huge-frame.jpg", jpeg},
        {"huge-screen.gif", GifWithFrame(16000, 16000, 0, 0, 1, 1)},
        {"huge-frame.gif", GifWithFrame(1, 1, 0, 0, 16000, 16000)},
        // Found by fuzzing: a screen of no height and a picture of no width
        // made a 66 x 30464 canvas.
        {"frame-of-no-width.gif", GifWithFrame(66, 0, 70, 0, 0, 30464)},
        {"strip-past-the-end.tif", GreyTiff(16000, 16000, 1, QByteArray(64, '\0'), 16000u * 16000u)},
        {"tiny-deflate-strip.tif", GreyTiff(16000, 16000, 8, qCompress(QByteArray(4096, '\0')).mid(4),
                                            uint32_t(qCompress(QByteArray(4096, '\0')).size() - 4))},
        // Strip arrays of a type that has no size, four billion entries long.
        {"unknown-type-strips.tif", [] {
             QByteArray tiff = GreyTiff(64, 64, 1, QByteArray(64 * 64, '\0'), 64 * 64);
             for (const int entry : {5, 8}) { // strip offsets, strip byte counts
                 char* at = tiff.data() + 8 + 2 + 12 * entry;
                 qToLittleEndian<quint16>(99, at + 2);
                 qToLittleEndian<quint32>(4000000000u, at + 4);
             }
             return tiff;
         }()},
    };
    for (const NamedFile& file : hostile) {
        SCOPED_TRACE(file.name);
        const QString path = Write(file.name, file.bytes);
        RestartPeakRss();
        const long peakBefore = PeakRssKb();
        QElapsedTimer timer;
        timer.start();
        ExpectRefused(path);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        const long grownKb = PeakRssKb() - peakBefore;
        std::printf("[ HOSTILE  ] %-24s %7lld bytes: refused in %.2f ms, peak memory +%ld KB\n",
                    file.name, qlonglong(file.bytes.size()), ms, grownKb);
        EXPECT_LT(grownKb, 32 * 1024) << "KB of peak memory grown";
    }
}

// =============================================================================
// Damaged pictures
// =============================================================================

TEST_F(FileChecks, DamagedPicturesAreRefused)
{
    const QImage photo = PhotoLike(256, 192);
    QVDIB photoDib;
    ASSERT_TRUE(photoDib.CreateFromBitmap(photo));

    const QByteArray jpeg = Encoded(photo, "jpeg");
    const QByteArray progressive = [&] {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        return writer.write(photo) ? bytes : QByteArray();
    }();
    const QByteArray png = Encoded(photo, "png");
    const QByteArray bmp = Encoded(photo, "bmp");
    const QByteArray gif = SavedBy(photoDib, "gif");
    ASSERT_FALSE(jpeg.isEmpty() || progressive.isEmpty() || png.isEmpty() || bmp.isEmpty() ||
                 gif.isEmpty());
    ASSERT_TRUE(png.endsWith(PngChunk("IEND", {})));

    // Every damaged file comes from a whole one that opens.
    const QByteArray greyRows(256 * 192, '\x66');
    const QByteArray deflated = qCompress(greyRows).mid(4);
    const QByteArray rle = Rle8Rows(256, 192) + QByteArray("\0\1", 2);
    const NamedFile whole[] = {
        {"whole.jpg", jpeg},
        {"whole-progressive.jpg", progressive},
        {"whole.png", png},
        {"whole.bmp", bmp},
        {"whole.gif", gif},
        {"whole-raw.tif", GreyTiff(256, 192, 1, greyRows, uint32_t(greyRows.size()))},
        {"whole-deflate.tif", GreyTiff(256, 192, 8, deflated, uint32_t(deflated.size()))},
        {"whole-rle8.bmp", BmpFile(256, 192, 8, 1, 256, rle)},
    };
    for (const NamedFile& file : whole) {
        SCOPED_TRACE(file.name);
        QVDIB loaded;
        EXPECT_TRUE(loaded.LoadFromFile(Write(file.name, file.bytes)));
        EXPECT_EQ(loaded.GetWidth(), 256);
        EXPECT_EQ(loaded.GetHeight(), 192);
    }

    const NamedFile damaged[] = {
        {"half.jpg", jpeg.left(jpeg.size() / 2)},
        {"no-end-marker.jpg", jpeg.left(jpeg.size() - 2)},
        {"half-progressive.jpg", progressive.left(progressive.size() / 2)},
        {"no-iend.png", png.left(png.size() - 12)},
        {"half.png", png.left(png.size() / 2)},
        {"cut-rows.bmp", bmp.left(bmp.size() - 3 * 256 * 10)},
        {"half-rle8.bmp", BmpFile(256, 192, 8, 1, 256, rle.left(rle.size() / 2))},
        {"half.gif", gif.left(gif.size() / 2)},
        {"short-raw-strip.tif",
         GreyTiff(256, 192, 1, greyRows.left(greyRows.size() / 2), uint32_t(greyRows.size()))},
        {"short-deflate-strip.tif",
         GreyTiff(256, 192, 8, deflated.left(deflated.size() / 2), uint32_t(deflated.size()))},
    };
    for (const NamedFile& file : damaged) {
        SCOPED_TRACE(file.name);
        ExpectRefused(Write(file.name, file.bytes));
    }
}

// Only the five formats whose files are checked reach a decoder, each known by
// its bytes whatever the file is called.
TEST_F(FileChecks, TheFormatComesFromTheBytes)
{
    const QImage photo = PhotoLike(40, 30);
    const NamedFile opened[] = {
        {"png-named.jpg", Encoded(photo, "png")},
        {"jpeg-named.bmp", Encoded(photo, "jpeg")},
        {"bmp-named.tif", Encoded(photo, "bmp")},
        {"no-extension", Encoded(photo, "png")},
    };
    for (const NamedFile& file : opened) {
        SCOPED_TRACE(file.name);
        QVDIB loaded;
        ASSERT_TRUE(loaded.LoadFromFile(Write(file.name, file.bytes)));
        EXPECT_EQ(loaded.GetWidth(), 40);
    }
    // Qt reads these, but their files are not checked: they are not opened.
    for (const char* format : {"ppm", "xpm", "ico"}) {
        SCOPED_TRACE(format);
        const QByteArray bytes = Encoded(photo, format);
        ASSERT_FALSE(bytes.isEmpty());
        ASSERT_FALSE(QImage::fromData(bytes).isNull());
        ExpectRefused(Write((QByteArray("picture.") + format).constData(), bytes));
    }
}

// =============================================================================
// Big pictures that are really in their files
// =============================================================================

// The largest picture we take, 16384 x 16384, packed as tightly as zlib packs:
// the bound on what a file can hold must not turn it away.
TEST_F(FileChecks, LargestPngPackedAtBestStillOpens)
{
    constexpr int kSide = 16384;
    static_assert(int64_t(kSide) * kSide == QVDIB::kMaxDecodedPixels);
    QByteArray png = GreyPngHeader(kSide, kSide);
    {
        const QByteArray rows(qsizetype(kSide) * (kSide + 1), '\0');
        const QByteArray data = qCompress(rows, 9).mid(4);
        std::printf("[ BIG PNG  ] %d x %d grey in %lld bytes of IDAT (%.0f:1)\n", kSide, kSide,
                    qlonglong(data.size()), double(rows.size()) / double(data.size()));
        png += PngChunk("IDAT", data) + PngChunk("IEND", {});
    }
    const QString path = Write("largest.png", png);
    png.clear();
    QVDIB loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    EXPECT_EQ(loaded.GetWidth(), kSide);
    EXPECT_EQ(loaded.GetHeight(), kSide);
}

// Flat pictures pack best; each format's flattest big picture still opens.
TEST_F(FileChecks, FlatBigPicturesStillOpen)
{
    QImage flat(4000, 3000, QImage::Format_RGB888);
    flat.fill(qRgb(200, 180, 160));
    QVDIB flatDib;
    ASSERT_TRUE(flatDib.CreateFromBitmap(flat));
    const QByteArray rle = Rle8Rows(4000, 3000) + QByteArray("\0\1", 2);
    const NamedFile files[] = {
        {"flat.jpg", Encoded(flat, "jpeg")},
        {"flat.png", Encoded(flat, "png")},
        {"flat.tif", SavedBy(flatDib, "tif")},
        {"flat.gif", SavedBy(flatDib, "gif")},
        {"flat-rle8.bmp", BmpFile(4000, 3000, 8, 1, 256, rle)},
    };
    for (const NamedFile& file : files) {
        SCOPED_TRACE(file.name);
        ASSERT_FALSE(file.bytes.isEmpty());
        std::printf("[ FLAT     ] %-14s 12 MP in %lld bytes (%.0f pixels a byte)\n", file.name,
                    qlonglong(file.bytes.size()), 12e6 / double(file.bytes.size()));
        QVDIB loaded;
        ASSERT_TRUE(loaded.LoadFromFile(Write(file.name, file.bytes)));
        EXPECT_EQ(loaded.GetWidth(), 4000);
        EXPECT_EQ(loaded.GetHeight(), 3000);
    }
}

} // namespace
