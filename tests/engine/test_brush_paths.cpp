// Every way the copy, blur and eraser brushes can run on this machine (each
// instruction set, one thread and all of them) against the plain loop on one
// thread, byte for byte over the whole picture, row padding included.

#include "EnginePaths.h"
#include "TestPictures.h"

#include "engine/warp/QVTool.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

enum class Brush { kBlur, kErase, kEraseInPlace, kPaste };

struct BrushCase
{
    const char* what;
    Brush brush;
    int width, height, radius;
    // Where the patch is taken (copy tool) and where the dabs land.
    QVPoint capture;
    std::vector<QVPoint> dabs;
};

void PrintTo(const BrushCase& c, std::ostream* os)
{
    *os << c.what;
}

std::vector<uint8_t> Bytes(const QVDIB& picture)
{
    return {picture.GetBits(), picture.GetBits() + picture.GetHeader()->biSizeImage};
}

// The picture after every dab of the case, and what each dab answered.
struct Result
{
    std::vector<bool> answers;
    std::vector<std::vector<uint8_t>> pictures;
};

Result Apply(const BrushCase& c, const QVDIB& before, const QVDIB& initial, const EnginePath& engine)
{
    Result result;
    EnginePathScope scope(engine);
    EXPECT_TRUE(scope.IsSet());
    QVDIB beforeCopy, target;
    if (!beforeCopy.CopyFrom(&before) || !target.CopyFrom(&initial)) {
        ADD_FAILURE() << "cannot copy the pictures";
        return result;
    }
    QVTool tool;
    if (c.brush == Brush::kPaste && !tool.CaptureCopy(&beforeCopy, c.radius, c.capture.x,
                                                      c.capture.y)) {
        ADD_FAILURE() << "CaptureCopy refused " << c.what;
        return result;
    }
    for (const QVPoint& dab : c.dabs) {
        bool answer = false;
        switch (c.brush) {
        case Brush::kBlur:
            answer = QVTool::Blur(c.radius, &target, dab.x, dab.y);
            break;
        case Brush::kErase:
            answer = QVTool::Erase(c.radius, &beforeCopy, &target, dab.x, dab.y);
            break;
        case Brush::kEraseInPlace:
            answer = QVTool::Erase(c.radius, &target, &target, dab.x, dab.y);
            break;
        case Brush::kPaste:
            answer = tool.PasteCopy(&target, dab.x, dab.y);
            break;
        }
        result.answers.push_back(answer);
        result.pictures.push_back(Bytes(target));
    }
    return result;
}

class BrushPaths : public testing::TestWithParam<BrushCase>
{
};

TEST_P(BrushPaths, EveryPathGivesThePlainLoopsBytes)
{
    const BrushCase& c = GetParam();
    const uint32_t seed = uint32_t(c.width * 7919 + c.height * 31 + c.radius * 3 + int(c.brush));
    QVDIB before, initial;
    ASSERT_TRUE(MakeRandomPicture(before, c.width, c.height, seed));
    ASSERT_TRUE(MakeRandomPicture(initial, c.width, c.height, seed + 1));

    const Result expected = Apply(c, before, initial, PlainLoop());
    ASSERT_EQ(expected.pictures.size(), c.dabs.size());
    // (Erasing a picture into itself blends each byte with itself.)
    if (c.brush != Brush::kEraseInPlace) {
        EXPECT_TRUE(expected.pictures.back() != Bytes(initial)) << c.what << " changes nothing";
    }

    for (const EnginePath& engine : EveryEnginePath()) {
        const Result result = Apply(c, before, initial, engine);
        ASSERT_EQ(result.pictures.size(), expected.pictures.size());
        for (size_t i = 0; i < expected.pictures.size(); ++i) {
            EXPECT_EQ(result.answers[i], expected.answers[i])
                << c.what << ", " << Describe(engine) << ", dab " << i;
            EXPECT_TRUE(result.pictures[i] == expected.pictures[i])
                << c.what << ", " << Describe(engine) << ", dab " << i;
        }
    }
}

// Dabs in the middle, at corners and edges, and one outside (refused).
const std::vector<QVPoint> kDabs37x29 = {{18, 14}, {0, 0}, {36, 28}, {36, 3}, {5, 28}, {37, 5}};
const std::vector<QVPoint> kDabs64x40 = {{31, 20}, {63, 0}, {0, 39}, {1, 1}, {62, 38}};

