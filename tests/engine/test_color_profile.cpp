// Photos in a wide colour space (Display P3 from phones, Adobe RGB from
// cameras): the embedded profile stays with the picture, what is drawn is
// converted to sRGB, saving writes the profile back, and the picture's bytes
// are never converted.

#include "PictureFiles.h"
#include "engine/image/QVColorProfile.h"
#include "engine/image/QVDIB.h"

#include <QBuffer>
#include <QColorSpace>
#include <QColorTransform>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr QRgb kColour = 0xFFC86432; // 200, 100, 50

// Every pixel a different colour, the first one kColour.
QRgb ColourAt(int x, int y)
{
    return x == 0 && y == 0 ? kColour : qRgb(20 + 50 * x, 240 - 60 * y, 90 + 7 * x * y);
}

QImage Tagged(const QColorSpace& space)
{
    QImage image(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            image.setPixel(x, y, ColourAt(x, y));
    if (space.isValid())
        image.setColorSpace(space);
    return image;
}

QString Written(const QTemporaryDir& dir, const QImage& image, const char* format)
{
    const QString path = dir.filePath(QStringLiteral("tagged.") + QLatin1String(format));
    QImageWriter writer(path, format);
    return writer.write(image) ? path : QString();
}

// Top-down pixel (x, y) of a 24-bit picture.
QRgb PixelOf(const QVDIB& picture, int x, int y)
{
    const uint8_t* p =
        picture.GetBits() + size_t(picture.GetHeight() - 1 - y) * picture.GetStride() + 3 * x;
    return qRgb(p[2], p[1], p[0]);
}

class ColourProfile : public testing::TestWithParam<QColorSpace::NamedColorSpace>
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
};

TEST_P(ColourProfile, OpeningKeepsTheProfileAndTheBytesAsDecoded)
{
    const QColorSpace space(GetParam());
    for (const char* format : {"png", "tiff", "jpeg"}) {
        SCOPED_TRACE(format);
        const QString path = Written(dir, Tagged(space), format);
        ASSERT_FALSE(path.isEmpty());
        QVDIB picture;
        ASSERT_TRUE(picture.LoadFromFile(path));
        ASSERT_TRUE(picture.GetColorProfile());
        EXPECT_EQ(picture.GetColorProfile()->ColorSpace(), space);
        EXPECT_EQ(picture.GetColorProfile()->Icc(), space.iccProfile());
        EXPECT_FALSE(picture.GetColorProfile()->IsSrgb());
        if (std::strcmp(format, "jpeg") == 0)
            continue; // lossy
        // The bytes are the file's, not converted to any other colour space.
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(PixelOf(picture, x, y), ColourAt(x, y)) << x << "," << y;
    }
}

TEST_P(ColourProfile, SavingWritesItBackIntoPngJpegAndTiff)
{
    const QColorSpace space(GetParam());
    QVDIB opened;
    ASSERT_TRUE(opened.LoadFromFile(Written(dir, Tagged(space), "png")));
    // The document edits a copy of what it opened.
    QVDIB after;
    ASSERT_TRUE(after.CopyFrom(&opened));
    for (const char* extension : {"png", "jpg", "tif", "bmp", "gif"}) {
        SCOPED_TRACE(extension);
        const QString path = dir.filePath(QStringLiteral("saved.") + QLatin1String(extension));
        ASSERT_TRUE(QVDIB::SaveToFile(&after, path));
        const QImage reread(path);
        ASSERT_FALSE(reread.isNull());
        if (std::strcmp(extension, "bmp") == 0 || std::strcmp(extension, "gif") == 0) {
            EXPECT_FALSE(reread.colorSpace().isValid()) << "these files hold no profile";
            continue;
        }
        EXPECT_EQ(reread.colorSpace(), space);
        EXPECT_EQ(reread.colorSpace().iccProfile(), space.iccProfile());
    }
}

INSTANTIATE_TEST_SUITE_P(WideGamut, ColourProfile,
                         testing::Values(QColorSpace::DisplayP3, QColorSpace::AdobeRgb),
                         [](const testing::TestParamInfo<QColorSpace::NamedColorSpace>& info) {
                             return info.param == QColorSpace::DisplayP3 ? "DisplayP3" : "AdobeRgb";
                         });

