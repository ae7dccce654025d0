#include "TestPictures.h"

#include "engine/warp/QVTool.h"

#include <cmath>

namespace {

// A 30 x 24 picture with busy content; rows carry padding.
class Brush : public testing::Test
{
protected:
    void SetUp() override
    {
        MakePicture(picture, 30, 24, Busy);
        ASSERT_TRUE(original.CopyFrom(&picture));
    }
    QVDIB picture, original;
    QVTool tool;
};

TEST_F(Brush, CaptureRefusesBadArgumentsAndKeepsTheEarlierPatch)
{
    ASSERT_TRUE(tool.CaptureCopy(&picture, 3, 10, 10));
    const uint8_t* patch = tool.m_dibCopy.GetBits();
    EXPECT_FALSE(tool.CaptureCopy(nullptr, 3, 10, 10));
    EXPECT_FALSE(tool.CaptureCopy(&picture, 0, 10, 10));
    EXPECT_FALSE(tool.CaptureCopy(&picture, 3, 30, 10));
    EXPECT_FALSE(tool.CaptureCopy(&picture, 3, 10, -1));
    EXPECT_EQ(tool.m_dibCopy.GetBits(), patch);
    EXPECT_EQ(tool.m_nState, QVTool::TOOL_COPY_HELD);
    EXPECT_TRUE(tool.m_bCopyReady);

    EXPECT_TRUE(tool.ReleaseCopy());
    EXPECT_TRUE(tool.m_dibCopy.IsEmpty());
    EXPECT_FALSE(tool.m_bCopyReady);
    EXPECT_EQ(tool.m_nState, QVTool::TOOL_IDLE);
    EXPECT_FALSE(tool.PasteCopy(&picture, 10, 10));
}

TEST_F(Brush, CaptureAtACornerRecordsOnlyTheQuarterInside)
{
    ASSERT_TRUE(tool.CaptureCopy(&picture, 5, 0, 23));
    EXPECT_EQ(tool.m_dibCopy.GetWidth(), 10);
    EXPECT_EQ(tool.m_dibCopy.GetHeight(), 10);
    EXPECT_EQ(tool.m_rcCopy, (QVRect{5, 0, 10, 6})); // columns 0..4, rows 18..23
    EXPECT_EQ(std::memcmp(PixelAt(tool.m_dibCopy, 5, 0), PixelAt(picture, 0, 18), 3), 0);
    EXPECT_EQ(std::memcmp(PixelAt(tool.m_dibCopy, 9, 5), PixelAt(picture, 4, 23), 3), 0);
    EXPECT_EQ(PixelAt(tool.m_dibCopy, 4, 0)[0], 0);
    EXPECT_EQ(PixelAt(tool.m_dibCopy, 5, 6)[1], 0);

    // Pasted elsewhere only that quarter blends in: the upper right of the disc.
    ASSERT_TRUE(tool.PasteCopy(&picture, 15, 10));
    for (int y = 5; y < 15; ++y)
        for (int x = 10; x < 20; ++x) {
            const bool quarter = x >= 15 && y < 16;
            if (!quarter) {
                ASSERT_EQ(std::memcmp(PixelAt(picture, x, y), PixelAt(original, x, y), 3), 0)
                    << x << "," << y;
            }
        }
    // The centre is fully the patch: patch (5, 5) = picture (0, 23).
    EXPECT_EQ(std::memcmp(PixelAt(picture, 15, 10), PixelAt(original, 0, 23), 3), 0);
}

TEST_F(Brush, PasteBlendsFromThePatchAtTheCentreToThePictureAtTheRim)
{
    QVDIB flat;
    MakePicture(flat, 30, 24, [](int x, int, int) { return uint8_t(x < 15 ? 200 : 0); });
    ASSERT_TRUE(tool.CaptureCopy(&flat, 4, 5, 12)); // a patch of 200s
    QVDIB target;
    MakePicture(target, 30, 24, [](int, int, int) { return uint8_t(100); });
    // The paste radius is the capture's, whatever the brush is now.
    ASSERT_TRUE(tool.PasteCopy(&target, 20, 12));
    EXPECT_EQ(PixelAt(target, 20, 12)[0], 200);
    // d = 2, w = 0.5: trunc(200 * 0.5 + 100 * 0.5) = 150; d = 3: 125.
    EXPECT_EQ(PixelAt(target, 22, 12)[2], 150);
    EXPECT_EQ(PixelAt(target, 20, 9)[1], 125);
    // d = sqrt(5) = 2.236...: 200 * 0.441 + 100 * 0.559 = 144.1 -> 144 (truncated).
    EXPECT_EQ(PixelAt(target, 21, 14)[0], 144);
    // On the rim w = 1, outside the disc nothing.
    EXPECT_EQ(PixelAt(target, 24, 12)[0], 100);
    EXPECT_EQ(PixelAt(target, 23, 15)[0], 100);
    // Outside the target: refused.
    EXPECT_FALSE(tool.PasteCopy(&target, 30, 12));
    EXPECT_FALSE(tool.PasteCopy(nullptr, 3, 3));
}

TEST_F(Brush, PasteOnTheCapturePointLosesAtMostOneByTruncation)
{
    ASSERT_TRUE(tool.CaptureCopy(&picture, 6, 14, 11));
    ASSERT_TRUE(tool.PasteCopy(&picture, 14, 11));
    int dropped = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 30; ++x)
            for (int k = 0; k < 3; ++k) {
                const int diff = PixelAt(original, x, y)[k] - PixelAt(picture, x, y)[k];
                ASSERT_TRUE(diff == 0 || diff == 1) << x << "," << y;
                dropped += diff;
            }
    EXPECT_GT(dropped, 0);
}

