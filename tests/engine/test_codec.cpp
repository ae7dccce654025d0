// Picture files: round trips through every encoder, how the encoder is chosen
// from the file name, and what loading and saving leave behind when they fail.

#include "PictureFiles.h"
#include "ProcessMemory.h"
#include "engine/image/QVDIB.h"
#include "engine/image/QVImageEncoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace {

// ---- pictures ---------------------------------------------------------------

// Rows are stored bottom-up: picture row y (0 = top) is storage row height-1-y.
uint8_t* PixelFromTop(QVDIB& p, int x, int y)
{
    return p.GetBits() + size_t(p.GetHeight() - 1 - y) * p.GetStride() + size_t(x) * 3;
}

const uint8_t* PixelFromTop(const QVDIB& p, int x, int y)
{
    return p.GetBits() + size_t(p.GetHeight() - 1 - y) * p.GetStride() + size_t(x) * 3;
}

QRgb RgbAt(const QVDIB& p, int x, int y)
{
    const uint8_t* px = PixelFromTop(p, x, y);
    return qRgb(px[2], px[1], px[0]);
}

// A 24-bit picture whose pixel (x, y), y from the top, is colour(x, y).
void MakeTopDownPicture(QVDIB& p, int width, int height, const std::function<QRgb(int, int)>& colour)
{
    ASSERT_TRUE(p.Create(width, height, 24));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb c = colour(x, y);
            uint8_t* px = PixelFromTop(p, x, y);
            px[0] = uint8_t(qBlue(c));
            px[1] = uint8_t(qGreen(c));
            px[2] = uint8_t(qRed(c));
        }
    }
}

// 5 x 3: rows are padded, every pixel differs, red never equals blue and green
// falls from row to row, so a flip, a shift or a channel swap all show.
QRgb Distinct(int x, int y)
{
    return qRgb(10 + 40 * x + y, 250 - 60 * y - x, 5 + 13 * x + 70 * y);
}

int ChannelError(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

std::vector<uint8_t> BlockBytes(const QVDIB& p)
{
    const auto* block = reinterpret_cast<const uint8_t*>(p.GetHeader());
    return std::vector<uint8_t>(block, block + p.GetBlockSize());
}



// =============================================================================
// Round trips
// =============================================================================

TEST(CodecRoundTrip, LosslessFormatsAreByteExactAndUpright)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QVDIB picture;
    MakeTopDownPicture(picture, 5, 3, Distinct);

    for (const char* extension : {"bmp", "png", "tif", "gif"}) {
        SCOPED_TRACE(extension);
        const QString path = dir.filePath(QStringLiteral("pic.") + QLatin1String(extension));
        ASSERT_TRUE(QVDIB::SaveToFile(&picture, path));

        // What any other program sees: scan line 0 of the file is the top row,
        // our highest storage row, and every pixel is red, green, blue.
        const QImage written(path);
        ASSERT_FALSE(written.isNull());
        ASSERT_EQ(written.size(), QSize(5, 3));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(written.pixel(x, y) & 0xFFFFFF, Distinct(x, y) & 0xFFFFFF)
                    << "at " << x << "," << y;

        // And back, byte for byte, row padding included.
        QVDIB loaded;
        ASSERT_TRUE(loaded.LoadFromFile(path));
        ASSERT_TRUE(loaded.SameGeometry(picture));
        EXPECT_EQ(loaded.GetBitCount(), 24);
        EXPECT_EQ(
            std::memcmp(loaded.GetBits(), picture.GetBits(), picture.GetHeader()->biSizeImage), 0);
    }
}

