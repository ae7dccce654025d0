#include "QVPngEncoder.h"

#include <QByteArray>
#include <QColorSpace>
#include <QIODevice>
#include <QImage>
#include <QImageWriter>

#include <png.h>

#include <algorithm>

namespace {

// IDAT chunks of this size: few writes reach the file (each one is a checked
// system call), and a save's progress bar still moves in small steps.
constexpr size_t kCompressedChunk = 256 * 1024;

struct PngJob
{
    const QImage* picture; // Format_RGB888
    QIODevice* device;
    int zlibLevel;
    const QByteArray* profileName; // nullptr: no colour profile
    const QByteArray* profile;
};

void WriteToDevice(png_structp png, png_bytep data, size_t length)
{
    auto* device = static_cast<QIODevice*>(png_get_io_ptr(png));
    if (device->write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length))
        png_error(png, "write failed");
}

void FlushNothing(png_structp) {}

// libpng would report on stderr; a failed save is told by its result.
[[noreturn]] void Fail(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// libpng leaves on an error by longjmp to the setjmp below: nothing in this
// function owns anything to destroy, and nothing changed after the setjmp is
// read after the jump.
bool WriteRows(png_structp png, png_infop info, const PngJob& job)
{
    if (setjmp(png_jmpbuf(png)))
        return false;

    const QImage& picture = *job.picture;
    png_set_write_fn(png, job.device, WriteToDevice, FlushNothing);
    png_set_compression_level(png, job.zlibLevel);
    png_set_compression_buffer_size(png, kCompressedChunk);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);

    png_set_IHDR(png, info, png_uint_32(picture.width()), png_uint_32(picture.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    if (job.profileName) {
        png_set_iCCP(png, info, job.profileName->constData(), PNG_COMPRESSION_TYPE_BASE,
                     reinterpret_cast<png_const_bytep>(job.profile->constData()),
                     png_uint_32(job.profile->size()));
    }
    if (picture.dotsPerMeterX() > 0 || picture.dotsPerMeterY() > 0) {
        png_set_pHYs(png, info, png_uint_32(std::max(picture.dotsPerMeterX(), 0)),
                     png_uint_32(std::max(picture.dotsPerMeterY(), 0)), PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);

    const int height = picture.height();
    for (int y = 0; y < height; ++y)
        png_write_row(png, picture.constScanLine(y));
    png_write_end(png, info);
    return true;
}

} // namespace

bool WritePng(const QImage& picture, QIODevice* device, int zlibLevel)
{
    if (picture.isNull() || !device)
        return false;
    zlibLevel = std::clamp(zlibLevel, 0, 9);
    if (picture.format() != QImage::Format_RGB888) {
        // Palettes, grey and alpha: rare here (the documents are 24-bit), and
        // Qt's writer knows each of them.
        QImageWriter writer(device, "png");
        writer.setCompression(QtPngCompressionForLevel(zlibLevel));
        return writer.write(picture);
    }

    // The profile as Qt's writer would name and store it.
    QByteArray profileName;
    QByteArray profile;
    const QColorSpace colorSpace = picture.colorSpace();
    if (colorSpace.isValid()) {
        profile = colorSpace.iccProfile();
        profileName = colorSpace.description().toLatin1().left(79);
        if (profileName.isEmpty())
            profileName = QByteArrayLiteral("Custom");
    }

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, IgnoreWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    // A profile libpng finds fault with is left out, as Qt's writer does.
    png_set_benign_errors(png, 1);
    const PngJob job{&picture, device, zlibLevel, profile.isEmpty() ? nullptr : &profileName,
                     &profile};
    const bool written = WriteRows(png, info, job);
    png_destroy_write_struct(&png, &info);
    return written;
}
