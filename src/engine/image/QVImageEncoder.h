#pragma once

class QImage;
class QIODevice;

// The zlib level of PNG files, chosen by measurement (morvane_codec_bench,
// PngLevel; the table is in README, Benchmarks): on a 24-megapixel photo
// level 1 writes in a third of the time of zlib's default 6 for a file about
// 13 % larger; levels 2 and 3 take longer for under 1 % less.
inline constexpr int kPngZlibLevel = 1;

// One picture encoder of the registry that QVDIB::GetEncoderClsid searches.
// formatDescription is what callers match on: "BMP", "JPEG", "GIF", "TIFF", "PNG".
struct QVImageEncoder
{
    const char* formatDescription;
    // Writes a top-down picture to an open device.
    bool (*write)(const QVImageEncoder& encoder, const QImage& picture, QIODevice* device);
    // Format name of Qt's image writer; nullptr for encoders of our own.
    const char* qtFormat;
    // True when bytes come out as the rows are read, so that the file's size
    // can be told from a sample of rows; false for GIF, whose colour reduction
    // reads the whole picture before it writes anything.
    bool writesAsItReads;

    // False when the Qt plugin behind the encoder is not installed.
    bool IsInstalled() const;
};
