// Every way a deformation stroke can be rendered on this machine (each
// instruction set, one thread and all of them) against the plain loop on one
// thread, byte for byte over the whole target, row padding included.

#include "EnginePaths.h"
#include "TestPictures.h"

#include "engine/image/QVClosedCurve.h"
#include "engine/warp/QVTool.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kStretch = QVWarpControl::WARP_STRETCH;
constexpr int kShrink = QVWarpControl::WARP_SHRINK_EXPAND;

struct WarpCase
{
    const char* what;
    int width, height, radius, cx, cy;
    bool region;
    int combine, cover;
};

// What one engine made of a stroke: the answer of every Warp and the target
// after it.
struct Rendering
{
    std::vector<bool> accepted;
    std::vector<std::vector<uint8_t>> targets;
};

// Cursors of a stroke: the centre, points inside, on the rim (accepted) and
// just beyond it (refused, the last rendering stays).
std::vector<QVPoint> Cursors(const WarpCase& c)
{
    const int r = c.radius;
    return {{c.cx, c.cy},
            {c.cx + r / 3 + 1, c.cy - r / 4},
            {c.cx + r, c.cy},                   // on the rim
            {c.cx - r * 3 / 5, c.cy + r * 4 / 5}, // on the rim when r is a multiple of 5
            {c.cx + r, c.cy + 1},               // beyond it
            {c.cx, c.cy - r},                   // on the rim, below
            {c.cx - r / 2, c.cy + r / 3}};
}

void PrintTo(const WarpCase& c, std::ostream* os)
{
    *os << c.what;
}

Rendering Render(const WarpCase& c, int mode, const QVDIB& source, const QVDIB& initial,
                 const EnginePath& engine)
{
    Rendering rendering;
    EnginePathScope scope(engine);
    EXPECT_TRUE(scope.IsSet());
    QVDIB sourceCopy, target;
    if (!sourceCopy.CopyFrom(&source) || !target.CopyFrom(&initial)) {
        ADD_FAILURE() << "cannot copy the pictures";
        return rendering;
    }
    const QVPoint points[] = {{c.cx - c.radius / 2, c.cy - c.radius / 3},
                              {c.cx + c.radius, c.cy - c.radius / 2},
                              {c.cx + c.radius / 2, c.cy + c.radius},
                              {c.cx - c.radius / 4, c.cy + c.radius / 5},
                              {c.cx - c.radius, c.cy + c.radius / 2}};
    const QVClosedCurve curve(points, 5);
    QVTool tool;
    if (!tool.BeginWarp(&sourceCopy, &target, c.radius, mode, c.region ? &curve : nullptr,
                        c.combine, c.cover, c.cx, c.cy)) {
        ADD_FAILURE() << "BeginWarp refused " << c.what;
        return rendering;
    }
    const size_t size = target.GetHeader()->biSizeImage;
    for (const QVPoint& cursor : Cursors(c)) {
        rendering.accepted.push_back(tool.Warp(cursor.x, cursor.y));
        rendering.targets.emplace_back(target.GetBits(), target.GetBits() + size);
    }
    return rendering;
}

class WarpPaths : public testing::TestWithParam<WarpCase>
{
};

