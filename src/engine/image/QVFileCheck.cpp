#include "QVFileCheck.h"

#include <algorithm>
#include <cstring>

namespace {

// Pictures this small cost at most a few hundred KB whatever their file says.
constexpr uint64_t kSmallPicturePixels = uint64_t(1) << 16;

// Best packings (see the header): decoded units for one byte of file.
constexpr uint64_t kDeflateBytesPerByte = 1032;   // 258 bytes for a 2-bit match code
constexpr uint64_t kLzwPixelsPerByte = 2731;      // 4096 pixels for a 12-bit code
constexpr uint64_t kLzwBytesPerByte = 2731;       // TIFF's LZW works on bytes alike
constexpr uint64_t kUncompressedBytesPerByte = 2; // YCbCr subsampling halves the bytes
constexpr uint64_t kPackBitsBytesPerByte = 64;    // 128 bytes for 2
constexpr uint64_t kHuffmanJpegPixelsPerByte = 512;      // one bit for each 8 x 8 block
constexpr uint64_t kArithmeticJpegPixelsPerByte = 16384;
constexpr uint64_t kRlePixelsPerByte = 256;      // 255 for 2 bytes, with room for skips
constexpr uint64_t kUnboundedBytesPerByte = 16384;

// ---- reading ----------------------------------------------------------------

// A read-only view of the file that never reads past its end: a read beyond
// it gives zero.
class Bytes
{
public:
    Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    size_t Size() const { return m_size; }
    bool Has(uint64_t offset, uint64_t count) const
    {
        return offset <= m_size && count <= m_size - offset;
    }
    uint8_t U8(uint64_t offset) const { return Has(offset, 1) ? m_data[offset] : 0; }
    uint32_t U16(uint64_t offset, bool bigEndian) const
    {
        return bigEndian ? uint32_t(U8(offset)) << 8 | U8(offset + 1)
                         : uint32_t(U8(offset + 1)) << 8 | U8(offset);
    }
    uint32_t U32(uint64_t offset, bool bigEndian) const
    {
        return bigEndian ? U16(offset, true) << 16 | U16(offset + 2, true)
                         : U16(offset + 2, false) << 16 | U16(offset, false);
    }
    uint64_t U64(uint64_t offset, bool bigEndian) const
    {
        return bigEndian ? uint64_t(U32(offset, true)) << 32 | U32(offset + 4, true)
                         : uint64_t(U32(offset + 4, false)) << 32 | U32(offset, false);
    }
    const uint8_t* At(uint64_t offset) const { return m_data + offset; }

private:
    const uint8_t* m_data;
    size_t m_size;
};

uint64_t SaturatingProduct(uint64_t a, uint64_t b)
{
    return (a != 0 && b > UINT64_MAX / a) ? UINT64_MAX : a * b;
}

uint64_t SaturatingSum(uint64_t a, uint64_t b)
{
    return b > UINT64_MAX - a ? UINT64_MAX : a + b;
}

// True when `packed` bytes, each giving at most `ratio` units once unpacked,
// can give the `needed` units a picture of `pixels` pixels takes. Small
// pictures always pass.
bool PackedEnough(uint64_t pixels, uint64_t needed, uint64_t packed, uint64_t ratio)
{
    return pixels <= kSmallPicturePixels || needed <= SaturatingProduct(packed, ratio);
}

// ---- BMP --------------------------------------------------------------------

constexpr uint32_t kBmpRgb = 0, kBmpRle8 = 1, kBmpRle4 = 2, kBmpBitFields = 3,
                   kBmpAlphaBitFields = 6;

// Walks run-length codes to their end. False when the file stops before the
// end-of-picture code (unless end-of-line codes already covered every row).
bool RleComplete(const Bytes& file, uint64_t at, uint32_t bits, uint64_t rows)
{
    uint64_t row = 0;
    while (file.Has(at, 2)) {
        const uint8_t count = file.U8(at);
        const uint8_t code = file.U8(at + 1);
        at += 2;
        if (count != 0)
            continue; // a run of one colour
        if (code == 0) {
            ++row; // end of line
        } else if (code == 1) {
            return true; // end of picture
        } else if (code == 2) {
            if (!file.Has(at, 2))
                return false;
            row += file.U8(at + 1);
            at += 2;
        } else {
            // Literal pixels, padded to a whole number of 16-bit words.
            const uint64_t bytes = bits == 8 ? code : (uint64_t(code) + 1) / 2;
            at += (bytes + 1) & ~uint64_t(1);
            if (at > file.Size())
                return false;
        }
    }
    return row >= rows;
}

bool CheckBmp(const Bytes& file)
{
    constexpr uint64_t kFileHeader = 14;
    if (!file.Has(0, kFileHeader + 16))
        return false;
    const uint32_t headerSize = file.U32(kFileHeader, false);
    if (headerSize < 12 || !file.Has(kFileHeader, headerSize))
        return false;
    int64_t width, height;
    uint32_t bits, compression = kBmpRgb;
    if (headerSize == 12) { // OS/2 1.x: 16-bit sizes, no compression
        width = file.U16(kFileHeader + 4, false);
        height = file.U16(kFileHeader + 6, false);
        bits = file.U16(kFileHeader + 10, false);
    } else {
        width = int32_t(file.U32(kFileHeader + 4, false));
        height = int32_t(file.U32(kFileHeader + 8, false));
        bits = file.U16(kFileHeader + 14, false);
        compression = headerSize >= 20 ? file.U32(kFileHeader + 16, false) : kBmpRgb;
    }
    if (width <= 0 || height == 0)
        return false;
    const uint64_t rows = uint64_t(height < 0 ? -height : height);
    const uint64_t pixels = SaturatingProduct(uint64_t(width), rows);

    // The pixels start at the offset the file header gives; a smaller offset
    // than the headers' end is read by Qt as "right after them", so that is
    // the earliest start.
    const uint64_t start = std::max<uint64_t>(file.U32(10, false), kFileHeader + headerSize);
    if (start > file.Size())
        return false;
    const uint64_t available = file.Size() - start;

    const bool os2v2 = headerSize == 16 || headerSize == 64;
    if (compression == kBmpRgb || compression == kBmpBitFields ||
        (compression == kBmpAlphaBitFields && !os2v2)) {
        if (bits == 0 || bits > 32)
            return false;
        // Every row must be in the file; the last one may lack its padding.
        const uint64_t rowBits = SaturatingProduct(uint64_t(width), bits);
        const uint64_t stride = ((rowBits + 31) / 32) * 4;
        const uint64_t needed = SaturatingSum(SaturatingProduct(stride, rows - 1), (rowBits + 7) / 8);
        return needed <= available;
    }
    if ((compression == kBmpRle8 && bits == 8) || (compression == kBmpRle4 && bits == 4)) {
        if (!PackedEnough(pixels, pixels, available, kRlePixelsPerByte))
            return false;
        return RleComplete(file, start, bits, rows);
    }
    // Embedded JPEG or PNG, OS/2 Huffman or RLE24: no reader of ours takes
    // them; the reader refuses them itself.
    return PackedEnough(pixels, pixels, available, kUnboundedBytesPerByte);
}

// ---- PNG --------------------------------------------------------------------

bool CheckPng(const Bytes& file)
{
    constexpr uint64_t kSignature = 8;
    constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;
    uint64_t at = kSignature;
    uint64_t width = 0, height = 0, bitsPerPixel = 0, idatBytes = 0;
    bool first = true;
    // Every chunk, critical or not, must lie inside the file: a text chunk
    // that claims 2 GB in a 57-byte file would otherwise be allocated first.
    while (file.Has(at, 12)) {
        const uint32_t length = file.U32(at, true);
        const uint8_t* type = file.At(at + 4);
        if (length > kMaxChunkLength || !file.Has(at + 8, uint64_t(length) + 4))
            return false;
        if (first) {
            if (std::memcmp(type, "IHDR", 4) != 0 || length < 13)
                return false;
            width = file.U32(at + 8, true);
            height = file.U32(at + 12, true);
            const uint32_t depth = file.U8(at + 16);
            const uint8_t colourType = file.U8(at + 17);
            const uint32_t channels = colourType == 2 ? 3 : colourType == 4 ? 2
                                    : colourType == 6 ? 4 : 1;
            bitsPerPixel = uint64_t(std::max<uint32_t>(depth, 1)) * channels;
            first = false;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            idatBytes = SaturatingSum(idatBytes, length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            // The pixels alone, without the filter bytes, are a lower bound
            // of what the compressed data must give.
            const uint64_t pixels = SaturatingProduct(width, height);
            const uint64_t pixelBytes = SaturatingProduct(pixels, bitsPerPixel) / 8;
            return PackedEnough(pixels, pixelBytes, idatBytes, kDeflateBytesPerByte);
        }
        at += 12 + uint64_t(length);
    }
    return false; // cut short or missing its end
}

// ---- JPEG -------------------------------------------------------------------

bool IsFrameMarker(uint8_t marker)
{
    // SOF0-SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// After a scan's header: the entropy-coded data runs to the next marker
// that is neither a stuffed zero nor a restart. Returns its offset (at the
// 0xFF), or the file's size when the data runs to the end.
uint64_t SkipEntropyData(const Bytes& file, uint64_t at)
{
    const uint64_t size = file.Size();
    while (at < size) {
        const void* found = std::memchr(file.At(at), 0xFF, size_t(size - at));
        if (!found)
            return size;
        at = uint64_t(static_cast<const uint8_t*>(found) - file.At(0));
        uint64_t next = at + 1;
        while (next < size && file.U8(next) == 0xFF)
            ++next; // fill bytes
        if (next >= size)
            return size;
        const uint8_t byte = file.U8(next);
        if (byte == 0x00 || (byte >= 0xD0 && byte <= 0xD7)) {
            at = next + 1;
            continue;
        }
        return next - 1;
    }
    return size;
}

bool CheckJpeg(const Bytes& file)
{
    uint64_t at = 2; // after SOI
    uint64_t pixels = 0;
    bool arithmetic = false, frame = false, scan = false;
    while (at < file.Size()) {
        // Markers start with 0xFF; libjpeg skips stray bytes before one, so do we.
        if (file.U8(at) != 0xFF) {
            const void* found = std::memchr(file.At(at), 0xFF, size_t(file.Size() - at));
            if (!found)
                return false;
            at = uint64_t(static_cast<const uint8_t*>(found) - file.At(0));
        }
        while (at < file.Size() && file.U8(at) == 0xFF)
            ++at;
        if (at >= file.Size())
            return false;
        const uint8_t marker = file.U8(at++);
        if (marker == 0xD9) // end of image
            return frame && scan &&
                   PackedEnough(pixels, pixels, file.Size(),
                                arithmetic ? kArithmeticJpegPixelsPerByte
                                           : kHuffmanJpegPixelsPerByte);
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // markers without a segment
        if (!file.Has(at, 2))
            return false;
        const uint32_t length = file.U16(at, true);
        if (length < 2 || !file.Has(at, length))
            return false; // a segment cut short
        if (IsFrameMarker(marker) && !frame && length >= 7) {
            frame = true;
            pixels = uint64_t(file.U16(at + 3, true)) * file.U16(at + 5, true);
            arithmetic = marker >= 0xC9;
        }
        at += length;
        if (marker == 0xDA) {
            scan = true;
            at = SkipEntropyData(file, at);
        }
    }
    return false; // the data stops before the end marker
}

// ---- GIF --------------------------------------------------------------------

// Skips data sub-blocks up to and including their zero terminator; false when
// the file stops first.
bool SkipSubBlocks(const Bytes& file, uint64_t& at)
{
    while (file.Has(at, 1)) {
        const uint8_t length = file.U8(at);
        at += 1 + uint64_t(length);
        if (length == 0)
            return true;
    }
    return false;
}

bool CheckGif(const Bytes& file)
{
    constexpr uint64_t kScreenDescriptor = 6;
    if (!file.Has(kScreenDescriptor, 7))
        return false;
    uint64_t width = file.U16(kScreenDescriptor, false);
    uint64_t height = file.U16(kScreenDescriptor + 2, false);
    const uint8_t flags = file.U8(kScreenDescriptor + 4);
    uint64_t at = kScreenDescriptor + 7;
    if (flags & 0x80)
        at += 3 * (uint64_t(2) << (flags & 7));
    // The first picture is the one opened: it must be whole.
    while (file.Has(at, 1)) {
        const uint8_t block = file.U8(at++);
        if (block == 0x21) { // extension: label, then sub-blocks
            ++at;
            if (!SkipSubBlocks(file, at))
                return false;
        } else if (block == 0x2C) { // picture
            if (!file.Has(at, 9))
                return false;
            const uint64_t left = file.U16(at, false), top = file.U16(at + 2, false);
            const uint64_t frameWidth = file.U16(at + 4, false);
            const uint64_t frameHeight = file.U16(at + 6, false);
            if (frameWidth == 0 || frameHeight == 0)
                return false; // a picture of no pixels
            // The reader's canvas is the screen, grown where the screen has
            // no size or the picture lies outside it: bound the largest.
            width = std::max(width, left + frameWidth);
            height = std::max(height, top + frameHeight);
            const uint8_t local = file.U8(at + 8);
            at += 9;
            if (local & 0x80)
                at += 3 * (uint64_t(2) << (local & 7));
            ++at; // LZW minimum code size
            if (!SkipSubBlocks(file, at))
                return false;
            return PackedEnough(width * height, width * height, file.Size(), kLzwPixelsPerByte);
        } else {
            return false; // the trailer before any picture, or garbage
        }
    }
    return false;
}

// ---- TIFF -------------------------------------------------------------------

struct TiffEntry
{
    bool present = false;
    uint32_t type = 0;
    uint64_t count = 0;
    uint64_t valueAt = 0; // offset of the values: inside the entry or elsewhere
};

uint64_t TiffTypeSize(uint32_t type)
{
    switch (type) {
    case 1: case 2: case 6: case 7: return 1; // BYTE ASCII SBYTE UNDEFINED
    case 3: case 8: return 2;                 // SHORT SSHORT
    case 4: case 9: case 11: case 13: return 4; // LONG SLONG FLOAT IFD
    case 5: case 10: case 12: case 16: case 17: case 18: return 8; // RATIONAL ... LONG8 IFD8
    default: return 0;
    }
}

uint64_t TiffValue(const Bytes& file, const TiffEntry& entry, uint64_t index, bool bigEndian)
{
    const uint64_t at = entry.valueAt + index * TiffTypeSize(entry.type);
    switch (entry.type) {
    case 1: return file.U8(at);
    case 3: return file.U16(at, bigEndian);
    case 4: case 13: return file.U32(at, bigEndian);
    case 16: case 18: return file.U64(at, bigEndian);
    default: return 0;
    }
}

bool CheckTiff(const Bytes& file)
{
    const bool bigEndian = file.U8(0) == 'M';
    const bool big = file.U16(2, bigEndian) == 43; // BigTIFF: 64-bit offsets
    const uint64_t ifd = big ? file.U64(8, bigEndian) : file.U32(4, bigEndian);
    const uint64_t countSize = big ? 8 : 2, entrySize = big ? 20 : 12, inlineSize = big ? 8 : 4;
    if (!file.Has(ifd, countSize))
        return false;
    const uint64_t entries = big ? file.U64(ifd, bigEndian) : file.U16(ifd, bigEndian);
    if (!file.Has(ifd + countSize, SaturatingProduct(entries, entrySize)))
        return false;

    enum { kWidth, kHeight, kBits, kCompression, kSamples, kStripOffsets, kStripCounts,
           kTileOffsets, kTileCounts, kTags };
    const uint32_t tags[kTags] = {256, 257, 258, 259, 277, 273, 279, 324, 325};
    TiffEntry found[kTags];
    for (uint64_t i = 0; i < entries; ++i) {
        const uint64_t at = ifd + countSize + i * entrySize;
        const uint32_t tag = file.U16(at, bigEndian);
        const uint32_t* known = std::find(tags, tags + kTags, tag);
        if (known == tags + kTags)
            continue;
        TiffEntry& entry = found[known - tags];
        entry.present = true;
        entry.type = file.U16(at + 2, bigEndian);
        entry.count = big ? file.U64(at + 4, bigEndian) : file.U32(at + 4, bigEndian);
        const uint64_t bytes = SaturatingProduct(entry.count, TiffTypeSize(entry.type));
        const uint64_t field = at + (big ? 12 : 8);
        entry.valueAt = bytes <= inlineSize
                            ? field
                            : (big ? file.U64(field, bigEndian) : file.U32(field, bigEndian));
        // An array said to be elsewhere must be in the file (libtiff would
        // otherwise allocate it at the claimed length).
        if (TiffTypeSize(entry.type) != 0 && !file.Has(entry.valueAt, bytes))
            return false;
        // Strips and tiles are found through these arrays: of a type without
        // a size they say nothing, and a count of billions would keep the
        // check below walking them for minutes.
        const bool array = tag == tags[kStripOffsets] || tag == tags[kStripCounts] ||
                           tag == tags[kTileOffsets] || tag == tags[kTileCounts];
        if (array && TiffTypeSize(entry.type) == 0)
            return false;
    }
    if (!found[kWidth].present || !found[kHeight].present)
        return false; // the reader refuses it in any case

    const uint64_t width = TiffValue(file, found[kWidth], 0, bigEndian);
    const uint64_t height = TiffValue(file, found[kHeight], 0, bigEndian);
    const uint64_t pixels = SaturatingProduct(width, height);
    const uint64_t samples =
        found[kSamples].present ? std::max<uint64_t>(1, TiffValue(file, found[kSamples], 0, bigEndian))
                                : 1;
    const uint64_t bitsPerSample =
        found[kBits].present ? std::max<uint64_t>(1, TiffValue(file, found[kBits], 0, bigEndian)) : 1;
    const uint64_t compression =
        found[kCompression].present ? TiffValue(file, found[kCompression], 0, bigEndian) : 1;

    // Every strip or tile must lie inside the file: one cut short is damage.
    const bool tiled = found[kTileOffsets].present;
    const TiffEntry& offsets = found[tiled ? kTileOffsets : kStripOffsets];
    const TiffEntry& counts = found[tiled ? kTileCounts : kStripCounts];
    const uint64_t rawBytes =
        SaturatingProduct(SaturatingProduct(pixels, samples), bitsPerSample) / 8;
    if (!offsets.present || !counts.present)
        return PackedEnough(pixels, rawBytes, file.Size(), kUnboundedBytesPerByte);
    const uint64_t pieces = std::min(offsets.count, counts.count);
    uint64_t packed = 0;
    for (uint64_t i = 0; i < pieces; ++i) {
        const uint64_t offset = TiffValue(file, offsets, i, bigEndian);
        uint64_t count = TiffValue(file, counts, i, bigEndian);
        // libtiff takes a single uncompressed strip whose count runs past the
        // end as a wrong count and reads the rows the picture needs instead.
        if (compression == 1 && pieces == 1 && !file.Has(offset, count)) {
            const uint64_t rowBits = SaturatingProduct(SaturatingProduct(width, samples), bitsPerSample);
            count = SaturatingProduct((rowBits + 7) / 8, height);
        }
        if (!file.Has(offset, count))
            return false;
        packed = SaturatingSum(packed, count);
    }

    switch (compression) {
    case 1: // none; subsampled colour holds as little as half of full colour
        return PackedEnough(pixels, rawBytes, packed, kUncompressedBytesPerByte);
    case 5: // LZW
        return PackedEnough(pixels, rawBytes, packed, kLzwBytesPerByte);
    case 8:
    case 32946: // deflate
        return PackedEnough(pixels, rawBytes, packed, kDeflateBytesPerByte);
    case 32773: // PackBits
        return PackedEnough(pixels, rawBytes, packed, kPackBitsBytesPerByte);
    case 6:
    case 7: // JPEG
        return PackedEnough(pixels, pixels, packed, kHuffmanJpegPixelsPerByte);
    default:
        return PackedEnough(pixels, rawBytes, packed, kUnboundedBytesPerByte);
    }
}

} // namespace

QVFileFormat QVSniffFileFormat(const uint8_t* data, size_t size)
{
    const auto startsWith = [&](const char* magic, size_t length) {
        return size >= length && std::memcmp(data, magic, length) == 0;
    };
    if (startsWith("BM", 2))
        return QVFileFormat::Bmp;
    if (startsWith("\x89PNG\r\n\x1a\n", 8))
        return QVFileFormat::Png;
    if (startsWith("\xFF\xD8\xFF", 3))
        return QVFileFormat::Jpeg;
    if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6))
        return QVFileFormat::Gif;
    if (startsWith("II*\0", 4) || startsWith("MM\0*", 4) || startsWith("II+\0", 4) ||
        startsWith("MM\0+", 4))
        return QVFileFormat::Tiff;
    return QVFileFormat::Unknown;
}

const char* QVFileFormatName(QVFileFormat format)
{
    switch (format) {
    case QVFileFormat::Bmp: return "bmp";
    case QVFileFormat::Png: return "png";
    case QVFileFormat::Jpeg: return "jpeg";
    case QVFileFormat::Gif: return "gif";
    case QVFileFormat::Tiff: return "tiff";
    case QVFileFormat::Unknown: break;
    }
    return nullptr;
}

bool QVCheckPictureFile(QVFileFormat format, const uint8_t* data, size_t size)
{
    const Bytes file(data, size);
    switch (format) {
    case QVFileFormat::Bmp: return CheckBmp(file);
    case QVFileFormat::Png: return CheckPng(file);
    case QVFileFormat::Jpeg: return CheckJpeg(file);
    case QVFileFormat::Gif: return CheckGif(file);
    case QVFileFormat::Tiff: return CheckTiff(file);
    case QVFileFormat::Unknown: break;
    }
    return false;
}
