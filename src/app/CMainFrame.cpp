#include "CMainFrame.h"

#include "CMorvaneApp.h"
#include "bars/QVContextBar.h"
#include "bars/QVToolBarLabelButton.h"
#include "bars/QVToolBarSliderButton.h"
#include "bars/QVSliderCtrl.h"
#include "document/CMorvaneDoc.h"
#include "look/QVMRVVisualManager.h"
#include "palette/QVPalette.h"
#include "palette/QVPaletteDock.h"
#include "res/QVArt.h"
#include "res/QVStrings.h"
#include "view/CChildFrame.h"
#include "view/CMorvaneView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <cmath>

CMainFrame* CMainFrame::s_pInstance = nullptr;

namespace {

struct CommandShortcut
{
    int id;
    QKeySequence keys;
};

// The program's shortcuts.
const CommandShortcut kShortcuts[] = {
    {ID_TOOL_CIRCLE_STRETCH, QKeySequence(Qt::CTRL | Qt::Key_A)},
    {ID_TOOL_CIRCLE_SHRINK, QKeySequence(Qt::CTRL | Qt::Key_B)},
    {ID_TOOL_HAND, QKeySequence(Qt::CTRL | Qt::Key_H)},
    {ID_TOOL_REGION_STRETCH, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)},
    {ID_TOOL_REGION_SHRINK, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B)},
    {ID_TOOL_POINT, QKeySequence(Qt::CTRL | Qt::Key_I)},
    {ID_TOOL_COPY, QKeySequence(Qt::CTRL | Qt::Key_C)},
    {ID_TOOL_BLUR, QKeySequence(Qt::CTRL | Qt::Key_U)},
    {ID_TOOL_ERASER, QKeySequence(Qt::CTRL | Qt::Key_D)},
    {ID_ZOOM_IN, QKeySequence(Qt::Key_I)},
    {ID_ZOOM_OUT, QKeySequence(Qt::Key_O)},
    {ID_UNZOOM, QKeySequence(Qt::Key_N)},
    {ID_ZOOM_FIT, QKeySequence(Qt::CTRL | Qt::Key_0)},
    {ID_REGION_INTERSECT, QKeySequence(Qt::Key_A)},
    {ID_REGION_EXCLUDE, QKeySequence(Qt::Key_B)},
    {ID_REGION_COVER, QKeySequence(Qt::Key_C)},
    {ID_REGION_BECOVER, QKeySequence(Qt::Key_E)},
    {ID_DELETE_POINTS, QKeySequence(Qt::Key_D)},
    {ID_RESET, QKeySequence(Qt::CTRL | Qt::Key_R)},
    {ID_UNDO, QKeySequence(Qt::CTRL | Qt::Key_Z)},
    {ID_REDO, QKeySequence(Qt::CTRL | Qt::Key_F)},
    {ID_RADIUS_SMALLER, QKeySequence(Qt::Key_BracketLeft)},
    {ID_RADIUS_LARGER, QKeySequence(Qt::Key_BracketRight)},
    {ID_MODE_BEFORE, QKeySequence(Qt::SHIFT | Qt::Key_A)},
    {ID_MODE_AFTER, QKeySequence(Qt::SHIFT | Qt::Key_B)},
    {ID_MODE_LEFT_RIGHT, QKeySequence(Qt::SHIFT | Qt::Key_C)},
    {ID_MODE_TOP_BOTTOM, QKeySequence(Qt::SHIFT | Qt::Key_D)},
    {ID_FILE_EXPORT, QKeySequence(Qt::CTRL | Qt::Key_E)},
    {ID_VIEW_PALETTE, QKeySequence(Qt::CTRL | Qt::Key_P)},
    {ID_VIEW_CONTEXT_BAR, QKeySequence(Qt::CTRL | Qt::Key_T)},
    {ID_HELP_FILE, QKeySequence(Qt::Key_F1)},
    {ID_FILE_OPEN, QKeySequence(Qt::CTRL | Qt::Key_O)},
    {ID_FILE_CLOSE, QKeySequence(Qt::CTRL | Qt::Key_W)},
    {ID_FILE_SAVE, QKeySequence(Qt::CTRL | Qt::Key_S)},
    {ID_FILE_SAVE_AS, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
    {ID_APP_EXIT, QKeySequence(Qt::CTRL | Qt::Key_Q)},
};

// Every command the window knows, with the text its menu item shows.
struct CommandText
{
    int id;
    const char* text;
};

