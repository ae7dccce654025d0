#include "engine/image/QVClosedCurve.h"
#include "engine/image/QVRegionMask.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

QVClosedCurve Curve(std::vector<QVPoint> points, double tension = QVClosedCurve::kDefaultTension)
{
    return QVClosedCurve(points.data(), int(points.size()), tension);
}

QVPointF BezierPoint(const std::vector<QVPointF>& b, size_t span, double t)
{
    const QVPointF& p0 = b[3 * span];
    const QVPointF& c1 = b[3 * span + 1];
    const QVPointF& c2 = b[3 * span + 2];
    const QVPointF& p3 = b[3 * span + 3];
    const double u = 1 - t;
    return {u * u * u * p0.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * p3.x,
            u * u * u * p0.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * p3.y};
}

TEST(ClosedCurve, FewerThanThreePointsMakeNoCurve)
{
    EXPECT_TRUE(Curve({}).IsEmpty());
    EXPECT_TRUE(Curve({{1, 1}}).IsEmpty());
    EXPECT_TRUE(Curve({{1, 1}, {5, 5}}).IsEmpty());
    EXPECT_TRUE(QVClosedCurve(nullptr, 3).IsEmpty());
    EXPECT_FALSE(Curve({{1, 1}, {5, 5}, {9, 1}}).IsEmpty());
}

TEST(ClosedCurve, PassesThroughEveryPointAndCloses)
{
    const std::vector<QVPoint> points{{0, 0}, {40, 5}, {35, 30}, {10, 28}, {-3, 14}};
    const QVClosedCurve c = Curve(points);
    const auto& b = c.Beziers();
    ASSERT_EQ(b.size(), 3 * points.size() + 1);
    for (size_t i = 0; i <= points.size(); ++i) {
        const QVPoint& p = points[i % points.size()];
        EXPECT_EQ(b[3 * i].x, p.x);
        EXPECT_EQ(b[3 * i].y, p.y);
    }
}

