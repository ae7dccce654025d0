#pragma once

#include "QVSaveProgress.h"

#include <QIODevice>
#include <QString>

#include <cstdint>

// A file written beside its target and moved into the target's place only
// once it is known to be whole: every write reaches the file in full or fails
// the save, the data is synced to disk, and only then does a rename replace the
// old file in one step. An encoder that ignores a failed write cannot hide it:
// the first failure sticks, and Commit refuses. Any failure, a cancel or a
// destruction without Commit leaves the old file byte for byte as it was and
// removes the temporary.
//
// The temporary is named "<file name>.unfinished-morvane-save-XXXXXX" so that a
// person who finds one after a crash knows what it is; the next successful save
// of the same target removes such left-overs, unless their save is still running.
class QVSafeFile : public QIODevice
{
public:
    explicit QVSafeFile(const QString& target, QVSaveProgress progress = {});
    ~QVSafeFile() override;
    QVSafeFile(const QVSafeFile&) = delete;
    QVSafeFile& operator=(const QVSafeFile&) = delete;

    // Creates the temporary; false when it cannot be (no such folder, a folder
    // of that name, a target marked read-only, no permission).
    [[nodiscard]] bool Open();
    // Syncs the temporary and moves it over the target; false, with the target
    // untouched, when any write failed or the sync or the move fails.
    [[nodiscard]] bool Commit();
    // Removes the temporary; the target stays as it was.
    void Discard();

    // The start of the names our temporaries for a file of this name get
    // (everything but the six random characters).
    static QString TemporaryPrefix(const QString& fileName);

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_nSize; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    void Fail();
    void RemoveStaleTemporaries() const;

    QString m_strTarget;   // the file to replace, links resolved
    QString m_strTemporary;
    QVSaveProgress m_progress;
    int m_nFd = -1;
    qint64 m_nSize = 0;    // bytes up to the furthest write
    int64_t m_nWritten = 0; // bytes written, rewrites included
    bool m_bFailed = false;
};