const CommandText kMenuTexts[] = {
    {ID_FILE_OPEN, QT_TRANSLATE_NOOP("CMainFrame", "Open...")},
    {ID_FILE_SAVE, QT_TRANSLATE_NOOP("CMainFrame", "Save")},
    {ID_FILE_SAVE_AS, QT_TRANSLATE_NOOP("CMainFrame", "Save As...")},
    {ID_FILE_EXPORT, QT_TRANSLATE_NOOP("CMainFrame", "Export...")},
    {ID_FILE_CLOSE, QT_TRANSLATE_NOOP("CMainFrame", "Close")},
    {ID_APP_EXIT, QT_TRANSLATE_NOOP("CMainFrame", "Exit")},
    {ID_VIEW_PALETTE, QT_TRANSLATE_NOOP("CMainFrame", "ToolBar")},
    {ID_VIEW_CONTEXT_BAR, QT_TRANSLATE_NOOP("CMainFrame", "ContextBar")},
    {ID_HELP_FILE, QT_TRANSLATE_NOOP("CMainFrame", "Help...")},
    {ID_APP_ABOUT, QT_TRANSLATE_NOOP("CMainFrame", "About...")},
    {ID_LANGUAGE_DEFAULT, QT_TRANSLATE_NOOP("CMainFrame", "Default")},
    {ID_UPDATE_PAGE, QT_TRANSLATE_NOOP("CMainFrame", "Check for Updates...")},
    {ID_HOME_PAGE, QT_TRANSLATE_NOOP("CMainFrame", "Online...")},
    {ID_WINDOW_CASCADE, QT_TRANSLATE_NOOP("CMainFrame", "Cascade")},
    {ID_WINDOW_TILE_HORZ, QT_TRANSLATE_NOOP("CMainFrame", "Tile")},
    {ID_WINDOW_ARRANGE, QT_TRANSLATE_NOOP("CMainFrame", "Arrange Icons")},
    {ID_WINDOW_NEXT, QT_TRANSLATE_NOOP("CMainFrame", "Next Window")},
    {ID_WINDOW_PREVIOUS, QT_TRANSLATE_NOOP("CMainFrame", "Previous Window")},
};

// The icon in a tooltip, the room between it and the text, and the width at
// which the prompt wraps.
constexpr int kToolTipIconSize = 32;
constexpr int kToolTipIconGap = 6;
constexpr int kToolTipTextWidth = 200;

// The palette's buttons and the context bar's, 0 standing for a separator.
const QList<int> kPaletteButtons = {
    ID_TOOL_CIRCLE_STRETCH, ID_TOOL_CIRCLE_SHRINK, ID_TOOL_HAND, 0, ID_TOOL_REGION_STRETCH,
    ID_TOOL_REGION_SHRINK, ID_TOOL_POINT, 0, ID_TOOL_COPY, ID_TOOL_BLUR, ID_TOOL_ERASER, 0,
    ID_ZOOM_IN, ID_ZOOM_OUT, ID_UNZOOM};

const QList<int> kContextBarButtons = {
    ID_TOOL_CIRCLE_STRETCH, ID_TOOL_CIRCLE_SHRINK, ID_TOOL_HAND, ID_TOOL_REGION_STRETCH,
    ID_TOOL_REGION_SHRINK, ID_TOOL_POINT, ID_TOOL_COPY, ID_TOOL_BLUR, ID_TOOL_ERASER, ID_ZOOM_IN,
    ID_ZOOM_OUT, ID_UNZOOM, 0, ID_RADIUS, ID_RADIUS_LABEL, ID_REGION_INTERSECT, ID_REGION_EXCLUDE,
    ID_REGION_COVER, ID_REGION_BECOVER, ID_DELETE_POINTS, 0, ID_RESET, ID_UNDO, ID_REDO, 0,
    ID_MODE_BEFORE, ID_MODE_AFTER, ID_MODE_LEFT_RIGHT, ID_MODE_TOP_BOTTOM, 0, ID_HELP_FILE};

// What a command is enabled for while the before view is active.
bool AllowedInBeforeView(int id)
{
    return id == ID_TOOL_HAND || (id >= ID_ZOOM_IN && id <= ID_UNZOOM) || id == ID_ZOOM_FIT ||
           (id >= ID_MODE_BEFORE && id <= ID_MODE_TOP_BOTTOM);
}

// The context-bar buttons each tool shows besides its own.
QList<int> OptionButtons(int tool)
{
    switch (tool) {
    case ID_TOOL_CIRCLE_STRETCH:
    case ID_TOOL_CIRCLE_SHRINK:
    case ID_TOOL_COPY:
    case ID_TOOL_BLUR:
    case ID_TOOL_ERASER:
        return {tool, ID_RADIUS, ID_RADIUS_LABEL};
    case ID_TOOL_REGION_STRETCH:
    case ID_TOOL_REGION_SHRINK:
        return {tool, ID_RADIUS, ID_RADIUS_LABEL, ID_REGION_INTERSECT, ID_REGION_EXCLUDE,
                ID_REGION_COVER, ID_REGION_BECOVER};
    case ID_TOOL_POINT:
        return {tool, ID_DELETE_POINTS};
    default:
        return {};
    }
}

