// Benchmarks of picture files on a 6000 x 4000 photo-like picture: the GIF
// save with its colour reduction, the colour reduction alone, and saving
// through the checked temporary file.
//
// Run: <build>/bench/morvane_codec_bench [--benchmark_filter=<regex>]

#include "TestPhoto.h"
#include "engine/image/QVColorQuantizer.h"
#include "engine/image/QVDIB.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    using benchmark::kMillisecond;
    benchmark::RegisterBenchmark("QuantizeColours/24MP", BM_Quantize)->Unit(kMillisecond)->Iterations(3);
    for (const char* extension : {"gif", "png", "jpg", "bmp", "tif"}) {
        const std::string name = std::string("SaveToFile/24MP/") + extension;
        benchmark::RegisterBenchmark(name.c_str(), BM_Save, extension)
            ->Unit(kMillisecond)
            ->Iterations(3);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
