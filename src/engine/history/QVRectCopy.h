#pragma once

#include "engine/history/QVSnapshot.h"
#include "engine/image/QVDIB.h"
#include "engine/image/QVRect.h"

#include <vector>

// Copies between two pictures of the same geometry that touch only a part of
// them: a committed brush square, a restored step, a reset. Rectangles are in
// image coordinates (rows from the bottom) and are clipped to the pictures.

// The pixels of rect from source into target. False, copying nothing, when
// either picture is empty or their geometries differ.
[[nodiscard]] bool QVCopyRect(const QVDIB& source, QVDIB& target, const QVRect& rect);

// Makes target's pixels equal to source's, writing only the blocks of
// kCompareBlock x kCompareBlock pixels where they differ, and appends those
// blocks to changed. False, copying nothing, when either picture is empty or
// their geometries differ. The blocks are the history's tiles, so a step
// recorded from them copies whole tiles.
inline constexpr int kCompareBlock = QVSnapshot::kTileSize;
[[nodiscard]] bool QVCopyDifferences(const QVDIB& source, QVDIB& target,
                                     std::vector<QVRect>& changed);

// The smallest rectangle holding both; an empty one adds nothing.
QVRect QVUnite(const QVRect& a, const QVRect& b);
