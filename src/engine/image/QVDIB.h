#pragma once

#include "QVRect.h"
#include "QVSaveProgress.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class QImage;
class QPainter;
class QString;
class QVColorProfile;
struct QVImageEncoder;

// The 40-byte header at the start of every picture block, field for field the
// BITMAPINFOHEADER of a packed device-independent bitmap (little-endian, no gaps).
struct QVBitmapInfoHeader
{
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(QVBitmapInfoHeader) == 40, "the header is stored byte for byte");

// One picture as a packed device-independent bitmap: a single zero-initialised
// block holding the header, the colour table and the pixel rows. Rows are stored
// bottom-up, so storage row 0 is the bottom row of the picture; a 24-bit pixel is
// blue, green, red. Pictures are duplicated with CopyFrom, never copied as objects.
class QVDIB
{
public:
    // Largest picture a file may decode to; sized for 100-megapixel camera
    // photos with room to spare, and far below what a hostile header can claim.
    static constexpr int64_t kMaxDecodedPixels = int64_t(1) << 28;

    QVDIB() = default;
    virtual ~QVDIB();
    QVDIB(const QVDIB&) = delete;
    QVDIB& operator=(const QVDIB&) = delete;

    void Free();

    uint8_t* GetBits();
    const uint8_t* GetBits() const;
    int GetWidth() const;
    int GetHeight() const;
    uint16_t GetBitCount() const;
    // Bytes per row of this picture; 0 when empty.
    int GetStride() const;
    // The block itself (header first); nullptr when empty.
    const QVBitmapInfoHeader* GetHeader() const;
    size_t GetBlockSize() const;
    bool IsEmpty() const { return m_hDIB == nullptr; }
    bool SameGeometry(const QVDIB& other) const;
    // True when (x, y) is a pixel of the picture; never for an empty picture.
    bool IsInside(int x, int y) const
    {
        return x >= 0 && x <= GetWidth() - 1 && y >= 0 && y <= GetHeight() - 1;
    }

    // Row stride in bytes: ((width * bits + 31) >> 3) & ~3, always a multiple of 4.
    static uint32_t Stride(int width, uint16_t bitCount);
    static void InitHeader(QVBitmapInfoHeader* header, int width, int height, uint16_t bits);
    static uint16_t PaletteSize(const QVBitmapInfoHeader* header);

    [[nodiscard]] bool Create(int width, int height, uint16_t bits);
    [[nodiscard]] bool CopyFrom(const QVDIB* source);

    // Picture files and resources; Qt's image I/O does the decoding and encoding.
    [[nodiscard]] bool CreateFromBitmap(const QImage& bitmap);
    [[nodiscard]] bool LoadFromFile(const QString& path);
    [[nodiscard]] bool LoadFromResource(unsigned int id);
    // The old file at path is replaced only by a whole new one: a save that
    // fails or is cancelled leaves it byte for byte as it was.
    [[nodiscard]] static bool SaveToFile(const QVDIB* image, const QString& path);
    [[nodiscard]] static bool SaveToFile(const QVDIB* image, const QString& path,
                                         const QVSaveProgress& progress);
    // SaveToFile of a picture already made into a QImage with ToImage: the
    // copy the encoders read can be taken while the picture is safe to read
    // and encoded elsewhere, without a second copy.
    [[nodiscard]] static bool SaveImageToFile(const QImage& picture, const QString& path,
                                              const QVSaveProgress& progress);
    // The size the file saved from picture at path will have, estimated by
    // encoding a sample of its rows (about a sixteenth of the work): what a
    // progress bar measures the bytes written against. 0 when unknown: no
    // encoder for the path, or a picture small enough to save at once.
    static int64_t EstimateFileSize(const QImage& picture, const QString& path);
    [[nodiscard]] static bool GetEncoderClsidForFile(const QString& path,
                                                     const QVImageEncoder** encoder);
    [[nodiscard]] static bool GetEncoderClsid(const QString& formatDescription,
                                              const QVImageEncoder** encoder);
    // Qt resource path of bitmap resource id.
    static QString ResourcePath(unsigned int id);

    // Draws srcRect of the picture into destRect without smoothing. srcRect is
    // in bottom-up coordinates: its top is the lowest storage row drawn, which
    // lands on destRect's bottom edge. Returns the number of rows drawn.
    int Paint(QPainter* painter, const QVRect& destRect, const QVRect& srcRect) const;

    // Top-down copy of the picture as a QImage (24-bit pictures give RGB888),
    // in the picture's colour space.
    QImage ToImage() const;

    // The colour space of the bytes, from the file the picture came from;
    // nullptr when the file had none (taken as sRGB). CopyFrom copies it;
    // Create and Free drop it. Paint converts what it draws to sRGB, and
    // SaveToFile writes the profile into PNG, JPEG and TIFF files.
    const std::shared_ptr<const QVColorProfile>& GetColorProfile() const { return m_pColorProfile; }
    void SetColorProfile(std::shared_ptr<const QVColorProfile> profile)
    {
        m_pColorProfile = std::move(profile);
    }

private:
    [[nodiscard]] bool Allocate(const QVBitmapInfoHeader& header);

    uint8_t* m_hDIB = nullptr;
    std::shared_ptr<const QVColorProfile> m_pColorProfile;
};