INSTANTIATE_TEST_SUITE_P(
    Brushes, BrushPaths,
    testing::Values(
        BrushCase{"blur, radius 1", Brush::kBlur, 37, 29, 1, {}, kDabs37x29},
        BrushCase{"blur, small radius", Brush::kBlur, 37, 29, 5, {}, kDabs37x29},
        BrushCase{"blur, large radius", Brush::kBlur, 64, 40, 17, {}, kDabs64x40},
        BrushCase{"blur, larger than the picture", Brush::kBlur, 37, 29, 80, {}, kDabs37x29},
        BrushCase{"blur, one column", Brush::kBlur, 1, 30, 6, {}, {{0, 15}, {0, 0}, {0, 29}}},
        BrushCase{"blur, two rows", Brush::kBlur, 40, 2, 9, {}, {{20, 1}, {0, 0}, {39, 1}}},
        BrushCase{"erase, radius 1", Brush::kErase, 37, 29, 1, {}, kDabs37x29},
        BrushCase{"erase, small radius", Brush::kErase, 37, 29, 6, {}, kDabs37x29},
        BrushCase{"erase, large radius", Brush::kErase, 64, 40, 23, {}, kDabs64x40},
        BrushCase{"erase, larger than the picture", Brush::kErase, 37, 29, 90, {}, kDabs37x29},
        BrushCase{"erase, one column", Brush::kErase, 1, 30, 6, {}, {{0, 15}, {0, 0}}},
        BrushCase{"erase the picture into itself", Brush::kEraseInPlace, 37, 29, 9, {},
                  kDabs37x29},
        BrushCase{"paste, radius 1", Brush::kPaste, 37, 29, 1, {10, 10}, kDabs37x29},
        BrushCase{"paste, small radius", Brush::kPaste, 37, 29, 5, {20, 12}, kDabs37x29},
        BrushCase{"paste, large radius", Brush::kPaste, 64, 40, 19, {30, 20}, kDabs64x40},
        BrushCase{"paste a patch taken at a corner", Brush::kPaste, 64, 40, 19, {0, 39},
                  kDabs64x40},
        BrushCase{"paste a patch taken at an edge", Brush::kPaste, 37, 29, 12, {36, 14},
                  kDabs37x29},
        BrushCase{"paste a patch larger than the picture", Brush::kPaste, 37, 29, 50, {18, 14},
                  kDabs37x29},
        BrushCase{"paste, two rows", Brush::kPaste, 40, 2, 9, {3, 0}, {{20, 1}, {39, 0}}}));

} // namespace

namespace {

// A pixel whose weight and bytes make the blend's order of operations decide
// the byte: grouping the sums differently or fusing a multiply and an add
// gives another value. (Found by searching radii, offsets and bytes; random
// pictures almost never hit one.) For the eraser the bytes are the before and
// target bytes, for the copy tool the patch and target bytes, for the blur the
// pixel, each of its four edge neighbours and each of its four corner
// neighbours.
struct OrderCase
{
    Brush brush;
    int radius, dx, dy;
    uint8_t a, b, c;
};

TEST(BrushOrder, EveryPathBlendsInTheFormulasOrder)
{
    const OrderCase cases[] = {
        {Brush::kErase, 56, -47, 0, 104, 76, 0}, {Brush::kErase, 6, 0, 5, 118, 19, 0},
        {Brush::kErase, 50, -36, -27, 180, 25, 0}, {Brush::kErase, 26, -19, 0, 23, 192, 0},
        {Brush::kPaste, 11, 4, -3, 70, 48, 0},    {Brush::kPaste, 12, 1, 0, 109, 73, 0},
        {Brush::kBlur, 36, -9, 0, 26, 93, 93},     {Brush::kBlur, 28, -7, 0, 70, 129, 129},
        {Brush::kBlur, 4, 0, 1, 7, 172, 172},
    };
    for (const OrderCase& c : cases) {
        // The brush centred on a picture holding its whole square.
        const int size = 2 * c.radius + 3, cx = c.radius + 1, cy = c.radius + 1;
        const int px = cx + c.dx, py = cy + c.dy;
        QVDIB first, second;
        ASSERT_TRUE(MakeRandomPicture(first, size, size, uint32_t(c.radius)));
        ASSERT_TRUE(MakeRandomPicture(second, size, size, uint32_t(c.radius + 1)));
        double expected = 0;
        const double d = std::sqrt(double(c.dx * c.dx + c.dy * c.dy));
        if (c.brush == Brush::kBlur) {
            for (int y = -1; y <= 1; ++y)
                for (int x = -1; x <= 1; ++x)
                    std::memset(PixelAt(second, px + x, py + y),
                                x == 0 && y == 0 ? c.a : x == 0 || y == 0 ? c.b : c.c, 3);
            const double w = std::min(std::sqrt(std::sqrt(d / c.radius)), 1.0);
            expected = 0.25 * ((1 - w) * (1 - w) * (4 * c.c) + 2 * w * (1 - w) * (4 * c.b) +
                               4 * (w * w) * c.a) +
                       0.5;
        } else {
            // first: the before-image or the picture the patch is taken from.
            std::memset(PixelAt(first, px, py), c.a, 3);
            std::memset(PixelAt(second, px, py), c.b, 3);
            const double w = std::min(d / c.radius, 1.0);
            expected = c.brush == Brush::kErase ? c.a * (1 - w) + c.b * w + 0.5
                                                : c.a * (1 - w) + c.b * w;
        }

        for (const EnginePath& engine : EveryEnginePath()) {
            EnginePathScope scope(engine);
            QVDIB target;
            ASSERT_TRUE(target.CopyFrom(&second));
            QVTool tool;
            switch (c.brush) {
            case Brush::kBlur:
                ASSERT_TRUE(QVTool::Blur(c.radius, &target, cx, cy));
                break;
            case Brush::kErase:
            case Brush::kEraseInPlace:
                ASSERT_TRUE(QVTool::Erase(c.radius, &first, &target, cx, cy));
                break;
            case Brush::kPaste:
                ASSERT_TRUE(tool.CaptureCopy(&first, c.radius, cx, cy));
                ASSERT_TRUE(tool.PasteCopy(&target, cx, cy));
                break;
            }
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(PixelAt(target, px, py)[k], uint8_t(int(expected)))
                    << "brush " << int(c.brush) << ", radius " << c.radius << ", "
                    << Describe(engine);
        }
    }
}

} // namespace
