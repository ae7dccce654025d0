#pragma once

class QImage;
class QIODevice;

// Qt's PNG writer takes a compression ratio from 0 to 100 and hands zlib the
// level ratio * 9 / 91; this is the smallest ratio that gives zlib level
// `level` (0 to 9).
constexpr int QtPngCompressionForLevel(int level)
{
    return (level * 91 + 8) / 9;
}

// The zlib level of PNG files, chosen by measurement (morvane_codec_bench,
// PngLevel; the table is in README, Benchmarks): on a 24-megapixel photo
// level 1 writes in under half the time of zlib's default 6 for a file about
// 14 % larger; levels 2 and 3 take longer for under 1 % less.
inline constexpr int kPngZlibLevel = 1;

// One picture encoder of the registry that QVDIB::GetEncoderClsid searches.
// formatDescription is what callers match on: "BMP", "JPEG", "GIF", "TIFF", "PNG".
struct QVImageEncoder
{
    const char* formatDescription;
    // Writes a top-down picture to an open device with the format's default
    // settings, or with `compression` where that is set.
    bool (*write)(const QVImageEncoder& encoder, const QImage& picture, QIODevice* device);
    // Format name of Qt's image writer; nullptr for encoders of our own.
    const char* qtFormat;
    // Compression handed to Qt's image writer; -1 leaves the writer's default.
    int compression = -1;

    // False when the Qt plugin behind the encoder is not installed.
    bool IsInstalled() const;
};
