#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// One colour of a reduced palette.
struct QVPaletteEntry
{
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// Reduces a picture of red, green, blue bytes (rows top-down, `stride` bytes
// apart) to at most 256 colours for GIF, with no dithering: Wu's quantiser
// cuts the colour cube into the boxes that leave the least squared error, a
// few k-means passes then move each colour to the mean of the pixels nearest
// to it, and every pixel takes its nearest palette colour. Pictures of at
// most 256 colours keep them exactly. Fills one index a pixel (rows top-down,
// `width` apart) and the palette; `colours` tells how many entries are used.
// False only when memory runs out.
[[nodiscard]] bool QVQuantizeColours(const uint8_t* rgb, int width, int height, size_t stride,
                                     std::vector<uint8_t>& indices,
                                     std::array<QVPaletteEntry, 256>& palette, int& colours);

// The most memory QVQuantizeColours takes for a picture of `pixels` pixels,
// beside the picture and the indices it fills: its tables, and the cells of
// colour it finds (at most one a pixel, at most two million).
int64_t QVQuantizerWorkingBytes(int64_t pixels);
