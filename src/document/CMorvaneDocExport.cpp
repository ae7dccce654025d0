// The Export command of the document: Before, After and Combined pictures at
// the sizes the Export dialog asks for, composed and written into a new folder
// on a worker, with progress, after a check that the machine has the memory.

#include "CMorvaneDoc.h"

#include "engine/export/ExportImage.h"
#include "engine/image/QVColorQuantizer.h"
#include "QVBackgroundTask.h"
#include "QVDocManager.h"
#include "QVExportDlg.h"
#include "QVFreeMemory.h"
#include "app/QVMessageBox.h"
#include "res/QVStrings.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLocale>

#include <algorithm>
#include <optional>

namespace {

constexpr double kLabelAlpha = 1.0;
// The bar counts pictures done; within a picture it moves with the bytes
// written against the file size expected.
constexpr int64_t kStepsPerPicture = 1000;
// The size estimate encodes samples of about 3/32 of the picture.
constexpr int64_t kEstimateSampleShareOver32 = 3;
// Beside the pictures: the worker's stack and heap, the progress dialog, the
// encoders' own buffers (measured peaks exceed the pictures by up to 15 MB
// at 24 to 54 megapixels).
constexpr int64_t kWorkingBytes = int64_t(32) << 20;

// Bytes of a 24-bit picture buffer of that size; 0 for a picture that is not
// made (ResizeImage refuses a size of 0).
int64_t PictureBytes(int width, int height)
{
    if (width <= 0 || height <= 0)
        return 0;
    return int64_t(height) * QVDIB::Stride(width, 24) + int64_t(sizeof(QVBitmapInfoHeader));
}

// The most that writing a composed picture of that size holds at once: the
// picture and the top-down copy the encoders read (rows of whole 32-bit
// words); once the picture is released, the copy and the size estimate's
// samples; then the copy and what the encoder makes of it in turn: Qt's BMP
// writer converts the whole picture to 32 bits a pixel first, the GIF writer
// keeps a colour index for every pixel and the tables of its colour reduction.
int64_t WritingBytes(int width, int height, const QString& type)
{
    const int64_t picture = PictureBytes(width, height);
    if (picture == 0)
        return 0;
    const int64_t copy = int64_t(height) * ((int64_t(width) * 3 + 3) & ~int64_t(3));
    int64_t encoder = 0;
    if (type.compare(QLatin1String("BMP"), Qt::CaseInsensitive) == 0)
        encoder = int64_t(width) * height * 4;
    else if (type.compare(QLatin1String("GIF"), Qt::CaseInsensitive) == 0)
        encoder = int64_t(width) * height + QVQuantizerWorkingBytes(int64_t(width) * height);
    return std::max({picture + copy, copy + copy * kEstimateSampleShareOver32 / 32, copy + encoder});
}

// The size of each half of the combined picture: the combined size split
// across the joint, truncated.
int HalfWidth(const QVExportDlg& asked)
{
    return asked.m_bLeftRight ? asked.m_nCombinedWidth / 2 : asked.m_nCombinedWidth;
}

int HalfHeight(const QVExportDlg& asked)
{
    return asked.m_bLeftRight ? asked.m_nCombinedHeight : asked.m_nCombinedHeight / 2;
}

// The most memory the export holds at once, in the order the work below
// goes: the two crops live throughout; the combined picture is made from its
// two halves, which go before it is written; each picture is written before
// the next is made.
int64_t MemoryNeeded(const QVExportDlg& asked, const QVRect& visible)
{
    const int64_t crops = asked.m_bScreenshots ? 2 * PictureBytes(visible.Width(), visible.Height()) : 0;
    int64_t peak = 0;
    if (asked.m_bExportCombined) {
        const int halfWidth = HalfWidth(asked), halfHeight = HalfHeight(asked);
        const int width = asked.m_bLeftRight ? 2 * halfWidth : halfWidth;
        const int height = asked.m_bLeftRight ? halfHeight : 2 * halfHeight;
        const int64_t halves = 2 * PictureBytes(halfWidth, halfHeight);
        if (halves > 0)
            peak = std::max(halves + PictureBytes(width, height),
                            WritingBytes(width, height, asked.m_strType));
    }
    if (asked.m_bExportBefore || asked.m_bExportAfter)
        peak = std::max(peak, WritingBytes(asked.m_nWidth, asked.m_nHeight, asked.m_strType));
    return crops + peak + kWorkingBytes;
}

QString MemoryText(int64_t bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// Where each ticked picture ended.
enum class Outcome { NotReached, Written, Failed };

} // namespace

bool CMorvaneDoc::SplitPathName(QString& name, QString& extension) const
{
    // The extension belongs to the file name: a "." in a folder name is not one.
    const QString fileName = QFileInfo(m_strPathName).fileName();
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    extension = fileName.mid(dot + 1);
    // The title without the extension and its dot, when it shows them.
    name = m_strTitle;
    if (name.contains(QLatin1Char('.')))
        name.chop(extension.size() + 1);
    return true;
}

void CMorvaneDoc::OnFileExport(const QVExportView& shown)
{
    // One save or export at a time.
    if (QVBackgroundTask::IsRunning())
        return;
    QString name, extension;
    if (!SplitPathName(name, extension)) {
        name = LoadString(IDS_UNNAMED);
        extension = LoadString(IDS_DEFAULT_EXTENSION);
    }

    QVExportDlg dialog(QApplication::activeWindow());
    const QVRect visible = shown.rcVisible;
    if (shown.bVisibleKnown) {
        dialog.m_dScreenWidth = visible.Width();
        dialog.m_dScreenHeight = visible.Height();
    } else {
        dialog.m_bScreenshotsAllowed = false;
    }
    dialog.m_dImageWidth = m_dibAfter.GetWidth();
    dialog.m_dImageHeight = m_dibAfter.GetHeight();
    dialog.m_strName = name;
    // JPEG and TIFF files are proposed as the list's JPG and TIF.
    dialog.m_strType = QVDocManager::ShortExtension(extension).toUpper();
    if (!m_strPathName.isEmpty())
        dialog.m_strPictureFolder = QFileInfo(m_strPathName).absolutePath();
    dialog.m_bLeftRight = shown.bLeftRight;
    if (dialog.DoModal() != QDialog::Accepted)
        return;

    // Five times a photo's size per side is many gigabytes: an export the
    // machine cannot hold is refused before anything is made or written.
    const int64_t needed = MemoryNeeded(dialog, visible);
    if (const std::optional<int64_t> available = QVFreeMemory(); available && needed > *available) {
        QVMessageBox::Show(
            QApplication::activeWindow(),
            LoadString(IDS_EXPORT_NO_MEMORY).arg(MemoryText(needed), MemoryText(*available)),
            QMessageBox::Critical);
        return;
    }

    // One new folder; an existing one is not written into.
    const QString folder = dialog.m_strPath + QLatin1Char('/') + dialog.m_strName;
    if (dialog.m_strName.isEmpty() || !QDir().mkdir(folder)) {
        // The whole path: the folder that holds it may be what is missing.
        QVMessageBox::Show(QApplication::activeWindow(),
                           LoadString(IDS_FOLDER_FAILED).arg(QDir::toNativeSeparators(folder)),
                           QMessageBox::Critical);
        return;
    }
    auto pathOf = [&](int word) {
        return folder + QLatin1Char('/') + dialog.m_strName + QStringLiteral(" @") +
               LoadString(word) + QLatin1Char('.') + dialog.m_strType;
    };
    const QString beforePath = pathOf(IDS_MODE_BEFORE);
    const QString afterPath = pathOf(IDS_MODE_AFTER);
    const QString combinedPath = pathOf(IDS_MODE_COMBINED);

    // What the worker reads of the dialog, which nothing changes meanwhile.
    const QVExportDlg& asked = dialog;
    // The pictures in the order they are written, and what the progress says
    // while each is made and written.
    const int count = int(asked.m_bExportCombined) + int(asked.m_bExportBefore) + int(asked.m_bExportAfter);
    QStringList texts;
    for (const auto& [ticked, path] : {std::pair{asked.m_bExportCombined, &combinedPath},
                                       std::pair{asked.m_bExportBefore, &beforePath},
                                       std::pair{asked.m_bExportAfter, &afterPath}})
        if (ticked)
            texts << LoadString(IDS_EXPORTING)
                         .arg(QString::number(texts.size() + 1), QString::number(count),
                              QFileInfo(*path).fileName());

    Outcome combinedOutcome = Outcome::NotReached;
    Outcome beforeOutcome = Outcome::NotReached;
    Outcome afterOutcome = Outcome::NotReached;
    bool stopped = false;
    // The work reads the document's pictures on the worker; the task keeps the
    // user's input away until it is over, so nothing edits them meanwhile.
    QVBackgroundTask task(dialog.parentWidget(), texts.value(0));
    const bool ran = task.Run([&](QVBackgroundTask::Progress& progress) {
        const int64_t total = count * kStepsPerPicture;
        int index = 0;
        auto begin = [&] {
            progress.SetText(texts.value(index));
            progress.Set(index * kStepsPerPicture, total);
        };
        // Writes a composed picture to path and releases it once the
        // encoder has its copy; false when it failed or was cancelled.
        auto write = [&](QVDIB& picture, const QString& path) {
            // The composed pictures are new buffers: they take the photo's colour profile.
            picture.SetColorProfile(m_dibBefore.GetColorProfile());
            const QImage image = picture.ToImage();
            picture.Free();
            if (image.isNull() || progress.IsCancelled())
                return false;
            const int64_t expected = QVDIB::EstimateFileSize(image, path);
            const int64_t start = index * kStepsPerPicture;
            return QVDIB::SaveImageToFile(image, path, [&](int64_t written) {
                const int64_t within =
                    expected > 0 ? std::min(written, expected) * kStepsPerPicture / expected : 0;
                progress.Set(start + within, total);
                return !progress.IsCancelled();
            });
        };
        // A picture the user stopped is neither written nor failed, and no
        // later picture is begun.
        auto finish = [&](Outcome& outcome, bool written) {
            stopped = !written && progress.IsCancelled();
            outcome = written ? Outcome::Written : stopped ? Outcome::NotReached : Outcome::Failed;
            ++index;
        };

        QVDIB beforeCrop, afterCrop;
        const QVDIB* beforeSource = &m_dibBefore;
        const QVDIB* afterSource = &m_dibAfter;
        bool cropsMade = false;
        if (asked.m_bScreenshots) {
            const bool beforeCropped = CropImage(&m_dibBefore, &beforeCrop, visible);
            const bool afterCropped = CropImage(&m_dibAfter, &afterCrop, visible);
            beforeSource = beforeCropped ? &beforeCrop : nullptr;
            afterSource = afterCropped ? &afterCrop : nullptr;
            cropsMade = beforeCropped && afterCropped;
        }

        if (asked.m_bExportCombined) {
            begin();
            const QVDIB* beforeHalfSource = cropsMade ? &beforeCrop : &m_dibBefore;
            const QVDIB* afterHalfSource = cropsMade ? &afterCrop : &m_dibAfter;
            QVDIB combined;
            {
                QVDIB beforeHalf, afterHalf;
                (void)ResizeImage(&beforeHalf, beforeHalfSource, HalfWidth(asked), HalfHeight(asked));
                (void)ResizeImage(&afterHalf, afterHalfSource, HalfWidth(asked), HalfHeight(asked));
                if (asked.m_bMarkCombined) {
                    // A label that does not fit is left out.
                    (void)DrawLabel(&beforeHalf, &m_dibBeforeLabel, kLabelAlpha);
                    (void)DrawLabel(&afterHalf, &m_dibAfterLabel, kLabelAlpha);
                }
                if (!beforeHalf.IsEmpty() && !afterHalf.IsEmpty() && !progress.IsCancelled())
                    (void)CombineImages(&combined, &beforeHalf, &afterHalf, asked.m_bLeftRight);
            }
            finish(combinedOutcome, !combined.IsEmpty() && write(combined, combinedPath));
        }
        // A ticked picture is made, labelled when asked, and written.
        auto picture = [&](bool ticked, const QVDIB* source, const QVDIB& label,
                           const QString& path, Outcome& outcome) {
            if (!ticked || stopped)
                return;
            begin();
            QVDIB made;
            (void)ResizeImage(&made, source, asked.m_nWidth, asked.m_nHeight);
            if (!made.IsEmpty() && asked.m_bMark)
                (void)DrawLabel(&made, &label, kLabelAlpha);
            finish(outcome, !made.IsEmpty() && !progress.IsCancelled() && write(made, path));
        };
        picture(asked.m_bExportBefore, beforeSource, m_dibBeforeLabel, beforePath, beforeOutcome);
        picture(asked.m_bExportAfter, afterSource, m_dibAfterLabel, afterPath, afterOutcome);
        return true;
    });
    if (!ran)
        return;

    // Failures in the order before, after, combined; success only when none.
    bool failed = false;
    auto report = [&](Outcome outcome, const QString& path) {
        if (outcome != Outcome::Failed)
            return;
        QVMessageBox::Show(QApplication::activeWindow(), LoadString(IDS_SAVE_FAILED).arg(path),
                           QMessageBox::Critical);
        failed = true;
    };
    report(beforeOutcome, beforePath);
    report(afterOutcome, afterPath);
    report(combinedOutcome, combinedPath);
    if (stopped) {
        // What was written stays, and the user is told what that is.
        QStringList written;
        for (const auto& [outcome, path] : {std::pair{combinedOutcome, &combinedPath},
                                            std::pair{beforeOutcome, &beforePath},
                                            std::pair{afterOutcome, &afterPath}})
            if (outcome == Outcome::Written)
                written << QFileInfo(*path).fileName();
        const QString shownFolder = QDir::toNativeSeparators(folder);
        QVMessageBox::Show(QApplication::activeWindow(),
                           written.isEmpty()
                               ? LoadString(IDS_EXPORT_CANCELLED_NONE).arg(shownFolder)
                               : LoadString(IDS_EXPORT_CANCELLED)
                                     .arg(shownFolder, written.join(QLatin1Char('\n'))),
                           QMessageBox::Information);
    } else if (!failed) {
        QVMessageBox::Show(QApplication::activeWindow(), LoadString(IDS_EXPORT_DONE),
                           QMessageBox::Information);
    }
}