TEST_P(WarpPaths, EveryPathGivesThePlainLoopsBytes)
{
    const WarpCase& c = GetParam();
    const uint32_t seed = uint32_t(c.width * 131 + c.height * 17 + c.radius + c.cx * 7 + c.cy);
    QVDIB source, initial;
    ASSERT_TRUE(MakeRandomPicture(source, c.width, c.height, seed));
    // The target starts different from the source, so a write outside the
    // square, or into the row padding, shows.
    ASSERT_TRUE(MakeRandomPicture(initial, c.width, c.height, seed + 1));

    for (int mode : {kStretch, kShrink}) {
        const Rendering expected = Render(c, mode, source, initial, PlainLoop());
        ASSERT_FALSE(expected.targets.empty());
        // The cases make real changes, and refuse the cursor beyond the rim.
        const std::vector<uint8_t> before(initial.GetBits(),
                                          initial.GetBits() + initial.GetHeader()->biSizeImage);
        EXPECT_TRUE(expected.targets.back() != before) << c.what << " changes nothing";
        EXPECT_FALSE(expected.accepted[4]) << c.what;

        for (const EnginePath& engine : EveryEnginePath()) {
            const Rendering rendering = Render(c, mode, source, initial, engine);
            ASSERT_EQ(rendering.targets.size(), expected.targets.size());
            for (size_t i = 0; i < expected.targets.size(); ++i) {
                EXPECT_EQ(rendering.accepted[i], expected.accepted[i])
                    << c.what << ", mode " << mode << ", " << Describe(engine) << ", cursor " << i;
                EXPECT_TRUE(rendering.targets[i] == expected.targets[i])
                    << c.what << ", mode " << mode << ", " << Describe(engine) << ", cursor " << i;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Strokes, WarpPaths,
    testing::Values(
        // Circle strokes: odd widths give rows with padding; 64 columns none.
        WarpCase{"radius 1", 37, 29, 1, 18, 14, false, 0, 0},
        WarpCase{"small radius", 37, 29, 6, 18, 14, false, 0, 0},
        WarpCase{"large radius", 61, 47, 20, 30, 23, false, 0, 0},
        WarpCase{"larger than the picture", 37, 29, 60, 18, 14, false, 0, 0},
        WarpCase{"bottom-left corner", 37, 29, 15, 0, 0, false, 0, 0},
        WarpCase{"top-right corner", 37, 29, 15, 36, 28, false, 0, 0},
        WarpCase{"left edge", 61, 47, 15, 0, 23, false, 0, 0},
        WarpCase{"right edge", 61, 47, 25, 60, 20, false, 0, 0},
        WarpCase{"bottom edge", 61, 47, 10, 33, 0, false, 0, 0},
        WarpCase{"top edge", 61, 47, 15, 30, 46, false, 0, 0},
        WarpCase{"rows without padding", 64, 40, 18, 31, 20, false, 0, 0},
        WarpCase{"one column", 1, 30, 5, 0, 12, false, 0, 0},
        WarpCase{"two rows", 40, 2, 9, 20, 1, false, 0, 0},
        // Region strokes: curve and circle intersected or excluded, content
        // or pixels restricted, or neither.
        WarpCase{"intersect, cover", 61, 47, 20, 30, 23, true, 1, 3},
        WarpCase{"intersect, becover", 61, 47, 20, 30, 23, true, 1, 4},
        WarpCase{"exclude, cover", 61, 47, 20, 30, 23, true, 2, 3},
        WarpCase{"exclude, becover", 61, 47, 20, 30, 23, true, 2, 4},
        WarpCase{"region at a corner, cover", 37, 29, 15, 36, 0, true, 1, 3},
        WarpCase{"region at an edge, becover", 37, 29, 15, 0, 14, true, 2, 4},
        WarpCase{"region without a cover rule", 61, 47, 20, 30, 23, true, 1, 0}));

} // namespace

namespace {

// Strokes on one fixed random picture, each with a pixel whose byte changes
// when the vector code computes in another order than the plain loop: one
// blend product with its factors swapped or its weights multiplied first, the
// 0.5 added last, a fused multiply-add, w * (w * offset) in the stretch, a
// multiplication by 1 / (a + b) instead of the division, or the shrink's
// (s - 1) * ((s - 1) * dirX). (Found by searching strokes on this picture;
// random strokes almost never hit one.)
struct OrderStroke
{
    int mode, radius, cx, cy, x, y;
};

TEST(WarpOrder, EveryPathComputesInThePlainLoopsOrder)
{
    const OrderStroke strokes[] = {
        {kStretch, 20, 3, 32, -3, 16}, {kShrink, 30, 50, 32, 75, 33}, {kStretch, 10, 45, 11, 43, 17},
        {kStretch, 14, 27, 45, 31, 39}, {kStretch, 6, 59, 36, 59, 30}, {kShrink, 30, 5, 0, 25, 7},
        {kStretch, 28, 3, 3, -22, 10}, {kStretch, 16, 2, 14, 6, 22}, {kStretch, 25, 0, 31, 14, 24},
        {kStretch, 16, 27, 3, 27, 15},
    };
    QVDIB source;
    ASSERT_TRUE(MakeRandomPicture(source, 64, 48, 2024));
    for (const OrderStroke& s : strokes) {
        std::vector<uint8_t> expected;
        for (const EnginePath& engine : EveryEnginePath()) {
            EnginePathScope scope(engine);
            QVDIB target;
            ASSERT_TRUE(target.CopyFrom(&source));
            QVTool tool;
            ASSERT_TRUE(tool.BeginWarp(&source, &target, s.radius, s.mode, nullptr, 0, 0, s.cx,
                                       s.cy));
            ASSERT_TRUE(tool.Warp(s.x, s.y));
            const std::vector<uint8_t> bytes(target.GetBits(),
                                             target.GetBits() + target.GetHeader()->biSizeImage);
            // EveryEnginePath starts with the plain loop on one thread.
            if (expected.empty())
                expected = bytes;
            EXPECT_TRUE(bytes == expected) << "stroke at " << s.cx << "," << s.cy << " radius "
                                           << s.radius << ", " << Describe(engine);
        }
    }
}

} // namespace
