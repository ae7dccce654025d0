#pragma once

#include <cmath>

// The control record of one deformation stroke: the control circle, the mode
// and the cursor state. Map is an inverse warp: for a destination pixel it gives
// the point of the unchanged source to sample, so every pixel gets one value and
// no holes appear. The displacement is largest at the centre and vanishes at the
// rim; pixels on or outside the circle map to themselves.
class QVWarpControl
{
public:
    enum Mode { WARP_STRETCH = 0, WARP_SHRINK_EXPAND = 1 };

    QVWarpControl() = default;
    virtual ~QVWarpControl() = default;

    // Back to the initial state: mode 0, every value 0.
    void Reset();
    // Sets up a stroke centred on (x, y); the cursor starts on the centre.
    void Begin(int mode, double centerX, double centerY, double radius);

    // Takes a new cursor position; false, changing nothing, when it lies outside
    // the circle (a cursor exactly on the rim is accepted).
    bool Update(double x, double y);

    // Source point for destination (x, y), from the state of the last accepted Update.
    inline void Map(double x, double y, double& sx, double& sy) const;

    int m_nMode = WARP_STRETCH;
    double m_dCenterX = 0;
    double m_dCenterY = 0;
    double m_dRadius = 0;
    double m_dDirX = 0;
    double m_dDirY = 0;
    double m_dRadius2 = 0;
    double m_dOffsetX = 0;
    double m_dOffsetY = 0;
};

// Inline because the stroke calls it for every pixel of the circle's square.
// The expressions keep the formulas' order of operations: their bytes depend on it.
inline void QVWarpControl::Map(double x, double y, double& sx, double& sy) const
{
    const double dx = x - m_dCenterX;
    const double dy = y - m_dCenterY;
    const double q = dx * dx + dy * dy;
    if (!(q < m_dRadius2)) {
        sx = x;
        sy = y;
        return;
    }
    if (m_nMode == WARP_STRETCH) {
        // Drag the picture from the centre towards the cursor: at the cursor w = 1
        // and the centre's content shows there; w falls to 0 at the rim.
        const double a = m_dRadius2 - q;
        const double ex = dx - m_dOffsetX;
        const double ey = dy - m_dOffsetY;
        const double b = ex * ex + ey * ey;
        const double w = a / (a + b);
        sx = x - w * w * m_dOffsetX;
        sy = y - w * w * m_dOffsetY;
    } else {
        // Radial scaling about the centre; only the horizontal offset counts: a
        // cursor right of the centre enlarges the content, left of it shrinks it.
        const double s = std::sqrt(q / m_dRadius2);
        const double k = 1 - (s - 1) * (s - 1) * m_dDirX;
        sx = m_dCenterX + k * dx;
        sy = m_dCenterY + k * dy;
    }
}
