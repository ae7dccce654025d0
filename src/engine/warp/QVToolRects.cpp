// The squares the tools of QVTool write, for callers that copy only what
// changed: the brushes and the warp write exactly these.

#include "QVTool.h"

#include <algorithm>
#include <cstdint>

QVRect QVTool::BrushRect(const QVDIB* picture, int radius, int x, int y)
{
    // Columns max(0, x - r) .. min(x + r, width) and the same for rows, half-open.
    if (!picture || radius <= 0 || !picture->IsInside(x, y))
        return QVRect{};
    return QVRect{int(std::max<int64_t>(0, int64_t(x) - radius)),
                  int(std::max<int64_t>(0, int64_t(y) - radius)),
                  int(std::min<int64_t>(int64_t(x) + radius, picture->GetWidth())),
                  int(std::min<int64_t>(int64_t(y) + radius, picture->GetHeight()))};
}

QVRect QVTool::PasteRect(const QVDIB* target, int x, int y) const
{
    // The paste radius is the capture's, whatever the brush is now.
    if (!m_bCopyReady || m_nState != TOOL_COPY_HELD)
        return QVRect{};
    return BrushRect(target, m_dibCopy.GetWidth() / 2, x, y);
}

QVRect QVTool::WarpRect() const
{
    if (!m_bWarpReady || !m_pSource || !m_pTarget || m_nState != TOOL_WARPING)
        return QVRect{};
    // The centre and radius are doubles: the bounds truncate toward zero and
    // are clamped into the picture. Warp renders exactly this square.
    const auto bound = [](double value, int limit) {
        return std::clamp(int(std::clamp(value, -1.0, double(limit))), 0, limit);
    };
    const int width = m_pSource->GetWidth();
    const int height = m_pSource->GetHeight();
    const double cx = m_warp.m_dCenterX, cy = m_warp.m_dCenterY, r = m_warp.m_dRadius;
    return QVRect{bound(cx - r, width), bound(cy - r, height), bound(cx + r, width),
                  bound(cy + r, height)};
}
