#pragma once

#include "QVRect.h"

#include <vector>

// A closed cardinal spline through integer points, the outline of the user's
// region. Each span between neighbouring points is a cubic Bezier whose inner
// control points leave the span's ends along the chord of their neighbours:
//   C1 = P[i] + t/3 * (P[i+1] - P[i-1]),   C2 = P[i+1] - t/3 * (P[i+2] - P[i]),
// so tension 0.5 is the Catmull-Rom spline. Fewer than three points make no curve.
// The view draws the Bezier form; regions fill the flattened polygon.
class QVClosedCurve
{
public:
    static constexpr double kDefaultTension = 0.5;
    // Largest distance between the flattened polygon and the true curve, in pixels.
    static constexpr double kFlatness = 0.1;

    QVClosedCurve() = default;
    QVClosedCurve(const QVPoint* points, int count, double tension = kDefaultTension);

    bool IsEmpty() const { return m_polygon.empty(); }
    // 3n + 1 points for n spans: the start point, then per span its two inner
    // control points and its end point; the last end point is the start again.
    const std::vector<QVPointF>& Beziers() const { return m_beziers; }
    // The flattened outline, closed implicitly (the last point joins the first).
    const std::vector<QVPointF>& Polygon() const { return m_polygon; }
    // Even-odd test of a point against the outline, with the region's boundary
    // rule (see QVRegionMask).
    bool Contains(double x, double y) const;

private:
    std::vector<QVPointF> m_beziers;
    std::vector<QVPointF> m_polygon;
};
