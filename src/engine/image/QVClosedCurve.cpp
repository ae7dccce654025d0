#include "QVClosedCurve.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxStepsPerSpan = 1024;

QVPointF Bezier(const QVPointF& p0, const QVPointF& c1, const QVPointF& c2, const QVPointF& p3,
                double t)
{
    const double u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return {a * p0.x + b * c1.x + c * c2.x + d * p3.x, a * p0.y + b * c1.y + c * c2.y + d * p3.y};
}

// Segments enough to keep the chord within kFlatness of a cubic: the distance is
// at most |B''| / (8 n^2), and |B''| <= 6 * the larger second difference.
int FlatteningSteps(const QVPointF& p0, const QVPointF& c1, const QVPointF& c2, const QVPointF& p3)
{
    const double d1 = std::hypot(p0.x - 2 * c1.x + c2.x, p0.y - 2 * c1.y + c2.y);
    const double d2 = std::hypot(c1.x - 2 * c2.x + p3.x, c1.y - 2 * c2.y + p3.y);
    const double steps = std::ceil(std::sqrt(6 * std::max(d1, d2) / (8 * QVClosedCurve::kFlatness)));
    return std::clamp(int(steps), 1, kMaxStepsPerSpan);
}

} // namespace

QVClosedCurve::QVClosedCurve(const QVPoint* points, int count, double tension)
{
    if (!points || count < 3)
        return;
    const double k = tension / 3;
    auto at = [&](int i) {
        const QVPoint& p = points[(i % count + count) % count];
        return QVPointF{double(p.x), double(p.y)};
    };

    m_beziers.reserve(size_t(3 * count + 1));
    m_beziers.push_back(at(0));
    for (int i = 0; i < count; ++i) {
        const QVPointF prev = at(i - 1), p0 = at(i), p3 = at(i + 1), next = at(i + 2);
        const QVPointF c1{p0.x + k * (p3.x - prev.x), p0.y + k * (p3.y - prev.y)};
        const QVPointF c2{p3.x - k * (next.x - p0.x), p3.y - k * (next.y - p0.y)};
        m_beziers.push_back(c1);
        m_beziers.push_back(c2);
        m_beziers.push_back(p3);

        const int steps = FlatteningSteps(p0, c1, c2, p3);
        m_polygon.push_back(p0);
        for (int s = 1; s < steps; ++s)
            m_polygon.push_back(Bezier(p0, c1, c2, p3, double(s) / steps));
    }
}

bool QVClosedCurve::Contains(double x, double y) const
{
    bool inside = false;
    const size_t n = m_polygon.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const QVPointF& a = m_polygon[j];
        const QVPointF& b = m_polygon[i];
        // Half-open in y (lower end in, upper end out) so a vertex on the scan
        // line counts once; a crossing at or right of x toggles.
        if ((a.y <= y) != (b.y <= y)) {
            const double cx = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
            if (x < cx)
                inside = !inside;
        }
    }
    return inside;
}
