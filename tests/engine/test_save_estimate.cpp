// The file size a save expects, which its progress bar measures the bytes
// written against, and the zlib level PNG files are written at.

#include "PictureFiles.h"
#include "TestPictures.h"
#include "engine/image/QVColorProfile.h"
#include "engine/image/QVDIB.h"
#include "engine/image/QVImageEncoder.h"

#include <QColorSpace>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

// Smooth sky above, busy texture below: parts that compress very
// differently, so a sample that favoured one part would miss the size.
void MakeSkyAndTexture(QVDIB& picture, int width, int height)
{
    MakePicture(picture, width, height, [height](int x, int y, int k) {
        if (y < height / 2)
            return Busy(x, y, k);
        return uint8_t(120 + k * 20 + (x + y) / 64);
    });
}

} // namespace

// Every encoder that writes as it reads the rows gets an estimate close to
// the file it then writes; the uncompressed formats exactly, the colour
// profile counted once.
TEST(SaveEstimate, LandsNearTheFileItWillWrite)
{
    QTemporaryDir dir;
    QVDIB picture;
    MakeSkyAndTexture(picture, 1200, 1600);
    picture.SetColorProfile(QVColorProfile::FromColorSpace(QColorSpace::DisplayP3));
    const QImage image = picture.ToImage();

    struct Case
    {
        const char* extension;
        double tolerance; // of the file size
    };
    for (const Case& c : {Case{"bmp", 0.001}, Case{"tif", 0.001}, Case{"png", 0.1},
                          Case{"jpg", 0.05}}) {
        SCOPED_TRACE(c.extension);
        const QString path = dir.filePath(QStringLiteral("estimated.") + QLatin1String(c.extension));
        const int64_t estimate = QVDIB::EstimateFileSize(image, path);
        ASSERT_TRUE(QVDIB::SaveImageToFile(image, path, {}));
        const double actual = double(QFileInfo(path).size());
        EXPECT_LE(std::abs(double(estimate) - actual), c.tolerance * actual)
            << "estimate " << estimate << ", file " << actual;
    }
}

// Where an estimate would not help, there is none: a picture small enough to
// save at once, GIF (its colour reduction writes nothing for most of its
// time), a name without an encoder, no picture.
TEST(SaveEstimate, NoneWhereItCannotHelp)
{
    QTemporaryDir dir;
    QVDIB big, small;
    MakeSkyAndTexture(big, 1200, 1600);
    MakeSkyAndTexture(small, 300, 200);
    EXPECT_EQ(QVDIB::EstimateFileSize(small.ToImage(), dir.filePath(QStringLiteral("a.png"))), 0);
    EXPECT_EQ(QVDIB::EstimateFileSize(big.ToImage(), dir.filePath(QStringLiteral("a.gif"))), 0);
    EXPECT_EQ(QVDIB::EstimateFileSize(big.ToImage(), dir.filePath(QStringLiteral("a.xyz"))), 0);
    EXPECT_EQ(QVDIB::EstimateFileSize(QImage(), dir.filePath(QStringLiteral("a.png"))), 0);
    EXPECT_GT(QVDIB::EstimateFileSize(big.ToImage(), dir.filePath(QStringLiteral("a.png"))), 0);
}

// PNG files are compressed at the level chosen by measurement: zlib records
// its class in the stream header's FLEVEL bits (0 for levels 0 and 1, 1 for
// 2 to 5, 2 for the default 6, 3 above).
TEST(SaveEstimate, PngIsWrittenAtTheChosenZlibLevel)
{
    QTemporaryDir dir;
    QVDIB picture;
    MakeSkyAndTexture(picture, 300, 200);
    const QString path = dir.filePath(QStringLiteral("level.png"));
    ASSERT_TRUE(QVDIB::SaveToFile(&picture, path));
    const QByteArray file = ReadAll(path);
    const qsizetype idat = file.indexOf("IDAT");
    ASSERT_GE(idat, 0);
    ASSERT_GT(file.size(), idat + 6);
    const int flevel = uint8_t(file[idat + 5]) >> 6;
    const int expected = kPngZlibLevel < 2 ? 0 : kPngZlibLevel < 6 ? 1 : kPngZlibLevel == 6 ? 2 : 3;
    EXPECT_EQ(flevel, expected);
}
