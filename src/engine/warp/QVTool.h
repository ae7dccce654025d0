#pragma once

#include "engine/image/QVDIB.h"
#include "engine/image/QVRect.h"
#include "engine/image/QVRegionMask.h"
#include "engine/warp/QVWarpControl.h"

class QVClosedCurve;

// The tool engine of one image view: deformation strokes (circle and region
// stretching, shrinking/expansion), the copy patch, and the blur and eraser
// brushes. Coordinates are image coordinates: column x, storage row y with row 0
// at the bottom of the picture.
//
// Every pixel loop works on whole rows and each output pixel depends only on
// pictures the loop does not write (or on itself), so rows can be split across
// threads without changing a byte.
class QVTool
{
public:
    enum State { TOOL_IDLE = 0, TOOL_WARPING = 1, TOOL_COPY_HELD = 2 };
    enum Region {
        REGION_NONE = 0,
        REGION_INTERSECT = 1, // the stroke is limited to circle and curve
        REGION_EXCLUDE = 2,   // ... to the circle outside the curve
        REGION_COVER = 3,     // only content inside the region moves
        REGION_BECOVER = 4,   // only pixels inside the region change
    };

    QVTool() = default;
    virtual ~QVTool() = default;
    QVTool(const QVTool&) = delete;
    QVTool& operator=(const QVTool&) = delete;

    // Deformation strokes. The source stays unchanged during the stroke; every
    // Warp re-renders the whole circle from it into the target, so the result
    // depends only on the centre and the current cursor.
    [[nodiscard]] bool BeginWarp(QVDIB* source, QVDIB* target, int radius, int mode,
                                 const QVClosedCurve* regionPath, int combine, int cover, int x,
                                 int y);
    bool Warp(int x, int y);
    bool EndWarp();

    // Copy tool: a square patch taken around a point, pasted feathered.
    bool ReleaseCopy();
    [[nodiscard]] bool CaptureCopy(QVDIB* source, int radius, int x, int y);
    bool PasteCopy(QVDIB* target, int x, int y);

    // Brushes with no state: blend the before-image back in, or soften.
    [[nodiscard]] static bool Erase(int radius, QVDIB* before, QVDIB* target, int x, int y);
    [[nodiscard]] static bool Blur(int radius, QVDIB* target, int x, int y);

    // The squares the tools write, so that a caller copies only those: what
    // Blur or Erase with this radius, or PasteCopy, may change around (x, y)
    // in the picture, and what the running stroke's Warp repaints. Empty when
    // the call would refuse the point or no stroke runs.
    static QVRect BrushRect(const QVDIB* picture, int radius, int x, int y);
    QVRect PasteRect(const QVDIB* target, int x, int y) const;
    QVRect WarpRect() const;

    int m_nState = TOOL_IDLE;
    QVWarpControl m_warp;
    // Limits a region stroke; not set for circle strokes and between strokes.
    QVRegionMask m_hRegion;
    int m_nRegionCombine = REGION_NONE;
    int m_nCoverMode = REGION_NONE;
    bool m_bWarpReady = false;
    QVDIB m_dibCopy;
    // Part of the patch that lay over the picture, in patch coordinates.
    QVRect m_rcCopy;
    bool m_bCopyReady = false;
    QVDIB* m_pSource = nullptr;
    QVDIB* m_pTarget = nullptr;

private:
    // Renders rows [rowFrom, rowTo) and columns [columnFrom, columnTo) of the circle's square.
    void WarpRows(int rowFrom, int rowTo, int columnFrom, int columnTo) const;
};
