#pragma once

class QImage;
class QIODevice;

// Writes a picture as a single-frame GIF through giflib. Pictures with at most
// 256 colours keep them exactly; others are reduced to 256 (QVQuantizeColours,
// no dithering). Refuses pictures larger than the format's 65535 x 65535.
[[nodiscard]] bool WriteGif(const QImage& picture, QIODevice* device);
