#pragma once

#include "app/QVCmdTarget.h"
#include "engine/image/QVDIB.h"
#include "engine/image/QVRect.h"

#include <QObject>
#include <QString>

#include <cstdint>

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
    // Modified means the after-image differs from what was last saved (or
    // opened): it is not the content the file holds.
    bool IsModified() const { return m_nAfterState != m_nSavedState; }
    // true: the after-image now holds new content; false: what it holds is
    // what the file holds, as after a save.
    void SetModifiedFlag(bool modified = true);
    // Which content the after-image holds. Every change gives it a new number;
    // undo, redo and reset hand back the number of the content they restore,
    // so returning to the saved picture makes the document unmodified again.
    uint64_t GetAfterState() const { return m_nAfterState; }
    void SetAfterState(uint64_t state);
    // The before-image's content: what Reset restores.
    uint64_t GetBeforeState() const { return m_nBeforeState; }

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
    // IsModified changed.
    void modifiedChanged(bool modified);

private:
    void SetStates(uint64_t after, uint64_t saved);

    QString m_strPathName;
    QString m_strTitle;
    uint64_t m_nLastState = 0;
    uint64_t m_nAfterState = 0;
    uint64_t m_nSavedState = 0;
    // Until a file is opened the before-image is nothing the after-image was
    // copied from: its content gets a number of its own.
    uint64_t m_nBeforeState = ++m_nLastState;
};