TEST(CodecRoundTrip, JpegStaysCloseAndUpright)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Four flat quadrants meeting on a block border, odd sides so rows are padded.
    const QRgb quadrant[2][2] = {{qRgb(220, 40, 40), qRgb(40, 200, 60)},
                                 {qRgb(50, 60, 210), qRgb(230, 230, 40)}};
    const auto colour = [&](int x, int y) { return quadrant[y >= 16][x >= 16]; };
    QVDIB picture;
    MakeTopDownPicture(picture, 33, 33, colour);
    const QString path = dir.filePath(QStringLiteral("pic.jpg"));
    ASSERT_TRUE(QVDIB::SaveToFile(&picture, path));

    const QImage written(path);
    ASSERT_EQ(written.size(), QSize(33, 33));
    EXPECT_LE(ChannelError(written.pixel(4, 4), quadrant[0][0]), 4);
    EXPECT_LE(ChannelError(written.pixel(28, 4), quadrant[0][1]), 4);

    QVDIB loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    ASSERT_TRUE(loaded.SameGeometry(picture));
    // Flat blocks come back within a level or two. The decoder's chroma
    // upsampling blends the one pixel on each side of a border, so those are
    // left out; a flipped row or a swapped channel is off by 150 and more.
    for (int y = 0; y < 33; ++y) {
        for (int x = 0; x < 33; ++x) {
            if (x == 15 || x == 16 || y == 15 || y == 16) continue;
            ASSERT_LE(ChannelError(RgbAt(loaded, x, y), colour(x, y)), 4) << "at " << x << "," << y;
        }
    }
}

// 1, 4 and 8-bit buffers are written through their colour table and read back
// as 24-bit pictures of the colours the indices stand for.
TEST(CodecRoundTrip, IndexedBuffersSaveThroughTheirColourTable)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto tableColour = [](int i) { return qRgb(i, 255 - i, (i * 7 + 90) & 0xFF); };
    for (const uint16_t bits : {uint16_t(1), uint16_t(4), uint16_t(8)}) {
        QVDIB indexed;
        ASSERT_TRUE(indexed.Create(13, 3, bits));
        const int colours = 1 << bits;
        uint8_t* table = indexed.GetBits() - QVDIB::PaletteSize(indexed.GetHeader());
        for (int i = 0; i < colours; ++i) {
            const QRgb c = tableColour(i * (255 / (colours - 1)));
            table[4 * i] = uint8_t(qBlue(c));
            table[4 * i + 1] = uint8_t(qGreen(c));
            table[4 * i + 2] = uint8_t(qRed(c));
        }
        // Picture row y is storage row 2 - y; the leftmost pixel of a byte
        // sits in its high bits.
        const auto index = [&](int x, int y) { return (x * 5 + y * 3 + 1) % colours; };
        for (int y = 0; y < 3; ++y) {
            uint8_t* row = indexed.GetBits() + size_t(2 - y) * indexed.GetStride();
            for (int x = 0; x < 13; ++x)
                row[x * bits / 8] |= uint8_t(index(x, y) << (8 - bits - x * bits % 8));
        }

        for (const char* extension : {"bmp", "png", "tif", "gif"}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << extension);
            const QString path = dir.filePath(
                QStringLiteral("indexed%1.%2").arg(bits).arg(QLatin1String(extension)));
            ASSERT_TRUE(QVDIB::SaveToFile(&indexed, path));
            QVDIB loaded;
            ASSERT_TRUE(loaded.LoadFromFile(path));
            ASSERT_EQ(loaded.GetWidth(), 13);
            ASSERT_EQ(loaded.GetHeight(), 3);
            ASSERT_EQ(loaded.GetBitCount(), 24);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 13; ++x)
                    EXPECT_EQ(RgbAt(loaded, x, y), tableColour(index(x, y) * (255 / (colours - 1))))
                        << "at " << x << "," << y;
        }
    }
}

// =============================================================================
// Choosing the encoder
// =============================================================================

struct ExtensionCase
{
    const char* name;   // relative to the temporary folder
    const char* format; // what the file must hold; nullptr: refused, nothing written
};

TEST(CodecExtension, TheFileNameChoosesTheEncoder)
{
    const ExtensionCase cases[] = {
        {"a.bmp", "bmp"},
        {"a.BMP", "bmp"},
        {"a.jpg", "jpeg"},
        {"a.JPG", "jpeg"},
        {"a.jpeg", "jpeg"},
        {"a.JpEg", "jpeg"},
        {"a.gif", "gif"},
        {"a.tif", "tiff"},
        {"a.TIF", "tiff"},
        {"a.tiff", "tiff"},
        {"a.png", "png"},
        {"a.Png", "png"},
        {"a.tar.png", "png"},   // the last dot counts
        {"dir.d/a.gif", "gif"}, // not the first one
        {"noext", nullptr},
        {"a.xyz", nullptr},
        {"a.", nullptr},
        {"a.png.part", nullptr},
        {"a.jfif", nullptr},
        {"dir.d/file", nullptr}, // a dot in a folder name is no extension
        {"dir.png/file", nullptr},
    };
    QVDIB picture;
    MakeTopDownPicture(picture, 5, 3, Distinct);
    for (const ExtensionCase& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("dir.d")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("dir.png")));
        const QString path = dir.filePath(QLatin1String(c.name));
        const QString folder = path.left(path.lastIndexOf(QLatin1Char('/')));
        const QStringList before = Listing(folder);

        const bool saved = QVDIB::SaveToFile(&picture, path);
        if (!c.format) {
            EXPECT_FALSE(saved);
            EXPECT_EQ(Listing(folder), before);
            continue;
        }
        ASSERT_TRUE(saved);
        EXPECT_EQ(FormatOf(ReadAll(path)), c.format);
        QStringList expected = before;
        expected << path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
        expected.sort();
        EXPECT_EQ(Listing(folder), expected) << "exactly the one file, no left-overs";
    }
}

