#pragma once

class QImage;
class QIODevice;

// One picture encoder of the registry that QVDIB::GetEncoderClsid searches.
// formatDescription is what callers match on: "BMP", "JPEG", "GIF", "TIFF", "PNG".
struct QVImageEncoder
{
    const char* formatDescription;
    // Writes a top-down picture to an open device with the format's default settings.
    bool (*write)(const QVImageEncoder& encoder, const QImage& picture, QIODevice* device);
    // Format name of Qt's image writer; nullptr for encoders of our own.
    const char* qtFormat;

    // False when the Qt plugin behind the encoder is not installed.
    bool IsInstalled() const;
};
