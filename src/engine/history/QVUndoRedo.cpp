#include "QVUndoRedo.h"

QVUndoRedo::QVUndoRedo(int capacity) : m_nCapacity(capacity < 1 ? 1 : capacity)
{
    m_snapshots.reserve(size_t(m_nCapacity) + 1);
}

const QVDIB* QVUndoRedo::GetSnapshot(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_snapshots[size_t(index)].get();
}

bool QVUndoRedo::Add(const QVDIB* image)
{
    if (!image)
        return false;

    // The snapshot this Add will drop (the newest redo step, or the oldest one
    // when the history is full) is recycled: copying into a block of the same
    // geometry cannot fail, and reusing it saves a fresh allocation of a whole
    // picture. Otherwise a new snapshot is made, and a failed copy leaves the
    // history as it was.
    const bool hasRedo = m_nCurrent != GetCount() - 1;
    const bool full = !hasRedo && GetCount() + 1 > m_nCapacity;
    const size_t recycled = hasRedo ? m_snapshots.size() - 1 : 0;
    std::unique_ptr<QVDIB> snapshot;
    if ((hasRedo || full) && m_snapshots[recycled]->SameGeometry(*image) && !image->IsEmpty()) {
        if (!m_snapshots[recycled]->CopyFrom(image))
            return false; // not reached: same geometry reuses the block
        snapshot = std::move(m_snapshots[recycled]);
        m_snapshots.erase(m_snapshots.begin() + std::ptrdiff_t(recycled));
        if (full)
            --m_nCurrent;
    } else {
        snapshot = std::make_unique<QVDIB>();
        if (!snapshot->CopyFrom(image))
            return false;
    }

    // Drop every redo step, then append; the oldest goes when over capacity.
    while (m_nCurrent != GetCount() - 1)
        m_snapshots.pop_back();
    m_snapshots.push_back(std::move(snapshot));
    ++m_nCurrent;
    if (GetCount() > m_nCapacity) {
        m_snapshots.erase(m_snapshots.begin());
        --m_nCurrent;
    }
    return true;
}

QVDIB* QVUndoRedo::Undo()
{
    if (m_nCurrent <= 0)
        return nullptr;
    --m_nCurrent;
    return m_snapshots[size_t(m_nCurrent)].get();
}

QVDIB* QVUndoRedo::Redo()
{
    if (m_nCurrent >= GetCount() - 1)
        return nullptr;
    ++m_nCurrent;
    return m_snapshots[size_t(m_nCurrent)].get();
}
