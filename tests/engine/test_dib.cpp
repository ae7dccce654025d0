#include "TestPictures.h"

#include "engine/image/QVDIB.h"
#include "engine/parallel/QVThreadPool.h"

#include <QImage>
#include <QPainter>

#include <climits>

namespace {

struct HeaderCase
{
    uint16_t requested;
    int width;
    uint16_t bitCount;
    uint32_t clrUsed;
    uint16_t paletteSize;
    uint32_t stride;
};

class DibHeader : public testing::TestWithParam<HeaderCase>
{
};

TEST_P(DibHeader, FollowsTheBitCountRules)
{
    const HeaderCase& c = GetParam();
    QVBitmapInfoHeader h;
    std::memset(&h, 0xAB, sizeof(h)); // InitHeader must clear every field
    QVDIB::InitHeader(&h, c.width, 3, c.requested);

    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, c.width);
    EXPECT_EQ(h.biHeight, 3);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, c.bitCount);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biSizeImage, c.stride * 3);
    EXPECT_EQ(h.biXPelsPerMeter, 0);
    EXPECT_EQ(h.biYPelsPerMeter, 0);
    EXPECT_EQ(h.biClrUsed, c.clrUsed);
    EXPECT_EQ(h.biClrImportant, 0u);
    EXPECT_EQ(QVDIB::PaletteSize(&h), c.paletteSize);

    QVDIB p;
    ASSERT_TRUE(p.Create(c.width, 3, c.requested));
    EXPECT_EQ(p.GetBlockSize(), 40u + c.paletteSize + c.stride * 3);
    EXPECT_EQ(p.GetBits(), reinterpret_cast<const uint8_t*>(p.GetHeader()) + 40 + c.paletteSize);
    EXPECT_EQ(std::memcmp(p.GetHeader(), &h, 40), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, DibHeader,
    testing::Values(HeaderCase{0, 5, 1, 0, 8, 4}, HeaderCase{1, 33, 1, 0, 8, 8},
                    HeaderCase{2, 5, 4, 16, 64, 4}, HeaderCase{4, 9, 4, 16, 64, 8},
                    HeaderCase{5, 5, 8, 256, 1024, 8}, HeaderCase{8, 4, 8, 256, 1024, 4},
                    HeaderCase{9, 1, 24, 0, 0, 4}, HeaderCase{16, 4, 24, 0, 0, 12},
                    HeaderCase{24, 5, 24, 0, 0, 16}, HeaderCase{32, 2, 24, 0, 0, 8},
                    HeaderCase{65535, 1, 24, 0, 0, 4}));

TEST(DibPaletteSize, CountsOnlyTheLowSixteenBitsOfClrUsed)
{
    EXPECT_EQ(QVDIB::PaletteSize(nullptr), 0);
    QVBitmapInfoHeader h;
    QVDIB::InitHeader(&h, 1, 1, 24);
    h.biClrUsed = 3;
    EXPECT_EQ(QVDIB::PaletteSize(&h), 12);
    h.biClrUsed = 0x10002; // low 16 bits: 2
    EXPECT_EQ(QVDIB::PaletteSize(&h), 8);
}

TEST(DibBuffer, EmptyBufferReportsNothing)
{
    QVDIB p;
    EXPECT_TRUE(p.IsEmpty());
    EXPECT_EQ(p.GetBits(), nullptr);
    EXPECT_EQ(p.GetWidth(), 0);
    EXPECT_EQ(p.GetHeight(), 0);
    EXPECT_EQ(p.GetBitCount(), 0);
    EXPECT_EQ(p.GetStride(), 0);

    ASSERT_TRUE(p.Create(2, 2, 24));
    p.Free();
    EXPECT_TRUE(p.IsEmpty());
    EXPECT_EQ(p.GetBits(), nullptr);
}

TEST(DibBuffer, CreateGivesZeroedPixelsAndColourTable)
{
    QVDIB p;
    ASSERT_TRUE(p.Create(7, 5, 8));
    const auto* block = reinterpret_cast<const uint8_t*>(p.GetHeader());
    for (size_t i = 40; i < p.GetBlockSize(); ++i)
        ASSERT_EQ(block[i], 0) << "byte " << i;
}