TEST(ColourProfileKeeping, UntaggedAndSrgbPictures)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QVDIB untagged;
    ASSERT_TRUE(untagged.LoadFromFile(Written(dir, Tagged(QColorSpace()), "png")));
    EXPECT_FALSE(untagged.GetColorProfile());
    // Saved without a profile, it stays without one.
    const QString saved = dir.filePath(QStringLiteral("untagged.png"));
    ASSERT_TRUE(QVDIB::SaveToFile(&untagged, saved));
    EXPECT_FALSE(QImage(saved).colorSpace().isValid());

    QVDIB srgb;
    ASSERT_TRUE(srgb.LoadFromFile(Written(dir, Tagged(QColorSpace::SRgb), "jpeg")));
    ASSERT_TRUE(srgb.GetColorProfile());
    EXPECT_TRUE(srgb.GetColorProfile()->IsSrgb());
}

TEST(ColourProfileKeeping, CopiesCarryItNewPicturesDoNot)
{
    QVDIB tagged;
    ASSERT_TRUE(tagged.CreateFromBitmap(Tagged(QColorSpace::DisplayP3)));
    ASSERT_TRUE(tagged.GetColorProfile());

    QVDIB fresh; // a new block
    ASSERT_TRUE(fresh.CopyFrom(&tagged));
    EXPECT_EQ(fresh.GetColorProfile(), tagged.GetColorProfile());
    QVDIB reused; // the same geometry: the block is reused
    ASSERT_TRUE(reused.Create(5, 3, 24));
    ASSERT_TRUE(reused.CopyFrom(&tagged));
    EXPECT_EQ(reused.GetColorProfile(), tagged.GetColorProfile());

    QVDIB untagged;
    ASSERT_TRUE(untagged.Create(5, 3, 24));
    ASSERT_TRUE(reused.CopyFrom(&untagged));
    EXPECT_FALSE(reused.GetColorProfile());

    ASSERT_TRUE(fresh.Create(2, 2, 24));
    EXPECT_FALSE(fresh.GetColorProfile());
    tagged.Free();
    EXPECT_FALSE(tagged.GetColorProfile());
}

// What is drawn is converted to sRGB; the picture's own bytes stay.
TEST(ColourProfileDrawing, PaintConvertsToSrgb)
{
    struct Case
    {
        QColorSpace space;
        QRgb drawn; // what the screen must show for kColour
    };
    const Case cases[] = {
        {QColorSpace(QColorSpace::DisplayP3),
         QColorSpace(QColorSpace::DisplayP3).transformationToColorSpace(QColorSpace::SRgb).map(kColour)},
        {QColorSpace(QColorSpace::AdobeRgb),
         QColorSpace(QColorSpace::AdobeRgb).transformationToColorSpace(QColorSpace::SRgb).map(kColour)},
        {QColorSpace(QColorSpace::SRgb), kColour},
        {QColorSpace(), kColour},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.space.isValid() ? qPrintable(c.space.description()) : "no profile");
        QVDIB picture;
        ASSERT_TRUE(picture.CreateFromBitmap(Tagged(c.space)));
        ASSERT_EQ(bool(picture.GetColorProfile()), c.space.isValid());
        const std::vector<uint8_t> before(picture.GetBits(),
                                          picture.GetBits() + picture.GetHeader()->biSizeImage);

        QImage screen(5, 3, QImage::Format_RGB32);
        screen.fill(Qt::black);
        {
            QPainter painter(&screen);
            // Storage rows 0..3 from the bottom, drawn one to one.
            ASSERT_EQ(picture.Paint(&painter, QVRect{0, 0, 5, 3}, QVRect{0, 0, 5, 3}), 3);
        }
        EXPECT_EQ(screen.pixel(0, 0), c.drawn);
        if (c.space == QColorSpace(QColorSpace::DisplayP3)) {
            EXPECT_NE(c.drawn, kColour) << "the conversion must show";
        }
        EXPECT_TRUE(std::equal(before.begin(), before.end(), picture.GetBits()));
    }
}

} // namespace
