// Picture files and resources: decoding through Qt's image readers, encoding
// through a small registry of encoders (Qt's image writers, libpng for PNG,
// giflib for GIF).

#include "QVDIB.h"
#include "QVColorProfile.h"
#include "QVFileCheck.h"
#include "QVGifEncoder.h"
#include "QVImageEncoder.h"
#include "QVPngEncoder.h"
#include "QVSafeFile.h"
#include "engine/parallel/QVThreadPool.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QString>

#include <algorithm>
#include <cstring>

namespace {

// Qt refuses to allocate decoded pictures above 128 MB by default, which turns
// away a 45-megapixel camera photo. The largest picture we accept decodes to at
// most 2 GB even at 16 bits per channel.
constexpr int kDecodeAllocationLimitMB = 2048;

// One row of blue, green, red pixels as red, green, blue.
void BgrToRgb(const uint8_t* __restrict src, uint8_t* __restrict dst, int width)
{
    for (int x = 0; x < width; ++x) {
        dst[3 * x] = src[3 * x + 2];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x];
    }
}

bool WithinPixelLimit(const QSize& size)
{
    return size.width() > 0 && size.height() > 0 &&
           int64_t(size.width()) * size.height() <= QVDIB::kMaxDecodedPixels;
}

bool WriteWithQt(const QVImageEncoder& encoder, const QImage& picture, QIODevice* device)
{
    QImageWriter writer(device, encoder.qtFormat);
    return writer.write(picture);
}

bool WriteGifEncoder(const QVImageEncoder&, const QImage& picture, QIODevice* device)
{
    return WriteGif(picture, device);
}

bool WritePngEncoder(const QVImageEncoder&, const QImage& picture, QIODevice* device)
{
    return WritePng(picture, device, kPngZlibLevel);
}

// The installed encoders, in the order they are searched.
const QVImageEncoder kEncoders[] = {
    {"BMP", WriteWithQt, "bmp", true},   {"JPEG", WriteWithQt, "jpeg", true},
    {"GIF", WriteGifEncoder, nullptr, false}, {"TIFF", WriteWithQt, "tiff", true},
    {"PNG", WritePngEncoder, nullptr, true},
};

} // namespace

bool QVImageEncoder::IsInstalled() const
{
    return !qtFormat || QImageWriter::supportedImageFormats().contains(qtFormat);
}

bool QVDIB::CreateFromBitmap(const QImage& bitmap)
{
    if (bitmap.isNull())
        return false;

    // Flatten onto opaque black: premultiplied colour is the colour composited
    // over black. Every picture is held at 24 bits, whatever its depth.
    QImage image = bitmap;
    const QImage::Format flat =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != flat)
        image.convertTo(flat);
    if (image.isNull())
        return false;

    const int width = image.width();
    const int height = image.height();
    if (!Create(width, height, 24))
        return false;

    const int stride = GetStride();
    uint8_t* row = GetBits();
    // Rows are stored bottom-up: storage row 0 is the picture's last scan line.
    for (int y = 0; y < height; ++y, row += stride) {
        const auto* src = reinterpret_cast<const uint32_t*>(image.constScanLine(height - 1 - y));
        uint8_t* dst = row;
        for (int x = 0; x < width; ++x, dst += 3) {
            const uint32_t argb = src[x];
            dst[0] = uint8_t(argb);
            dst[1] = uint8_t(argb >> 8);
            dst[2] = uint8_t(argb >> 16);
        }
    }
    SetColorProfile(QVColorProfile::FromColorSpace(bitmap.colorSpace()));
    return true;
}

namespace {

// Reads the file's structure before any decoder sees it: only the formats we
// check are opened, and only when the file holds what its header claims and
// is whole. The format comes from the bytes, not the name.
QVFileFormat CheckedFormat(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QVFileFormat::Unknown;
    const qint64 size = file.size();
    if (size <= 0)
        return QVFileFormat::Unknown;
    // Mapped, the check reads only the pages it needs, and no copy is made;
    // where a file system cannot map, the file is read.
    QByteArray copy;
    const uchar* data = file.map(0, size);
    if (!data) {
        copy = file.readAll();
        if (copy.size() != size)
            return QVFileFormat::Unknown;
        data = reinterpret_cast<const uchar*>(copy.constData());
    }
    const QVFileFormat format = QVSniffFileFormat(data, size_t(size));
    return QVCheckPictureFile(format, data, size_t(size)) ? format : QVFileFormat::Unknown;
}

} // namespace

