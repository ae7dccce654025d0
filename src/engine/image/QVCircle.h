#pragma once

#include <cmath>
#include <cstdint>

// Half-width of the pixels strictly inside a circle of radius r on the pixel row
// dy rows from its centre: the largest k with k^2 + dy^2 < r^2, or -1 when no
// pixel of that row is inside. Integer arithmetic, so it agrees exactly with a
// test of (x - cx)^2 + (y - cy)^2 < r^2 on whole pixels.
inline int64_t CircleReach(int64_t dy, int64_t radius)
{
    const int64_t rest = radius * radius - dy * dy;
    if (rest <= 0)
        return -1;
    int64_t k = int64_t(std::sqrt(double(rest)));
    while (k > 0 && k * k >= rest)
        --k;
    while ((k + 1) * (k + 1) < rest)
        ++k;
    return k;
}
