#include "TestPictures.h"

#include "engine/image/QVClosedCurve.h"
#include "engine/warp/QVTool.h"

#include <cmath>
#include <vector>

namespace {

constexpr int kStretch = QVWarpControl::WARP_STRETCH;
constexpr int kShrink = QVWarpControl::WARP_SHRINK_EXPAND;

// Source and target of a stroke: the target starts as a copy of the source,
// as the view's display copy does.
class Stroke : public testing::Test
{
protected:
    void SetUp() override
    {
        MakePicture(source, 37, 29, Busy); // odd width: rows carry padding
        ASSERT_TRUE(target.CopyFrom(&source));
    }
    QVDIB source, target;
    QVTool tool;
};

struct BeginCase
{
    const char* what;
    bool nullSource, nullTarget;
    int radius, x, y;
};

TEST_F(Stroke, BeginRefusesBadArgumentsAndChangesNothing)
{
    const BeginCase cases[] = {
        {"null source", true, false, 5, 3, 3}, {"null target", false, true, 5, 3, 3},
        {"radius 0", false, false, 0, 3, 3},   {"negative radius", false, false, -4, 3, 3},
        {"x = width", false, false, 5, 37, 3}, {"x < 0", false, false, 5, -1, 3},
        {"y = height", false, false, 5, 3, 29}, {"y < 0", false, false, 5, 3, -1},
    };
    for (const BeginCase& c : cases) {
        EXPECT_FALSE(tool.BeginWarp(c.nullSource ? nullptr : &source,
                                    c.nullTarget ? nullptr : &target, c.radius, kStretch, nullptr,
                                    0, 0, c.x, c.y))
            << c.what;
        EXPECT_EQ(tool.m_nState, QVTool::TOOL_IDLE) << c.what;
        EXPECT_FALSE(tool.m_bWarpReady) << c.what;
    }
    QVDIB empty, small;
    EXPECT_FALSE(tool.BeginWarp(&empty, &target, 5, kStretch, nullptr, 0, 0, 0, 0));
    // A target of another geometry, or the source itself, would be written
    // with the wrong addressing or read back mid-stroke.
    MakePicture(small, 36, 29, Busy);
    EXPECT_FALSE(tool.BeginWarp(&source, &small, 5, kStretch, nullptr, 0, 0, 3, 3));
    EXPECT_FALSE(tool.BeginWarp(&source, &source, 5, kStretch, nullptr, 0, 0, 3, 3));
    EXPECT_FALSE(tool.Warp(4, 3)); // no stroke running
    EXPECT_TRUE(SamePixels(source, target));

    // The last column and row are inside.
    EXPECT_TRUE(tool.BeginWarp(&source, &target, 5, kStretch, nullptr, 0, 0, 36, 28));
    EXPECT_EQ(tool.m_nState, QVTool::TOOL_WARPING);
}

TEST_F(Stroke, StretchBytesFromTheFormula)
{
    // Byte value 10 * x + y in every channel.
    MakePicture(source, 16, 16, [](int x, int y, int) { return uint8_t(10 * x + y); });
    ASSERT_TRUE(target.CopyFrom(&source));
    ASSERT_TRUE(tool.BeginWarp(&source, &target, 4, kStretch, nullptr, 0, 0, 8, 8));
    ASSERT_TRUE(tool.Warp(10, 8));
    // Pixel (9, 8): q = 1, a = 15, b = 1, w = 15/16, source x = 9 - 2 * 225/256 =
    // 7.2421875, between 78 and 88: 0.5 + 78 * 0.7578125 + 88 * 0.2421875 = 80.92.
    EXPECT_EQ(PixelAt(target, 9, 8)[0], 80);
    EXPECT_EQ(PixelAt(target, 9, 8)[2], 80);
    // Under the cursor the centre's content.
    EXPECT_EQ(PixelAt(target, 10, 8)[1], 88);
    // Pixel (5, 8): q = 9, a = 7, b = 25, w = 7/32, source x = 5 - 2 * 49/1024 =
    // 4.904296875: 0.5 + 48 * 0.095703125 + 58 * 0.904296875 = 57.54.
    EXPECT_EQ(PixelAt(target, 5, 8)[0], 57);
}

TEST_F(Stroke, CursorOnTheCentreLeavesThePicture)
{
    for (int mode : {kStretch, kShrink}) {
        Fill(target, 0x5A);
        ASSERT_TRUE(tool.BeginWarp(&source, &target, 6, mode, nullptr, 0, 0, 18, 14));
        ASSERT_TRUE(tool.Warp(18, 14));
        tool.EndWarp();
        // Inside the square every pixel is its own source; outside nothing is touched.
        for (int y = 0; y < 29; ++y)
            for (int x = 0; x < 37; ++x) {
                const bool inSquare = x >= 12 && x < 24 && y >= 8 && y < 20;
                const QVDIB& expected = inSquare ? source : target;
                for (int k = 0; k < 3; ++k)
                    ASSERT_EQ(PixelAt(target, x, y)[k],
                              inSquare ? PixelAt(expected, x, y)[k] : 0x5A)
                        << "mode " << mode << " at " << x << "," << y;
            }
    }
}

TEST_F(Stroke, ResultDependsOnlyOnCentreAndCursor)
{
    QVDIB direct;
    ASSERT_TRUE(direct.CopyFrom(&source));
    QVTool other;
    ASSERT_TRUE(other.BeginWarp(&source, &direct, 9, kStretch, nullptr, 0, 0, 18, 14));
    ASSERT_TRUE(other.Warp(22, 11));

    ASSERT_TRUE(tool.BeginWarp(&source, &target, 9, kStretch, nullptr, 0, 0, 18, 14));
    ASSERT_TRUE(tool.Warp(14, 17));
    ASSERT_TRUE(tool.Warp(25, 14));
    QVDIB snapshot;
    ASSERT_TRUE(snapshot.CopyFrom(&target));
    // Outside the circle: refused, and the last rendering stays.
    EXPECT_FALSE(tool.Warp(30, 14));
    EXPECT_TRUE(SamePixels(target, snapshot));
    ASSERT_TRUE(tool.Warp(22, 11));
    EXPECT_TRUE(SamePixels(target, direct));
}

TEST_F(Stroke, StrokeAtTheEdgeStaysInsideThePicture)
{
    Fill(target, 0x11);
    ASSERT_TRUE(tool.BeginWarp(&source, &target, 12, kShrink, nullptr, 0, 0, 0, 28));
    ASSERT_TRUE(tool.Warp(-8, 25)); // pulls content from beyond the left edge
    for (int y = 0; y < 29; ++y)
        for (int x = 0; x < 37; ++x) {
            const bool inSquare = x < 12 && y >= 16;
            if (!inSquare) {
                ASSERT_EQ(PixelAt(target, x, y)[0], 0x11) << x << "," << y;
            }
        }
    // The rim corner of the square's own area kept its source value.
    EXPECT_EQ(PixelAt(target, 11, 16)[0], PixelAt(source, 11, 16)[0]);
    EXPECT_NE(PixelAt(target, 2, 27)[0], 0x11);
}

// A deliberately plain rendering of one stroke, pixel by pixel, to hold the
// engine's row loops to: same formulas, no shortcuts.
void ReferenceWarp(const QVDIB& source, QVDIB& target, const QVWarpControl& warp,
                   const QVRegionMask* region, int cover)
{
    const int w = source.GetWidth(), h = source.GetHeight();
    const int r = int(warp.m_dRadius), cx = int(warp.m_dCenterX), cy = int(warp.m_dCenterY);
    for (int py = std::max(0, cy - r); py < std::min(cy + r, h); ++py)
        for (int px = std::max(0, cx - r); px < std::min(cx + r, w); ++px) {
            double sx, sy;
            warp.Map(px, py, sx, sy);
            if (region && cover == QVTool::REGION_COVER && !region->PtInRegion(int(sx), int(sy)))
                sx = px, sy = py;
            if (region && cover == QVTool::REGION_BECOVER && !region->PtInRegion(px, py))
                sx = px, sy = py;
            const int ix = int(sx), iy = int(sy);
            const double fx = sx - ix, fy = sy - iy;
            auto clampTap = [](int i, int n, int& i0, int& i1) {
                i0 = i, i1 = i + 1;
                if (i >= n - 1)
                    i0 = i1 = n - 1;
                if (i <= 0)
                    i0 = i1 = 0;
            };
            int x0, x1, y0, y1;
            clampTap(ix, w, x0, x1);
            clampTap(iy, h, y0, y1);
            for (int k = 0; k < 3; ++k) {
                const double v = 0.5 + PixelAt(source, x0, y0)[k] * (1 - fx) * (1 - fy) +
                                 PixelAt(source, x0, y1)[k] * (1 - fx) * fy +
                                 PixelAt(source, x1, y0)[k] * fx * (1 - fy) +
                                 PixelAt(source, x1, y1)[k] * fx * fy;
                PixelAt(target, px, py)[k] = uint8_t(int(v));
            }
        }
}

struct ReferenceCase
{
    int mode, radius, cx, cy, x, y, combine, cover;
    bool region;
};

class StrokeMatchesReference : public Stroke, public testing::WithParamInterface<ReferenceCase>
{
};

TEST_P(StrokeMatchesReference, ByteForByte)
{
    const ReferenceCase& c = GetParam();
    const QVClosedCurve curve = [] {
        const QVPoint points[] = {{10, 6}, {27, 9}, {30, 22}, {16, 25}, {8, 15}};
        return QVClosedCurve(points, 5);
    }();
    ASSERT_TRUE(tool.BeginWarp(&source, &target, c.radius, c.mode, c.region ? &curve : nullptr,
                               c.combine, c.cover, c.cx, c.cy));
    ASSERT_TRUE(tool.Warp(c.x, c.y));

    QVDIB expected;
    ASSERT_TRUE(expected.CopyFrom(&source));
    ReferenceWarp(source, expected, tool.m_warp, c.region ? &tool.m_hRegion : nullptr, c.cover);
    EXPECT_TRUE(SamePixels(target, expected));
}

INSTANTIATE_TEST_SUITE_P(
    Strokes, StrokeMatchesReference,
    testing::Values(ReferenceCase{kStretch, 9, 18, 14, 23, 10, 0, 0, false},
                    ReferenceCase{kShrink, 9, 18, 14, 24, 15, 0, 0, false},
                    ReferenceCase{kShrink, 9, 18, 14, 12, 15, 0, 0, false},
                    ReferenceCase{kStretch, 20, 3, 26, 10, 20, 0, 0, false},
                    ReferenceCase{kStretch, 9, 18, 14, 23, 10, 1, 3, true},
                    ReferenceCase{kStretch, 9, 18, 14, 23, 10, 2, 4, true},
                    ReferenceCase{kShrink, 12, 20, 16, 28, 16, 1, 4, true},
                    ReferenceCase{kShrink, 12, 20, 16, 10, 16, 2, 3, true}));

TEST_F(Stroke, RegionWithoutCoverDeformsLikeTheCircle)
{
    const QVPoint points[] = {{15, 12}, {21, 12}, {19, 17}};
    const QVClosedCurve curve(points, 3);
    QVDIB circle;
    ASSERT_TRUE(circle.CopyFrom(&source));
    QVTool other;
    ASSERT_TRUE(other.BeginWarp(&source, &circle, 9, kStretch, nullptr, 0, 0, 18, 14));
    ASSERT_TRUE(other.Warp(23, 12));

    ASSERT_TRUE(tool.BeginWarp(&source, &target, 9, kStretch, &curve, 1, 0, 18, 14));
    ASSERT_TRUE(tool.Warp(23, 12));
    EXPECT_TRUE(SamePixels(target, circle));
}

TEST_F(Stroke, IntersectWithBecoverChangesOnlyPixelsInsideCircleAndCurve)
{
    const QVPoint points[] = {{14, 10}, {30, 12}, {26, 20}, {15, 19}};
    const QVClosedCurve curve(points, 4);
    ASSERT_TRUE(tool.BeginWarp(&source, &target, 9, kStretch, &curve, QVTool::REGION_INTERSECT,
                               QVTool::REGION_BECOVER, 18, 14));
    ASSERT_TRUE(tool.Warp(24, 16));
    int changed = 0;
    for (int y = 0; y < 29; ++y)
        for (int x = 0; x < 37; ++x) {
            const bool same = std::memcmp(PixelAt(target, x, y), PixelAt(source, x, y), 3) == 0;
            const bool inside =
                (x - 18) * (x - 18) + (y - 14) * (y - 14) < 81 && curve.Contains(x, y);
            if (!inside) {
                ASSERT_TRUE(same) << x << "," << y;
            }
            changed += !same;
        }
    EXPECT_GT(changed, 20);
}

TEST_F(Stroke, CoverMovesOnlyContentFromInsideTheRegion)
{
    const QVPoint points[] = {{14, 10}, {30, 12}, {26, 20}, {15, 19}};
    const QVClosedCurve curve(points, 4);
    ASSERT_TRUE(tool.BeginWarp(&source, &target, 9, kShrink, &curve, QVTool::REGION_INTERSECT,
                               QVTool::REGION_COVER, 18, 14));
    ASSERT_TRUE(tool.Warp(12, 14)); // shrink: content comes from further out
    int kept = 0, moved = 0;
    for (int y = 5; y < 23; ++y)
        for (int x = 9; x < 27; ++x) {
            double sx, sy;
            tool.m_warp.Map(x, y, sx, sy);
            const bool same = std::memcmp(PixelAt(target, x, y), PixelAt(source, x, y), 3) == 0;
            if (!tool.m_hRegion.PtInRegion(int(sx), int(sy))) {
                // Sampling point outside the region: the pixel keeps its value,
                // even where the pixel itself lies inside the region.
                ASSERT_TRUE(same) << x << "," << y;
                kept += tool.m_hRegion.PtInRegion(x, y);
            } else {
                moved += !same;
            }
        }
    EXPECT_GT(kept, 0);
    EXPECT_GT(moved, 20);
}

TEST_F(Stroke, EndResetsTheStrokeButKeepsThePatch)
{
    ASSERT_TRUE(tool.CaptureCopy(&source, 4, 10, 10));
    ASSERT_TRUE(tool.BeginWarp(&source, &target, 5, kShrink, nullptr, 2, 4, 10, 10));
    EXPECT_EQ(tool.m_nState, QVTool::TOOL_WARPING);
    EXPECT_TRUE(tool.EndWarp());
    EXPECT_EQ(tool.m_nState, QVTool::TOOL_IDLE);
    EXPECT_FALSE(tool.m_bWarpReady);
    EXPECT_EQ(tool.m_pSource, nullptr);
    EXPECT_EQ(tool.m_pTarget, nullptr);
    EXPECT_EQ(tool.m_nRegionCombine, 0);
    EXPECT_EQ(tool.m_nCoverMode, 0);
    EXPECT_EQ(tool.m_warp.m_dRadius, 0);
    EXPECT_FALSE(tool.Warp(11, 10));
    // The patch survives, but pasting needs a new capture.
    EXPECT_TRUE(tool.m_bCopyReady);
    EXPECT_FALSE(tool.PasteCopy(&target, 12, 12));
}

} // namespace