TEST_F(Brush, EraseRestoresTheBeforeImageTowardsTheCentre)
{
    QVDIB before;
    MakePicture(before, 30, 24, [](int, int, int) { return uint8_t(100); });
    QVDIB target;
    MakePicture(target, 30, 24, [](int, int, int) { return uint8_t(51); });
    ASSERT_TRUE(QVTool::Erase(4, &before, &target, 10, 10));
    EXPECT_EQ(PixelAt(target, 10, 10)[0], 100); // the centre at once
    // d = 2, w = 0.5: 50 + 25.5 + 0.5 = 76.
    EXPECT_EQ(PixelAt(target, 12, 10)[1], 76);
    EXPECT_EQ(PixelAt(target, 14, 10)[0], 51); // outside the square
    EXPECT_EQ(PixelAt(target, 13, 13)[0], 51); // in the square's corner: w = 1

    // Repeated erasing comes closer to the before-image each time.
    const int first = PixelAt(target, 13, 11)[2];
    ASSERT_TRUE(QVTool::Erase(4, &before, &target, 10, 10));
    EXPECT_GT(PixelAt(target, 13, 11)[2], first);
    EXPECT_LE(PixelAt(target, 13, 11)[2], 100);
}

TEST_F(Brush, EraseOnAnUntouchedPictureChangesNothing)
{
    ASSERT_TRUE(QVTool::Erase(7, &original, &picture, 12, 9));
    EXPECT_TRUE(SamePixels(picture, original));
}

TEST_F(Brush, EraseRefusesMismatchedPictures)
{
    QVDIB other, eightBit;
    MakePicture(other, 30, 23, Busy);
    ASSERT_TRUE(eightBit.Create(30, 24, 8));
    EXPECT_FALSE(QVTool::Erase(4, &other, &picture, 5, 5));
    EXPECT_FALSE(QVTool::Erase(4, &eightBit, &picture, 5, 5));
    EXPECT_FALSE(QVTool::Erase(4, nullptr, &picture, 5, 5));
    EXPECT_FALSE(QVTool::Erase(4, &original, nullptr, 5, 5));
    EXPECT_FALSE(QVTool::Erase(0, &original, &picture, 5, 5));
    EXPECT_FALSE(QVTool::Erase(4, &original, &picture, 5, 24));
    EXPECT_TRUE(SamePixels(picture, original));
}

