#include "QVGifEncoder.h"

#include <QIODevice>
#include <QImage>

#include <gif_lib.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int kPaletteSize = 256;
constexpr int kMaxGifSide = 65535;

int WriteToDevice(GifFileType* gif, const GifByteType* data, int length)
{
    auto* device = static_cast<QIODevice*>(gif->UserData);
    return int(device->write(reinterpret_cast<const char*>(data), length));
}

struct GifCloser
{
    void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};

// Exact palette when the picture has at most 256 colours. A tiny open-addressing
// table keyed by the 24-bit colour; photos give up after a few hundred pixels.
bool ExactPalette(const QImage& rgb, std::vector<GifByteType>& indices,
                  std::array<GifColorType, kPaletteSize>& palette)
{
    constexpr uint32_t kSlots = 1024; // power of two, four times the palette
    constexpr uint32_t kEmpty = 0xFFFFFFFF;
    std::array<uint32_t, kSlots> keys;
    std::array<uint8_t, kSlots> values{};
    keys.fill(kEmpty);
    int used = 0;

    const int width = rgb.width();
    for (int y = 0; y < rgb.height(); ++y) {
        const uint8_t* px = rgb.constScanLine(y);
        GifByteType* out = indices.data() + size_t(y) * width;
        for (int x = 0; x < width; ++x, px += 3) {
            const uint32_t key = uint32_t(px[0]) << 16 | uint32_t(px[1]) << 8 | px[2];
            uint32_t slot = (key * 2654435761u) >> 22; // top 10 bits
            while (keys[slot] != kEmpty && keys[slot] != key)
                slot = (slot + 1) & (kSlots - 1);
            if (keys[slot] == kEmpty) {
                if (used == kPaletteSize)
                    return false;
                keys[slot] = key;
                values[slot] = uint8_t(used);
                palette[used] = GifColorType{px[0], px[1], px[2]};
                ++used;
            }
            out[x] = values[slot];
        }
    }
    return true;
}

// giflib's median cut on a 5-bit-per-channel histogram, then each palette entry
// moved to the exact mean of the pixels it stands for (giflib's own entries
// lose the low three bits, which would turn white into 248).
bool QuantizedPalette(const QImage& rgb, std::vector<GifByteType>& indices,
                      std::array<GifColorType, kPaletteSize>& palette)
{
    const size_t count = size_t(rgb.width()) * rgb.height();
    std::vector<GifByteType> red(count), green(count), blue(count);
    for (int y = 0; y < rgb.height(); ++y) {
        const uint8_t* px = rgb.constScanLine(y);
        const size_t base = size_t(y) * rgb.width();
        for (int x = 0; x < rgb.width(); ++x, px += 3) {
            red[base + x] = px[0];
            green[base + x] = px[1];
            blue[base + x] = px[2];
        }
    }
    int paletteSize = kPaletteSize;
    if (GifQuantizeBuffer(unsigned(rgb.width()), unsigned(rgb.height()), &paletteSize, red.data(),
                          green.data(), blue.data(), indices.data(),
                          palette.data()) != GIF_OK)
        return false;

    std::array<std::array<uint64_t, 4>, kPaletteSize> sums{};
    for (size_t i = 0; i < count; ++i) {
        auto& s = sums[indices[i]];
        s[0] += red[i];
        s[1] += green[i];
        s[2] += blue[i];
        ++s[3];
    }
    for (int i = 0; i < kPaletteSize; ++i) {
        const auto& s = sums[i];
        if (s[3] == 0)
            continue;
        palette[i] = GifColorType{GifByteType((s[0] + s[3] / 2) / s[3]),
                                  GifByteType((s[1] + s[3] / 2) / s[3]),
                                  GifByteType((s[2] + s[3] / 2) / s[3])};
    }
    return true;
}

} // namespace

bool WriteGif(const QImage& picture, QIODevice* device)
{
    if (picture.isNull() || !device || picture.width() > kMaxGifSide ||
        picture.height() > kMaxGifSide)
        return false;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const int width = rgb.width();
    const int height = rgb.height();

    std::vector<GifByteType> indices(size_t(width) * height);
    std::array<GifColorType, kPaletteSize> palette{};
    if (!ExactPalette(rgb, indices, palette) && !QuantizedPalette(rgb, indices, palette))
        return false;

    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(device, WriteToDevice, &error));
    if (!gif)
        return false;
    ColorMapObject* colourMap = GifMakeMapObject(kPaletteSize, palette.data());
    if (!colourMap)
        return false;
    const bool described =
        EGifPutScreenDesc(gif.get(), width, height, 8, 0, colourMap) == GIF_OK &&
        EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) == GIF_OK;
    GifFreeMapObject(colourMap);
    if (!described)
        return false;
    for (int y = 0; y < height; ++y) {
        if (EGifPutLine(gif.get(), indices.data() + size_t(y) * width, width) != GIF_OK)
            return false;
    }
    // Closing writes the trailer; its result decides whether the file is whole.
    return EGifCloseFile(gif.release(), &error) == GIF_OK;
}
