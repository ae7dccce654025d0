#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class QVClosedCurve;

// The area a region stroke may change: the control circle combined with the
// user's closed curve, rasterised once per stroke into a byte mask over the
// circle's square so that each pixel test is a single lookup.
//
// Boundary rule: a pixel (x, y) belongs to the circle when its integer point lies
// strictly inside it, (x - cx)^2 + (y - cy)^2 < r^2 (the pixels the warp moves),
// and to the curve when its integer point lies inside the curve's even-odd fill,
// where a point on a left or lower edge is inside and on a right or upper edge
// outside. Pixels outside the square are outside the region.
class QVRegionMask
{
public:
    enum Combine { kWholeCircle = 0, kIntersect = 1, kExclude = 2 };

    // combine 1 keeps the part of the circle inside the curve, 2 the part
    // outside it, anything else the whole circle. Reuses its memory.
    void Build(int centerX, int centerY, int radius, const QVClosedCurve& curve, int combine);
    void Clear();
    bool IsSet() const { return m_bSet; }

    bool PtInRegion(int x, int y) const
    {
        const unsigned u = unsigned(x - m_left);
        const unsigned v = unsigned(y - m_bottom);
        return u < unsigned(m_size) && v < unsigned(m_size) && m_mask[size_t(v) * m_size + u];
    }

private:
    void CollectCrossings(const QVClosedCurve& curve);

    bool m_bSet = false;
    int m_left = 0;
    int m_bottom = 0;
    int m_size = 0;
    std::vector<uint8_t> m_mask;
    // Curve crossings per mask row: row v's are m_crossings[m_rowStart[v] .. m_rowStart[v + 1]).
    std::vector<uint32_t> m_rowStart;
    std::vector<double> m_crossings;
};