TEST(CodecExtension, EncoderLookupMatchesTheExactDescription)
{
    const QVImageEncoder sentinel{"untouched", nullptr, nullptr, false};
    for (const char* description : {"BMP", "JPEG", "GIF", "TIFF", "PNG"}) {
        SCOPED_TRACE(description);
        const QVImageEncoder* encoder = &sentinel;
        ASSERT_TRUE(QVDIB::GetEncoderClsid(QLatin1String(description), &encoder));
        EXPECT_STREQ(encoder->formatDescription, description);
        EXPECT_TRUE(encoder->IsInstalled());
    }
    for (const char* description : {"jpeg", "Png", "JPG", "TIF", "JPEG ", ""}) {
        SCOPED_TRACE(description);
        const QVImageEncoder* encoder = &sentinel;
        EXPECT_FALSE(QVDIB::GetEncoderClsid(QLatin1String(description), &encoder));
        EXPECT_EQ(encoder, &sentinel);
    }

    const QVImageEncoder* encoder = nullptr;
    ASSERT_TRUE(QVDIB::GetEncoderClsidForFile(QStringLiteral("/tmp/x.y/photo.JpG"), &encoder));
    EXPECT_STREQ(encoder->formatDescription, "JPEG");
    ASSERT_TRUE(QVDIB::GetEncoderClsidForFile(QStringLiteral("scan.tif"), &encoder));
    EXPECT_STREQ(encoder->formatDescription, "TIFF");
    EXPECT_TRUE(QVDIB::GetEncoderClsidForFile(QStringLiteral("a.png"), nullptr));
}

// =============================================================================
// Saving that fails
// =============================================================================

class CodecSave : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        MakeTopDownPicture(picture, 5, 3, Distinct);
    }

    QTemporaryDir dir;
    QVDIB picture;
};

TEST_F(CodecSave, UnwritableTargetsWriteNothing)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.png")));
    const QStringList before = Listing(dir.path());

    const QString missingFolder = dir.filePath(QStringLiteral("missing/pic.png"));
    EXPECT_FALSE(QVDIB::SaveToFile(&picture, missingFolder));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing"))));

    // Nothing can be created under /proc, not even by root.
    const QString proc = QStringLiteral("/proc/morvane-codec-test.bmp");
    EXPECT_FALSE(QVDIB::SaveToFile(&picture, proc));
    EXPECT_FALSE(QFile::exists(proc));

    // A folder already has the name: it stays a folder, and empty.
    const QString folder = dir.filePath(QStringLiteral("taken.png"));
    EXPECT_FALSE(QVDIB::SaveToFile(&picture, folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(Listing(folder).isEmpty());

    EXPECT_EQ(Listing(dir.path()), before);
}

TEST_F(CodecSave, EmptyPictureWritesNothing)
{
    const QVDIB empty;
    EXPECT_FALSE(QVDIB::SaveToFile(&empty, dir.filePath(QStringLiteral("empty.png"))));
    EXPECT_FALSE(QVDIB::SaveToFile(nullptr, dir.filePath(QStringLiteral("null.bmp"))));
    EXPECT_TRUE(Listing(dir.path()).isEmpty());
}

TEST_F(CodecSave, ReadOnlyFolderKeepsItsFile)
{
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders anyway";
    const QString path = dir.filePath(QStringLiteral("kept.png"));
    ASSERT_TRUE(QVDIB::SaveToFile(&picture, path));
    const QByteArray original = ReadAll(path);
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                      QFile::ReadGroup | QFile::ExeGroup |
                                                      QFile::ReadOther | QFile::ExeOther));
    QVDIB other;
    MakeTopDownPicture(other, 4, 4, [](int, int) { return qRgb(1, 2, 3); });
    const bool overwritten = QVDIB::SaveToFile(&other, path);
    const bool created = QVDIB::SaveToFile(&other, dir.filePath(QStringLiteral("new.png")));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_FALSE(overwritten);
    EXPECT_FALSE(created);
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_EQ(Listing(dir.path()), QStringList{QStringLiteral("kept.png")});
}