TEST(DibBuffer, CreateRefusesSizesTheHeaderCannotHold)
{
    QVDIB p;
    ASSERT_TRUE(p.Create(3, 3, 24));
    const uint8_t* before = p.GetBits();
    // Negative sizes and pixel rows beyond 4 GB are refused up front, and the
    // picture that was there stays.
    EXPECT_FALSE(p.Create(-1, 10, 24));
    EXPECT_FALSE(p.Create(10, -1, 24));
    EXPECT_FALSE(p.Create(70000, 70000, 24));
    EXPECT_FALSE(p.Create(INT_MAX, 1, 24));
    EXPECT_EQ(p.GetBits(), before);
    EXPECT_EQ(p.GetWidth(), 3);

    ASSERT_TRUE(p.Create(0, 0, 24));
    EXPECT_NE(p.GetBits(), nullptr);
    EXPECT_EQ(p.GetBlockSize(), 40u);
}

TEST(DibCopy, CopiesHeaderColourTableAndRows)
{
    QVDIB source;
    ASSERT_TRUE(source.Create(5, 3, 8));
    auto* block = const_cast<uint8_t*>(reinterpret_cast<const uint8_t*>(source.GetHeader()));
    for (size_t i = 40; i < source.GetBlockSize(); ++i)
        block[i] = uint8_t(i * 7);

    QVDIB copy;
    ASSERT_TRUE(copy.CopyFrom(&source));
    ASSERT_EQ(copy.GetBlockSize(), source.GetBlockSize());
    EXPECT_EQ(std::memcmp(copy.GetHeader(), source.GetHeader(), source.GetBlockSize()), 0);
    EXPECT_NE(copy.GetBits(), source.GetBits());
}

TEST(DibCopy, NullSourceFailsAndEmptySourceGivesAZeroByZeroOneBitPicture)
{
    QVDIB p;
    MakePicture(p, 2, 2, Busy);
    const uint8_t* before = p.GetBits();
    EXPECT_FALSE(p.CopyFrom(nullptr));
    EXPECT_EQ(p.GetBits(), before);

    QVDIB empty;
    ASSERT_TRUE(p.CopyFrom(&empty));
    EXPECT_FALSE(p.IsEmpty());
    EXPECT_NE(p.GetBits(), nullptr);
    EXPECT_EQ(p.GetWidth(), 0);
    EXPECT_EQ(p.GetHeight(), 0);
    EXPECT_EQ(p.GetBitCount(), 1);
    EXPECT_EQ(p.GetBlockSize(), 48u);
}

TEST(DibCopy, SameGeometryReusesTheBlockWithTheSameResult)
{
    QVDIB a, b;
    MakePicture(a, 9, 4, Busy);
    MakePicture(b, 9, 4, [](int, int, int) { return uint8_t(200); });
    // Padding bytes too: the copy must not keep anything of the old picture.
    std::memset(b.GetBits(), 0xEE, b.GetHeader()->biSizeImage);
    const uint8_t* block = b.GetBits();

    ASSERT_TRUE(b.CopyFrom(&a));
    EXPECT_EQ(b.GetBits(), block);
    ASSERT_EQ(b.GetBlockSize(), a.GetBlockSize());
    EXPECT_EQ(std::memcmp(b.GetHeader(), a.GetHeader(), a.GetBlockSize()), 0);

    // Other geometry: a new block of the new size.
    QVDIB c;
    MakePicture(c, 3, 3, Busy);
    ASSERT_TRUE(b.CopyFrom(&c));
    EXPECT_TRUE(SamePixels(b, c));

    // A copy of itself changes nothing.
    ASSERT_TRUE(c.CopyFrom(&c));
    EXPECT_TRUE(SamePixels(b, c));
}

// Paint draws a bottom-up source rectangle: its top is the lowest storage row,
// which lands on the destination's bottom edge.
class DibPaint : public testing::Test
{
protected:
    void SetUp() override
    {
        MakePicture(picture, 4, 3, [](int x, int y, int k) { return uint8_t(k == 2 ? x * 60 : k == 1 ? y * 100 : 7); });
        canvas = QImage(20, 20, QImage::Format_RGB32);
        canvas.fill(qRgb(1, 2, 3));
    }
    QRgb At(int x, int y) const { return canvas.pixel(x, y); }
    static QRgb Source(int x, int y) { return qRgb(x * 60, y * 100, 7); }