TEST(ClosedCurve, TensionHalfIsCatmullRom)
{
    // Around a square the spline bulges out; at the middle of the bottom side
    // the Catmull-Rom control points (1/6 of the neighbour chord) put it at
    // y = -0.75 * 10/6 = -1.25.
    const QVClosedCurve c = Curve({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    const QVPointF mid = BezierPoint(c.Beziers(), 0, 0.5);
    EXPECT_NEAR(mid.x, 5, 1e-12);
    EXPECT_NEAR(mid.y, -1.25, 1e-12);
    EXPECT_TRUE(c.Contains(5, -1.1));
    EXPECT_FALSE(c.Contains(5, -1.4));

    // Tension 0 gives the straight polygon.
    const QVClosedCurve straight = Curve({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 0);
    EXPECT_TRUE(straight.Contains(5, 0));
    EXPECT_FALSE(straight.Contains(5, -0.01));
}

TEST(ClosedCurve, FlattenedOutlineStaysOnTheCurve)
{
    const QVClosedCurve c = Curve({{0, 0}, {400, 30}, {380, 500}, {20, 350}});
    const auto& b = c.Beziers();
    const auto& polygon = c.Polygon();
    ASSERT_GT(polygon.size(), 4u * 8);
    // Every curve sample lies within the flatness of some outline edge.
    auto distanceToOutline = [&](const QVPointF& p) {
        double best = 1e30;
        for (size_t i = 0; i < polygon.size(); ++i) {
            const QVPointF& a = polygon[i];
            const QVPointF& e = polygon[(i + 1) % polygon.size()];
            const double vx = e.x - a.x, vy = e.y - a.y;
            double t = ((p.x - a.x) * vx + (p.y - a.y) * vy) / (vx * vx + vy * vy);
            t = std::clamp(t, 0.0, 1.0);
            best = std::min(best, std::hypot(a.x + t * vx - p.x, a.y + t * vy - p.y));
        }
        return best;
    };
    for (size_t span = 0; span < 4; ++span)
        for (int k = 0; k <= 50; ++k)
            ASSERT_LE(distanceToOutline(BezierPoint(b, span, k / 50.0)),
                      QVClosedCurve::kFlatness + 1e-9)
                << "span " << span << " t " << k / 50.0;
}

TEST(ClosedCurve, EvenOddFillLeavesTheStarsCentreOut)
{
    // A pentagram drawn with straight sides: its inner pentagon is crossed twice.
    const QVClosedCurve star = Curve({{50, 100}, {79, 10}, {2, 66}, {98, 66}, {21, 10}}, 0);
    EXPECT_FALSE(star.Contains(50, 50));
    EXPECT_TRUE(star.Contains(50, 90)); // in the top point
    EXPECT_FALSE(star.Contains(0, 0));
}

class RegionMask : public testing::Test
{
protected:
    // Centre (30, 20), radius 10.
    static bool InCircle(int x, int y) { return (x - 30) * (x - 30) + (y - 20) * (y - 20) < 100; }
    template <class Expected>
    void ExpectRegion(const QVRegionMask& m, Expected expected)
    {
        for (int y = 5; y < 36; ++y)
            for (int x = 15; x < 46; ++x)
                ASSERT_EQ(m.PtInRegion(x, y), expected(x, y)) << x << "," << y;
    }
    // Tension 0: a straight-sided square x 25..40, y 15..30 through the circle.
    QVClosedCurve square = Curve({{25, 15}, {40, 15}, {40, 30}, {25, 30}}, 0);
};

TEST_F(RegionMask, WholeCircleIsTheOpenDisc)
{
    QVRegionMask m;
    for (int combine : {0, 3, -1}) {
        m.Build(30, 20, 10, square, combine);
        ExpectRegion(m, [](int x, int y) { return InCircle(x, y); });
    }
    EXPECT_FALSE(m.PtInRegion(20, 20)); // on the rim
    EXPECT_TRUE(m.PtInRegion(21, 20));
}

TEST_F(RegionMask, IntersectAndExcludeWithTheHalfOpenBoundaryRule)
{
    // Left and lower edges belong to the curve's inside, right and upper ones not.
    auto inSquare = [](int x, int y) { return x >= 25 && x < 40 && y >= 15 && y < 30; };
    QVRegionMask m;
    m.Build(30, 20, 10, square, QVRegionMask::kIntersect);
    ExpectRegion(m, [&](int x, int y) { return InCircle(x, y) && inSquare(x, y); });
    m.Build(30, 20, 10, square, QVRegionMask::kExclude);
    ExpectRegion(m, [&](int x, int y) { return InCircle(x, y) && !inSquare(x, y); });
}

TEST_F(RegionMask, FollowsTheCurvesOwnContainsTest)
{
    const QVClosedCurve blob = Curve({{22, 12}, {41, 18}, {33, 33}, {26, 24}});
    QVRegionMask m;
    m.Build(30, 20, 10, blob, QVRegionMask::kIntersect);
    ExpectRegion(m, [&](int x, int y) { return InCircle(x, y) && blob.Contains(x, y); });
}

TEST_F(RegionMask, EmptyCurveIntersectsToNothingAndExcludesNothing)
{
    const QVClosedCurve none = Curve({{25, 15}, {40, 15}});
    QVRegionMask m;
    m.Build(30, 20, 10, none, QVRegionMask::kIntersect);
    ExpectRegion(m, [](int, int) { return false; });
    m.Build(30, 20, 10, none, QVRegionMask::kExclude);
    ExpectRegion(m, [](int x, int y) { return InCircle(x, y); });
}

TEST_F(RegionMask, RebuildingReplacesTheOldRegion)
{
    QVRegionMask m;
    m.Build(30, 20, 10, square, 0);
    m.Build(100, 100, 3, square, 0);
    EXPECT_FALSE(m.PtInRegion(30, 20));
    EXPECT_TRUE(m.PtInRegion(100, 100));
    m.Clear();
    EXPECT_FALSE(m.IsSet());
    EXPECT_FALSE(m.PtInRegion(100, 100));
}

} // namespace
