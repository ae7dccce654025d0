#include "CMorvaneDoc.h"

#include "app/QVCommandIds.h"
#include "app/QVMessageBox.h"
#include "document/QVBackgroundTask.h"
#include "document/QVDocManager.h"
#include "res/QVArt.h"
#include "res/QVStrings.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>

namespace {

// A file that cannot be written, or whose permissions mark it read-only (the
// system lets root write any file; a save refuses to replace such a file).
bool IsReadOnlyFile(const QString& path)
{
    static constexpr QFileDevice::Permissions kWriteBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    const QFileInfo file(path);
    return file.exists() && (!file.isWritable() || !(file.permissions() & kWriteBits));
}

} // namespace

CMorvaneDoc::CMorvaneDoc(QObject* parent) : QObject(parent)
{
    // The label pictures are bitmap resources.
    QVArt::EnsureResources();
}

CMorvaneDoc::~CMorvaneDoc() = default;

bool CMorvaneDoc::OnOpenDocument(const QString& path)
{
    if (!m_dibBefore.LoadFromFile(path)) {
        QVMessageBox::Show(QApplication::activeWindow(), LoadString(IDS_OPEN_FAILED).arg(path),
                           QMessageBox::Critical);
        return false;
    }
    // A missing label only leaves the export's stamp with nothing to draw.
    (void)m_dibAfter.CopyFrom(&m_dibBefore);
    // The after-image holds the before-image's content, which the file holds.
    SetStates(m_nBeforeState, m_nBeforeState);
    (void)m_dibBeforeLabel.LoadFromResource(kBeforeLabelResource);
    (void)m_dibAfterLabel.LoadFromResource(kAfterLabelResource);
    return true;
}

bool CMorvaneDoc::OnSaveDocument(const QString& path)
{
    // The encoder runs on a worker while the window keeps painting; the task
    // keeps the user's input away meanwhile, so nothing edits the after-image
    // under it.
    QVBackgroundTask task(QApplication::activeWindow(),
                          LoadString(IDS_SAVING).arg(QFileInfo(path).fileName()));
    const QVDIB& after = m_dibAfter;
    const bool saved = task.Run([&after, &path](QVBackgroundTask::Progress& progress) {
        if (after.IsEmpty() || !QVDIB::GetEncoderClsidForFile(path, nullptr))
            return false;
        // The copy the encoders read, then the file size the bytes written
        // are measured against: the bar moves with the encoder's output.
        const QImage picture = after.ToImage();
        if (picture.isNull() || progress.IsCancelled())
            return false;
        const int64_t expected = QVDIB::EstimateFileSize(picture, path);
        return QVDIB::SaveImageToFile(picture, path, [&progress, expected](int64_t written) {
            progress.Set(written, expected);
            return !progress.IsCancelled();
        });
    });
    if (!saved) {
        // A save the user stopped is no failure to report: the old file is
        // as it was and the document stays modified.
        if (!task.WasCancelled())
            QVMessageBox::Show(QApplication::activeWindow(), LoadString(IDS_SAVE_FAILED).arg(path),
                               QMessageBox::Critical);
        return false;
    }
    SetModifiedFlag(false);
    SetPathName(path, true);
    return true;
}

void CMorvaneDoc::SetModifiedFlag(bool modified)
{
    if (modified)
        SetStates(++m_nLastState, m_nSavedState);
    else
        SetStates(m_nAfterState, m_nAfterState);
}

void CMorvaneDoc::SetAfterState(uint64_t state)
{
    SetStates(state, m_nSavedState);
}

void CMorvaneDoc::SetStates(uint64_t after, uint64_t saved)
{
    const bool was = IsModified();
    m_nAfterState = after;
    m_nSavedState = saved;
    if (IsModified() != was)
        emit modifiedChanged(IsModified());
}

void CMorvaneDoc::SetPathName(const QString& path, bool addToRecentFiles)
{
    m_strPathName = QFileInfo(path).absoluteFilePath();
    SetTitle(QFileInfo(path).fileName());
    emit pathNameSet(m_strPathName, addToRecentFiles);
}

void CMorvaneDoc::SetTitle(const QString& title)
{
    m_strTitle = title;
    emit titleChanged(title);
}

bool CMorvaneDoc::DoSave(const QString& path)
{
    QString target = path;
    if (target.isEmpty()) {
        target = m_strPathName.isEmpty() ? m_strTitle : m_strPathName;
        if (!QVDocManager::DoPromptFileName(target, AFX_IDS_SAVEFILE, false))
            return false;
    }
    return OnSaveDocument(target);
}

bool CMorvaneDoc::DoFileSave()
{
    // A file that cannot be written, or is marked read-only, is saved under a
    // new name instead.
    if (m_strPathName.isEmpty() || IsReadOnlyFile(m_strPathName))
        return DoSave(QString());
    return DoSave(m_strPathName);
}

bool CMorvaneDoc::SaveModified()
{
    // No window closes while a save or an export is running: the work reads
    // a document's pictures.
    if (QVBackgroundTask::IsRunning())
        return false;
    if (!IsModified())
        return true;
    const QString name = m_strPathName.isEmpty() ? m_strTitle : QFileInfo(m_strPathName).fileName();
    switch (QVMessageBox::Show(QApplication::activeWindow(),
                               LoadString(AFX_IDP_ASK_TO_SAVE).arg(name), QMessageBox::Question,
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return DoFileSave();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

bool CMorvaneDoc::HasCmdHandler(int id) const
{
    return id == ID_FILE_SAVE || id == ID_FILE_SAVE_AS || id == ID_FILE_CLOSE;
}

bool CMorvaneDoc::OnCmdMsg(int id)
{
    // One save or export at a time; their dialog keeps commands away, this
    // keeps away whatever else could send one.
    if (HasCmdHandler(id) && QVBackgroundTask::IsRunning())
        return true;
    switch (id) {
    case ID_FILE_SAVE:
        DoFileSave();
        return true;
    case ID_FILE_SAVE_AS:
        DoSave(QString());
        return true;
    case ID_FILE_CLOSE:
        emit closeRequested();
        return true;
    default:
        return false;
    }
}
