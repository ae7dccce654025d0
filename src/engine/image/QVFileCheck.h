#pragma once

#include <cstddef>
#include <cstdint>

// The picture formats the program opens, told apart by their first bytes.
enum class QVFileFormat
{
    Unknown,
    Bmp,
    Png,
    Jpeg,
    Gif,
    Tiff,
};

QVFileFormat QVSniffFileFormat(const uint8_t* data, size_t size);

// Qt's name for the reader of a format; nullptr for Unknown.
const char* QVFileFormatName(QVFileFormat format);

// Reads a picture file's structure, not its pixels, and says whether a
// decoder may be given it: false when the file is cut short or misses its end
// (a PNG without IEND, a JPEG without its end marker, a strip or row past the
// end of the file, a GIF frame whose data stops), or when its header claims
// more pixels than its size can hold. The claim is bounded by each format's
// best packing: uncompressed rows must be in the file; deflate (PNG, TIFF)
// packs at most 1032 bytes into one; LZW (GIF, TIFF) at most 2731 into one,
// its longest string of 4096 in a 12-bit code; a Huffman-coded JPEG spends at
// least a bit on every 8 x 8 block, 512 pixels a byte (arithmetic coding can
// do better: 16384 are allowed); BMP's run-length codes give at most 255
// pixels for two bytes, and 256 a byte are allowed for skipped areas. Formats
// whose packing has no such bound (fax, LZMA, ...) are allowed 16384 bytes of
// pixels a byte. Pictures of up to 65536 pixels cost little and pass whatever
// their size. Runs in time proportional to the file's size at worst and
// allocates nothing.
[[nodiscard]] bool QVCheckPictureFile(QVFileFormat format, const uint8_t* data, size_t size);
