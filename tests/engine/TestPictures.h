#pragma once

#include "engine/image/QVDIB.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>

// Small helpers for building and inspecting fixture pictures in image
// coordinates (x from the left, storage row y from the bottom).

inline uint8_t* PixelAt(QVDIB& p, int x, int y)
{
    return p.GetBits() + size_t(y) * p.GetStride() + size_t(x) * (p.GetBitCount() / 8);
}

inline const uint8_t* PixelAt(const QVDIB& p, int x, int y)
{
    return p.GetBits() + size_t(y) * p.GetStride() + size_t(x) * (p.GetBitCount() / 8);
}

// A 24-bit picture whose byte k of pixel (x, y) is value(x, y, k).
inline void MakePicture(QVDIB& p, int width, int height,
                        const std::function<uint8_t(int, int, int)>& value)
{
    ASSERT_TRUE(p.Create(width, height, 24));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < 3; ++k)
                PixelAt(p, x, y)[k] = value(x, y, k);
}

// A busy pattern: neighbouring pixels and channels differ, so any shift,
// flip or channel mix-up shows.
inline uint8_t Busy(int x, int y, int k)
{
    return uint8_t((x * 37 + y * 91 + k * 53 + (x * y) % 17) & 0xFF);
}

inline void Fill(QVDIB& p, uint8_t value)
{
    std::memset(p.GetBits(), value, p.GetHeader()->biSizeImage);
}

inline bool SamePixels(const QVDIB& a, const QVDIB& b)
{
    return a.SameGeometry(b) &&
           std::memcmp(a.GetBits(), b.GetBits(), a.GetHeader()->biSizeImage) == 0;
}
