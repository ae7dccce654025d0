#pragma once

// Picture files made byte by byte for the codec tests: hand-made PNG and BMP
// files, and small helpers to read, write and list files.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

// ---- files ------------------------------------------------------------------

inline QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

inline void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Everything in a folder, hidden files included (a left-over temporary file
// of the save would show here).
inline QStringList Listing(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The format a file really holds, from its first bytes.
inline std::string FormatOf(const QByteArray& bytes)
{
    if (bytes.startsWith("BM")) return "bmp";
    if (bytes.startsWith("\x89PNG\r\n\x1a\n")) return "png";
    if (bytes.startsWith("\xFF\xD8\xFF")) return "jpeg";
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) return "gif";
    if (bytes.startsWith(QByteArray("II*\0", 4)) || bytes.startsWith(QByteArray("MM\0*", 4)))
        return "tiff";
    return bytes.isEmpty() ? "nothing" : "unknown";
}

inline void PutBE16(QByteArray& out, uint32_t v)
{
    out.append(char(v >> 8)).append(char(v));
}

inline void PutBE32(QByteArray& out, uint32_t v)
{
    PutBE16(out, v >> 16);
    PutBE16(out, v & 0xFFFF);
}

inline void PutLE16(QByteArray& out, uint32_t v)
{
    out.append(char(v)).append(char(v >> 8));
}

inline void PutLE32(QByteArray& out, uint32_t v)
{
    PutLE16(out, v & 0xFFFF);
    PutLE16(out, v >> 16);
}

// ---- hand-made PNG files ------------------------------------------------------

inline uint32_t Crc32(const QByteArray& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= uint8_t(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray PngChunk(const char* type, const QByteArray& data)
{
    const QByteArray body = QByteArray(type) + data;
    QByteArray chunk;
    PutBE32(chunk, uint32_t(data.size()));
    chunk += body;
    PutBE32(chunk, Crc32(body));
    return chunk;
}

// A zlib stream of `count` zero bytes in one fixed-code block: a literal zero,
// then copies of 258 bytes from one byte back. 13 bits stand for 258 bytes, so a
// picture of hundreds of megabytes fits in a couple of megabytes of file.
inline QByteArray ZerosZlib(uint64_t count)
{
    QByteArray out("\x78\x01", 2);
    uint32_t pending = 0;
    int pendingBits = 0;
    const auto put = [&](uint32_t value, int bits) {
        pending |= value << pendingBits;
        pendingBits += bits;
        for (; pendingBits >= 8; pendingBits -= 8, pending >>= 8)
            out.append(char(pending & 0xFF));
    };
    // Huffman codes go out most significant bit first.
    const auto code = [&](uint32_t value, int bits) {
        uint32_t reversed = 0;
        for (int i = 0; i < bits; ++i)
            reversed |= ((value >> i) & 1u) << (bits - 1 - i);
        put(reversed, bits);
    };
    put(1, 1); // last block
    put(1, 2); // fixed codes
    uint64_t left = count;
    if (left > 0) {
        code(0x30, 8); // literal 0
        --left;
    }
    for (; left >= 258; left -= 258) {
        code(0xC5, 8); // length 258
        code(0, 5);    // distance 1
    }
    for (; left > 0; --left)
        code(0x30, 8);
    code(0, 7); // end of block
    if (pendingBits > 0) put(0, 8 - pendingBits);
    PutBE32(out, uint32_t(count % 65521) << 16 | 1u); // Adler-32 of zeros
    return out;
}

// Signature and header of an 8-bit grey PNG.
inline QByteArray GreyPngHeader(uint32_t width, uint32_t height)
{
    QByteArray png("\x89PNG\r\n\x1a\n");
    QByteArray ihdr;
    PutBE32(ihdr, width);
    PutBE32(ihdr, height);
    ihdr.append(char(8)).append(char(0)).append(char(0)).append(char(0)).append(char(0));
    return png + PngChunk("IHDR", ihdr);
}

// An 8-bit grey PNG, every pixel black, with complete and valid pixel data.
inline QByteArray BlackGreyPng(uint32_t width, uint32_t height)
{
    QByteArray png = GreyPngHeader(width, height);
    // Each row is a filter byte and one byte a pixel, all zero.
    const QByteArray data = ZerosZlib(uint64_t(height) * (uint64_t(width) + 1));
    for (qsizetype at = 0; at < data.size(); at += 1 << 16)
        png += PngChunk("IDAT", data.mid(at, 1 << 16));
    png += PngChunk("IEND", {});
    return png;
}

// A BMP whose header claims width x height at 24 bits, with a few bytes of pixels.
inline QByteArray ClaimingBmp(int32_t width, int32_t height)
{
    QByteArray bmp("BM");
    PutLE32(bmp, 14 + 40 + 16);
    PutLE32(bmp, 0);
    PutLE32(bmp, 14 + 40);
    PutLE32(bmp, 40);
    PutLE32(bmp, uint32_t(width));
    PutLE32(bmp, uint32_t(height));
    PutLE16(bmp, 1);
    PutLE16(bmp, 24);
    for (int i = 0; i < 6; ++i)
        PutLE32(bmp, 0);
    bmp.append(16, '\x7F');
    return bmp;
}
