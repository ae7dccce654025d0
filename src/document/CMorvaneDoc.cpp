#include "CMorvaneDoc.h"

#include "app/QVCommandIds.h"
#include "app/QVMessageBox.h"
#include "document/QVDocManager.h"
#include "res/QVArt.h"
#include "res/QVStrings.h"

#include <QApplication>
#include <QFileInfo>

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
    if (!QVDIB::SaveToFile(&m_dibAfter, path)) {
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
    // A file that cannot be written is saved under a new name instead.
    const QFileInfo file(m_strPathName);
    if (m_strPathName.isEmpty() || (file.exists() && !file.isWritable()))
        return DoSave(QString());
    return DoSave(m_strPathName);
}

bool CMorvaneDoc::SaveModified()
{
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
