#include "TestPictures.h"

#include "engine/export/ExportImage.h"

namespace {

TEST(Resize, TwoByOneToFourByOneFromTheFormula)
{
    QVDIB source, result;
    MakePicture(source, 2, 1, [](int x, int, int) { return uint8_t(x ? 255 : 0); });
    ASSERT_TRUE(ResizeImage(&result, &source, 4, 1));
    ASSERT_EQ(result.GetWidth(), 4);
    ASSERT_EQ(result.GetHeight(), 1);
    const uint8_t expected[] = {0, 128, 255, 255}; // x = 0, 0.5, 1, 1.5
    for (int x = 0; x < 4; ++x)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(PixelAt(result, x, 0)[k], expected[x]) << x;
}

TEST(Resize, BilinearInBothDirectionsWithTheBottomLeftFixed)
{
    // 2 x 2: bottom row 0, 100; top row 200, 40. Doubled: source positions 0, 0.5, 1, 1.5.
    QVDIB source, result;
    MakePicture(source, 2, 2, [](int x, int y, int) {
        const uint8_t v[2][2] = {{0, 100}, {200, 40}};
        return v[y][x];
    });
    ASSERT_TRUE(ResizeImage(&result, &source, 4, 4));
    EXPECT_EQ(PixelAt(result, 0, 0)[0], 0);
    EXPECT_EQ(PixelAt(result, 1, 0)[0], 50);
    EXPECT_EQ(PixelAt(result, 0, 1)[0], 100);
    EXPECT_EQ(PixelAt(result, 1, 1)[1], 85); // (0 + 100 + 200 + 40) / 4
    EXPECT_EQ(PixelAt(result, 3, 3)[2], 40); // last row and column repeat
    EXPECT_EQ(PixelAt(result, 2, 3)[2], 40);

    // Shrinking samples every other pixel from the bottom left.
    QVDIB big, half;
    MakePicture(big, 8, 6, Busy);
    ASSERT_TRUE(ResizeImage(&half, &big, 4, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(std::memcmp(PixelAt(half, x, y), PixelAt(big, 2 * x, 2 * y), 3), 0);
}

TEST(Resize, OwnSizeIsAnExactCopyAndBadArgumentsChangeNothing)
{
    QVDIB source, result;
    MakePicture(source, 7, 5, Busy);
    ASSERT_TRUE(ResizeImage(&result, &source, 7, 5));
    EXPECT_TRUE(SamePixels(result, source));

    const uint8_t* kept = result.GetBits();
    QVDIB empty;
    EXPECT_FALSE(ResizeImage(&result, &source, 0, 5));
    EXPECT_FALSE(ResizeImage(&result, &source, 7, -1));
    EXPECT_FALSE(ResizeImage(nullptr, &source, 7, 5));
    EXPECT_FALSE(ResizeImage(&result, nullptr, 7, 5));
    EXPECT_FALSE(ResizeImage(&result, &empty, 7, 5));
    EXPECT_EQ(result.GetBits(), kept);
}

TEST(Crop, CutsTheRectangleAndClipsItToTheSource)
{
    QVDIB source, result;
    MakePicture(source, 10, 8, Busy);
    ASSERT_TRUE(CropImage(&source, &result, QVRect{2, 3, 7, 5}));
    ASSERT_EQ(result.GetWidth(), 5);
    ASSERT_EQ(result.GetHeight(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(std::memcmp(PixelAt(result, x, y), PixelAt(source, 2 + x, 3 + y), 3), 0);

    // Reaching outside: only the part over the picture.
    ASSERT_TRUE(CropImage(&source, &result, QVRect{-3, 6, 4, 20}));
    ASSERT_EQ(result.GetWidth(), 4);
    ASSERT_EQ(result.GetHeight(), 2);
    EXPECT_EQ(std::memcmp(PixelAt(result, 0, 0), PixelAt(source, 0, 6), 3), 0);
    EXPECT_EQ(std::memcmp(PixelAt(result, 3, 1), PixelAt(source, 3, 7), 3), 0);
}

TEST(Crop, EmptyResultIsRefusedWithTheDestinationUntouched)
{
    QVDIB source, result;
    MakePicture(source, 10, 8, Busy);
    MakePicture(result, 3, 3, Busy);
    const uint8_t* kept = result.GetBits();
    for (const QVRect& r : {QVRect{4, 4, 4, 6}, QVRect{5, 5, 3, 7}, QVRect{10, 0, 15, 8},
                            QVRect{-5, -5, 0, 0}})
        EXPECT_FALSE(CropImage(&source, &result, r));
    EXPECT_FALSE(CropImage(nullptr, &result, QVRect{0, 0, 2, 2}));
    EXPECT_FALSE(CropImage(&source, nullptr, QVRect{0, 0, 2, 2}));
    EXPECT_EQ(result.GetBits(), kept);
    EXPECT_EQ(result.GetWidth(), 3);
}

TEST(Combine, FirstOnTheLeftOrOnTop)
{
    QVDIB first, second, result;
    MakePicture(first, 3, 2, [](int x, int y, int) { return uint8_t(10 + x + 3 * y); });
    MakePicture(second, 3, 2, [](int x, int y, int) { return uint8_t(100 + x + 3 * y); });

    ASSERT_TRUE(CombineImages(&result, &first, &second, true));
    ASSERT_EQ(result.GetWidth(), 6);
    ASSERT_EQ(result.GetHeight(), 2);
    EXPECT_EQ(PixelAt(result, 2, 1)[0], 15);
    EXPECT_EQ(PixelAt(result, 3, 1)[0], 103);
    EXPECT_EQ(PixelAt(result, 5, 0)[2], 102);

    ASSERT_TRUE(CombineImages(&result, &first, &second, false));
    ASSERT_EQ(result.GetWidth(), 3);
    ASSERT_EQ(result.GetHeight(), 4);
    // Storage rows 0..1 are the bottom: the second picture; the first is on top.
    EXPECT_EQ(PixelAt(result, 1, 0)[0], 101);
    EXPECT_EQ(PixelAt(result, 1, 1)[0], 104);
    EXPECT_EQ(PixelAt(result, 1, 2)[0], 11);
    EXPECT_EQ(PixelAt(result, 2, 3)[1], 15);
}

TEST(Combine, PicturesOfDifferentSizesMakeNoPicture)
{
    QVDIB first, second, result;
    MakePicture(first, 3, 2, Busy);
    MakePicture(second, 3, 3, Busy);
    EXPECT_FALSE(CombineImages(&result, &first, &second, true));
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_FALSE(CombineImages(&result, &first, nullptr, true));
    EXPECT_FALSE(CombineImages(nullptr, &first, &first, true));
    EXPECT_TRUE(result.IsEmpty());
}

class Label : public testing::Test
{
protected:
    void SetUp() override
    {
        // An 80 x 20 label whose pixels tell their position.
        MakePicture(label, 80, 20, [](int x, int y, int k) { return uint8_t(k == 0 ? x : k == 1 ? y : 255); });
    }
    void Picture(int width, int height)
    {
        MakePicture(picture, width, height, [](int, int, int) { return uint8_t(50); });
    }
    int LabelColumns() const
    {
        int n = 0;
        while (10 + n < picture.GetWidth() && PixelAt(picture, 10 + n, 10)[2] == 255)
            ++n;
        return n;
    }
    QVDIB label, picture;
};

TEST_F(Label, WholeLabelTenPixelsInFromTheBottomLeft)
{
    Picture(90, 30);
    ASSERT_TRUE(DrawLabel(&picture, &label, 1.0));
    EXPECT_EQ(LabelColumns(), 80);
    EXPECT_EQ(PixelAt(picture, 10, 10)[0], 0);
    EXPECT_EQ(PixelAt(picture, 89, 29)[0], 79);
    EXPECT_EQ(PixelAt(picture, 89, 29)[1], 19);
    EXPECT_EQ(PixelAt(picture, 9, 10)[2], 50);
    EXPECT_EQ(PixelAt(picture, 10, 9)[2], 50);
}

TEST_F(Label, CutOffAtTheEdgesOfASmallPicture)
{
    Picture(50, 25);
    ASSERT_TRUE(DrawLabel(&picture, &label, 1.0));
    EXPECT_EQ(LabelColumns(), 40);
    EXPECT_EQ(PixelAt(picture, 49, 24)[1], 14); // the top rows of the label are cut off

    for (auto [w, h] : {std::pair{10, 30}, std::pair{90, 10}, std::pair{5, 5}}) {
        Picture(w, h);
        EXPECT_FALSE(DrawLabel(&picture, &label, 1.0)) << w << " x " << h;
    }
}

TEST_F(Label, AlphaBlendsAndOutOfRangeIsRefused)
{
    Picture(90, 30);
    for (double alpha : {0.0, -0.5, 1.5}) {
        EXPECT_FALSE(DrawLabel(&picture, &label, alpha)) << alpha;
        EXPECT_EQ(PixelAt(picture, 20, 15)[2], 50);
    }
    ASSERT_TRUE(DrawLabel(&picture, &label, 0.5));
    EXPECT_EQ(PixelAt(picture, 20, 15)[2], 153); // 127.5 + 25 + 0.5
    EXPECT_EQ(PixelAt(picture, 20, 15)[0], 30);  // 5 + 25 + 0.5

    QVDIB eightBit;
    ASSERT_TRUE(eightBit.Create(80, 20, 8));
    EXPECT_FALSE(DrawLabel(&picture, &eightBit, 1.0));
    EXPECT_FALSE(DrawLabel(nullptr, &label, 1.0));
    EXPECT_FALSE(DrawLabel(&picture, nullptr, 1.0));
}

} // namespace