bool QVDIB::LoadFromFile(const QString& path)
{
    const QVFileFormat format = CheckedFormat(path);
    if (format == QVFileFormat::Unknown)
        return false;

    QImageReader::setAllocationLimit(kDecodeAllocationLimitMB);
    QImageReader reader(path, QVFileFormatName(format));
    // A portrait taken in portrait orientation opens upright.
    reader.setAutoTransform(true);

    // Check the size the header claims before anything large is allocated.
    const QSize claimed = reader.size();
    if (claimed.isValid() && !WithinPixelLimit(claimed))
        return false;

    QImage image;
    if (!reader.read(&image) || !WithinPixelLimit(image.size()))
        return false;
    return CreateFromBitmap(image);
}

QString QVDIB::ResourcePath(unsigned int id)
{
    return QStringLiteral(":/bitmaps/%1.png").arg(id);
}

bool QVDIB::LoadFromResource(unsigned int id)
{
    QImage image;
    if (!image.load(ResourcePath(id)))
        return false;
    return CreateFromBitmap(image);
}

QImage QVDIB::ToImage() const
{
    const int width = GetWidth();
    const int height = GetHeight();
    const uint16_t bits = GetBitCount();
    if (IsEmpty() || width <= 0 || height <= 0)
        return {};

    const int stride = GetStride();
    const uint8_t* row = GetBits();
    if (bits == 24) {
        QImage image(width, height, QImage::Format_RGB888);
        if (image.isNull())
            return {};
        if (m_pColorProfile)
            image.setColorSpace(m_pColorProfile->ColorSpace());
        // Every save starts here, so the rows are shared among the cores.
        uint8_t* const top = image.bits();
        const qsizetype imageStride = image.bytesPerLine();
        QVThreadPool::Instance().ForRows(0, height, width, [=](int from, int to) {
            for (int y = from; y < to; ++y)
                BgrToRgb(row + qsizetype(y) * stride, top + (height - 1 - y) * imageStride, width);
        });
        return image;
    }

    // 1, 4 and 8 bits: indices into the colour table of blue, green, red, reserved.
    const uint8_t* table = reinterpret_cast<const uint8_t*>(GetHeader()) + GetHeader()->biSize;
    const int colours = PaletteSize(GetHeader()) / 4;
    QList<QRgb> colourTable(1 << bits, qRgb(0, 0, 0));
    for (int i = 0; i < colours && i < colourTable.size(); ++i)
        colourTable[i] = qRgb(table[4 * i + 2], table[4 * i + 1], table[4 * i]);

    QImage image(width, height, QImage::Format_Indexed8);
    if (image.isNull())
        return {};
    if (m_pColorProfile)
        image.setColorSpace(m_pColorProfile->ColorSpace());
    image.setColorTable(colourTable);
    for (int y = 0; y < height; ++y, row += stride) {
        uint8_t* dst = image.scanLine(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const int bitOffset = x * bits;
            const int shift = 8 - bits - bitOffset % 8; // leftmost pixel in the high bits
            dst[x] = uint8_t((row[bitOffset / 8] >> shift) & ((1 << bits) - 1));
        }
    }
    return image;
}

bool QVDIB::GetEncoderClsid(const QString& formatDescription, const QVImageEncoder** encoder)
{
    for (const QVImageEncoder& candidate : kEncoders) {
        if (formatDescription == QLatin1String(candidate.formatDescription) &&
            candidate.IsInstalled()) {
            if (encoder)
                *encoder = &candidate;
            return true;
        }
    }
    return false;
}

bool QVDIB::GetEncoderClsidForFile(const QString& path, const QVImageEncoder** encoder)
{
    // The extension belongs to the file name: a "." in a folder name is not one.
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    QString extension = fileName.mid(dot + 1).toUpper();
    if (extension == QLatin1String("JPG"))
        extension = QStringLiteral("JPEG");
    else if (extension == QLatin1String("TIF"))
        extension = QStringLiteral("TIFF");
    return GetEncoderClsid(extension, encoder);
}

bool QVDIB::SaveToFile(const QVDIB* image, const QString& path)
{
    return SaveToFile(image, path, QVSaveProgress());
}

bool QVDIB::SaveToFile(const QVDIB* image, const QString& path, const QVSaveProgress& progress)
{
    if (!image || image->IsEmpty() || !GetEncoderClsidForFile(path, nullptr))
        return false;
    return SaveImageToFile(image->ToImage(), path, progress);
}

