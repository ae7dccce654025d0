// Every file of the shared decoder corpus (PngSuite, BMP Suite, libtiff's,
// libjpeg-turbo's and Pillow's test pictures), opened the way the editor opens
// a picture. corpus/EXPECTED.md classifies each file; it is read at run time.

#include "ProcessMemory.h"
#include "engine/image/QVDIB.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <gtest/gtest.h>


#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace {

const QString kCorpus = QStringLiteral(MORVANE_SHARED_DIR "/corpus");

// Well-formed files that Qt 6.4.2 with libtiff 4.5.0 cannot decode. They need
// only be refused cleanly (or, once the libraries catch up, load as they should).
const QHash<QString, const char*> kValidButUndecodable = {
    {QStringLiteral("libtiff/testfax3_bug54_1dnoEOL.tif"),
     "CCITT G3 1-D without end-of-line codes; libtiff 4.5.0 stops at 'Premature EOL'"},
    {QStringLiteral("libtiff/testfax3_bug_513.tiff"),
     "CCITT G3 of libtiff issue 513; libtiff 4.5.0 reports a buffer overflow at line 0"},
    {QStringLiteral("pillow/tiff/tiff_16bit_RGB.tiff"),
     "16-bit RGB in one 256 x 256 tile larger than the picture; Qt's TIFF reader gives up"},
    {QStringLiteral("pillow/tiff/tiff_tiled_planar_16bit_RGBa.tiff"),
     "16-bit RGBA in separate-plane tiles; Qt's TIFF reader gives up"},
};

// Damaged files that the decoders open anyway. Each must still not crash, and
// what it gives must be a proper picture. Files cut short are not among them:
// the structure check refuses them before decoding (b/shortfile.bmp, whose
// rows run past the end, and jpeg/truncated_jpeg.jpg, without its end marker).
const QHash<QString, const char*> kBrokenButDecoded = {
    {QStringLiteral("bmpsuite/b/badbitssize.bmp"),
     "BMP Suite asks only 'no crash' of b/ files; Qt ignores the wrong image-size field"},
    {QStringLiteral("bmpsuite/b/baddens1.bmp"),
     "BMP Suite asks only 'no crash' of b/ files; the density is not used for decoding"},
    {QStringLiteral("bmpsuite/b/baddens2.bmp"),
     "BMP Suite asks only 'no crash' of b/ files; the density is not used for decoding"},
    {QStringLiteral("bmpsuite/b/badfilesize.bmp"),
     "BMP Suite asks only 'no crash' of b/ files; Qt ignores the wrong file-size field"},
    {QStringLiteral("bmpsuite/b/badrle.bmp"),
     "BMP Suite asks only 'no crash' of b/ files; Qt clips the runs that overrun"},
    {QStringLiteral("bmpsuite/b/pal8badindex.bmp"),
     "BMP Suite asks only 'no crash' of b/ files; indices past the palette come out black"},
    {QStringLiteral("bmpsuite/b/rletopdown.bmp"),
     "BMP Suite asks only 'no crash' of b/ files; Qt decodes the top-down RLE"},
    {QStringLiteral("pillow/tiff/crash-0da013a13571cc8eb457a39fee8db18f8a3c7127.tif"),
     "fuzzer CCITT G4 file that libtiff decodes with 'Line length mismatch' warnings"},
    {QStringLiteral("pillow/tiff/crash-74d2a78403a5a59db1fb0a2b8735ac068a75f6e3.tif"),
     "fuzzer CCITT G4 file that libtiff decodes with 'Premature EOL' warnings"},
};

// Files whose EXIF orientation turns them a quarter: we open pictures upright,
// so width and height come out swapped against the stored (observed) size.
const QHash<QString, const char*> kTurnedByOrientation = {
    {QStringLiteral("pillow/jpeg/orientation_rectangle.jpg"),
     "2 x 1 stored with an EXIF orientation that displays it 1 x 2"},
};

struct CorpusFile
{
    QString path;     // relative to the corpus folder
    QString expected; // valid, valid/unsup-ok, either or broken
    QString observed; // "OK 32x32 ...", "FAIL: ..."
};

