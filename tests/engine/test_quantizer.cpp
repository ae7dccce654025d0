// Reducing photos to 256 colours for GIF: close to the original on the demo
// portrait, exact for pictures that have no more colours than the palette.

#include "engine/image/QVColorQuantizer.h"
#include "engine/image/QVDIB.h"
#include "ProcessMemory.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

// Peak signal-to-noise ratio of b against a over every byte of every pixel, in dB.
double Psnr(const QVDIB& a, const QVDIB& b)
{
    double squares = 0;
    const int bytes = a.GetWidth() * 3;
    for (int y = 0; y < a.GetHeight(); ++y) {
        const uint8_t* p = a.GetBits() + size_t(y) * a.GetStride();
        const uint8_t* q = b.GetBits() + size_t(y) * b.GetStride();
        for (int i = 0; i < bytes; ++i) {
            const double d = double(p[i]) - double(q[i]);
            squares += d * d;
        }
    }
    const double mse = squares / (double(bytes) * a.GetHeight());
    return mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
}

// The demo portrait saved as GIF and opened again, as a user would.
TEST(ColourQuantizer, DemoPortraitGifStaysClose)
{
    QVDIB portrait;
    ASSERT_TRUE(portrait.LoadFromFile(QStringLiteral(MORVANE_SAMPLE)));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("portrait.gif"));
    ASSERT_TRUE(QVDIB::SaveToFile(&portrait, path));
    QVDIB reloaded;
    ASSERT_TRUE(reloaded.LoadFromFile(path));
    ASSERT_TRUE(reloaded.SameGeometry(portrait));
    const double psnr = Psnr(portrait, reloaded);
    std::printf("[ GIF PSNR ] demo portrait: %.2f dB\n", psnr);
    EXPECT_GE(psnr, 32.0);
}

// Top-down red, green, blue rows of a picture whose pixel i has colour
// colours[order(i)], every colour used.
std::vector<uint8_t> RgbPicture(int width, int height, const std::vector<uint32_t>& colours)
{
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (int i = 0; i < width * height; ++i) {
        const uint32_t c = colours[size_t((i * 7919) % int(colours.size()))];
        rgb[size_t(i) * 3] = uint8_t(c >> 16);
        rgb[size_t(i) * 3 + 1] = uint8_t(c >> 8);
        rgb[size_t(i) * 3 + 2] = uint8_t(c);
    }
    return rgb;
}

// Colours one level apart, where any rounding or merging would show.
std::vector<uint32_t> NeighbouringColours(int count)
{
    std::vector<uint32_t> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back(uint32_t(i % 256) << 16 | uint32_t(100 + i / 256) << 8 | 77u);
    return colours;
}

TEST(ColourQuantizer, AtMost256ColoursStayExact)
{
    for (const int count : {1, 2, 17, 255, 256}) {
        SCOPED_TRACE(testing::Message() << count << " colours");
        const std::vector<uint8_t> rgb = RgbPicture(64, 48, NeighbouringColours(count));
        std::vector<uint8_t> indices;
        std::array<QVPaletteEntry, 256> palette{};
        int colours = 0;
        ASSERT_TRUE(QVQuantizeColours(rgb.data(), 64, 48, 64 * 3, indices, palette, colours));
        EXPECT_EQ(colours, count);
        ASSERT_EQ(indices.size(), size_t(64 * 48));
        for (size_t i = 0; i < indices.size(); ++i) {
            ASSERT_LT(indices[i], colours);
            const QVPaletteEntry& e = palette[indices[i]];
            ASSERT_EQ(e.red, rgb[3 * i]) << "pixel " << i;
            ASSERT_EQ(e.green, rgb[3 * i + 1]) << "pixel " << i;
            ASSERT_EQ(e.blue, rgb[3 * i + 2]) << "pixel " << i;
        }
    }
}

// A black-and-white photo scanned in colour: every grey level, each channel
// a level off at random. Thousands of colours on the grey axis; the palette
// spends its entries on tones, so no band of grey shows.
TEST(ColourQuantizer, GreyPhotoKeepsItsTones)
{
    constexpr int kWidth = 512, kHeight = 64;
    std::vector<uint8_t> rgb(size_t(kWidth) * kHeight * 3);
    uint32_t state = 3;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                state = state * 1664525u + 1013904223u;
                const int grey = x / 2;
                rgb[(size_t(y) * kWidth + x) * 3 + c] =
                    uint8_t(std::clamp(grey + int(state >> 30) - 1, 0, 255));
            }
    std::vector<uint8_t> indices;
    std::array<QVPaletteEntry, 256> palette{};
    int colours = 0;
    ASSERT_TRUE(QVQuantizeColours(rgb.data(), kWidth, kHeight, kWidth * 3, indices, palette, colours));
    const std::set<int> used(indices.begin(), indices.end());
    EXPECT_GE(used.size(), 200u);
    int worst = 0;
    for (size_t i = 0; i < indices.size(); ++i) {
        const QVPaletteEntry& e = palette[indices[i]];
        worst = std::max({worst, std::abs(int(e.red) - rgb[3 * i]),
                          std::abs(int(e.green) - rgb[3 * i + 1]), std::abs(int(e.blue) - rgb[3 * i + 2])});
    }
    EXPECT_LE(worst, 3) << "levels";
}

// What the colour reduction says it may take, which an export counts before it
// starts, covers what it takes: random colours fill every cell it can have
// (two million), the most a photo could ask.
TEST(ColourQuantizer, TakesNoMoreMemoryThanItSays)
{
    constexpr int kWidth = 2000, kHeight = 1500;
    std::vector<uint8_t> rgb(size_t(kWidth) * kHeight * 3);
    uint32_t state = 11;
    for (uint8_t& byte : rgb) {
        state = state * 1664525u + 1013904223u;
        byte = uint8_t(state >> 24);
    }
    std::vector<uint8_t> indices(rgb.size() / 3); // the caller's, counted apart
    std::array<QVPaletteEntry, 256> palette{};
    int colours = 0;
    RestartPeakRss();
    const long before = PeakRssKb();
    ASSERT_TRUE(QVQuantizeColours(rgb.data(), kWidth, kHeight, kWidth * 3, indices, palette, colours));
    const int64_t grown = int64_t(PeakRssKb() - before) * 1024;
    const int64_t said = QVQuantizerWorkingBytes(int64_t(kWidth) * kHeight);
    EXPECT_GT(grown, said / 4) << "the picture should have filled the cells";
    EXPECT_LE(grown, said);
    std::printf("[ MEMORY   ] colour reduction of 3 MP of random colours: %.1f MB, said %.1f MB\n",
                double(grown) / 1048576.0, double(said) / 1048576.0);
}

} // namespace
