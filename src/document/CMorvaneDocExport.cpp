// The Export command of the document: Before, After and Combined pictures at
// the sizes the Export dialog asks for, written into a new folder.

#include "CMorvaneDoc.h"

#include "engine/export/ExportImage.h"
#include "QVDocManager.h"
#include "QVExportDlg.h"
#include "app/QVMessageBox.h"
#include "res/QVStrings.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace {

constexpr double kLabelAlpha = 1.0;

// Restores the cursor however the export ends.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { Release(); }
    void Release()
    {
        if (m_bActive)
            QApplication::restoreOverrideCursor();
        m_bActive = false;
    }

private:
    bool m_bActive = true;
};

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

    // Composing five times a big photo takes seconds.
    BusyCursor busy;
    QVDIB beforeCrop, afterCrop, before, after;
    const QVDIB* beforeSource = &m_dibBefore;
    const QVDIB* afterSource = &m_dibAfter;
    bool cropsMade = false;
    if (dialog.m_bScreenshots) {
        const bool beforeCropped = CropImage(&m_dibBefore, &beforeCrop, visible);
        const bool afterCropped = CropImage(&m_dibAfter, &afterCrop, visible);
        beforeSource = beforeCropped ? &beforeCrop : nullptr;
        afterSource = afterCropped ? &afterCrop : nullptr;
        cropsMade = beforeCropped && afterCropped;
    }
    (void)ResizeImage(&before, beforeSource, dialog.m_nWidth, dialog.m_nHeight);
    (void)ResizeImage(&after, afterSource, dialog.m_nWidth, dialog.m_nHeight);

    bool combinedWritten = false;
    if (dialog.m_bExportCombined) {
        const QVDIB* beforeHalfSource = cropsMade ? &beforeCrop : &m_dibBefore;
        const QVDIB* afterHalfSource = cropsMade ? &afterCrop : &m_dibAfter;
        const int halfWidth = dialog.m_bLeftRight ? dialog.m_nCombinedWidth / 2 : dialog.m_nCombinedWidth;
        const int halfHeight =
            dialog.m_bLeftRight ? dialog.m_nCombinedHeight : dialog.m_nCombinedHeight / 2;
        QVDIB beforeHalf, afterHalf, combined;
        (void)ResizeImage(&beforeHalf, beforeHalfSource, halfWidth, halfHeight);
        (void)ResizeImage(&afterHalf, afterHalfSource, halfWidth, halfHeight);
        if (dialog.m_bMarkCombined) {
            // A label that does not fit is left out.
            (void)DrawLabel(&beforeHalf, &m_dibBeforeLabel, kLabelAlpha);
            (void)DrawLabel(&afterHalf, &m_dibAfterLabel, kLabelAlpha);
        }
        if (!beforeHalf.IsEmpty() && !afterHalf.IsEmpty() &&
            CombineImages(&combined, &beforeHalf, &afterHalf, dialog.m_bLeftRight)) {
            // The composed pictures are new buffers: they take the photo's colour profile.
            combined.SetColorProfile(m_dibBefore.GetColorProfile());
            combinedWritten = QVDIB::SaveToFile(&combined, combinedPath);
        }
    }
    beforeCrop.Free();
    afterCrop.Free();

    // A ticked picture is labelled when asked and written; it is released either way.
    auto write = [&](bool ticked, QVDIB& picture, const QVDIB& label, const QString& path) {
        bool written = false;
        if (ticked && !picture.IsEmpty()) {
            if (dialog.m_bMark)
                (void)DrawLabel(&picture, &label, kLabelAlpha);
            picture.SetColorProfile(m_dibBefore.GetColorProfile());
            written = QVDIB::SaveToFile(&picture, path);
        }
        picture.Free();
        return written;
    };
    const bool beforeWritten = write(dialog.m_bExportBefore, before, m_dibBeforeLabel, beforePath);
    const bool afterWritten = write(dialog.m_bExportAfter, after, m_dibAfterLabel, afterPath);
    busy.Release();

    // Failures in the order before, after, combined; success only when none.
    bool failed = false;
    auto report = [&](bool ticked, bool written, const QString& path) {
        if (!ticked || written)
            return;
        QVMessageBox::Show(QApplication::activeWindow(), LoadString(IDS_SAVE_FAILED).arg(path),
                           QMessageBox::Critical);
        failed = true;
    };
    report(dialog.m_bExportBefore, beforeWritten, beforePath);
    report(dialog.m_bExportAfter, afterWritten, afterPath);
    report(dialog.m_bExportCombined, combinedWritten, combinedPath);
    if (!failed)
        QVMessageBox::Show(QApplication::activeWindow(), LoadString(IDS_EXPORT_DONE),
                           QMessageBox::Information);
}