QString ToolTipFor(int id)
{
    const QString title = CommandTitle(id);
    const QString prompt = CommandPrompt(id);
    if (title.isEmpty())
        return prompt;
    // The title in bold over a line and the prompt, the prompt wrapped at 200
    // pixels; the command's icon, when it has one, at their left. The widths
    // are fixed here: a tooltip sized by its own guess and then narrowed to a
    // limit would cut its last lines off.
    // Measured as the tooltip lays them out.
    const auto naturalWidth = [](const QString& html) {
        QTextDocument document;
        document.setDefaultFont(QToolTip::font());
        document.setDocumentMargin(0);
        document.setHtml(html);
        return int(std::ceil(document.idealWidth()));
    };
    const int textWidth =
        std::max(naturalWidth(QStringLiteral("<b>%1</b>").arg(title.toHtmlEscaped())),
                 std::min(naturalWidth(prompt.toHtmlEscaped()), kToolTipTextWidth));
    const QString text = QStringLiteral("<td width=\"%1\"><b>%2</b><hr>%3</td>")
                             .arg(textWidth)
                             .arg(title.toHtmlEscaped(), prompt.toHtmlEscaped());
    const QString icon = QVArt::CommandIconPath(id);
    const QString picture =
        icon.isEmpty()
            ? QString()
            : QStringLiteral("<td width=\"%2\" valign=\"top\"><img src=\"%1\" width=\"%2\" "
                             "height=\"%2\"></td><td width=\"%3\"></td>")
                  .arg(icon)
                  .arg(kToolTipIconSize)
                  .arg(kToolTipIconGap);
    return QStringLiteral("<table cellspacing=\"0\" cellpadding=\"0\"><tr>%1%2</tr></table>")
        .arg(picture, text);
}

} // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent)
{
    s_pInstance = this;
    // The program's look, for every bar, menu and dialog.
    if (!QVMRVVisualManager::Instance()) {
        auto* look = new QVMRVVisualManager;
        QApplication::setStyle(look);
        QApplication::setPalette(look->standardPalette());
    }
    setWindowTitle(LoadString(IDS_APP_TITLE));
    setWindowIcon(QVArt::AppIcon());
    setObjectName(QStringLiteral("MainFrame"));
    setAcceptDrops(true);

    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(m_pMdiArea);

    CreateActions();
    CreateMenus();
    CreateBars();
    CreateStatusFields();

    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnChildActivated);
    // Command states follow what happens; menus refresh them as they open.
    m_pStateTimer = new QTimer(this);
    connect(m_pStateTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandStates);
    m_pStateTimer->start(kStateUpdateMs);

    // Start with the hand tool and none of the tools' options.
    m_wndContextBar->ShowButtons(ID_TOOL_FIRST, ID_DELETE_POINTS, false);
    m_wndPalette->SelectTool(ID_TOOL_HAND);
    m_nCurrentTool = ID_TOOL_HAND;
    RefreshAfterView();
    UpdateCommandStates();
}

CMainFrame::~CMainFrame()
{
    // The document windows go after this part of the window is gone: they must
    // not call back into it.
    m_pStateTimer->stop();
    m_pMdiArea->disconnect(this);
    if (s_pInstance == this)
        s_pInstance = nullptr;
}

void CMainFrame::CreateActions()
{
    auto make = [this](int id) {
        auto* action = new QAction(this);
        action->setData(id);
        action->setIcon(QVArt::CommandIcon(id));
        action->setText(CommandTitle(id));
        action->setToolTip(ToolTipFor(id));
        action->setStatusTip(CommandPrompt(id));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        addAction(action); // shortcuts work without a menu or bar
        m_actions.insert(id, action);
        return action;
    };
    for (int id = ID_TOOL_FIRST; id <= ID_TOOL_RANGE_LAST; ++id)
        if (!CommandTitle(id).isEmpty())
            make(id);
    for (const CommandText& c : kMenuTexts) {
        QAction* action = m_actions.contains(c.id) ? m_actions.value(c.id) : make(c.id);
        action->setText(tr(c.text));
    }
    // Each language by its own name, whatever language the program speaks.
    for (auto [id, name] : {std::pair{ID_LANGUAGE_CHINESE, QStringLiteral("中文（简体）")},
                            std::pair{ID_LANGUAGE_ENGLISH, QStringLiteral("English")},
                            std::pair{ID_LANGUAGE_KOREAN, QStringLiteral("한국어")}}) {
        QAction* action = m_actions.contains(id) ? m_actions.value(id) : make(id);
        action->setText(name);
    }
    for (const CommandShortcut& s : kShortcuts)
        if (QAction* action = m_actions.value(s.id))
            action->setShortcut(s.keys);
    // Redo answers the keys other programs use for it as well.
    m_actions.value(ID_REDO)->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_F),
                                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                            QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // The languages are checked: the one the program speaks (or will speak
    // after a restart, once chosen).
    for (int id : {ID_LANGUAGE_CHINESE, ID_LANGUAGE_ENGLISH, ID_LANGUAGE_KOREAN})
        m_actions.value(id)->setCheckable(true);
    // The desktop's keys for the next and previous document window
    // (Ctrl+Tab and Ctrl+Shift+Tab among them).
    m_actions.value(ID_WINDOW_NEXT)->setShortcuts(QKeySequence::NextChild);
    // Shift+Tab arrives as Backtab; the menu shows the keys as pressed.
    QList<QKeySequence> previous = QKeySequence::keyBindings(QKeySequence::PreviousChild);
    previous.prepend(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab));
    m_actions.value(ID_WINDOW_PREVIOUS)->setShortcuts(previous);
    for (int id : {ID_VIEW_PALETTE, ID_VIEW_CONTEXT_BAR})
        m_actions.value(id)->setCheckable(true);
}

