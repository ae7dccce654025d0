#pragma once

#include "app/QVCmdTarget.h"

#include <QWidget>

class CMorvaneDoc;
class CMorvaneView;
struct QVExportView;

// The document window: a before view and an after view over one document,
// arranged in one of four display modes, titled "<document> @<mode>".
class CChildFrame : public QWidget, public QVCmdTarget
{
    Q_OBJECT

public:
    enum DisplayMode {
        DISPLAY_BEFORE = 0,
        DISPLAY_AFTER = 1,
        DISPLAY_LEFT_RIGHT = 2,
        DISPLAY_TOP_BOTTOM = 3,
    };

    // Takes ownership of the document and creates the two views.
    explicit CChildFrame(CMorvaneDoc* document, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CMorvaneDoc* GetDocument() const { return m_pDocument; }
    // The views read the document once it is loaded.
    void OnInitialUpdate();
    void SetDisplayMode(int mode);
    // The title as the window shows it: "face.png @After", "face.png* @After"
    // while the document is modified (the title holds Qt's "[*]" mark).
    QString ShownTitle() const;
    static constexpr const char* kModifiedMark = "[*]";
    // The view that commands reach: the shown one in the single modes, the one
    // the user last pressed in the combined modes.
    CMorvaneView* GetActiveView() const { return m_pActiveView; }
    void SetActiveView(CMorvaneView* view);
    // Gives the keyboard focus to the active view unless it is in this window
    // already (also while another window, a dialog, is active).
    void TakeFocus();

    // Closes the window without asking about unsaved changes, because the user
    // has answered for its document already: Exit asks about every document
    // before it closes any. False when the window stays.
    bool CloseAnswered();

    // What the Export command needs to know of this window.
    QVExportView ExportView() const;

    bool OnCmdMsg(int id) override;
    bool HasCmdHandler(int id) const override;

    int m_nDisplayMode = DISPLAY_AFTER;
    CMorvaneView* m_pBeforeView = nullptr;
    CMorvaneView* m_pAfterView = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CMorvaneDoc* m_pDocument;
    CMorvaneView* m_pActiveView = nullptr;
    bool m_bAnswered = false;
};
