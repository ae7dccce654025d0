#include "QVRegionMask.h"

#include "QVCircle.h"
#include "QVClosedCurve.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void QVRegionMask::Clear()
{
    m_bSet = false;
    m_size = 0;
}

void QVRegionMask::CollectCrossings(const QVClosedCurve& curve)
{
    const std::vector<QVPointF>& polygon = curve.Polygon();
    const size_t n = polygon.size();
    m_rowStart.assign(size_t(m_size) + 1, 0);

    // An edge crosses the integer rows y with min <= y < max (lower end in,
    // upper end out), so a vertex on a row is counted once when the outline
    // passes through it and zero or two times at a turning point.
    auto rowsOf = [&](const QVPointF& a, const QVPointF& b, int& first, int& last) {
        const double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
        first = std::max(int(std::ceil(lo)) - m_bottom, 0);
        last = std::min(int(std::ceil(hi)) - 1 - m_bottom, m_size - 1);
    };
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        int first, last;
        rowsOf(polygon[j], polygon[i], first, last);
        for (int v = first; v <= last; ++v)
            ++m_rowStart[size_t(v) + 1];
    }
    for (size_t v = 0; v < size_t(m_size); ++v)
        m_rowStart[v + 1] += m_rowStart[v];

    m_crossings.resize(m_rowStart[size_t(m_size)]);
    std::vector<uint32_t> fill(m_rowStart.begin(), m_rowStart.end() - 1);
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const QVPointF& a = polygon[j];
        const QVPointF& b = polygon[i];
        int first, last;
        rowsOf(a, b, first, last);
        for (int v = first; v <= last; ++v) {
            const double y = m_bottom + v;
            m_crossings[fill[size_t(v)]++] = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
        }
    }
}

void QVRegionMask::Build(int centerX, int centerY, int radius, const QVClosedCurve& curve,
                         int combine)
{
    m_bSet = true;
    m_size = std::max(0, 2 * radius);
    m_left = centerX - radius;
    m_bottom = centerY - radius;
    m_mask.assign(size_t(m_size) * m_size, 0);

    const bool useCurve = combine == kIntersect || combine == kExclude;
    if (useCurve)
        CollectCrossings(curve);

    for (int v = 0; v < m_size; ++v) {
        const int64_t reach = CircleReach(int64_t(m_bottom + v) - centerY, radius);
        if (reach < 0)
            continue;
        // Circle span as mask columns [circleFrom, circleTo).
        const int circleFrom = int(int64_t(centerX) - reach - m_left);
        const int circleTo = int(int64_t(centerX) + reach + 1 - m_left);
        uint8_t* row = m_mask.data() + size_t(v) * m_size;

        if (!useCurve) {
            std::memset(row + circleFrom, 1, size_t(circleTo - circleFrom));
            continue;
        }
        // Even-odd spans of the curve: integer x with crossing[2k] <= x < crossing[2k+1].
        double* begin = m_crossings.data() + m_rowStart[size_t(v)];
        double* end = m_crossings.data() + m_rowStart[size_t(v) + 1];
        std::sort(begin, end);
        const uint8_t inCurve = combine == kIntersect ? 1 : 0;
        const uint8_t outsideCurve = uint8_t(1 - inCurve);
        std::memset(row + circleFrom, outsideCurve, size_t(circleTo - circleFrom));
        for (double* c = begin; c + 1 < end; c += 2) {
            const double from = std::max(std::ceil(c[0]) - m_left, double(circleFrom));
            const double to = std::min(std::ceil(c[1]) - m_left, double(circleTo));
            if (from < to)
                std::memset(row + int(from), inCurve, size_t(int(to) - int(from)));
        }
    }
}