void CMainFrame::CreateMenus()
{
    m_wndMenuBar = new QVMenuBar(this);
    m_wndMenuBar->setObjectName(QStringLiteral("MenuBar"));
    m_wndMenuBar->setWindowTitle(LoadString(IDS_MENU_BAR_CAPTION));
    setMenuBar(m_wndMenuBar);

    auto fileMenu = [this](bool document) {
        auto* menu = new QMenu(tr("&File"), this);
        menu->addAction(m_actions.value(ID_FILE_OPEN));
        menu->addSeparator();
        if (document) {
            for (int id : {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_EXPORT, ID_FILE_CLOSE})
                menu->addAction(m_actions.value(id));
            menu->addSeparator();
        }
        // The recent files stand between these separators.
        QAction* recentEnd = menu->addSeparator();
        menu->addAction(m_actions.value(ID_APP_EXIT));
        connect(menu, &QMenu::aboutToShow, this,
                [this, menu, recentEnd] { FillRecentFiles(menu, recentEnd); });
        return menu;
    };
    auto viewMenu = [this] {
        auto* menu = new QMenu(tr("&View"), this);
        menu->addAction(m_actions.value(ID_VIEW_PALETTE));
        menu->addAction(m_actions.value(ID_VIEW_CONTEXT_BAR));
        menu->addSeparator();
        menu->addAction(m_actions.value(ID_ZOOM_FIT));
        return menu;
    };
    auto helpMenu = [this] {
        auto* menu = new QMenu(tr("&Help"), this);
        menu->addAction(m_actions.value(ID_HELP_FILE));
        menu->addAction(m_actions.value(ID_APP_ABOUT));
        menu->addSeparator();
        QMenu* language = menu->addMenu(tr("Language"));
        language->addAction(m_actions.value(ID_LANGUAGE_DEFAULT));
        for (int id : {ID_LANGUAGE_CHINESE, ID_LANGUAGE_ENGLISH, ID_LANGUAGE_KOREAN})
            language->addAction(m_actions.value(id));
        menu->addSeparator();
        menu->addAction(m_actions.value(ID_HOME_PAGE));
        return menu;
    };
    auto windowMenu = [this] {
        auto* menu = new QMenu(tr("&Window"), this);
        for (int id : {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE})
            menu->addAction(m_actions.value(id));
        menu->addSeparator();
        menu->addAction(m_actions.value(ID_WINDOW_NEXT));
        menu->addAction(m_actions.value(ID_WINDOW_PREVIOUS));
        // The open document windows follow this separator.
        menu->addSeparator();
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillWindowList(menu); });
        return menu;
    };
    m_menusNoDocument = {fileMenu(false), viewMenu(), helpMenu()};
    m_menusDocument = {fileMenu(true), viewMenu(), windowMenu(), helpMenu()};
    for (QMenu* menu : m_menusNoDocument + m_menusDocument)
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    m_bShowingDocumentMenu = true;
    ShowMenuFor(false);
}

void CMainFrame::ShowMenuFor(bool documentOpen)
{
    if (documentOpen == m_bShowingDocumentMenu)
        return;
    m_bShowingDocumentMenu = documentOpen;
    m_wndMenuBar->clear();
    for (QMenu* menu : documentOpen ? m_menusDocument : m_menusNoDocument)
        m_wndMenuBar->addMenu(menu);
}

void CMainFrame::FillRecentFiles(QMenu* menu, QAction* before)
{
    for (QAction* action : menu->actions())
        if (action->property("recentFile").isValid())
            menu->removeAction(action), action->deleteLater();
    const QStringList files = CMorvaneApp::Instance() ? CMorvaneApp::Instance()->RecentFiles()
                                                      : QStringList();
    if (files.isEmpty()) {
        auto* placeholder = new QAction(tr("Recent File"), menu);
        placeholder->setEnabled(false);
        placeholder->setProperty("recentFile", -1);
        menu->insertAction(before, placeholder);
        return;
    }
    for (int i = 0; i < files.size(); ++i) {
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
                                       QDir::toNativeSeparators(files[i])),
                                   menu);
        action->setProperty("recentFile", i);
        const int id = ID_FILE_MRU_FILE1 + i;
        connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        menu->insertAction(before, action);
    }
}

void CMainFrame::FillWindowList(QMenu* menu)
{
    for (QAction* action : menu->actions()) {
        if (action->property("documentWindow").isValid()) {
            menu->removeAction(action);
            action->deleteLater();
        }
    }
    // Numbered in the order they were opened; the active one checked.
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* sub = windows[i];
        const auto* child = qobject_cast<CChildFrame*>(sub->widget());
        QString title = child ? child->ShownTitle() : sub->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* action = new QAction(
            i < kNumberedWindows ? QStringLiteral("&%1 %2").arg(i + 1).arg(title) : title, menu);
        action->setProperty("documentWindow", i);
        action->setCheckable(true);
        action->setChecked(sub == m_pMdiArea->activeSubWindow());
        connect(action, &QAction::triggered, this, [this, sub = QPointer<QMdiSubWindow>(sub)] {
            if (sub)
                m_pMdiArea->setActiveSubWindow(sub);
        });
        menu->addAction(action);
    }
}

void CMainFrame::ActivateNeighbour(int step)
{
    // Round the windows in the order they were opened, whichever had the
    // focus (the area's own Ctrl+Tab needs it in a document window).
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList();
    if (windows.isEmpty())
        return;
    const qsizetype current = windows.indexOf(m_pMdiArea->activeSubWindow());
    const qsizetype count = windows.size();
    const qsizetype next = current < 0 ? 0 : ((current + step) % count + count) % count;
    m_pMdiArea->setActiveSubWindow(windows[next]);
}

