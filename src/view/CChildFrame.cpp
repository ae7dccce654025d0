#include "CChildFrame.h"

#include "CMorvaneView.h"
#include "app/QVCommandIds.h"
#include "document/CMorvaneDoc.h"
#include "res/QVStrings.h"

#include <QCloseEvent>

CChildFrame::CChildFrame(CMorvaneDoc* document, QWidget* parent)
    : QWidget(parent), m_pDocument(document)
{
    m_pDocument->setParent(this);
    const int W = width(), H = height();
    m_pBeforeView = new CMorvaneView(document, this, this);
    m_pBeforeView->setGeometry(0, 0, W / 2, H);
    m_pAfterView = new CMorvaneView(document, this, this);
    m_pAfterView->setGeometry(W / 2, 0, 0, H);
    m_pBeforeView->m_bAfter = false;
    m_pAfterView->m_bAfter = true;
    for (CMorvaneView* view : {m_pBeforeView, m_pAfterView}) {
        connect(view, &CMorvaneView::activated, this, &CChildFrame::SetActiveView);
    }
    // The title follows the document's (Save As renames it).
    connect(m_pDocument, &CMorvaneDoc::titleChanged, this, [this] { SetDisplayMode(m_nDisplayMode); });
    SetDisplayMode(DISPLAY_AFTER);
}

CChildFrame::~CChildFrame() = default;

void CChildFrame::OnInitialUpdate()
{
    m_pBeforeView->OnInitialUpdate();
    m_pAfterView->OnInitialUpdate();
    SetDisplayMode(m_nDisplayMode);
}

void CChildFrame::SetActiveView(CMorvaneView* view)
{
    m_pActiveView = view;
}

void CChildFrame::TakeFocus()
{
    // The window's focus widget is remembered while another window is active.
    const QWidget* focus = window()->focusWidget();
    if (m_pActiveView && !(focus && isAncestorOf(focus)))
        m_pActiveView->setFocus(Qt::OtherFocusReason);
}

void CChildFrame::SetDisplayMode(int mode)
{
    // The view on show before the change hands its zoom and scroll position to
    // the view that becomes visible.
    CMorvaneView* previous = m_nDisplayMode == DISPLAY_BEFORE  ? m_pBeforeView
                             : m_nDisplayMode == DISPLAY_AFTER ? m_pAfterView
                                                               : nullptr;
    const int W = width(), H = height();
    QString modeName;
    switch (mode) {
    case DISPLAY_LEFT_RIGHT:
    case DISPLAY_TOP_BOTTOM:
        m_pBeforeView->show();
        m_pAfterView->show();
        if (mode == DISPLAY_LEFT_RIGHT) {
            // Integer halves: with an odd width the last column belongs to neither.
            m_pBeforeView->setGeometry(0, 0, W / 2, H);
            m_pAfterView->setGeometry(W / 2, 0, W / 2, H);
        } else {
            m_pBeforeView->setGeometry(0, 0, W, H / 2);
            m_pAfterView->setGeometry(0, H / 2, W, H / 2);
        }
        if (previous)
            previous->SyncPartnerView();
        modeName = LoadString(IDS_MODE_COMBINED);
        break;
    case DISPLAY_BEFORE:
    case DISPLAY_AFTER: {
        CMorvaneView* shown = mode == DISPLAY_BEFORE ? m_pBeforeView : m_pAfterView;
        CMorvaneView* hidden = mode == DISPLAY_BEFORE ? m_pAfterView : m_pBeforeView;
        shown->show();
        shown->setGeometry(0, 0, W, H);
        SetActiveView(shown);
        if (previous)
            previous->SyncPartnerView();
        // A focused view that is hidden would pass the focus on along the tab
        // chain, out of the views: the keys go to the view on show.
        if (window()->focusWidget() == hidden)
            shown->setFocus(Qt::OtherFocusReason);
        hidden->hide();
        modeName = LoadString(mode == DISPLAY_BEFORE ? IDS_MODE_BEFORE : IDS_MODE_AFTER);
        break;
    }
    default:
        return;
    }
    // "[*]" marks a modified document ("face.png* @After"); one in the name
    // itself is doubled to show as it is.
    QString title = m_pDocument ? m_pDocument->GetTitle() : QString();
    title.replace(kModifiedMark, QString(kModifiedMark) + kModifiedMark);
    m_nDisplayMode = mode;
    setWindowTitle(QStringLiteral("%1%2 @%3").arg(title, kModifiedMark, modeName));
}

QString CChildFrame::ShownTitle() const
{
    // As the window shows its title: of a run of marks, an odd one out is
    // the modified mark ("*" or nothing), and each pair stands for one "[*]".
    const QString mark = QLatin1String(kModifiedMark);
    QString shown = windowTitle();
    for (qsizetype at = shown.indexOf(mark); at >= 0; at = shown.indexOf(mark, at)) {
        qsizetype end = at;
        int count = 0;
        while (shown.mid(end, mark.size()) == mark) {
            end += mark.size();
            ++count;
        }
        QString run;
        for (int i = 0; i < count / 2; ++i)
            run += mark;
        if (count % 2)
            run += isWindowModified() ? QStringLiteral("*") : QString();
        shown.replace(at, end - at, run);
        at += run.size();
    }
    return shown;
}

void CChildFrame::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    SetDisplayMode(m_nDisplayMode);
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!m_bAnswered && m_pDocument && !m_pDocument->SaveModified())
        event->ignore();
    else
        event->accept();
}

bool CChildFrame::CloseAnswered()
{
    m_bAnswered = true;
    QWidget* window = parentWidget() ? parentWidget() : this;
    if (window->close())
        return true; // deleted once control returns to the event loop
    m_bAnswered = false;
    return false;
}

QVExportView CChildFrame::ExportView() const
{
    // The first visible view tells what the user sees; with none on screen
    // the pictures are proposed side by side.
    QVExportView shown;
    for (const CMorvaneView* view : {m_pBeforeView, m_pAfterView}) {
        if (view->isVisible()) {
            shown.bVisibleKnown = true;
            shown.rcVisible = view->GetVisibleImageRect();
            shown.bLeftRight = m_nDisplayMode != DISPLAY_TOP_BOTTOM;
            break;
        }
    }
    return shown;
}

bool CChildFrame::HasCmdHandler(int id) const
{
    return (id >= ID_MODE_BEFORE && id <= ID_MODE_TOP_BOTTOM) || id == ID_FILE_EXPORT;
}

bool CChildFrame::OnCmdMsg(int id)
{
    if (id == ID_FILE_EXPORT) {
        // The document composes and writes; it is told what this window shows.
        m_pDocument->OnFileExport(ExportView());
        m_pBeforeView->viewport()->update();
        m_pAfterView->viewport()->update();
        return true;
    }
    if (!HasCmdHandler(id))
        return false;
    SetDisplayMode(id - ID_MODE_BEFORE);
    return true;
}