// The tables of EXPECTED.md: one "## folder/ — title (N files)" section per
// suite, one "| `file` | expected | what it is | observed |" row per file.
std::vector<CorpusFile> ReadExpectations(const QString& path, QStringList& problems)
{
    std::vector<CorpusFile> files;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        problems << QStringLiteral("cannot read ") + path;
        return files;
    }
    const QRegularExpression section(QStringLiteral("^## (\\S+)/ .*?(?:\\((\\d+) files\\))?$"));
    const QRegularExpression row(QStringLiteral(
        "^\\|\\s*`([^`]+)`\\s*\\|\\s*([^|]+?)\\s*\\|[^|]*\\|\\s*([^|]*?)\\s*\\|\\s*$"));
    const QRegularExpression totals(QStringLiteral("^Totals: (\\d+) files"));

    QString folder;
    int claimedInSection = -1;
    int rowsInSection = 0;
    int claimedTotal = -1;
    const auto closeSection = [&] {
        if (!folder.isEmpty() && claimedInSection >= 0 && rowsInSection != claimedInSection)
            problems << QStringLiteral("%1/: %2 rows, the heading says %3")
                            .arg(folder)
                            .arg(rowsInSection)
                            .arg(claimedInSection);
    };
    QTextStream in(&file);
    for (int lineNumber = 1; !in.atEnd(); ++lineNumber) {
        const QString line = in.readLine();
        if (const auto m = totals.match(line); m.hasMatch()) claimedTotal = m.captured(1).toInt();
        if (const auto m = section.match(line); m.hasMatch()) {
            closeSection();
            folder = m.captured(1);
            claimedInSection = m.captured(2).isEmpty() ? -1 : m.captured(2).toInt();
            rowsInSection = 0;
            continue;
        }
        if (!line.startsWith(QLatin1String("| `"))) continue;
        const auto m = row.match(line);
        if (!m.hasMatch() || folder.isEmpty()) {
            problems << QStringLiteral("EXPECTED.md:%1: row not understood").arg(lineNumber);
            continue;
        }
        files.push_back({folder + QLatin1Char('/') + m.captured(1), m.captured(2), m.captured(3)});
        ++rowsInSection;
    }
    closeSection();
    if (claimedTotal >= 0 && claimedTotal != int(files.size()))
        problems << QStringLiteral("%1 rows read, the totals say %2")
                        .arg(files.size())
                        .arg(claimedTotal);
    return files;
}


struct Counts
{
    int loaded = 0;
    int refused = 0;
    int excepted = 0;
};

// What is wrong with the outcome of one file, or nothing.
QString Judge(const CorpusFile& file, bool loaded, const QVDIB& picture, Counts& counts)
{
    loaded ? ++counts.loaded : ++counts.refused;
    const auto wellFormed = [&]() -> QString {
        if (picture.GetBitCount() != 24)
            return QStringLiteral("loaded at %1 bits, not 24").arg(picture.GetBitCount());
        if (picture.GetWidth() <= 0 || picture.GetHeight() <= 0)
            return QStringLiteral("loaded as %1x%2")
                .arg(picture.GetWidth())
                .arg(picture.GetHeight());
        return {};
    };

    if (kValidButUndecodable.contains(file.path) || kBrokenButDecoded.contains(file.path)) {
        ++counts.excepted;
        return loaded ? wellFormed() : QString();
    }
    if (file.expected == QLatin1String("valid/unsup-ok") ||
        file.expected == QLatin1String("either"))
        return loaded ? wellFormed() : QString();
    if (file.expected == QLatin1String("broken"))
        return loaded ? QStringLiteral("broken file loaded as %1x%2")
                            .arg(picture.GetWidth())
                            .arg(picture.GetHeight())
                      : QString();
    if (file.expected != QLatin1String("valid"))
        return QStringLiteral("unknown class '%1'").arg(file.expected);

    if (!loaded) return QStringLiteral("valid file refused (observed: %1)").arg(file.observed);
    if (const QString problem = wellFormed(); !problem.isEmpty()) return problem;
    static const QRegularExpression size(QStringLiteral("^OK (\\d+)x(\\d+)"));
    const auto m = size.match(file.observed);
    if (!m.hasMatch())
        return QStringLiteral("no size in the observed column '%1'").arg(file.observed);
    int width = m.captured(1).toInt();
    int height = m.captured(2).toInt();
    if (kTurnedByOrientation.contains(file.path)) std::swap(width, height);
    if (picture.GetWidth() != width || picture.GetHeight() != height)
        return QStringLiteral("loaded as %1x%2, expected %3x%4")
            .arg(picture.GetWidth())
            .arg(picture.GetHeight())
            .arg(width)
            .arg(height);
    return {};
}