void CMainFrame::CreateBars()
{
    m_wndContextBar = new QVContextBar(this);
    m_wndContextBar->setWindowTitle(LoadString(IDS_CONTEXT_BAR_CAPTION));
    m_wndContextBar->LoadButtons(kContextBarButtons, m_actions);
    addToolBar(Qt::TopToolBarArea, m_wndContextBar);
    connect(m_wndContextBar, &QVContextBar::commandTriggered, this, &CMainFrame::ExecuteCommand);
    connect(m_wndContextBar, &QVContextBar::sliderMoved, this, &CMainFrame::ApplyRadius);
    InitContextBar();

    m_wndPaletteDock = new QVPaletteDock(this);
    m_wndPaletteDock->setObjectName(QStringLiteral("ToolPalette"));
    m_wndPalette = m_wndPaletteDock->GetPalette();
    m_wndPalette->setWindowTitle(LoadString(IDS_PALETTE_CAPTION));
    m_wndPaletteDock->setWindowTitle(LoadString(IDS_PALETTE_CAPTION));
    QList<QAction*> paletteActions;
    for (int id : kPaletteButtons)
        paletteActions << (id ? m_actions.value(id) : nullptr);
    m_wndPalette->SetActions(paletteActions);
    m_wndPalette->SetColumns(kPaletteColumns);
    connect(m_wndPalette, &QVPalette::commandTriggered, this, &CMainFrame::ExecuteCommand);
    addDockWidget(Qt::LeftDockWidgetArea, m_wndPaletteDock);
    m_wndPaletteDock->setFloating(true);
    m_wndPaletteDock->move(frameGeometry().topLeft() + QPoint(30, 250));
}

void CMainFrame::CreateStatusFields()
{
    // The shown picture's size and zoom, always in view at the bottom right;
    // the rest of the line shows the prompts of the commands under the mouse.
    m_pSizeField = new QLabel(this);
    m_pSizeField->setObjectName(QStringLiteral("SizeField"));
    m_pZoomField = new QLabel(this);
    m_pZoomField->setObjectName(QStringLiteral("ZoomField"));
    m_pZoomField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Wide enough for "1600 %" so that the line does not jump while zooming.
    m_pZoomField->setMinimumWidth(
        m_pZoomField->fontMetrics().horizontalAdvance(QStringLiteral("1600 %  ")));
    statusBar()->addPermanentWidget(m_pSizeField);
    statusBar()->addPermanentWidget(m_pZoomField);
}

void CMainFrame::UpdateStatusFields()
{
    const CChildFrame* child = ActiveChild();
    const CMorvaneView* view = child ? child->GetActiveView() : nullptr;
    const CMorvaneDoc* document = view ? view->GetDocument() : nullptr;
    QString zoom, size;
    if (document && !document->m_dibAfter.IsEmpty()) {
        zoom = tr("%1 %").arg(qRound(view->m_dZoom * 100));
        size = tr("%1 × %2")
                   .arg(document->m_dibAfter.GetWidth())
                   .arg(document->m_dibAfter.GetHeight());
    }
    // Set only when they change: this runs many times a second.
    if (m_pZoomField->text() != zoom)
        m_pZoomField->setText(zoom);
    if (m_pSizeField->text() != size)
        m_pSizeField->setText(size);
}

void CMainFrame::UpdateModifiedMarks()
{
    // A maximised window's title stands in the main window's, and with it
    // its mark (each window's own mark follows its document's signal).
    const CChildFrame* active = ActiveChild();
    const bool mark = active && active->isWindowModified() &&
                      windowTitle().contains(QLatin1String(CChildFrame::kModifiedMark));
    if (isWindowModified() != mark)
        setWindowModified(mark);
}

void CMainFrame::ShowFloatingPalette(bool defaultPosition)
{
    if (!m_wndPaletteDock->isFloating() || !m_wndPaletteDock->isVisible())
        return;
    // A floating window shown before the main window is mapped may stay blank
    // under some window managers: show it again now that the window is up.
    m_wndPaletteDock->hide();
    if (defaultPosition)
        m_wndPaletteDock->move(frameGeometry().topLeft() + QPoint(30, 250));
    m_wndPaletteDock->show();
    m_wndPaletteDock->raise();
}

bool CMainFrame::InitContextBar()
{
    m_pRadiusSlider = new QVToolBarSliderButton(ID_RADIUS, this);
    m_pRadiusSlider->setToolTip(ToolTipFor(ID_RADIUS));
    m_wndContextBar->ReplaceButton(ID_RADIUS, m_pRadiusSlider);
    m_pRadiusSlider->SetRange(kRadiusMin, kRadiusMax);
    m_pRadiusSlider->SetValue(CMorvaneView::kDefaultRadius, true);
    connect(m_pRadiusSlider, &QVToolBarSliderButton::commandNotified, this,
            &CMainFrame::OnToolCommand);

    m_pRadiusLabel = new QVToolBarLabelButton(
        ID_RADIUS_LABEL, QVToolBarLabelButton::FormatRadius(CMorvaneView::kDefaultRadius), this);
    m_wndContextBar->ReplaceButton(ID_RADIUS_LABEL, m_pRadiusLabel);
    return true;
}