bool QVDIB::SaveImageToFile(const QImage& picture, const QString& path, const QVSaveProgress& progress)
{
    const QVImageEncoder* encoder = nullptr;
    if (picture.isNull() || !GetEncoderClsidForFile(path, &encoder))
        return false;

    // The encoder streams into a temporary beside the target whose every write
    // is checked by us, so neither a full disk nor an encoder that ignores a
    // failed write (libtiff at close) can pass for success; the temporary takes
    // the old file's place only once it is whole and on disk. Streaming keeps
    // a second copy of a big picture's file out of memory.
    QVSafeFile file(path, progress);
    if (!file.Open())
        return false;
    if (!encoder->write(*encoder, picture, &file)) {
        file.Discard();
        return false;
    }
    return file.Commit();
}

namespace {

// Measures the file an encoder writes and keeps none of it.
class CountingDevice : public QIODevice
{
public:
    CountingDevice() { (void)open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_nSize; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        // Encoders that seek back to patch a header (TIFF) write those bytes
        // twice: the file is as long as its furthest write.
        m_nSize = std::max(m_nSize, pos() + size);
        return size;
    }

private:
    qint64 m_nSize = 0;
};

// The sample: a band of rows from the middle of every block of rows, so that
// it sees the top, the middle and the bottom of the picture alike (sky, face
// and clothes compress differently). Bands, and their halves, are whole rows
// of JPEG's 16-row blocks and start where such a row starts in the picture.
constexpr int kJpegBlockRows = 16;
constexpr int kSampleBandRows = 2 * kJpegBlockRows;
constexpr int kSampleEvery = 16; // one band of every 16
constexpr int kSampleBlockRows = kSampleBandRows * kSampleEvery;

int64_t EncodedSize(const QVImageEncoder& encoder, const QImage& picture)
{
    CountingDevice device;
    if (!encoder.write(encoder, picture, &device))
        return -1;
    return device.size();
}

// The first `rows` rows of every band, one after the other.
QImage SampleRows(const QImage& picture, int rows)
{
    const int height = picture.height();
    const int blocks = (height + kSampleBlockRows - 1) / kSampleBlockRows;
    QImage sample(picture.width(), blocks * rows, picture.format());
    if (sample.isNull())
        return {};
    sample.setColorSpace(picture.colorSpace());
    sample.setColorTable(picture.colorTable());
    const size_t rowBytes = size_t(std::min(sample.bytesPerLine(), picture.bytesPerLine()));
    for (int block = 0; block < blocks; ++block) {
        const int first = block * kSampleBlockRows;
        const int middle = first + std::min(kSampleBlockRows, height - first) / 2;
        // Whole bands only: the last block of a picture is at least a band.
        const int start = std::min(middle / kJpegBlockRows * kJpegBlockRows, height - rows);
        for (int y = 0; y < rows; ++y)
            std::memcpy(sample.scanLine(block * rows + y), picture.constScanLine(start + y), rowBytes);
    }
    return sample;
}

} // namespace

int64_t QVDIB::EstimateFileSize(const QImage& picture, const QString& path)
{
    const QVImageEncoder* encoder = nullptr;
    if (picture.isNull() || !GetEncoderClsidForFile(path, &encoder))
        return 0;
    // Our GIF encoder reduces the colours of the whole picture before it
    // writes its first byte, so its bytes measure only the last part of the
    // work, and a sample would cost a fifth of the save (a second colour
    // reduction). The other encoders write as they read the rows.
    if (!encoder->writesAsItReads)
        return 0;
    const int height = picture.height();
    if (height < 2 * kSampleBlockRows)
        return 0; // small enough to save before anyone needs a progress bar

    // A band's first rows cost more than the rest: the encoder has not yet
    // seen the rows above them (PNG filters against the row above, zlib
    // matches earlier rows), and on a picture that compresses well those
    // first rows can be most of the sample's bytes. So the sample is encoded
    // twice, with whole bands and with their first halves: the difference is
    // what the second halves cost, rows that are encoded as in the picture.
    const QImage whole = SampleRows(picture, kSampleBandRows);
    const QImage halves = SampleRows(picture, kSampleBandRows / 2);
    if (whole.isNull() || halves.isNull())
        return 0;
    // What every file has whatever its size (headers, the colour profile,
    // the palette) is counted once.
    const int64_t fixed = EncodedSize(*encoder, picture.copy(0, 0, 1, 1));
    const int64_t wholeBytes = EncodedSize(*encoder, whole);
    const int64_t halvesBytes = EncodedSize(*encoder, halves);
    if (fixed < 0 || halvesBytes < 0 || wholeBytes <= halvesBytes)
        return 0;
    const int sampledRows = whole.height() - halves.height();
    return fixed + int64_t(double(wholeBytes - halvesBytes) * height / sampledRows);
}
