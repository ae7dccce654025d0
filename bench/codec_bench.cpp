// Benchmarks of picture files on a 6000 x 4000 photo-like picture: the GIF
// save with its colour reduction, the colour reduction alone, saving through
// the checked temporary file, PNG at every zlib level (the measurement behind
// the level the codec uses) and through Qt's writer, the file size estimate a save's progress bar
// measures against, and painting a window's worth of a picture with and
// without a wide-gamut colour profile to convert.
//
// Run: <build>/bench/morvane_codec_bench [--benchmark_filter=<regex>]

#include "TestPhoto.h"
#include "engine/image/QVColorProfile.h"
#include "engine/image/QVColorQuantizer.h"
#include "engine/image/QVDIB.h"
#include "engine/image/QVImageEncoder.h"
#include "engine/image/QVPngEncoder.h"
#include "engine/image/QVSafeFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QColorSpace>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace {

const QVDIB& Photo()
{
    static QVDIB photo;
    if (photo.IsEmpty() && !MakePhoto(photo, 6000, 4000))
        std::abort();
    return photo;
}

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    return folder;
}

void BM_Save(benchmark::State& state, const char* extension)
{
    const QString path = Folder().filePath(QStringLiteral("saved.") + QLatin1String(extension));
    for (auto _ : state) {
        if (!QVDIB::SaveToFile(&Photo(), path)) {
            state.SkipWithError("SaveToFile failed");
            break;
        }
    }
    state.counters["file_MB"] = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
}

// A PNG writer streaming into the checked temporary file exactly as a save
// does (the picture converted once, outside the timing), at zlib level
// state.range(0): our encoder (Up filter on every row), the choice of
// kPngZlibLevel, or Qt's writer (all five filters tried on every row).
void BM_PngLevel(benchmark::State& state, bool qtWriter)
{
    const int level = int(state.range(0));
    const QImage picture = Photo().ToImage();
    const QString path = Folder().filePath(QStringLiteral("level.png"));
    for (auto _ : state) {
        QVSafeFile file(path);
        bool written = file.Open();
        if (written && qtWriter) {
            QImageWriter writer(&file, "png");
            writer.setCompression(QtPngCompressionForLevel(level));
            written = writer.write(picture);
        } else if (written) {
            written = WritePng(picture, &file, level);
        }
        if (!written || !file.Commit()) {
            state.SkipWithError("PNG write failed");
            break;
        }
    }
    const double bytes = double(QFileInfo(path).size());
    state.counters["file_MB"] = bytes / (1024.0 * 1024.0);
    state.counters["raw_pct"] = 100.0 * bytes / double(picture.sizeInBytes());
}

// The size estimate a save's progress bar measures the bytes written against:
// what it costs beside the save itself, and how far from the real file size
// it lands (error_pct: negative when the bar would reach its end early).
void BM_EstimateFileSize(benchmark::State& state, const char* extension)
{
    const QImage picture = Photo().ToImage();
    const QString path = Folder().filePath(QStringLiteral("estimated.") + QLatin1String(extension));
    int64_t estimate = 0;
    for (auto _ : state)
        estimate = QVDIB::EstimateFileSize(picture, path);
    if (!QVDIB::SaveImageToFile(picture, path, {})) {
        state.SkipWithError("SaveImageToFile failed");
        return;
    }
    const double actual = double(QFileInfo(path).size());
    state.counters["error_pct"] = 100.0 * (double(estimate) - actual) / actual;
}

// The top-down RGB copy every save encodes from.
void BM_ToImage(benchmark::State& state)
{
    for (auto _ : state) {
        const QImage picture = Photo().ToImage();
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void BM_Quantize(benchmark::State& state)
{
    const QImage rgb = Photo().ToImage();
    std::vector<uint8_t> indices;
    std::array<QVPaletteEntry, 256> palette{};
    int colours = 0;
    for (auto _ : state) {
        if (!QVQuantizeColours(rgb.constBits(), rgb.width(), rgb.height(),
                               size_t(rgb.bytesPerLine()), indices, palette, colours)) {
            state.SkipWithError("QVQuantizeColours failed");
            break;
        }
        benchmark::DoNotOptimize(indices.data());
    }
    state.counters["colours"] = colours;
}

// A 1600 x 1000 window's worth at zoom 1, as the view paints it.
void BM_Paint(benchmark::State& state, bool displayP3)
{
    QVDIB picture;
    if (!picture.CopyFrom(&Photo())) {
        state.SkipWithError("CopyFrom failed");
        return;
    }
    if (displayP3)
        picture.SetColorProfile(QVColorProfile::FromColorSpace(QColorSpace::DisplayP3));
    QImage window(1600, 1000, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&window);
        benchmark::DoNotOptimize(picture.Paint(&painter, QVRect{0, 0, 1600, 1000},
                                               QVRect{2000, 1500, 3600, 2500}));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    (void)Photo(); // made once here, not inside the first benchmark's timing
    using benchmark::kMillisecond;
    benchmark::RegisterBenchmark("ToImage/24MP", BM_ToImage)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("QuantizeColours/24MP", BM_Quantize)->Unit(kMillisecond)->Iterations(3);
    for (const char* extension : {"gif", "png", "jpg", "bmp", "tif"}) {
        const std::string name = std::string("SaveToFile/24MP/") + extension;
        benchmark::RegisterBenchmark(name.c_str(), BM_Save, extension)
            ->Unit(kMillisecond)
            ->Iterations(3);
    }
    benchmark::RegisterBenchmark("PngLevel/24MP", BM_PngLevel, false)
        ->DenseRange(0, 9)
        ->ArgName("zlib")
        ->Unit(kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("PngLevel/24MP/qt_writer", BM_PngLevel, true)
        ->Arg(kPngZlibLevel)
        ->ArgName("zlib")
        ->Unit(kMillisecond)
        ->Iterations(3);
    for (const char* extension : {"png", "jpg", "bmp", "tif"}) {
        const std::string name = std::string("EstimateFileSize/24MP/") + extension;
        benchmark::RegisterBenchmark(name.c_str(), BM_EstimateFileSize, extension)
            ->Unit(kMillisecond)
            ->Iterations(3);
    }
    benchmark::RegisterBenchmark("Paint/1600x1000/no_profile", BM_Paint, false)->Unit(kMillisecond);
    benchmark::RegisterBenchmark("Paint/1600x1000/display_p3", BM_Paint, true)->Unit(kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
