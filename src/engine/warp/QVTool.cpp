#include "QVTool.h"

#include "engine/image/QVClosedCurve.h"
#include "engine/parallel/QVThreadPool.h"
#include "engine/warp/QVWarpRows.h"


bool QVTool::BeginWarp(QVDIB* source, QVDIB* target, int radius, int mode,
                       const QVClosedCurve* regionPath, int combine, int cover, int x, int y)
{
    if (!source || !target || radius <= 0 || !source->IsInside(x, y))
        return false;
    // The target is written with the source's addressing, and read and written
    // pictures must differ or the stroke would sample its own output.
    if (target == source || !target->SameGeometry(*source))
        return false;

    m_warp.Begin(mode, x, y, radius);
    if (regionPath)
        m_hRegion.Build(x, y, radius, *regionPath, combine);
    else
        m_hRegion.Clear();

    m_nRegionCombine = combine;
    m_nCoverMode = cover;
    m_pSource = source;
    m_pTarget = target;
    m_bWarpReady = true;
    m_nState = TOOL_WARPING;
    return true;
}

bool QVTool::Warp(int x, int y)
{
    if (!m_bWarpReady || !m_pSource || !m_pTarget || m_nState != TOOL_WARPING)
        return false;
    if (!m_warp.Update(x, y))
        return false; // outside the circle: the last rendering stays

    // The square the view copies back is the one rendered.
    const QVRect square = WarpRect();
    WarpRows(square.top, square.bottom, square.left, square.right);
    return true;
}

void QVTool::WarpRows(int rowFrom, int rowTo, int columnFrom, int columnTo) const
{
    QVWarpJob job;
    job.warp = m_warp;
    if (m_hRegion.IsSet() && m_nCoverMode == REGION_COVER)
        job.cover = &m_hRegion;
    else if (m_hRegion.IsSet() && m_nCoverMode == REGION_BECOVER)
        job.becover = &m_hRegion;
    job.source = m_pSource->GetBits();
    job.target = m_pTarget->GetBits();
    job.width = m_pSource->GetWidth();
    job.height = m_pSource->GetHeight();
    job.bytes = m_pSource->GetBitCount() / 8;
    job.stride = QVDIB::Stride(job.width, m_pSource->GetBitCount());
    job.columnFrom = columnFrom;
    job.columnTo = columnTo;

    // Each row reads only the unchanged source and writes only itself, so the
    // rows are shared out between the threads.
    const QVWarpRowsFunction rows = QVChooseWarpRows(job);
    QVThreadPool::Instance().ForRows(rowFrom, rowTo, columnTo - columnFrom,
                                     [&job, rows](int from, int to) { rows(job, from, to); });
}

bool QVTool::EndWarp()
{
    m_warp.Reset();
    m_hRegion.Clear();
    m_pSource = nullptr;
    m_pTarget = nullptr;
    m_nRegionCombine = REGION_NONE;
    m_nCoverMode = REGION_NONE;
    m_bWarpReady = false;
    m_nState = TOOL_IDLE;
    return true;
}
