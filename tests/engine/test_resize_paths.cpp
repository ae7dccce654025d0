// Every way ResizeImage can run on this machine (each instruction set, one
// thread and all of them) against the plain loop on one thread, byte for byte
// over the whole result, row padding included.

#include "EnginePaths.h"
#include "TestPictures.h"

#include "engine/export/ExportImage.h"

#include <cstring>
#include <vector>

namespace {

struct ResizeCase
{
    int sourceWidth, sourceHeight, width, height;
};

void PrintTo(const ResizeCase& c, std::ostream* os)
{
    *os << c.sourceWidth << "x" << c.sourceHeight << " to " << c.width << "x" << c.height;
}

class ResizePaths : public testing::TestWithParam<ResizeCase>
{
};

TEST_P(ResizePaths, EveryPathGivesThePlainLoopsBytes)
{
    const ResizeCase& c = GetParam();
    QVDIB source;
    ASSERT_TRUE(MakeRandomPicture(source, c.sourceWidth, c.sourceHeight,
                                  uint32_t(c.sourceWidth * 613 + c.width * 7 + c.height)));

    QVDIB expected;
    {
        EnginePathScope scope(PlainLoop());
        ASSERT_TRUE(ResizeImage(&expected, &source, c.width, c.height));
    }
    ASSERT_EQ(expected.GetWidth(), c.width);
    ASSERT_EQ(expected.GetHeight(), c.height);

    for (const EnginePath& engine : EveryEnginePath()) {
        EnginePathScope scope(engine);
        ASSERT_TRUE(scope.IsSet());
        QVDIB result;
        // A destination holding another picture: it is replaced.
        ASSERT_TRUE(MakeRandomPicture(result, 5, 3, 99));
        ASSERT_TRUE(ResizeImage(&result, &source, c.width, c.height)) << Describe(engine);
        EXPECT_TRUE(SamePixels(result, expected)) << Describe(engine);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ResizePaths,
    testing::Values(
        // Enlarging: whole and fractional factors, the last column and row repeated.
        ResizeCase{37, 29, 74, 58}, ResizeCase{37, 29, 100, 41}, ResizeCase{2, 1, 4, 1},
        ResizeCase{1, 1, 9, 3}, ResizeCase{1, 5, 17, 11}, ResizeCase{5, 2, 40, 30},
        // Shrinking, and both at once.
        ResizeCase{64, 40, 32, 20}, ResizeCase{61, 47, 13, 7}, ResizeCase{37, 29, 1, 1},
        ResizeCase{64, 40, 9, 80}, ResizeCase{40, 64, 130, 5},
        // Rows narrower than, as wide as and just wider than the vector lanes.
        ResizeCase{37, 29, 3, 30}, ResizeCase{37, 29, 8, 30}, ResizeCase{37, 29, 9, 30},
        ResizeCase{37, 29, 17, 30}));

} // namespace

namespace {

// A destination pixel whose four source bytes and fractions make the blend's
// order of operations decide the byte: taking one product's factors in another
// order, multiplying its weights first, adding the 0.5 last, grouping the sums
// differently or fusing a multiply and an add each gives another value in one
// of them.
// (Found by searching sizes and bytes; random pictures almost never hit one.)
struct OrderCase
{
    int sourceWidth, sourceHeight, width, height, j, i;
    uint8_t taps[4]; // (x0, y0), (x0, y1), (x1, y0), (x1, y1)
};

TEST(ResizeOrder, EveryPathBlendsInTheFormulasOrder)
{
    const OrderCase cases[] = {
        {19, 16, 48, 60, 6, 6, {206, 101, 231, 91}},  {18, 37, 8, 35, 6, 10, {10, 45, 131, 173}},
        {11, 30, 80, 21, 72, 18, {9, 144, 99, 77}},   {10, 33, 48, 19, 27, 1, {141, 98, 19, 155}},
        {14, 41, 59, 80, 51, 31, {174, 154, 164, 14}}, {5, 33, 6, 4, 4, 2, {178, 30, 97, 54}},
        {4, 6, 13, 20, 4, 5, {51, 198, 253, 22}},     {11, 19, 33, 10, 5, 1, {239, 20, 155, 137}},
        {41, 5, 82, 36, 47, 24, {95, 111, 75, 98}},   {11, 37, 33, 60, 17, 50, {121, 54, 59, 139}},
        {24, 23, 42, 48, 37, 17, {22, 60, 78, 162}},  {9, 29, 10, 84, 1, 6, {71, 172, 53, 6}},
        {27, 20, 10, 68, 1, 55, {133, 230, 212, 253}}, {21, 33, 89, 16, 60, 12, {184, 46, 255, 141}},
        {21, 15, 22, 21, 17, 4, {180, 116, 107, 130}},
    };
    for (const OrderCase& c : cases) {
        const double sx = double(c.width) / c.sourceWidth, sy = double(c.height) / c.sourceHeight;
        const double x = c.j / sx, y = c.i / sy;
        const int x0 = int(x), y0 = int(y);
        const double fx = x - x0, fy = y - y0;
        QVDIB source;
        ASSERT_TRUE(MakeRandomPicture(source, c.sourceWidth, c.sourceHeight, uint32_t(c.j)));
        const QVPoint at[4] = {{x0, y0}, {x0, y0 + 1}, {x0 + 1, y0}, {x0 + 1, y0 + 1}};
        for (int t = 0; t < 4; ++t)
            std::memset(PixelAt(source, at[t].x, at[t].y), c.taps[t], 3);
        double v = c.taps[0] * (1 - fx) * (1 - fy) + 0.5;
        v += c.taps[1] * (1 - fx) * fy;
        v += c.taps[2] * fx * (1 - fy);
        v += c.taps[3] * fx * fy;
        const uint8_t expected = uint8_t(int(v));

        for (const EnginePath& engine : EveryEnginePath()) {
            EnginePathScope scope(engine);
            QVDIB result;
            ASSERT_TRUE(ResizeImage(&result, &source, c.width, c.height));
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(PixelAt(result, c.j, c.i)[k], expected)
                    << c.sourceWidth << "x" << c.sourceHeight << " to " << c.width << "x"
                    << c.height << ", " << Describe(engine);
        }
    }
}

} // namespace