TEST(CorpusDecoding, EveryFileMeetsItsClass)
{
    const QString expectations = kCorpus + QStringLiteral("/EXPECTED.md");
    if (!QFileInfo::exists(expectations))
        GTEST_SKIP() << "no decoder corpus at " << qPrintable(kCorpus);

    QStringList problems;
    const std::vector<CorpusFile> files = ReadExpectations(expectations, problems);
    ASSERT_FALSE(files.empty()) << qPrintable(problems.join(QLatin1Char('\n')));

    // The lists above must name files of the table, of the class they excuse.
    QHash<QString, QString> classes;
    for (const CorpusFile& file : files)
        classes.insert(file.path, file.expected);
    const auto checkList = [&](const QHash<QString, const char*>& list, const char* expected) {
        for (auto it = list.cbegin(); it != list.cend(); ++it)
            if (classes.value(it.key()) != QLatin1String(expected))
                problems << it.key() + QStringLiteral(": listed as an exception for '") +
                                QLatin1String(expected) + QStringLiteral("' files but is '") +
                                classes.value(it.key()) + QLatin1Char('\'');
    };
    checkList(kValidButUndecodable, "valid");
    checkList(kBrokenButDecoded, "broken");
    checkList(kTurnedByOrientation, "valid");

    // Damaged files make libtiff and libpng complain on stderr; that is expected.
    RestartPeakRss();
    Counts counts;
    for (const CorpusFile& file : files) {
        const QString path = kCorpus + QLatin1Char('/') + file.path;
        if (!QFileInfo(path).isFile()) {
            problems << file.path + QStringLiteral(": missing from the corpus");
            continue;
        }
        // A refusal leaves the picture that was there as it was.
        QVDIB picture;
        if (!picture.Create(2, 2, 24)) {
            problems << file.path + QStringLiteral(": could not make the starting picture");
            continue;
        }
        std::memset(picture.GetBits(), 0x5A, picture.GetHeader()->biSizeImage);
        const uint8_t* bits = picture.GetBits();

        const bool loaded = picture.LoadFromFile(path);
        QString problem = Judge(file, loaded, picture, counts);
        if (!loaded && problem.isEmpty() &&
            (picture.GetBits() != bits || picture.GetWidth() != 2 || picture.GetHeight() != 2 ||
             !std::all_of(bits, bits + picture.GetHeader()->biSizeImage,
                          [](uint8_t b) { return b == 0x5A; })))
            problem = QStringLiteral("refused, but the picture held before changed");
        if (!problem.isEmpty())
            problems << file.path + QStringLiteral(" [") + file.expected + QStringLiteral("]: ") +
                            problem;
    }
    const long peakMB = PeakRssKb() / 1024;

    std::printf("[ CORPUS   ] %d files: %d loaded, %d refused, %d listed exceptions; "
                "peak memory %ld MB\n",
                int(files.size()), counts.loaded, counts.refused, counts.excepted, peakMB);
    RecordProperty("files", int(files.size()));
    RecordProperty("loaded", counts.loaded);
    RecordProperty("refused", counts.refused);

    EXPECT_TRUE(problems.isEmpty()) << problems.size() << " problems:\n"
                                    << qPrintable(problems.join(QLatin1Char('\n')));
    // Fuzzer files claim huge pictures; none may make us allocate their claim.
    EXPECT_LT(peakMB, 2048);
}

} // namespace
