#include "QVWarpControl.h"

void QVWarpControl::Reset()
{
    Begin(WARP_STRETCH, 0, 0, 0);
}

void QVWarpControl::Begin(int mode, double centerX, double centerY, double radius)
{
    m_nMode = mode;
    m_dCenterX = centerX;
    m_dCenterY = centerY;
    m_dRadius = radius;
    m_dRadius2 = radius * radius;
    m_dDirX = 0;
    m_dDirY = 0;
    m_dOffsetX = 0;
    m_dOffsetY = 0;
}

bool QVWarpControl::Update(double x, double y)
{
    const double dx = x - m_dCenterX;
    const double dy = y - m_dCenterY;
    const double d = std::hypot(dx, dy);
    if (d > m_dRadius)
        return false;
    if (m_dRadius != 0) {
        m_dDirX = dx / m_dRadius;
        m_dDirY = dy / m_dRadius;
    } else {
        m_dDirX = 0;
        m_dDirY = 0;
    }
    m_dRadius2 = m_dRadius * m_dRadius;
    m_dOffsetX = m_dDirX * m_dRadius;
    m_dOffsetY = m_dDirY * m_dRadius;
    return true;
}
