#pragma once

#include "engine/image/QVDIB.h"

#include <memory>
#include <vector>

// A bounded, linear history of whole after-image snapshots. Undo and Redo move
// a cursor through them; Add drops the redo steps, appends a copy and, over
// capacity, drops the oldest. The snapshots returned stay owned by the history
// and are valid until the next Add.
class QVUndoRedo
{
public:
    static constexpr int kHistoryCapacity = 10;

    explicit QVUndoRedo(int capacity = kHistoryCapacity);
    virtual ~QVUndoRedo() = default;
    QVUndoRedo(const QVUndoRedo&) = delete;
    QVUndoRedo& operator=(const QVUndoRedo&) = delete;

    bool Add(const QVDIB* image);
    QVDIB* Undo();
    QVDIB* Redo();
    bool CanUndo() const { return m_nCurrent > 0; }
    bool CanRedo() const { return m_nCurrent < GetCount() - 1; }

    int GetCount() const { return int(m_snapshots.size()); }
    int GetCurrent() const { return m_nCurrent; }
    int GetCapacity() const { return m_nCapacity; }
    const QVDIB* GetSnapshot(int index) const;

private:
    int m_nCapacity;
    int m_nCurrent = -1;
    // Oldest first; index 0 is the head.
    std::vector<std::unique_ptr<QVDIB>> m_snapshots;
};
