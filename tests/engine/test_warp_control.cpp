#include "engine/warp/QVWarpControl.h"

#include <gtest/gtest.h>

namespace {

QVWarpControl Started(int mode, double cx, double cy, double r)
{
    QVWarpControl w;
    w.Begin(mode, cx, cy, r);
    return w;
}

TEST(WarpControlUpdate, OutsideTheCircleChangesNothing)
{
    QVWarpControl w = Started(QVWarpControl::WARP_STRETCH, 50, 50, 10);
    ASSERT_TRUE(w.Update(53, 54)); // distance 5
    const QVWarpControl before = w;
    EXPECT_FALSE(w.Update(61, 50)); // distance 11
    EXPECT_EQ(w.m_dDirX, before.m_dDirX);
    EXPECT_EQ(w.m_dDirY, before.m_dDirY);
    EXPECT_EQ(w.m_dOffsetX, before.m_dOffsetX);
    EXPECT_EQ(w.m_dOffsetY, before.m_dOffsetY);

    // A cursor exactly on the rim is accepted.
    EXPECT_TRUE(w.Update(56, 58));
    EXPECT_DOUBLE_EQ(w.m_dDirX, 0.6);
    EXPECT_DOUBLE_EQ(w.m_dDirY, 0.8);
    EXPECT_DOUBLE_EQ(w.m_dOffsetX, 6);
    EXPECT_DOUBLE_EQ(w.m_dOffsetY, 8);
}

TEST(WarpControlUpdate, ZeroRadiusAcceptsOnlyTheCentre)
{
    QVWarpControl w = Started(QVWarpControl::WARP_STRETCH, 3, 4, 0);
    EXPECT_FALSE(w.Update(3, 5));
    EXPECT_TRUE(w.Update(3, 4));
    EXPECT_EQ(w.m_dDirX, 0);
    EXPECT_EQ(w.m_dDirY, 0);
    double sx, sy;
    w.Map(3.25, 4, sx, sy);
    EXPECT_EQ(sx, 3.25);
    EXPECT_EQ(sy, 4);
}

TEST(WarpControlMap, CursorOnTheCentreIsTheIdentity)
{
    for (int mode : {QVWarpControl::WARP_STRETCH, QVWarpControl::WARP_SHRINK_EXPAND}) {
        QVWarpControl w = Started(mode, 20, 30, 8);
        ASSERT_TRUE(w.Update(20, 30));
        for (int y = 20; y <= 40; ++y)
            for (int x = 10; x <= 30; ++x) {
                double sx, sy;
                w.Map(x, y, sx, sy);
                ASSERT_EQ(sx, x) << "mode " << mode << " at " << x << "," << y;
                ASSERT_EQ(sy, y) << "mode " << mode << " at " << x << "," << y;
            }
    }
}

TEST(WarpControlMap, TheRimAndBeyondMapToThemselves)
{
    for (int mode : {QVWarpControl::WARP_STRETCH, QVWarpControl::WARP_SHRINK_EXPAND}) {
        QVWarpControl w = Started(mode, 0, 0, 5);
        ASSERT_TRUE(w.Update(-3, 2));
        for (auto [x, y] : {std::pair{3.0, 4.0}, {-5.0, 0.0}, {0.0, -5.0}, {6.0, 1.0}}) {
            double sx, sy;
            w.Map(x, y, sx, sy);
            EXPECT_EQ(sx, x);
            EXPECT_EQ(sy, y);
        }
    }
}

TEST(WarpControlMap, StretchDragsTheCentreToTheCursor)
{
    QVWarpControl w = Started(QVWarpControl::WARP_STRETCH, 0, 0, 10);
    ASSERT_TRUE(w.Update(6, 0));
    double sx, sy;
    w.Map(6, 0, sx, sy); // at the cursor w = 1: sampled from the centre
    EXPECT_DOUBLE_EQ(sx, 0);
    EXPECT_DOUBLE_EQ(sy, 0);

    // (3, 0): a = 100 - 9 = 91, b = (3 - 6)^2 = 9, w = 0.91, source 3 - 0.8281 * 6.
    w.Map(3, 0, sx, sy);
    EXPECT_NEAR(sx, -1.9686, 1e-12);
    EXPECT_EQ(sy, 0);

    // A cursor on the rim drags the centre's content all the way to the rim.
    ASSERT_TRUE(w.Update(0, 10));
    w.Map(0, 9.999, sx, sy);
    EXPECT_NEAR(sx, 0, 1e-12);
    EXPECT_NEAR(sy, 0, 1e-2);
}

TEST(WarpControlMap, ShrinkExpandScalesAboutTheCentreByTheHorizontalOffset)
{
    double sx, sy;
    QVWarpControl w = Started(QVWarpControl::WARP_SHRINK_EXPAND, 0, 0, 10);

    // Cursor (5, 0): dirX 0.5. Pixel (4, 3): s = 0.5, k = 1 - 0.25 * 0.5 = 0.875.
    ASSERT_TRUE(w.Update(5, 0));
    w.Map(4, 3, sx, sy);
    EXPECT_DOUBLE_EQ(sx, 3.5);
    EXPECT_DOUBLE_EQ(sy, 2.625);

    // Right edge (dirX 1): near the centre everything samples the centre itself.
    ASSERT_TRUE(w.Update(10, 0));
    w.Map(0.001, -0.001, sx, sy);
    EXPECT_NEAR(sx, 0, 1e-5);
    EXPECT_NEAR(sy, 0, 1e-5);

    // Left edge (dirX -1): the centre region samples from twice its distance.
    ASSERT_TRUE(w.Update(-10, 0));
    w.Map(0.001, 0.002, sx, sy);
    EXPECT_NEAR(sx, 0.002, 1e-5);
    EXPECT_NEAR(sy, 0.004, 1e-5);

    // Straight above or below the centre changes nothing.
    ASSERT_TRUE(w.Update(0, 7));
    w.Map(2, -3, sx, sy);
    EXPECT_DOUBLE_EQ(sx, 2);
    EXPECT_DOUBLE_EQ(sy, -3);
}

TEST(WarpControl, ResetReturnsToTheInitialState)
{
    QVWarpControl w = Started(QVWarpControl::WARP_SHRINK_EXPAND, 4, 5, 6);
    ASSERT_TRUE(w.Update(7, 5));
    w.Reset();
    EXPECT_EQ(w.m_nMode, 0);
    for (double v : {w.m_dCenterX, w.m_dCenterY, w.m_dRadius, w.m_dDirX, w.m_dDirY, w.m_dRadius2,
                     w.m_dOffsetX, w.m_dOffsetY})
        EXPECT_EQ(v, 0);
}

} // namespace