// The encoders give up only once the file is open: JPEG cannot hold a side
// over 65500, GIF over 65535. The file that was there must survive untouched.
TEST_F(CodecSave, FailedEncodeKeepsTheExistingFile)
{
    QVDIB tooWide;
    ASSERT_TRUE(tooWide.Create(70000, 1, 24));
    std::memset(tooWide.GetBits(), 0x80, tooWide.GetHeader()->biSizeImage);

    for (const char* name : {"kept.jpg", "kept.gif"}) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(QLatin1String(name));
        ASSERT_TRUE(QVDIB::SaveToFile(&picture, path));
        const QByteArray original = ReadAll(path);
        ASSERT_FALSE(original.isEmpty());
        const QStringList before = Listing(dir.path());

        EXPECT_FALSE(QVDIB::SaveToFile(&tooWide, path));
        EXPECT_EQ(ReadAll(path), original);
        EXPECT_EQ(Listing(dir.path()), before) << "no temporary file left behind";
    }
}

// =============================================================================
// Loading that fails
// =============================================================================

class CodecLoadFailure : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        MakeTopDownPicture(picture, 7, 2, Distinct);
    }

    // Refused, and the picture held before is the same block with the same bytes.
    void ExpectRefused(const QString& path)
    {
        const std::vector<uint8_t> before = BlockBytes(picture);
        const uint8_t* bits = picture.GetBits();
        EXPECT_FALSE(picture.LoadFromFile(path));
        EXPECT_EQ(picture.GetBits(), bits);
        EXPECT_EQ(BlockBytes(picture), before);
    }

    QTemporaryDir dir;
    QVDIB picture;
};

