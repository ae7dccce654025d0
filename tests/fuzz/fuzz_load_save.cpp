// libFuzzer target: picture files opened and saved the way the program does.
// The first byte of an input picks the file's extension and the rest is the
// file. When it opens, the picture is saved as BMP, PNG and GIF; the lossless
// files must load back byte for byte, and the GIF must load back at its size
// (and exactly, when the picture has no more than 256 colours).

#include "engine/image/QVDIB.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
// Hostile files make libtiff ask for absurd buffers and cope with a null
// answer; AddressSanitizer would abort instead of answering as malloc does.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}
#endif
#endif

namespace {

const char* const kExtensions[] = {"bmp", "png", "jpg", "gif", "tif", "jpeg", "tiff", "PNG"};
constexpr size_t kExtensionCount = sizeof(kExtensions) / sizeof(kExtensions[0]);

// Saving and reloading a big picture takes long; the decoders are what is
// fuzzed, so only pictures up to this size also go through the round trip.
constexpr int64_t kRoundTripPixels = int64_t(1) << 18;

QTemporaryDir* g_pFolder = nullptr;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "fuzz_load_save: %s\n", what);
    std::abort();
}

bool SamePixels(const QVDIB& a, const QVDIB& b)
{
    return a.SameGeometry(b) &&
           std::memcmp(a.GetBits(), b.GetBits(), a.GetHeader()->biSizeImage) == 0;
}

bool AtMost256Colours(const QVDIB& picture)
{
    QSet<uint32_t> colours;
    const uint8_t* row = picture.GetBits();
    for (int y = 0; y < picture.GetHeight(); ++y, row += picture.GetStride()) {
        for (int x = 0; x < picture.GetWidth(); ++x) {
            const uint8_t* p = row + 3 * x;
            colours.insert(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
            if (colours.size() > 256)
                return false;
        }
    }
    return true;
}

void RoundTrip(const QVDIB& picture)
{
    const int64_t pixels = int64_t(picture.GetWidth()) * picture.GetHeight();
    if (pixels > kRoundTripPixels)
        return;
    for (const char* extension : {"bmp", "png"}) {
        const QString path = g_pFolder->filePath(QStringLiteral("saved.") + QLatin1String(extension));
        if (!QVDIB::SaveToFile(&picture, path))
            Fail("a picture that opened could not be saved losslessly");
        QVDIB reloaded;
        if (!reloaded.LoadFromFile(path))
            Fail("a saved lossless file does not open");
        if (!SamePixels(picture, reloaded))
            Fail("a lossless file does not give back the saved pixels");
    }
    const QString gif = g_pFolder->filePath(QStringLiteral("saved.gif"));
    if (!QVDIB::SaveToFile(&picture, gif))
        Fail("a picture that opened could not be saved as GIF");
    QVDIB reloaded;
    if (!reloaded.LoadFromFile(gif))
        Fail("a saved GIF does not open");
    if (!reloaded.SameGeometry(picture))
        Fail("a saved GIF opens at another size");
    if (AtMost256Colours(picture) && !SamePixels(picture, reloaded))
        Fail("a GIF of at most 256 colours is not exact");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Qt's image plugins (JPEG, GIF, TIFF) are found through the application.
    static int appArgc = 1;
    static char* appArgv[] = {(*argv)[0], nullptr};
    static QCoreApplication app(appArgc, appArgv);
    (void)argc;
    // In memory where the system has a memory file system: inputs are written
    // thousands of times a second.
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                    : QDir::tempPath();
    g_pFolder = new QTemporaryDir(base + QStringLiteral("/morvane-fuzz-XXXXXX"));
    if (!g_pFolder->isValid())
        Fail("no temporary folder");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QString path = g_pFolder->filePath(QStringLiteral("input.") +
                                             QLatin1String(kExtensions[data[0] % kExtensionCount]));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Fail("cannot write the input file");
        if (file.write(reinterpret_cast<const char*>(data + 1), qint64(size - 1)) != qint64(size - 1))
            Fail("cannot write the input file");
    }

    // A refusal must leave the picture that was there as it was.
    QVDIB picture;
    if (!picture.Create(3, 2, 24))
        Fail("cannot make the starting picture");
    std::memset(picture.GetBits(), 0x5A, picture.GetHeader()->biSizeImage);
    const uint8_t* bits = picture.GetBits();
    const bool loaded = picture.LoadFromFile(path);
    QFile::remove(path);
    if (!loaded) {
        if (picture.GetBits() != bits || picture.GetWidth() != 3 || picture.GetHeight() != 2)
            Fail("a refused file changed the picture");
        return 0;
    }
    if (picture.GetBitCount() != 24 || picture.GetWidth() <= 0 || picture.GetHeight() <= 0 ||
        int64_t(picture.GetWidth()) * picture.GetHeight() > QVDIB::kMaxDecodedPixels)
        Fail("an opened picture is not a proper 24-bit picture within the limit");
    RoundTrip(picture);
    return 0;
}
