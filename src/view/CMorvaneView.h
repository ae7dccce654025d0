#pragma once

#include "app/QVCmdTarget.h"
#include "engine/history/QVUndoRedo.h"
#include "engine/image/QVDIB.h"
#include "engine/image/QVRect.h"
#include "engine/warp/QVTool.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QHash>
#include <QPoint>

#include <array>
#include <vector>

class CChildFrame;
class CMorvaneDoc;
class QPainter;

// Shows one picture of a document at a zoom factor and turns mouse input into
// tool actions. Each child frame holds two: the before view shows the untouched
// before-image and only pans; the after view paints and edits its display copy
// of the after-image, which goes back into the document at each commit.
//
// Image coordinates are (column, row) with row 0 at the bottom of the picture,
// the row order of the picture buffer; client coordinates are the viewport's.
class CMorvaneView : public QAbstractScrollArea, public QVCmdTarget
{
    Q_OBJECT

public:
    static constexpr int kMaxControlPoints = 500;
    static constexpr double kMaxZoom = 16;
    // The lowest step of the zoom ladder.
    static constexpr double kMinZoom = 0.1;
    static constexpr int kDefaultRadius = 100;
    // A press catches a control point closer than this many screen pixels.
    static constexpr double kPickDistance = 6;

    CMorvaneView(CMorvaneDoc* document, CChildFrame* frame, QWidget* parent);
    ~CMorvaneView() override;

    CMorvaneDoc* GetDocument() const { return m_pDocument; }
    CChildFrame* GetParentFrame() const { return m_pFrame; }

    void OnInitialUpdate();
    bool SetZoom(double zoom);
    bool SyncPartnerView();
    QPoint WindowToImage(int x, int y) const;
    QPoint ImageToWindow(int column, int row) const;
    // The part of the shown picture visible in the viewport, in image coordinates.
    QVRect GetVisibleImageRect() const;
    QPoint GetScrollPosition() const;
    void ScrollToPosition(QPoint position);
    // Repaints at once, as every editing step does.
    void RedrawNow();
    // The display copy shows the after-image again: what a preview or an
    // unfinished stroke drew is put back (only where they drew).
    void DropPreview();

    void OnZoomIn();
    void OnZoomOut();
    void OnUnzoom();
    // The zoom that shows the whole picture, within the ladder's range.
    void OnFitInWindow();
    void OnIntersectRegion() { m_nRegionCombine = QVTool::REGION_INTERSECT; }
    void OnExcludeRegion() { m_nRegionCombine = QVTool::REGION_EXCLUDE; }
    void OnCover() { m_nCoverMode = QVTool::REGION_COVER; }
    void OnBecover() { m_nCoverMode = QVTool::REGION_BECOVER; }
    void OnDeletePoints();
    void OnReset();
    void OnUndo();
    void OnRedo();

    bool OnCmdMsg(int id) override;
    bool HasCmdHandler(int id) const override;

    // The tool the mouse works with, handed down by the main frame when the
    // user picks one (-1: none yet).
    int CurrentTool() const { return m_nCurrentTool; }
    void SetCurrentTool(int tool) { m_nCurrentTool = tool; }

    double m_dZoom = 1.0;
    int m_nRadius = kDefaultRadius;
    bool m_bAfter = true;
    QPoint m_ptAnchor;
    QPoint m_ptMouse;
    std::array<QVPoint, kMaxControlPoints> m_ptControl{};
    int m_nControlCount = 0;
    int m_nSelected = -1;
    int m_nRegionCombine = QVTool::REGION_INTERSECT;
    int m_nCoverMode = QVTool::REGION_COVER;
    QVTool m_tool;
    QVUndoRedo m_history;
    // The display copy: what the after view paints and every stroke writes.
    QVDIB m_dibShow;

signals:
    // A press in this view: it becomes its frame's active view.
    void activated(CMorvaneView* view);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    static bool IsWarpTool(int tool);
    // The tools that change the picture under the brush (warps, copy, blur,
    // eraser): they mark what they change for repainting.
    static bool IsBrushTool(int tool);
    // The picture this view shows: the before-image or the after-image.
    const QVDIB* ShownImage() const;
    QVDIB* Before() const;
    QVDIB* After() const;
    CMorvaneView* Partner() const;
    // The margins of the centred picture (0 where it is scrolled) and its height.
    void Placement(double& offX, double& offY, int& height) const;
    bool WarpRunning() const;
    // After-image <- display copy where they differ, then the document is
    // modified.
    bool Commit();
    // Records the after-image as the history's newest step; only the areas
    // committed since the last record are new.
    void Record();
    void AddUnrecorded(const QVRect& rect);
    // After-image and display copy <- a snapshot of the history, where it
    // differs from them: the changed areas Undo or Redo reported, the areas
    // not recorded, and whatever the display copy holds beyond the picture.
    void RestoreSnapshot(const QVSnapshot* snapshot, std::vector<QVRect>& changed);
    // The display copy <- the after-image in the changed areas (and wherever
    // it held more), and their repaint.
    void ShowAfterImage(const std::vector<QVRect>& changed);
    void UpdateScrollSizes();
    void SetToolCursor();
    void DrawBrushCircle(QPainter& painter) const;
    // What a mouse message changed on screen, repainted at its end: the
    // brush circle around a client point, a rectangle of the picture, or all.
    void MarkCircle(QPoint centre);
    void MarkImageRect(const QVRect& rect);
    void MarkAll() { m_bDirtyAll = true; }
    void FlushRedraw();
    void DrawControlCurve(QPainter& painter, bool handles) const;

    void OnLButtonDown(QPoint position);
    void OnMouseMove(QPoint position, bool buttonDown);
    void OnLButtonUp(QPoint position);
    // Blur or eraser under the brush at an image point, committed at once.
    void BrushStep(int tool, QPoint ip);
    void OnRButtonDown(QPoint position);

    CMorvaneDoc* m_pDocument;
    CChildFrame* m_pFrame;
    int m_nCurrentTool = -1;
    bool m_bSyncing = false;
    // The cursors this view has shown, by cursor resource (-1: hidden).
    QHash<int, QCursor> m_cursors;
    QRect m_rcDirty;
    bool m_bDirtyAll = false;
    // Where the display copy may differ from the after-image: the running
    // stroke's square, or the copy tool's preview.
    QVRect m_rcShowDirty;
    // Where the after-image may differ from the history's current snapshot:
    // commits not recorded yet (a brush drag before its release, a stroke
    // ended by a move without the button, a step the history had no memory
    // for). The next record or restore covers them.
    std::vector<QVRect> m_unrecorded;
};
