#include "QVGifEncoder.h"
#include "QVColorQuantizer.h"

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

} // namespace

bool WriteGif(const QImage& picture, QIODevice* device)
{
    if (picture.isNull() || !device || picture.width() > kMaxGifSide ||
        picture.height() > kMaxGifSide)
        return false;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const int width = rgb.width();
    const int height = rgb.height();

    std::vector<uint8_t> indices;
    std::array<QVPaletteEntry, kPaletteSize> chosen{};
    int colours = 0;
    if (!QVQuantizeColours(rgb.constBits(), width, height, size_t(rgb.bytesPerLine()), indices,
                           chosen, colours))
        return false;
    // Entries past the used ones stay black: the colour table always has 256.
    std::array<GifColorType, kPaletteSize> palette{};
    for (int i = 0; i < colours; ++i)
        palette[size_t(i)] = GifColorType{chosen[size_t(i)].red, chosen[size_t(i)].green,
                                          chosen[size_t(i)].blue};

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
