#pragma once

#include "QVCmdTarget.h"
#include "QVCommandIds.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class CChildFrame;
class CMorvaneView;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QVContextBar;
class QVMenuBar;
class QVPalette;
class QVPaletteDock;
class QVToolBarLabelButton;
class QVToolBarSliderButton;

// The main window: menu bar, context bar and tool palette around the document
// windows. It keeps the current tool, decides the state of every command for
// menus, bars and shortcuts alike, routes commands to their targets and carries
// the brush radius from the slider to the active document window.
class CMainFrame : public QMainWindow, public QVCmdTarget
{
    Q_OBJECT

public:
    static constexpr int kRadiusMin = 1;
    static constexpr int kRadiusMax = 1000;
    static constexpr int kSliderWidth = 150;
    // "[" and "]" change the radius by a tenth of it.
    static constexpr int kRadiusStepDivisor = 10;
    static constexpr int kPaletteColumns = 3;
    // The Window menu numbers this many document windows (1 to 9).
    static constexpr int kNumberedWindows = 9;
    // How often command states are refreshed while the program is idle.
    static constexpr int kStateUpdateMs = 50;
    // Cascaded document windows take two thirds of the area each way.
    static constexpr int kCascadeNumerator = 2;
    static constexpr int kCascadeDenominator = 3;

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The program's main window, or nullptr.
    static CMainFrame* Instance() { return s_pInstance; }

    QMdiArea* MdiArea() const { return m_pMdiArea; }
    QAction* Action(int id) const { return m_actions.value(id); }
    // The active document window and its after view, or nullptr.
    CChildFrame* ActiveChild() const;
    CMorvaneView* ActiveAfterView() const;
    QMdiSubWindow* AddChild(CChildFrame* child);

    // Offers the command to the active view, its document, the child frame, the
    // application and this frame; false when it is disabled or nobody takes it.
    bool ExecuteCommand(int id);
    // The state the targets decide for the command.
    QVCmdUI CommandState(int id);
    // Applies every command's state to actions and bar buttons.
    void UpdateCommandStates();

    virtual bool InitContextBar();
    void ApplyRadius(int position);
    // The radius a step smaller (-1) or larger (1) through the slider.
    void StepRadius(int direction);
    void RefreshAfterView();
    void OnToolCommand(int id);
    void OnViewBar(int id);
    // Shows the floating palette over the shown window, near its top-left
    // corner unless a saved layout placed it.
    void ShowFloatingPalette(bool defaultPosition);

    bool OnCmdMsg(int id) override;
    bool HasCmdHandler(int id) const override;
    bool OnUpdateCmdUI(QVCmdUI& ui) override;
    // No menu over the bars: the context bar is permanent, and the View menu
    // shows and hides the bars.
    QMenu* createPopupMenu() override { return nullptr; }

    int m_nCurrentTool = ID_TOOL_HAND;
    QVMenuBar* m_wndMenuBar = nullptr;
    QVContextBar* m_wndContextBar = nullptr;
    QVPalette* m_wndPalette = nullptr;
    QVPaletteDock* m_wndPaletteDock = nullptr;

signals:
    // A file was dropped on the window.
    void filesDropped(const QStringList& paths);
    // The user picked another tool; every view works with it from now on.
    void currentToolChanged(int tool);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateBars();
    void CreateStatusFields();
    // The status line's zoom and picture size fields follow the active view.
    void UpdateStatusFields();
    // The "*" of modified documents in the windows' titles.
    void UpdateModifiedMarks();
    void ShowMenuFor(bool documentOpen);
    void OnChildActivated();
    void FillRecentFiles(QMenu* menu, QAction* before);
    // The open document windows at the end of the Window menu.
    void FillWindowList(QMenu* menu);
    // Activates the document window step places after the active one.
    void ActivateNeighbour(int step);
    void ArrangeIcons();
    // Where the index-th cascaded document window goes, in area coordinates.
    QRect CascadePlace(int index) const;
    void Cascade();
    bool OnUpdateToolCommand(QVCmdUI& ui);
    void ApplyToolCommandStyles();

    static CMainFrame* s_pInstance;
    QMdiArea* m_pMdiArea = nullptr;
    QHash<int, QAction*> m_actions;
    QList<QMenu*> m_menusNoDocument;
    QList<QMenu*> m_menusDocument;
    bool m_bShowingDocumentMenu = false;
    QVToolBarSliderButton* m_pRadiusSlider = nullptr;
    QVToolBarLabelButton* m_pRadiusLabel = nullptr;
    QTimer* m_pStateTimer = nullptr;
    QLabel* m_pZoomField = nullptr;
    QLabel* m_pSizeField = nullptr;
};