// ---- active document window ---------------------------------------------------------

CChildFrame* CMainFrame::ActiveChild() const
{
    QMdiSubWindow* sub = m_pMdiArea->currentSubWindow();
    if (!sub)
        sub = m_pMdiArea->activeSubWindow();
    return sub ? qobject_cast<CChildFrame*>(sub->widget()) : nullptr;
}

CMorvaneView* CMainFrame::ActiveAfterView() const
{
    const CChildFrame* child = ActiveChild();
    return child ? child->m_pAfterView : nullptr;
}

QMdiSubWindow* CMainFrame::AddChild(CChildFrame* child)
{
    // A new document window fills the area unless others are shown beside it.
    const QMdiSubWindow* current = m_pMdiArea->currentSubWindow();
    const bool maximized = !current || current->isMaximized();
    QMdiSubWindow* sub = m_pMdiArea->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(QVArt::AppIcon());
    // The window's own menu would claim Ctrl+W, which is the Close command's.
    if (QMenu* menu = sub->systemMenu())
        for (QAction* action : menu->actions())
            action->setShortcut(QKeySequence());
    connect(child->GetDocument(), &CMorvaneDoc::closeRequested, sub, &QWidget::close);
    // The title marks a document that differs from its file, whatever made it
    // so (strokes, undo, saving).
    child->setWindowModified(child->GetDocument()->IsModified());
    connect(child->GetDocument(), &CMorvaneDoc::modifiedChanged, child, &QWidget::setWindowModified);
    // The views work with the current tool and follow the user's next choices.
    for (CMorvaneView* view : {child->m_pBeforeView, child->m_pAfterView}) {
        view->SetCurrentTool(m_nCurrentTool);
        connect(this, &CMainFrame::currentToolChanged, view, &CMorvaneView::SetCurrentTool);
    }
    if (maximized) {
        sub->showMaximized();
    } else {
        // Beside the others, at the next cascade place.
        sub->setGeometry(CascadePlace(int(m_pMdiArea->subWindowList().size()) - 1));
        sub->show();
    }
    m_pMdiArea->setActiveSubWindow(sub);
    ShowMenuFor(true);
    UpdateCommandStates();
    return sub;
}

void CMainFrame::OnChildActivated()
{
    // The keyboard focus goes with the active document window. The area
    // activates whichever window holds the focus, so a focus left in another
    // window - or remembered for it while a dialog was up, and given back when
    // this window is active again - would bring that window back to the front.
    if (CChildFrame* child = ActiveChild())
        child->TakeFocus();
    ShowMenuFor(ActiveChild() != nullptr);
    UpdateCommandStates();
}

// ---- routing and states ---------------------------------------------------------------

QVCmdUI CMainFrame::CommandState(int id)
{
    QVCmdUI ui;
    ui.m_nID = id;
    CChildFrame* child = ActiveChild();
    QList<QVCmdTarget*> route;
    if (child) {
        if (CMorvaneView* view = child->GetActiveView())
            route << view;
        if (CMorvaneDoc* document = child->GetDocument())
            route << document;
        route << child;
    }
    if (CMorvaneApp* app = CMorvaneApp::Instance())
        route << app;
    route << this;

    for (QVCmdTarget* target : route)
        if (target->OnUpdateCmdUI(ui))
            return ui;
    // Without a state rule a command is enabled when somebody handles it.
    bool handled = false;
    for (QVCmdTarget* target : route)
        handled = handled || target->HasCmdHandler(id);
    ui.Enable(handled);
    return ui;
}

bool CMainFrame::ExecuteCommand(int id)
{
    if (!CommandState(id).m_bEnabled)
        return false;
    CChildFrame* child = ActiveChild();
    bool done = false;
    if (child && child->GetActiveView() && child->GetActiveView()->OnCmdMsg(id))
        done = true;
    else if (child && child->GetDocument() && child->GetDocument()->OnCmdMsg(id))
        done = true;
    else if (child && child->OnCmdMsg(id))
        done = true;
    else if (CMorvaneApp::Instance() && CMorvaneApp::Instance()->OnCmdMsg(id))
        done = true;
    else
        done = OnCmdMsg(id);
    UpdateCommandStates();
    return done;
}

void CMainFrame::UpdateCommandStates()
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const QVCmdUI ui = CommandState(it.key());
        it.value()->setEnabled(ui.m_bEnabled);
        if (ui.m_bCheckSet)
            it.value()->setChecked(ui.m_bChecked);
        if (m_wndContextBar->HasButton(it.key()))
            m_wndContextBar->SetButtonEnabled(it.key(), ui.m_bEnabled);
        if (m_wndPalette->ButtonForCommand(it.key()))
            m_wndPalette->SetButtonEnabled(it.key(), ui.m_bEnabled);
    }
    const bool sliderEnabled = CommandState(ID_RADIUS).m_bEnabled;
    m_wndContextBar->SetButtonEnabled(ID_RADIUS, sliderEnabled);
    m_wndContextBar->SetButtonEnabled(ID_RADIUS_LABEL, CommandState(ID_RADIUS_LABEL).m_bEnabled);
    ApplyToolCommandStyles();
    UpdateStatusFields();
    UpdateModifiedMarks();
}