TEST_F(CodecLoadFailure, WhatIsNoPictureLeavesTheBufferAlone)
{
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    WriteAll(text, "a shopping list, not a picture\n");
    // Named like a picture, so the PNG reader itself gets to refuse it.
    const QString textAsPng = dir.filePath(QStringLiteral("notes.png"));
    WriteAll(textAsPng, "a shopping list, not a picture\n");
    const QString empty = dir.filePath(QStringLiteral("empty.bmp"));
    WriteAll(empty, {});

    QVDIB whole;
    MakeTopDownPicture(whole, 40, 30, Distinct);
    const QString good = dir.filePath(QStringLiteral("whole.png"));
    ASSERT_TRUE(QVDIB::SaveToFile(&whole, good));
    const QByteArray png = ReadAll(good);
    const QString truncated = dir.filePath(QStringLiteral("truncated.png"));
    WriteAll(truncated, png.left(png.size() / 2));

    const QString folder = dir.filePath(QStringLiteral("folder.png"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.png")));

    for (const QString& path :
         {text, textAsPng, empty, truncated, folder, dir.filePath(QStringLiteral("missing.png"))}) {
        SCOPED_TRACE(path.toStdString());
        ExpectRefused(path);
    }
}

TEST_F(CodecLoadFailure, UnreadableFileLeavesTheBufferAlone)
{
    if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their permissions";
    const QString path = dir.filePath(QStringLiteral("locked.png"));
    ASSERT_TRUE(QVDIB::SaveToFile(&picture, path));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
    ExpectRefused(path);
}

// Headers that claim more pixels than we take are refused from the header
// alone: nothing the size of the claim is allocated or decoded.
TEST_F(CodecLoadFailure, OversizedClaimsAreRefusedBeforeDecoding)
{
    // The PNG maker is sound: a small one decodes to black.
    const QImage small = QImage::fromData(BlackGreyPng(7, 5));
    ASSERT_EQ(small.size(), QSize(7, 5));
    EXPECT_EQ(small.pixel(6, 4), qRgb(0, 0, 0));

    struct Claim
    {
        const char* name;
        QByteArray bytes;
        QSize claimedToQt; // what the PNG reader reports; invalid: it gives up itself
    };
    const Claim claims[] = {
        {"claims-100000.bmp", ClaimingBmp(100000, 100000), QSize()},
        {"claims-100000.png",
         GreyPngHeader(100000, 100000) + PngChunk("IDAT", ZerosZlib(100)) + PngChunk("IEND", {}),
         QSize(100000, 100000)},
        // Just over our limit but well within Qt's raised allocation limit, with
        // every one of the 272 million pixels really in the file: only our own
        // check of the header keeps this from being decoded.
        {"claims-16500.png", BlackGreyPng(16500, 16500), QSize(16500, 16500)},
    };
    static_assert(int64_t(16500) * 16500 > QVDIB::kMaxDecodedPixels);
    for (const Claim& claim : claims) {
        SCOPED_TRACE(claim.name);
        const QString path = dir.filePath(QLatin1String(claim.name));
        WriteAll(path, claim.bytes);
        if (claim.claimedToQt.isValid()) {
            ASSERT_EQ(QImageReader(path).size(), claim.claimedToQt);
        }

        RestartPeakRss();
        const long peakBefore = PeakRssKb();
        ExpectRefused(path);
        EXPECT_LT(PeakRssKb() - peakBefore, 200 * 1024) << "KB of peak memory grown";
    }
}

// =============================================================================
// Loading what files hold
// =============================================================================

// PNG header fields: bit depth and colour type follow the 8-byte signature and
// the IHDR length, type, width and height.
int PngBitDepth(const QByteArray& png)
{
    return uint8_t(png.at(24));
}

int PngColourType(const QByteArray& png)
{
    return uint8_t(png.at(25));
}

TEST(CodecLoad, TransparencyIsFlattenedOntoBlack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage rgba(3, 1, QImage::Format_ARGB32);
    rgba.setPixel(0, 0, qRgba(200, 100, 50, 0));
    rgba.setPixel(1, 0, qRgba(200, 100, 50, 128));
    rgba.setPixel(2, 0, qRgba(200, 100, 50, 255));
    const QString path = dir.filePath(QStringLiteral("alpha.png"));
    ASSERT_TRUE(rgba.save(path));
    ASSERT_EQ(PngColourType(ReadAll(path)), 6) << "the file must hold an alpha channel";

    QVDIB loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    ASSERT_EQ(loaded.GetBitCount(), 24);
    ASSERT_EQ(loaded.GetWidth(), 3);
    EXPECT_EQ(RgbAt(loaded, 0, 0), qRgb(0, 0, 0));
    EXPECT_LE(ChannelError(RgbAt(loaded, 1, 0), qRgb(100, 50, 25)), 1); // colour x 128/255
    EXPECT_EQ(RgbAt(loaded, 2, 0), qRgb(200, 100, 50));
}

TEST(CodecLoad, PaletteAndOneBitPngsBecome24Bit)
{
    struct PaletteCase
    {
        const char* name;
        QByteArray png;
        QList<QRgb> table;
        int bitDepth;
        int colourType;
    };
    const auto index = [](int x, int y, int colours) { return (x + 2 * y) % colours; };
    const auto savedByQt = [&](QImage::Format format, const QList<QRgb>& table) {
        QImage indexed(11, 3, format);
        indexed.setColorTable(table);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 11; ++x)
                indexed.setPixel(x, y, uint(index(x, y, int(table.size()))));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        indexed.save(&buffer, "png");
        return png;
    };
    // Qt writes two-colour pictures with a palette; a grey 1-bit file is made
    // by hand: a filter byte, then 11 pixels in two bytes, leftmost in the high bit.
    QByteArray grey1("\x89PNG\r\n\x1a\n");
    {
        QByteArray ihdr;
        PutBE32(ihdr, 11);
        PutBE32(ihdr, 3);
        ihdr.append(char(1)).append(char(0)).append(char(0)).append(char(0)).append(char(0));
        QByteArray rows;
        for (int y = 0; y < 3; ++y) {
            uint8_t bytes[2] = {0, 0};
            for (int x = 0; x < 11; ++x)
                bytes[x / 8] |= uint8_t(index(x, y, 2) << (7 - x % 8));
            rows.append(char(0)).append(char(bytes[0])).append(char(bytes[1]));
        }
        grey1 += PngChunk("IHDR", ihdr) + PngChunk("IDAT", qCompress(rows).mid(4)) +
                 PngChunk("IEND", {});
    }
    const QList<QRgb> palette8 = {qRgb(255, 0, 0), qRgb(0, 128, 0), qRgb(10, 20, 250),
                                  qRgb(200, 150, 100)};
    const QList<QRgb> palette1 = {qRgb(255, 128, 0), qRgb(0, 64, 255)};
    const QList<QRgb> blackWhite = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    const PaletteCase cases[] = {
        {"palette 8-bit", savedByQt(QImage::Format_Indexed8, palette8), palette8, 8, 3},
        {"palette 1-bit", savedByQt(QImage::Format_Mono, palette1), palette1, 1, 3},
        {"grey 1-bit", grey1, blackWhite, 1, 0},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const PaletteCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(PngBitDepth(c.png), c.bitDepth);
        ASSERT_EQ(PngColourType(c.png), c.colourType);
        const QString path = dir.filePath(QStringLiteral("indexed.png"));
        WriteAll(path, c.png);

        QVDIB loaded;
        ASSERT_TRUE(loaded.LoadFromFile(path));
        ASSERT_EQ(loaded.GetBitCount(), 24);
        ASSERT_EQ(loaded.GetWidth(), 11);
        ASSERT_EQ(loaded.GetHeight(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 11; ++x)
                EXPECT_EQ(RgbAt(loaded, x, y), c.table[index(x, y, int(c.table.size()))])
                    << "at " << x << "," << y;
    }
}

// A phone held upright writes a landscape JPEG and an EXIF orientation of 6:
// turn a quarter clockwise to see it the right way up.
TEST(CodecLoad, ExifOrientationIsApplied)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage stored(40, 20, QImage::Format_RGB888);
    stored.fill(Qt::black);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            stored.setPixel(x, y, qRgb(255, 255, 255));
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
        QImageWriter writer(&buffer, "jpeg");
        ASSERT_TRUE(writer.write(stored));
    }
    ASSERT_TRUE(jpeg.startsWith("\xFF\xD8"));

    // APP1 "Exif\0\0", a little-endian TIFF header and one IFD entry:
    // Orientation (0x0112), SHORT, count 1, value 6.
    QByteArray tiff("II*\0", 4);
    PutLE32(tiff, 8);
    PutLE16(tiff, 1);
    PutLE16(tiff, 0x0112);
    PutLE16(tiff, 3);
    PutLE32(tiff, 1);
    PutLE32(tiff, 6);
    PutLE32(tiff, 0);
    QByteArray app1("\xFF\xE1");
    PutBE16(app1, uint32_t(2 + 6 + tiff.size()));
    app1 += QByteArray("Exif\0\0", 6) + tiff;
    jpeg.insert(2, app1);

    const QString path = dir.filePath(QStringLiteral("upright.jpg"));
    WriteAll(path, jpeg);
    ASSERT_EQ(QImageReader(path).transformation(), QImageIOHandler::TransformationRotate90);

    QVDIB loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    ASSERT_EQ(loaded.GetWidth(), 20);
    ASSERT_EQ(loaded.GetHeight(), 40);
    // A quarter turn clockwise brings the left half to the top.
    for (int y = 0; y < 40; ++y) {
        if (y >= 18 && y < 22) continue; // JPEG rings at the edge
        const int expected = y < 20 ? 255 : 0;
        for (int x = 0; x < 20; ++x) {
            ASSERT_LE(ChannelError(RgbAt(loaded, x, y), qRgb(expected, expected, expected)), 24)
                << "at " << x << "," << y;
        }
    }
}

