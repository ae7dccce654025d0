#include "QVUndoRedo.h"

#include <algorithm>
#include <cstdint>
#include <utility>

QVUndoRedo::QVUndoRedo(int capacity) : m_nCapacity(capacity < 1 ? 1 : capacity)
{
    m_snapshots.reserve(size_t(m_nCapacity) + 1);
}

const QVSnapshot* QVUndoRedo::GetSnapshot(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_snapshots[size_t(index)].get();
}

bool QVUndoRedo::Add(const QVDIB* image, uint64_t tag)
{
    if (!image)
        return false;
    const QVRect whole{0, 0, image->GetWidth(), image->GetHeight()};
    return Add(image, std::span<const QVRect>(&whole, 1), tag);
}

bool QVUndoRedo::Add(const QVDIB* image, std::span<const QVRect> changed, uint64_t tag)
{
    if (!image)
        return false;

    // The new snapshot is made before anything is dropped: when memory runs
    // out the history stays as it was.
    const QVSnapshot* current = m_nCurrent >= 0 ? m_snapshots[size_t(m_nCurrent)].get() : nullptr;
    std::unique_ptr<QVSnapshot> snapshot = QVSnapshot::Make(*image, current, changed, tag);
    if (!snapshot)
        return false;

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

const QVSnapshot* QVUndoRedo::Step(int to, std::vector<QVRect>* changed)
{
    const QVSnapshot& from = *m_snapshots[size_t(m_nCurrent)];
    m_nCurrent = to;
    const QVSnapshot& now = *m_snapshots[size_t(m_nCurrent)];
    if (changed)
        now.AppendDifferences(from, *changed);
    return &now;
}

const QVSnapshot* QVUndoRedo::Undo(std::vector<QVRect>* changed)
{
    if (m_nCurrent <= 0)
        return nullptr;
    return Step(m_nCurrent - 1, changed);
}

const QVSnapshot* QVUndoRedo::Redo(std::vector<QVRect>* changed)
{
    if (m_nCurrent >= GetCount() - 1)
        return nullptr;
    return Step(m_nCurrent + 1, changed);
}

size_t QVUndoRedo::GetMemoryBytes() const
{
    std::vector<std::pair<uintptr_t, size_t>> tiles;
    for (const auto& snapshot : m_snapshots)
        snapshot->ForEachTile(
            [&](const void* tile, size_t bytes) { tiles.emplace_back(uintptr_t(tile), bytes); });
    std::sort(tiles.begin(), tiles.end());
    tiles.erase(std::unique(tiles.begin(), tiles.end()), tiles.end());
    size_t bytes = 0;
    for (const auto& tile : tiles)
        bytes += tile.second;
    return bytes;
}
