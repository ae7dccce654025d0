#include "TestPhoto.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// A photo-like picture: smooth shading that differs per channel, a soft bright
// ellipse where a face would be, a band of fine diagonal stripes (hair-like
// detail), a mid-frequency texture (value noise on a 5-pixel grid, like skin or
// fabric) and per-pixel sensor noise, all from a fixed-seed generator, so that
// codecs, the caches and the branch predictor see something close to a real
// portrait.
bool MakePhoto(QVDIB& picture, int width, int height)
{
    if (!picture.Create(width, height, 24))
        return false;

    std::vector<double> columnShade(size_t(width) * 3);
    std::vector<double> rowShade(size_t(height) * 3);
    for (int x = 0; x < width; ++x)
        for (int k = 0; k < 3; ++k)
            columnShade[size_t(x) * 3 + k] =
                80 + 45 * std::sin(x * 0.0009 * (k + 1) + k) + 12 * std::sin(x * 0.0071 + 2 * k);
    for (int y = 0; y < height; ++y)
        for (int k = 0; k < 3; ++k)
            rowShade[size_t(y) * 3 + k] =
                40 * std::cos(y * 0.0013 * (k + 2) - k) + 9 * std::sin(y * 0.011 + k);

    uint32_t seed = 0x2545F491u;
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed;
    };
    constexpr int kCell = 5;
    const int gridW = width / kCell + 2, gridH = height / kCell + 2;
    std::vector<float> grid(size_t(gridW) * gridH);
    for (float& g : grid)
        g = float(int(next() % 41) - 20);

    const double faceX = width * 0.5, faceY = height * 0.55;
    const double faceW = width * 0.18, faceH = height * 0.33;
    const int hairFrom = int(height * 0.72);
    const size_t stride = size_t(picture.GetStride());
    for (int y = 0; y < height; ++y) {
        uint8_t* pixel = picture.GetBits() + size_t(y) * stride;
        const double dy = (y - faceY) / faceH;
        const float* gridRow = grid.data() + size_t(y / kCell) * gridW;
        const float gy = float(y % kCell) / kCell;
        for (int x = 0; x < width; ++x, pixel += 3) {
            const double dx = (x - faceX) / faceW;
            const double d2 = dx * dx + dy * dy;
            const double face = d2 < 1 ? 70 * (1 - d2) * (1 - d2) : 0;
            const double hair = y >= hairFrom ? 22 * std::sin(x * 0.35 + y * 0.08) : 0;
            const float* g = gridRow + x / kCell;
            const float gx = float(x % kCell) / kCell;
            const double texture = (g[0] * (1 - gx) + g[1] * gx) * (1 - gy) +
                                   (g[gridW] * (1 - gx) + g[gridW + 1] * gx) * gy;
            for (int k = 0; k < 3; ++k) {
                const uint32_t r = next();
                const int noise = int(r & 7) + int((r >> 3) & 7) - 7;
                const double value = columnShade[size_t(x) * 3 + k] + rowShade[size_t(y) * 3 + k] +
                                     face * (k == 2 ? 1.0 : 0.75) + hair + texture + noise;
                pixel[k] = uint8_t(std::clamp(int(value), 0, 255));
            }
        }
    }
    return true;
}