    QVDIB picture;
    QImage canvas;
};

TEST_F(DibPaint, EqualSizesCopyOneToOne)
{
    QPainter painter(&canvas);
    EXPECT_EQ(picture.Paint(&painter, QVRect{5, 6, 9, 9}, QVRect{0, 0, 4, 3}), 3);
    painter.end();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(At(5 + x, 6 + y), Source(x, 2 - y)) << x << "," << y;
    EXPECT_EQ(At(4, 6), qRgb(1, 2, 3));
    EXPECT_EQ(At(9, 6), qRgb(1, 2, 3));
    EXPECT_EQ(At(5, 9), qRgb(1, 2, 3));
}

TEST_F(DibPaint, PartOfThePictureByBottomUpRows)
{
    QPainter painter(&canvas);
    // Storage rows 1..2 and columns 2..3: the upper right of the picture.
    picture.Paint(&painter, QVRect{0, 0, 2, 2}, QVRect{2, 1, 4, 3});
    painter.end();
    EXPECT_EQ(At(0, 0), Source(2, 2));
    EXPECT_EQ(At(1, 0), Source(3, 2));
    EXPECT_EQ(At(0, 1), Source(2, 1));
    EXPECT_EQ(At(1, 1), Source(3, 1));
}

TEST_F(DibPaint, StretchRepeatsPixelsWithoutSmoothing)
{
    QPainter painter(&canvas);
    picture.Paint(&painter, QVRect{0, 0, 8, 6}, QVRect{0, 0, 4, 3});
    painter.end();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(At(x, y), Source(x / 2, 2 - y / 2)) << x << "," << y;
}

TEST_F(DibPaint, ShrinkPicksPixelsWithoutSmoothing)
{
    QVDIB wide;
    MakePicture(wide, 8, 2, [](int x, int, int) { return uint8_t(x * 30); });
    QPainter painter(&canvas);
    wide.Paint(&painter, QVRect{0, 0, 4, 1}, QVRect{0, 0, 8, 2});
    painter.end();
    // Every value is one of the source's, never a blend of two.
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(qRed(At(x, 0)) % 30, 0) << x;
}

TEST_F(DibPaint, SourceOutsideThePictureLeavesTheDestination)
{
    QPainter painter(&canvas);
    // One column left of the picture and one storage row below it.
    picture.Paint(&painter, QVRect{0, 0, 3, 3}, QVRect{-1, -1, 2, 2});
    painter.end();
    EXPECT_EQ(At(0, 1), qRgb(1, 2, 3));
    EXPECT_EQ(At(1, 2), qRgb(1, 2, 3)); // destination bottom shows storage row -1
    EXPECT_EQ(At(1, 1), Source(0, 0));
    EXPECT_EQ(At(2, 0), Source(1, 1));

    QVDIB empty;
    QPainter again(&canvas);
    EXPECT_EQ(empty.Paint(&again, QVRect{0, 0, 3, 3}, QVRect{0, 0, 3, 3}), 0);
}

} // namespace

// The top-down RGB copy every save encodes from, with its rows shared out one
// by one among the pool's threads: each pixel lands flipped and with red and
// blue swapped, whichever thread wrote its row (odd widths leave padding in
// both pictures).
TEST(DibToImage, EveryRowFlippedAndSwappedWhicheverThreadWritesIt)
{
    QVThreadPool& pool = QVThreadPool::Instance();
    pool.SetMinChunkWork(1);
    for (const int width : {1, 7, 333}) {
        SCOPED_TRACE(width);
        QVDIB picture;
        MakePicture(picture, width, 61, Busy);
        const QImage image = picture.ToImage();
        ASSERT_EQ(image.format(), QImage::Format_RGB888);
        ASSERT_EQ(image.size(), QSize(width, 61));
        int wrong = 0;
        for (int y = 0; y < 61; ++y) {
            const uchar* row = image.constScanLine(60 - y); // storage rows are bottom-up
            for (int x = 0; x < width; ++x)
                for (int k = 0; k < 3; ++k)
                    wrong += row[3 * x + k] != Busy(x, y, 2 - k);
        }
        EXPECT_EQ(wrong, 0);
    }
    pool.SetMinChunkWork(0);
}