TEST_F(Brush, BlurKeepsAUniformAreaAndAveragesCornersAtTheCentre)
{
    QVDIB uniform;
    MakePicture(uniform, 30, 24, [](int, int, int k) { return uint8_t(40 + 60 * k); });
    QVDIB copy;
    ASSERT_TRUE(copy.CopyFrom(&uniform));
    ASSERT_TRUE(QVTool::Blur(8, &uniform, 15, 12));
    EXPECT_TRUE(SamePixels(uniform, copy));

    // At the brush centre only the four corner neighbours count, a quarter each.
    QVDIB spots;
    MakePicture(spots, 30, 24, [](int, int, int) { return uint8_t(0); });
    PixelAt(spots, 9, 9)[0] = 10;
    PixelAt(spots, 11, 9)[0] = 20;
    PixelAt(spots, 9, 11)[0] = 30;
    PixelAt(spots, 11, 11)[0] = 41;
    PixelAt(spots, 10, 10)[0] = 250; // the centre itself has no weight there
    ASSERT_TRUE(QVTool::Blur(5, &spots, 10, 10));
    EXPECT_EQ(PixelAt(spots, 10, 10)[0], 25); // trunc(101 / 4 + 0.5)
}

TEST_F(Brush, BlurFiltersFromTheUnblurredPicture)
{
    // One bright pixel at (12, 10), brush centred on (10, 10) with radius 16.
    // Pixel (11, 10): d = 1, w = (1/16)^(1/4) = 0.5, so it takes 2 * 0.5 * 0.5 / 4
    // of its bright edge neighbour: trunc(200 / 8 + 0.5) = 25.
    // Pixel (13, 10): d = 3, w = 0.658..., takes 0.25 * 2w(1 - w) = 0.1125 of the
    // bright pixel's original 200: 23. Had the bright pixel been blurred in
    // place first (to 71), it would get 8.
    QVDIB spot;
    MakePicture(spot, 30, 24, [](int, int, int) { return uint8_t(0); });
    PixelAt(spot, 12, 10)[1] = 200;
    ASSERT_TRUE(QVTool::Blur(16, &spot, 10, 10));
    EXPECT_EQ(PixelAt(spot, 11, 10)[1], 25);
    EXPECT_EQ(PixelAt(spot, 13, 10)[1], 23);
    EXPECT_EQ(PixelAt(spot, 12, 10)[1], 71);
    EXPECT_EQ(PixelAt(spot, 11, 10)[0], 0);
}

TEST_F(Brush, ABrushLargerThanThePictureIsClippedToIt)
{
    ASSERT_TRUE(QVTool::Blur(500, &picture, 3, 20));
    ASSERT_TRUE(tool.CaptureCopy(&picture, 500, 3, 20));
    EXPECT_EQ(tool.m_rcCopy, (QVRect{497, 480, 527, 504}));
    ASSERT_TRUE(tool.PasteCopy(&picture, 29, 0));
    ASSERT_TRUE(QVTool::Erase(500, &original, &picture, 0, 0));
    // At the erase centre the before-image is back.
    EXPECT_EQ(std::memcmp(PixelAt(picture, 0, 0), PixelAt(original, 0, 0), 3), 0);
}

TEST_F(Brush, BlurRefusesBadArguments)
{
    EXPECT_FALSE(QVTool::Blur(4, nullptr, 3, 3));
    EXPECT_FALSE(QVTool::Blur(0, &picture, 3, 3));
    EXPECT_FALSE(QVTool::Blur(4, &picture, -1, 3));
    EXPECT_FALSE(QVTool::Blur(4, &picture, 3, 24));
    EXPECT_TRUE(SamePixels(picture, original));
}

} // namespace