bool CMainFrame::OnUpdateToolCommand(QVCmdUI& ui)
{
    const CChildFrame* child = ActiveChild();
    if (!child) {
        ui.Enable(false);
        return true;
    }
    const CMorvaneView* view = child->GetActiveView();
    if (view && view == child->m_pBeforeView) {
        ui.Enable(AllowedInBeforeView(ui.m_nID));
        return true;
    }
    ui.Enable(true);
    return true;
}

void CMainFrame::ApplyToolCommandStyles()
{
    // The bar marks that do not follow a command's own state.
    const CChildFrame* child = ActiveChild();
    if (!child)
        return;
    for (int mode = 0; mode < 4; ++mode)
        m_wndContextBar->SetButtonChecked(ID_MODE_BEFORE + mode, child->m_nDisplayMode == mode);
    if (child->GetActiveView() && child->GetActiveView() == child->m_pBeforeView)
        return;

    // The radius label is a label: always drawn disabled.
    m_wndContextBar->SetButtonEnabled(ID_RADIUS_LABEL, false);
    const CMorvaneView* view = ActiveAfterView();
    if (view) {
        if (view->m_nRegionCombine == QVTool::REGION_INTERSECT ||
            view->m_nRegionCombine == QVTool::REGION_EXCLUDE) {
            m_wndContextBar->SetButtonChecked(ID_REGION_INTERSECT,
                                              view->m_nRegionCombine == QVTool::REGION_INTERSECT);
            m_wndContextBar->SetButtonChecked(ID_REGION_EXCLUDE,
                                              view->m_nRegionCombine == QVTool::REGION_EXCLUDE);
        }
        if (view->m_nCoverMode == QVTool::REGION_COVER || view->m_nCoverMode == QVTool::REGION_BECOVER) {
            m_wndContextBar->SetButtonChecked(ID_REGION_COVER, view->m_nCoverMode == QVTool::REGION_COVER);
            m_wndContextBar->SetButtonChecked(ID_REGION_BECOVER,
                                              view->m_nCoverMode == QVTool::REGION_BECOVER);
        }
    }
    const int points = view ? view->m_nControlCount : 0;
    // The palette's region tools need a region; their keys and context-bar
    // buttons stay available.
    m_wndPalette->SetButtonEnabled(ID_TOOL_REGION_STRETCH, points >= 3);
    m_wndPalette->SetButtonEnabled(ID_TOOL_REGION_SHRINK, points >= 3);
    m_wndContextBar->SetButtonEnabled(ID_DELETE_POINTS, points > 0);
    m_wndContextBar->SetButtonEnabled(ID_REDO, view && view->m_history.CanRedo());
    m_wndContextBar->SetButtonEnabled(ID_UNDO, view && view->m_history.CanUndo());

    if (m_wndContextBar->IsButtonVisible(ID_RADIUS)) {
        const QVToolbarSliderCtrl* slider = m_pRadiusSlider ? m_pRadiusSlider->Slider() : nullptr;
        if (slider && slider->isVisible())
            ApplyRadius(QVToolBarSliderButton::GetPos(ID_RADIUS));
    }
}

bool CMainFrame::OnUpdateCmdUI(QVCmdUI& ui)
{
    if (ui.m_nID >= ID_TOOL_FIRST && ui.m_nID <= ID_TOOL_RANGE_LAST)
        return OnUpdateToolCommand(ui);
    if (ui.m_nID == ID_VIEW_PALETTE || ui.m_nID == ID_VIEW_CONTEXT_BAR) {
        const QWidget* bar = ui.m_nID == ID_VIEW_PALETTE ? static_cast<QWidget*>(m_wndPaletteDock)
                                                         : m_wndContextBar;
        ui.Enable(true);
        ui.SetCheck(bar && bar->isVisible());
        return true;
    }
    if (ui.m_nID == ID_WINDOW_NEXT || ui.m_nID == ID_WINDOW_PREVIOUS) {
        ui.Enable(m_pMdiArea->subWindowList().size() > 1);
        return true;
    }
    return false;
}

bool CMainFrame::HasCmdHandler(int id) const
{
    return (id >= ID_TOOL_FIRST && id <= ID_TOOL_RANGE_LAST) || id == ID_VIEW_PALETTE ||
           id == ID_VIEW_CONTEXT_BAR || id == ID_WINDOW_CASCADE || id == ID_WINDOW_TILE_HORZ ||
           id == ID_WINDOW_ARRANGE || id == ID_WINDOW_NEXT || id == ID_WINDOW_PREVIOUS;
}

bool CMainFrame::OnCmdMsg(int id)
{
    if (id == ID_RADIUS_SMALLER || id == ID_RADIUS_LARGER) {
        StepRadius(id == ID_RADIUS_LARGER ? 1 : -1);
        return true;
    }
    if (id >= ID_TOOL_FIRST && id <= ID_TOOL_RANGE_LAST) {
        OnToolCommand(id);
        return true;
    }
    switch (id) {
    case ID_VIEW_PALETTE:
    case ID_VIEW_CONTEXT_BAR:
        OnViewBar(id);
        return true;
    case ID_WINDOW_CASCADE:
        Cascade();
        return true;
    case ID_WINDOW_TILE_HORZ:
        m_pMdiArea->tileSubWindows();
        return true;
    case ID_WINDOW_ARRANGE:
        ArrangeIcons();
        return true;
    case ID_WINDOW_NEXT:
    case ID_WINDOW_PREVIOUS:
        ActivateNeighbour(id == ID_WINDOW_NEXT ? 1 : -1);
        return true;
    default:
        return false;
    }
}

