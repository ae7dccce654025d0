#pragma once

#include "app/QVCmdTarget.h"
#include "engine/image/QVDIB.h"
#include "engine/image/QVRect.h"

#include <QObject>
#include <QString>

// What the window asking for an export shows: the part of the picture in view
// (the Screenshots size; unknown when no view is on screen) and whether the
// before and after pictures sit side by side or one above the other.
struct QVExportView
{
    bool bVisibleKnown = false;
    QVRect rcVisible;
    bool bLeftRight = true;
};

// One open picture, held twice: the before-image exactly as decoded and the
// after-image that the tools, Undo, Redo and Reset change and Save writes.
class CMorvaneDoc : public QObject, public QVCmdTarget
{
    Q_OBJECT

public:
    static constexpr unsigned kBeforeLabelResource = 328;
    static constexpr unsigned kAfterLabelResource = 329;

    explicit CMorvaneDoc(QObject* parent = nullptr);
    ~CMorvaneDoc() override;

    // The program has no File New command; an empty document never arises.
    virtual bool OnNewDocument() { return true; }
    virtual bool OnOpenDocument(const QString& path);
    virtual bool OnSaveDocument(const QString& path);

    QString GetPathName() const { return m_strPathName; }
    // Sets the path and the title (the file name); adds it to the recent files.
    void SetPathName(const QString& path, bool addToRecentFiles = true);
    QString GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& title);
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

    // Save to path, or ask for a name first when path is empty. False when the
    // user cancels or the save fails.
    bool DoSave(const QString& path);
    bool DoFileSave();
    // Asks "Save changes to ...?" when modified; false when the user cancels,
    // the save fails or is cancelled, or a save or export is still running, so
    // whatever was about to close must stay.
    bool SaveModified();

    // Writes the Before, After and Combined pictures the Export dialog asks for
    // into a new folder named by the export name; the document window tells
    // what it shows. Refused, with nothing written, when the machine has not
    // the memory to compose them; composed and written on a worker, with
    // progress, and cancellable between and within pictures.
    void OnFileExport(const QVExportView& shown);
    // The document's name without extension and the extension of its file;
    // false when the file name has no ".".
    bool SplitPathName(QString& name, QString& extension) const;

    bool OnCmdMsg(int id) override;
    bool HasCmdHandler(int id) const override;

    QVDIB m_dibBefore;
    QVDIB m_dibAfter;
    QVDIB m_dibBeforeLabel;
    QVDIB m_dibAfterLabel;

signals:
    void titleChanged(const QString& title);
    void pathNameSet(const QString& path, bool addToRecentFiles);
    // The Close command: the document's window should close (asking first).
    void closeRequested();

private:
    QString m_strPathName;
    QString m_strTitle;
    bool m_bModified = false;
};