// A 48-megapixel photo decodes to 192 MB at 32 bits a pixel, over the 128 MB
// Qt allows a picture by default.
TEST(CodecLoad, PhotoOverQtsDefaultAllocationLimitLoads)
{
    static_assert(int64_t(8000) * 6000 * 4 > int64_t(128) * 1024 * 1024);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    {
        QImage photo(8000, 6000, QImage::Format_RGB888);
        ASSERT_FALSE(photo.isNull());
        photo.fill(qRgb(40, 90, 200));
        for (int y = 0; y < 64; ++y)
            std::memset(photo.scanLine(y), 0xFF, size_t(photo.bytesPerLine()));
        QImageWriter writer(path, "jpeg");
        ASSERT_TRUE(writer.write(photo));
    }

    QVDIB loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    EXPECT_EQ(loaded.GetWidth(), 8000);
    EXPECT_EQ(loaded.GetHeight(), 6000);
    EXPECT_EQ(loaded.GetBitCount(), 24);
    EXPECT_LE(ChannelError(RgbAt(loaded, 4000, 10), qRgb(255, 255, 255)), 4);
    EXPECT_LE(ChannelError(RgbAt(loaded, 4000, 5990), qRgb(40, 90, 200)), 4);
}

// =============================================================================
// Resources
// =============================================================================