QRect CMainFrame::CascadePlace(int index) const
{
    // Two thirds of the area, each window a title bar's height below and to
    // the right of the one before; back to the top-left corner when the next
    // step would leave the area.
    const QRect area = m_pMdiArea->viewport()->rect();
    const QSize size(area.width() * kCascadeNumerator / kCascadeDenominator,
                     area.height() * kCascadeNumerator / kCascadeDenominator);
    const int step = std::max(1, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const int places =
        1 + std::max(0, std::min((area.width() - size.width()) / step,
                                 (area.height() - size.height()) / step));
    const int offset = (index % places) * step;
    return QRect(area.topLeft() + QPoint(offset, offset), size);
}

void CMainFrame::Cascade()
{
    // In their stacking order, so that the active window ends on top, at the
    // last place; minimised windows stay where they are.
    QMdiSubWindow* active = m_pMdiArea->activeSubWindow();
    int index = 0;
    for (QMdiSubWindow* sub : m_pMdiArea->subWindowList(QMdiArea::StackingOrder)) {
        if (sub->isMinimized() || sub->isHidden())
            continue;
        sub->showNormal();
        sub->setGeometry(CascadePlace(index++));
        sub->raise();
    }
    if (active)
        m_pMdiArea->setActiveSubWindow(active);
}

void CMainFrame::ArrangeIcons()
{
    // Minimised document windows in a row along the bottom edge.
    int x = 0;
    for (QMdiSubWindow* sub : m_pMdiArea->subWindowList()) {
        if (!sub->isMinimized())
            continue;
        sub->move(x, m_pMdiArea->viewport()->height() - sub->height());
        x += sub->width();
    }
}

// ---- tools, radius, bars --------------------------------------------------------------

void CMainFrame::OnToolCommand(int id)
{
    if (id >= ID_TOOL_FIRST && id <= ID_TOOL_LAST) {
        m_wndContextBar->ShowButtons(ID_TOOL_FIRST, ID_DELETE_POINTS, false);
        for (int shown : OptionButtons(id))
            m_wndContextBar->ShowButtons(shown, shown, true);
        m_wndPalette->SelectTool(id);
        m_nCurrentTool = id;
        emit currentToolChanged(id);
    }
    RefreshAfterView();
}

void CMainFrame::RefreshAfterView()
{
    CMorvaneView* view = ActiveAfterView();
    if (!view)
        return;
    // Whatever the display copy held beyond the after-image is dropped.
    view->DropPreview();
    view->RedrawNow();
}

void CMainFrame::ApplyRadius(int position)
{
    CMorvaneView* view = ActiveAfterView();
    if (!view || position == view->m_nRadius)
        return;
    view->m_nRadius = position >= kRadiusMin && position <= kRadiusMax ? position : kRadiusMin;
    if (m_pRadiusLabel) {
        m_pRadiusLabel->SetText(QVToolBarLabelButton::FormatRadius(position));
        m_wndContextBar->repaint();
        RefreshAfterView();
    }
}

void CMainFrame::StepRadius(int direction)
{
    QVToolbarSliderCtrl* slider = m_pRadiusSlider ? m_pRadiusSlider->Slider() : nullptr;
    if (!slider)
        return;
    // A tenth of the radius, at least one pixel, within the slider's range.
    const int step = std::max(1, slider->value() / kRadiusStepDivisor);
    const int value =
        std::clamp(slider->value() + direction * step, slider->minimum(), slider->maximum());
    if (value == slider->value())
        return;
    // As the slider's own keys move it: the context bar hears the move and
    // hands the radius to the active after view, then the button notifies.
    slider->setValue(value);
    m_pRadiusSlider->SetValue(value, true);
}

void CMainFrame::OnViewBar(int id)
{
    QWidget* bar = id == ID_VIEW_PALETTE ? static_cast<QWidget*>(m_wndPaletteDock) : m_wndContextBar;
    bar->setVisible(!bar->isVisible());
}

// ---- window ------------------------------------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // Every document asks about its unsaved changes first, in the order they
    // were opened. A Cancel keeps the program and every window, also those
    // answered before it, so no window closes until all have been answered.
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList();
    QList<CChildFrame*> children;
    for (QMdiSubWindow* sub : windows) {
        auto* child = qobject_cast<CChildFrame*>(sub->widget());
        if (!child)
            continue;
        if (!child->GetDocument()->SaveModified()) {
            event->ignore();
            return;
        }
        children << child;
    }
    bool closed = true;
    for (CChildFrame* child : children)
        closed = child->CloseAnswered() && closed;
    if (!closed) {
        event->ignore();
        return;
    }
    if (CMorvaneApp* app = CMorvaneApp::Instance())
        app->SaveWorkspace(this);
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    emit filesDropped(paths);
}
