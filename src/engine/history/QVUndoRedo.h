#pragma once

#include "QVSnapshot.h"
#include "engine/image/QVDIB.h"
#include "engine/image/QVRect.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// A bounded, linear history of after-image snapshots. Undo and Redo move a
// cursor through them; Add drops the redo steps, appends a snapshot and, over
// capacity, drops the oldest. The snapshots returned stay owned by the history
// and are valid until the next Add.
//
// Each snapshot shares the tiles it did not change with the one it was made
// from (QVSnapshot), so the history costs one picture plus the area painted.
// Undo and Redo tell where the snapshot they give back may differ from the one
// that was current, so a caller restores only that.
class QVUndoRedo
{
public:
    static constexpr int kHistoryCapacity = 10;

    explicit QVUndoRedo(int capacity = kHistoryCapacity);
    virtual ~QVUndoRedo() = default;
    QVUndoRedo(const QVUndoRedo&) = delete;
    QVUndoRedo& operator=(const QVUndoRedo&) = delete;

    // Records image as the newest snapshot; anything in it may have changed.
    // False, with the history as it was, for no image or when memory runs out.
    bool Add(const QVDIB* image, uint64_t tag = 0);
    // The same for an image that differs from the current snapshot only inside
    // the changed rectangles: the rest is shared, not copied.
    bool Add(const QVDIB* image, std::span<const QVRect> changed, uint64_t tag = 0);

    // One step back or forward: the snapshot that is now current, nullptr at
    // either end. changed, when given, receives the rectangles where that
    // snapshot may differ from the one that was current before.
    const QVSnapshot* Undo(std::vector<QVRect>* changed = nullptr);
    const QVSnapshot* Redo(std::vector<QVRect>* changed = nullptr);
    bool CanUndo() const { return m_nCurrent > 0; }
    bool CanRedo() const { return m_nCurrent < GetCount() - 1; }

    int GetCount() const { return int(m_snapshots.size()); }
    int GetCurrent() const { return m_nCurrent; }
    int GetCapacity() const { return m_nCapacity; }
    const QVSnapshot* GetSnapshot(int index) const;
    // Memory held by the snapshots, every shared tile counted once.
    size_t GetMemoryBytes() const;

private:
    const QVSnapshot* Step(int to, std::vector<QVRect>* changed);

    int m_nCapacity;
    int m_nCurrent = -1;
    // Oldest first; index 0 is the head. Room for one more than the capacity
    // is kept, so appending never allocates.
    std::vector<std::unique_ptr<QVSnapshot>> m_snapshots;
};