TEST(CodecResource, LoadsTheEmbeddedBitmap)
{
    QVDIB picture;
    ASSERT_TRUE(picture.LoadFromResource(9001));
    ASSERT_EQ(picture.GetWidth(), 3);
    ASSERT_EQ(picture.GetHeight(), 2);
    ASSERT_EQ(picture.GetBitCount(), 24);
    // Storage row 0 is the picture's bottom row, blue, green, red; then the
    // padding up to the 12-byte stride.
    const uint8_t bottom[12] = {30, 20, 10, 60, 50, 40, 90, 80, 70, 0, 0, 0};
    const uint8_t top[12] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    ASSERT_EQ(picture.GetStride(), 12);
    EXPECT_EQ(std::memcmp(picture.GetBits(), bottom, 12), 0);
    EXPECT_EQ(std::memcmp(picture.GetBits() + 12, top, 12), 0);
}

TEST(CodecResource, MissingResourceLeavesTheBufferAlone)
{
    QVDIB picture;
    MakeTopDownPicture(picture, 4, 3, Distinct);
    const std::vector<uint8_t> before = BlockBytes(picture);
    const uint8_t* bits = picture.GetBits();
    EXPECT_FALSE(picture.LoadFromResource(9002));
    EXPECT_EQ(picture.GetBits(), bits);
    EXPECT_EQ(BlockBytes(picture), before);
}

// =============================================================================
// GIF colours
// =============================================================================

// Up to 256 colours get an exact palette. These 256 are one level apart, eight
// to a cell of giflib's 5-bit quantizer: only the exact palette keeps them apart.
TEST(CodecGif, TwoHundredFiftySixColoursStayExact)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QVDIB picture;
    MakeTopDownPicture(picture, 16, 16, [](int x, int y) {
        const int i = y * 16 + x;
        return qRgb(i, 255 - i, 77);
    });
    const QString path = dir.filePath(QStringLiteral("full.gif"));
    ASSERT_TRUE(QVDIB::SaveToFile(&picture, path));
    QVDIB loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    ASSERT_TRUE(loaded.SameGeometry(picture));
    EXPECT_EQ(std::memcmp(loaded.GetBits(), picture.GetBits(), picture.GetHeader()->biSizeImage),
              0);
}

// More than 256 colours go through giflib's median cut, which works on 5 bits a
// channel, and each palette entry is then moved to the mean of the pixels it
// stands for. A skin-tone gradient of 3,841 colours fills only 145 cells of
// 8 x 8 x 8 levels, so each cell keeps an entry of its own and every pixel
// comes back within half a cell (4 levels; giflib's own entries are up to 7
// off). White is alone in its cell and stays 255 where giflib would give 248.
TEST(CodecGif, PhotoColoursStayCloseAndWhiteStaysWhite)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto colour = [](int x, int y) {
        if (x >= 48 && y < 16) return qRgb(255, 255, 255);
        return qRgb(150 + x, 100 + y, 80 + (x + y) / 2);
    };
    QVDIB picture;
    MakeTopDownPicture(picture, 64, 64, colour);
    const QString path = dir.filePath(QStringLiteral("photo.gif"));
    ASSERT_TRUE(QVDIB::SaveToFile(&picture, path));
    QVDIB loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    ASSERT_TRUE(loaded.SameGeometry(picture));

    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (x >= 48 && y < 16) {
                ASSERT_EQ(RgbAt(loaded, x, y), qRgb(255, 255, 255)) << "at " << x << "," << y;
            } else {
                ASSERT_LE(ChannelError(RgbAt(loaded, x, y), colour(x, y)), 4)
                    << "at " << x << "," << y;
            }
        }
    }
}

} // namespace
