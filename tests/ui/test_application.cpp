// The program as a user drives it: open the sample portrait, pick tools by key
// and on the palette, stroke on the after view, undo, switch display modes,
// save, and the command states that keep disabled commands from running.

#include "app/CMainFrame.h"
#include "app/CMorvaneApp.h"
#include "app/QVCommandIds.h"
#include "app/QVMessageBox.h"
#include "bars/QVContextBar.h"
#include "bars/QVSliderCtrl.h"
#include "bars/QVToolBarLabelButton.h"
#include "bars/QVToolBarSliderButton.h"
#include "document/CMorvaneDoc.h"
#include "document/QVDocManager.h"
#include "document/QVExportDlg.h"
#include "palette/QVPalette.h"
#include "palette/QVPaletteDock.h"
#include "res/QVStrings.h"
#include "view/CChildFrame.h"
#include "view/CMorvaneView.h"
#include "engine/warp/QVTool.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMimeData>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include <cstring>

namespace {

struct Message
{
    QString text;
    QMessageBox::Icon icon;
};

bool SamePixels(const QVDIB& a, const QVDIB& b)
{
    return a.SameGeometry(b) &&
           std::memcmp(a.GetBits(), b.GetBits(), a.GetHeader()->biSizeImage) == 0;
}

} // namespace

class ApplicationTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void withoutDocumentNoToolCommandRuns();
    void openingShowsTheAfterViewAndOneSnapshot();
    void toolsByKeyShowTheirOptions_data();
    void toolsByKeyShowTheirOptions();
    void paletteClickChoosesTheTool();
    void strokeChangesOnlyTheCircleAsTheEngineDoes();
    void undoRedoAndResetByKey_data();
    void choosingAToolDropsTheCopyPreview();
    void undoRedoAndResetByKey();
    void beforeViewEnablesOnlyViewingCommands();
    void displayModesByKey_data();
    void displayModesByKey();
    void regionToolsOnThePaletteNeedThreePoints();
    void radiusSliderSetsTheRadiusAndLabel();
    void radiusSliderNotifiesOnReleaseOnly_data();
    void radiusSliderNotifiesOnReleaseOnly();
    void acceleratorsRunTheirCommands_data();
    void acceleratorsRunTheirCommands();
    void barsToggleWithTheirViewItems();
    void noMenuOverTheBarsHidesThem();
    void barTooltipsShowTheCommandsIcon();
    void menusFollowTheActiveDocument();
    void saveAsWritesAndRenames();
    void saveAsFollowsTheChosenFilter_data();
    void saveAsFollowsTheChosenFilter();
    void openListsEveryPictureType();
    void saveFailureKeepsTheDocumentAsItWas();
    void openFailureShowsTheMessage();
    void openingAnOpenFileActivatesItsWindow();
    void droppedFilesOpen();
    void closeAsksToSaveChanges();
    void modifiedMeansNotWhatIsOnDisk_data();
    void modifiedMeansNotWhatIsOnDisk();
    void quitAsksOnlyForWindowsNotOnDisk();
    void exitCancelledKeepsEveryDocument_data();
    void exitCancelledKeepsEveryDocument();
    void saveOnAReadOnlyFileAsksForANewName_data();
    void saveOnAReadOnlyFileAsksForANewName();
    void recentFilesRememberOpenedPictures();
    void languageCommandStoresTheChoice();
    void promptsUseTheProgramsFiltersAndNames();
    void aPictureOpenedAfterAClickComesToTheFront_data();
    void aPictureOpenedAfterAClickComesToTheFront();
    void hidingTheFocusedViewKeepsItsWindowActive();
    void cascadeAndTileGiveWindowsAUsefulSize();
    void windowMenuListsTheWindows();
    void fitInWindowAndTheStatusLine();
    void ctrlTabGoesRoundTheWindows();
    void titlesMarkModifiedDocuments();
    void languageMenuChecksTheCurrentLanguage();
    void bracketsStepTheRadiusThroughTheSlider();

private:
    CChildFrame* OpenSample();
    // The sample copied under a new name, so that saving writes the copy.
    CChildFrame* OpenCopy(const QString& name);
    // s: a stroke, S: Ctrl+S, u: Ctrl+Z, r: Ctrl+F (redo), x: Ctrl+R (reset).
    void Edit(CChildFrame* child, QChar op);
    CMainFrame* Main() const { return m_app->MainFrame(); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Drag(CMorvaneView* view, QPoint from, QPoint to);
    QList<int> VisibleOptionButtons() const;
    // A picture of its own colour, unlike the sample.
    QString MakePicture(const QString& name, QColor colour, QSize size = QSize(64, 48));
    // Opens a document through the menu or Ctrl+O, the file typed into the
    // real Open dialog, as a user does.
    void OpenThroughTheDialog(const QString& path, bool fromMenu);
    // What the window manager does once a dialog has gone: the main window is
    // active again.
    void ReactivateMain();
    // Clicks the command's item in the menu bar's File menu.
    void ClickFileMenu(int id);

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_files;
    CMorvaneApp* m_app = nullptr;
    QList<Message> m_messages;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;
    // Answers to the next questions, in turn, before m_answer.
    QList<QMessageBox::StandardButton> m_answers;
};

void ApplicationTest::initTestCase()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    QVMessageBox::SetHook([this](const QString& text, QMessageBox::Icon icon,
                                 QMessageBox::StandardButtons) {
        m_messages.append({text, icon});
        return m_answers.isEmpty() ? m_answer : m_answers.takeFirst();
    });
    m_app = new CMorvaneApp;
    QVERIFY(m_app->InitInstance({}));
    QVERIFY(QTest::qWaitForWindowExposed(Main()));
    Main()->activateWindow();
}

void ApplicationTest::cleanupTestCase()
{
    delete m_app;
    QVMessageBox::SetHook({});
}

void ApplicationTest::init()
{
    m_messages.clear();
    m_answer = QMessageBox::No;
    m_answers.clear();
    QVDocManager::SetDialogHook({});
}

void ApplicationTest::cleanup()
{
    // Close every window without saving.
    m_answer = QMessageBox::No;
    Main()->MdiArea()->closeAllSubWindows();
    QTRY_VERIFY(Main()->MdiArea()->subWindowList().isEmpty());
    Main()->OnToolCommand(ID_TOOL_HAND);
    Main()->UpdateCommandStates();
}

CChildFrame* ApplicationTest::OpenSample()
{
    CChildFrame* child = m_app->OpenDocumentFile(QStringLiteral(MORVANE_SAMPLE));
    if (child) {
        (void)QTest::qWaitForWindowExposed(child);
        Main()->UpdateCommandStates();
    }
    return child;
}

CChildFrame* ApplicationTest::OpenCopy(const QString& name)
{
    const QString path = m_files.filePath(name);
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(MORVANE_SAMPLE), path))
        return nullptr;
    CChildFrame* child = m_app->OpenDocumentFile(path);
    if (child) {
        (void)QTest::qWaitForWindowExposed(child);
        Main()->UpdateCommandStates();
    }
    return child;
}

void ApplicationTest::Edit(CChildFrame* child, QChar op)
{
    Main()->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(child->parentWidget()));
    switch (op.toLatin1()) {
    case 's': {
        Key(Qt::Key_A, Qt::ControlModifier);
        // Each stroke somewhere else, so that each changes the picture.
        static int serial = 0;
        const QPoint c = child->m_pAfterView->viewport()->rect().center() +
                         QPoint(serial % 5 * 12 - 24, serial % 3 * 10 - 10);
        ++serial;
        Drag(child->m_pAfterView, c, c + QPoint(25, 15));
        break;
    }
    case 'S': Key(Qt::Key_S, Qt::ControlModifier); break;
    case 'u': Key(Qt::Key_Z, Qt::ControlModifier); break;
    case 'r': Key(Qt::Key_F, Qt::ControlModifier); break;
    case 'x': Key(Qt::Key_R, Qt::ControlModifier); break;
    default: QFAIL("no such step");
    }
}

void ApplicationTest::Key(int key, Qt::KeyboardModifiers modifiers)
{
    // Shortcuts reach the active window only.
    if (QApplication::activeWindow() != Main()) {
        Main()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Main()));
    }
    QTest::keyClick(Main(), Qt::Key(key), modifiers);
    Main()->UpdateCommandStates();
}

void ApplicationTest::Drag(CMorvaneView* view, QPoint from, QPoint to)
{
    QWidget* port = view->viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 4; ++i) {
        const QPoint p = from + (to - from) * i / 4;
        QMouseEvent move(QEvent::MouseMove, p, port->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(port, &move);
    }
    QTest::mouseRelease(port, Qt::LeftButton, {}, to);
}

QList<int> ApplicationTest::VisibleOptionButtons() const
{
    QList<int> visible;
    for (int id = ID_TOOL_FIRST; id <= ID_DELETE_POINTS; ++id)
        if (Main()->m_wndContextBar->IsButtonVisible(id))
            visible << id;
    return visible;
}

QString ApplicationTest::MakePicture(const QString& name, QColor colour, QSize size)
{
    QImage image(size, QImage::Format_RGB888);
    image.fill(colour);
    const QString path = m_files.filePath(name);
    return image.save(path) ? path : QString();
}

void ApplicationTest::OpenThroughTheDialog(const QString& path, bool fromMenu)
{
    QVDocManager::SetDialogHook([&](QFileDialog& dialog) {
        // The dialog runs modally as always; the user types the name and
        // presses Enter.
        QTimer::singleShot(0, &dialog, [&dialog, path] {
            if (!QTest::qWaitForWindowExposed(&dialog)) {
                dialog.reject();
                return;
            }
            auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QTest::keyClicks(edit, path);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        return dialog.exec() == QDialog::Accepted;
    });
    if (fromMenu)
        ClickFileMenu(ID_FILE_OPEN);
    else
        Key(Qt::Key_O, Qt::ControlModifier);
}

void ApplicationTest::ClickFileMenu(int id)
{
    QMenuBar* bar = Main()->menuBar();
    QAction* file = bar->actions().constFirst();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file).center());
    QMenu* menu = file->menu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QAction* item = Main()->Action(id);
    QVERIFY(menu->actions().contains(item));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

void ApplicationTest::ReactivateMain()
{
    Main()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Main()));
    QCoreApplication::processEvents();
}

// ---- command states ------------------------------------------------------------------

void ApplicationTest::withoutDocumentNoToolCommandRuns()
{
    for (int id = ID_TOOL_FIRST; id <= ID_TOOL_RANGE_LAST; ++id)
        if (QAction* action = Main()->Action(id))
            QVERIFY2(!action->isEnabled(), qPrintable(QString::number(id)));
    Key(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(Main()->m_nCurrentTool, int(ID_TOOL_HAND));
    QVERIFY(!Main()->ExecuteCommand(ID_TOOL_BLUR));
    QCOMPARE(Main()->m_nCurrentTool, int(ID_TOOL_HAND));
    QVERIFY(!Main()->m_wndPalette->IsButtonEnabled(ID_TOOL_BLUR));
    QVERIFY(!Main()->m_wndContextBar->IsButtonEnabled(ID_UNDO));
    // Commands outside the tools stay available.
    QVERIFY(Main()->Action(ID_FILE_OPEN)->isEnabled());
    QVERIFY(!Main()->Action(ID_FILE_SAVE)->isEnabled());
    QVERIFY(!Main()->Action(ID_FILE_EXPORT)->isEnabled());
}

void ApplicationTest::openingShowsTheAfterViewAndOneSnapshot()
{
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    QCOMPARE(child->ShownTitle(), QStringLiteral("portrait.png @After"));
    QVERIFY(child->m_pAfterView->isVisible());
    QVERIFY(!child->m_pBeforeView->isVisible());
    QCOMPARE(child->GetActiveView(), child->m_pAfterView);
    QCOMPARE(child->m_pAfterView->m_history.GetCount(), 1);
    QVERIFY(!child->GetDocument()->IsModified());
    QVERIFY(!Main()->m_wndContextBar->IsButtonEnabled(ID_UNDO));
    QVERIFY(!Main()->m_wndContextBar->IsButtonEnabled(ID_REDO));
    QVERIFY(Main()->m_wndContextBar->IsButtonChecked(ID_MODE_AFTER));
    QVERIFY(!Main()->m_wndContextBar->IsButtonChecked(ID_MODE_BEFORE));
    QCOMPARE(child->GetDocument()->m_dibBefore.GetBitCount(), 24);
    QVERIFY(SamePixels(child->GetDocument()->m_dibBefore, child->GetDocument()->m_dibAfter));
}

void ApplicationTest::toolsByKeyShowTheirOptions_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("tool");
    QTest::addColumn<QList<int>>("options");
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("circle stretch") << int(Qt::Key_A) << ctrl << int(ID_TOOL_CIRCLE_STRETCH)
                                    << QList<int>{ID_TOOL_CIRCLE_STRETCH, ID_RADIUS, ID_RADIUS_LABEL};
    QTest::newRow("region shrink")
        << int(Qt::Key_B) << int(Qt::ControlModifier | Qt::ShiftModifier) << int(ID_TOOL_REGION_SHRINK)
        << QList<int>{ID_TOOL_REGION_SHRINK, ID_RADIUS, ID_RADIUS_LABEL, ID_REGION_INTERSECT,
                      ID_REGION_EXCLUDE, ID_REGION_COVER, ID_REGION_BECOVER};
    QTest::newRow("points") << int(Qt::Key_I) << ctrl << int(ID_TOOL_POINT)
                            << QList<int>{ID_TOOL_POINT, ID_DELETE_POINTS};
    QTest::newRow("eraser") << int(Qt::Key_D) << ctrl << int(ID_TOOL_ERASER)
                            << QList<int>{ID_TOOL_ERASER, ID_RADIUS, ID_RADIUS_LABEL};
    QTest::newRow("hand") << int(Qt::Key_H) << ctrl << int(ID_TOOL_HAND) << QList<int>{};
}

void ApplicationTest::toolsByKeyShowTheirOptions()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, tool);
    QFETCH(QList<int>, options);
    QVERIFY(OpenSample());
    Key(Qt::Key_U, Qt::ControlModifier); // start from another tool: blur
    Key(key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(Main()->m_nCurrentTool, tool);
    QCOMPARE(VisibleOptionButtons(), options);
    // Exactly the current tool is pressed on the palette.
    QCOMPARE(Main()->m_wndPalette->GetCheckedIndex(), Main()->m_wndPalette->CommandToIndex(tool));
    // Undo, redo, reset, display modes and help are never hidden.
    for (int id : {ID_RESET, ID_UNDO, ID_REDO, ID_MODE_BEFORE, ID_MODE_TOP_BOTTOM, ID_HELP_FILE})
        QVERIFY(Main()->m_wndContextBar->IsButtonVisible(id));
    // Commands that are not tools leave the current tool alone.
    Key(Qt::Key_I);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Main()->m_nCurrentTool, tool);
}

void ApplicationTest::paletteClickChoosesTheTool()
{
    QVERIFY(OpenSample());
    QToolButton* blur = Main()->m_wndPalette->ButtonForCommand(ID_TOOL_BLUR);
    QVERIFY(blur);
    QTest::mouseClick(blur, Qt::LeftButton);
    QCOMPARE(Main()->m_nCurrentTool, int(ID_TOOL_BLUR));
    QVERIFY(blur->isChecked());
    QVERIFY(!Main()->m_wndPalette->ButtonForCommand(ID_TOOL_HAND)->isChecked());
    // The zoom buttons are commands, not tools.
    QTest::mouseClick(Main()->m_wndPalette->ButtonForCommand(ID_ZOOM_IN), Qt::LeftButton);
    QCOMPARE(Main()->m_nCurrentTool, int(ID_TOOL_BLUR));
    QCOMPARE(Main()->ActiveAfterView()->m_dZoom, 2.0);

    // The frame hands the tool to the views, to those of a window opened
    // later too, and they follow the next choice.
    CChildFrame* first = Main()->ActiveChild();
    QCOMPARE(first->m_pAfterView->CurrentTool(), int(ID_TOOL_BLUR));
    QTemporaryDir folder;
    const QString second = folder.filePath(QStringLiteral("second.png"));
    QVERIFY(QFile::copy(QStringLiteral(MORVANE_SAMPLE), second));
    CChildFrame* other = m_app->OpenDocumentFile(second);
    QVERIFY(other);
    QCOMPARE(other->m_pAfterView->CurrentTool(), int(ID_TOOL_BLUR));
    QTest::mouseClick(Main()->m_wndPalette->ButtonForCommand(ID_TOOL_ERASER), Qt::LeftButton);
    for (CChildFrame* child : {first, other})
        for (CMorvaneView* view : {child->m_pBeforeView, child->m_pAfterView})
            QCOMPARE(view->CurrentTool(), int(ID_TOOL_ERASER));
}

void ApplicationTest::choosingAToolDropsTheCopyPreview()
{
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    CMorvaneView* view = child->m_pAfterView;
    const QVDIB& after = child->GetDocument()->m_dibAfter;
    QWidget* port = view->viewport();
    const QPoint c = port->rect().center();
    // A move without a button, as the mouse hovering over the picture gives.
    auto previewAt = [&](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), port->mapToGlobal(QPointF(at)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(port, &move);
    };

    // The copy tool previews its patch on the display copy only...
    Key(Qt::Key_C, Qt::ControlModifier);
    QTest::mousePress(port, Qt::RightButton, {}, c);
    QTest::mouseRelease(port, Qt::RightButton, {}, c);
    previewAt(c + QPoint(60, 40));
    QVERIFY(!SamePixels(view->m_dibShow, after));
    // ...and another tool shows the after-image again.
    Key(Qt::Key_D, Qt::ControlModifier);
    QVERIFY(SamePixels(view->m_dibShow, after));

    // So does a step of the radius while a preview shows.
    Key(Qt::Key_C, Qt::ControlModifier);
    QTest::mousePress(port, Qt::RightButton, {}, c);
    QTest::mouseRelease(port, Qt::RightButton, {}, c);
    previewAt(c + QPoint(-50, 30));
    QVERIFY(!SamePixels(view->m_dibShow, after));
    Key(Qt::Key_BracketRight);
    QCOMPARE(view->m_nRadius, 110);
    QVERIFY(SamePixels(view->m_dibShow, after));
    // The slider's radius carries over to the next window: put it back.
    auto* slider = qobject_cast<QVToolBarSliderButton*>(Main()->m_wndContextBar->ActionForCommand(ID_RADIUS));
    QVERIFY(slider);
    slider->SetValue(CMorvaneView::kDefaultRadius, true);
}

void ApplicationTest::strokeChangesOnlyTheCircleAsTheEngineDoes()
{
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    CMorvaneView* view = child->m_pAfterView;
    CMorvaneDoc* doc = child->GetDocument();
    Key(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(view->m_nRadius, 100);

    const QRect port = view->viewport()->rect();
    const QPoint from = port.center();
    const QPoint to = from + QPoint(40, -25);
    const QPoint start = view->WindowToImage(from.x(), from.y());
    const QPoint end = view->WindowToImage(to.x(), to.y());

    // What the engine gives for the same image points.
    QVDIB expected;
    QVERIFY(expected.CopyFrom(&doc->m_dibAfter));
    QVTool tool;
    QVERIFY(tool.BeginWarp(&doc->m_dibBefore, &expected, 100, QVWarpControl::WARP_STRETCH, nullptr,
                           0, 0, start.x(), start.y()));
    QVERIFY(tool.Warp(end.x(), end.y()));

    Drag(view, from, to);
    QVERIFY(SamePixels(doc->m_dibAfter, expected));
    QVERIFY(!SamePixels(doc->m_dibAfter, doc->m_dibBefore));
    // Nothing outside the circle moved.
    const int stride = doc->m_dibAfter.GetStride();
    for (int y = 0; y < doc->m_dibAfter.GetHeight(); ++y)
        for (int x = 0; x < doc->m_dibAfter.GetWidth(); ++x) {
            const int dx = x - start.x(), dy = y - start.y();
            if (dx * dx + dy * dy < 100 * 100)
                continue;
            const size_t at = size_t(y) * stride + size_t(x) * 3;
            QVERIFY(std::memcmp(doc->m_dibAfter.GetBits() + at, doc->m_dibBefore.GetBits() + at, 3) == 0);
        }
    QVERIFY(doc->IsModified());
    QCOMPARE(view->m_history.GetCount(), 2);
    // The idle state update enables Undo.
    QTRY_VERIFY(Main()->m_wndContextBar->IsButtonEnabled(ID_UNDO));
}

void ApplicationTest::undoRedoAndResetByKey_data()
{
    // Redo's own key and the two other programs use for it.
    QTest::addColumn<int>("redoKey");
    QTest::addColumn<int>("redoModifiers");
    QTest::newRow("Ctrl+F") << int(Qt::Key_F) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+Shift+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("Ctrl+Y") << int(Qt::Key_Y) << int(Qt::ControlModifier);
}

void ApplicationTest::undoRedoAndResetByKey()
{
    QFETCH(int, redoKey);
    QFETCH(int, redoModifiers);
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    CMorvaneDoc* doc = child->GetDocument();
    Key(Qt::Key_A, Qt::ControlModifier);
    const QPoint c = child->m_pAfterView->viewport()->rect().center();
    Drag(child->m_pAfterView, c, c + QPoint(30, 0));
    QVDIB stroked;
    QVERIFY(stroked.CopyFrom(&doc->m_dibAfter));

    Key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(SamePixels(doc->m_dibAfter, doc->m_dibBefore));
    QVERIFY(SamePixels(child->m_pAfterView->m_dibShow, doc->m_dibBefore));
    QVERIFY(Main()->m_wndContextBar->IsButtonEnabled(ID_REDO));
    QVERIFY(!Main()->m_wndContextBar->IsButtonEnabled(ID_UNDO));
    Key(redoKey, Qt::KeyboardModifiers(redoModifiers));
    QVERIFY(SamePixels(doc->m_dibAfter, stroked));
    // Menus and tooltips name the first of Redo's keys.
    QCOMPARE(Main()->Action(ID_REDO)->shortcut().toString(), QStringLiteral("Ctrl+F"));
    // Reset is a step of its own, undone like any other.
    Key(Qt::Key_R, Qt::ControlModifier);
    QVERIFY(SamePixels(doc->m_dibAfter, doc->m_dibBefore));
    Key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(SamePixels(doc->m_dibAfter, stroked));
    // Undo and redo leave the modified flag alone.
    QVERIFY(doc->IsModified());
}

void ApplicationTest::beforeViewEnablesOnlyViewingCommands()
{
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    Key(Qt::Key_A, Qt::ShiftModifier);
    QCOMPARE(child->m_nDisplayMode, int(CChildFrame::DISPLAY_BEFORE));
    QCOMPARE(child->GetActiveView(), child->m_pBeforeView);
    // Fit in Window is a viewing command like the zoom steps.
    const QList<int> allowed = {ID_TOOL_HAND,   ID_ZOOM_IN,    ID_ZOOM_OUT,        ID_UNZOOM,
                                ID_ZOOM_FIT,    ID_MODE_BEFORE, ID_MODE_AFTER, ID_MODE_LEFT_RIGHT,
                                ID_MODE_TOP_BOTTOM};
    for (int id = ID_TOOL_FIRST; id <= ID_TOOL_RANGE_LAST; ++id)
        if (QAction* action = Main()->Action(id))
            QCOMPARE(action->isEnabled(), allowed.contains(id));
    // A disabled command does not run from its key; the hand tool does.
    Key(Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(Main()->m_nCurrentTool, int(ID_TOOL_HAND));
    Key(Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(Main()->m_nCurrentTool, int(ID_TOOL_HAND));
    Key(Qt::Key_I);
    QCOMPARE(child->m_pBeforeView->m_dZoom, 2.0);
}

void ApplicationTest::displayModesByKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("title");
    QTest::newRow("before") << int(Qt::Key_A) << 0 << QStringLiteral("portrait.png @Before");
    QTest::newRow("after") << int(Qt::Key_B) << 1 << QStringLiteral("portrait.png @After");
    QTest::newRow("left right") << int(Qt::Key_C) << 2 << QStringLiteral("portrait.png @Combined");
    QTest::newRow("top bottom") << int(Qt::Key_D) << 3 << QStringLiteral("portrait.png @Combined");
}

void ApplicationTest::displayModesByKey()
{
    QFETCH(int, key);
    QFETCH(int, mode);
    QFETCH(QString, title);
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    Key(Qt::Key_C, Qt::ShiftModifier); // from a combined mode
    Key(key, Qt::ShiftModifier);
    QCOMPARE(child->m_nDisplayMode, mode);
    QCOMPARE(child->ShownTitle(), title);
    QCOMPARE(child->m_pBeforeView->isVisible(), mode != 1);
    QCOMPARE(child->m_pAfterView->isVisible(), mode != 0);
    for (int m = 0; m < 4; ++m)
        QCOMPARE(Main()->m_wndContextBar->IsButtonChecked(ID_MODE_BEFORE + m), m == mode);
    // The before picture is on the left or on top.
    if (mode == 2)
        QVERIFY(child->m_pBeforeView->x() < child->m_pAfterView->x());
    if (mode == 3)
        QVERIFY(child->m_pBeforeView->y() < child->m_pAfterView->y());
}

void ApplicationTest::regionToolsOnThePaletteNeedThreePoints()
{
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    CMorvaneView* view = child->m_pAfterView;
    Key(Qt::Key_I, Qt::ControlModifier);
    const QPoint c = view->viewport()->rect().center();
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, c + QPoint(-40, 0));
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, c + QPoint(40, 0));
    Main()->UpdateCommandStates();
    QCOMPARE(view->m_nControlCount, 2);
    QVERIFY(!Main()->m_wndPalette->IsButtonEnabled(ID_TOOL_REGION_STRETCH));
    QVERIFY(!Main()->m_wndPalette->IsButtonEnabled(ID_TOOL_REGION_SHRINK));
    QVERIFY(Main()->m_wndContextBar->IsButtonEnabled(ID_DELETE_POINTS));
    // The key still selects the region tool.
    Key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Main()->m_nCurrentTool, int(ID_TOOL_REGION_STRETCH));

    Key(Qt::Key_I, Qt::ControlModifier);
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, c + QPoint(0, 40));
    Main()->UpdateCommandStates();
    QVERIFY(Main()->m_wndPalette->IsButtonEnabled(ID_TOOL_REGION_STRETCH));
    QVERIFY(Main()->m_wndPalette->IsButtonEnabled(ID_TOOL_REGION_SHRINK));

    // Region marks follow the view's settings.
    Key(Qt::Key_B);
    Key(Qt::Key_E);
    QVERIFY(Main()->m_wndContextBar->IsButtonChecked(ID_REGION_EXCLUDE));
    QVERIFY(!Main()->m_wndContextBar->IsButtonChecked(ID_REGION_INTERSECT));
    QVERIFY(Main()->m_wndContextBar->IsButtonChecked(ID_REGION_BECOVER));
    QCOMPARE(view->m_nRegionCombine, int(QVTool::REGION_EXCLUDE));
    QCOMPARE(view->m_nCoverMode, int(QVTool::REGION_BECOVER));
    Key(Qt::Key_D);
    QCOMPARE(view->m_nControlCount, 0);
    QVERIFY(!Main()->m_wndContextBar->IsButtonEnabled(ID_DELETE_POINTS));
}

void ApplicationTest::radiusSliderSetsTheRadiusAndLabel()
{
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    Key(Qt::Key_A, Qt::ControlModifier);
    auto* sliderButton =
        qobject_cast<QVToolBarSliderButton*>(Main()->m_wndContextBar->ActionForCommand(ID_RADIUS));
    QVERIFY(sliderButton && sliderButton->Slider());
    QVToolbarSliderCtrl* slider = sliderButton->Slider();
    QCOMPARE(slider->minimum(), 1);
    QCOMPARE(slider->maximum(), 1000);
    QCOMPARE(slider->value(), 100);
    QCOMPARE(slider->size(), QSize(150, 35));

    slider->setFocus();
    slider->setValue(249);
    QTest::keyClick(slider, Qt::Key_Right); // a user's change
    QCOMPARE(child->m_pAfterView->m_nRadius, 250);
    auto* label =
        qobject_cast<QVToolBarLabelButton*>(Main()->m_wndContextBar->ActionForCommand(ID_RADIUS_LABEL));
    QVERIFY(label);
    QCOMPARE(label->Text(), QStringLiteral("  250"));
    QCOMPARE(QVToolBarLabelButton::FormatRadius(1), QStringLiteral("    1"));
    QCOMPARE(QVToolBarLabelButton::FormatRadius(1000), QStringLiteral(" 1000"));
    QCOMPARE(QVToolBarSliderButton::GetPos(ID_RADIUS), 250);
    QCOMPARE(QVToolBarSliderButton::GetPos(12345), -1);
}

void ApplicationTest::radiusSliderNotifiesOnReleaseOnly_data()
{
    // Mouse steps on the slider from a start point: h a move without a button,
    // p a press, m a move with the left button held, r the release. Each move
    // goes 12 pixels to the right.
    QTest::addColumn<QString>("start"); // "thumb" or "channel" (right of the thumb)
    QTest::addColumn<QString>("steps");
    QTest::newRow("hovering over the thumb and along") << "thumb" << "hhhhhh";
    QTest::newRow("a click on the thumb, no change") << "thumb" << "pr";
    QTest::newRow("a click in the channel") << "channel" << "pr";
    QTest::newRow("a drag of the thumb") << "thumb" << "pmmmr";
    QTest::newRow("hovering after a drag") << "thumb" << "pmrhhh";
    QTest::newRow("two clicks") << "thumb" << "prpr";
}

// A release always tells the main window once, changed or not; a move tells it
// only while the button is held and the position changes; the radius follows
// the position all along.
void ApplicationTest::radiusSliderNotifiesOnReleaseOnly()
{
    QFETCH(QString, start);
    QFETCH(QString, steps);
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    Key(Qt::Key_A, Qt::ControlModifier);
    auto* button =
        qobject_cast<QVToolBarSliderButton*>(Main()->m_wndContextBar->ActionForCommand(ID_RADIUS));
    QVERIFY(button && button->Slider());
    QVToolbarSliderCtrl* slider = button->Slider();
    QTRY_VERIFY(slider->isVisible());
    const int initial = slider->value();
    QSignalSpy notified(button, &QVToolBarSliderButton::commandNotified);

    const QRect thumb = slider->ThumbRect();
    QPoint at = start == QLatin1String("thumb") ? thumb.center()
                                                : QPoint(thumb.right() + 20, thumb.center().y());
    QVERIFY(slider->rect().contains(at));
    Qt::MouseButtons held = Qt::NoButton;
    qsizetype expected = 0;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QChar step = steps[i];
        const int before = slider->value();
        switch (step.toLatin1()) {
        case 'p':
            QTest::mousePress(slider, Qt::LeftButton, {}, at);
            held = Qt::LeftButton;
            break;
        case 'r':
            QTest::mouseRelease(slider, Qt::LeftButton, {}, at);
            held = Qt::NoButton;
            ++expected;
            break;
        case 'h':
        case 'm': {
            QVERIFY((step == QLatin1Char('m')) == (held != Qt::NoButton));
            at += QPoint(12, 0);
            QMouseEvent move(QEvent::MouseMove, at, slider->mapToGlobal(at), Qt::NoButton, held,
                             Qt::NoModifier);
            QApplication::sendEvent(slider, &move);
            if (step == QLatin1Char('m'))
                expected += slider->value() != before;
            else
                QCOMPARE(slider->value(), before);
            break;
        }
        default: QFAIL("no such step");
        }
        QVERIFY2(notified.size() == expected,
                 qPrintable(QStringLiteral("after %1: %2 notifications")
                                .arg(steps.left(i + 1))
                                .arg(notified.size())));
        for (const QList<QVariant>& signal : notified)
            QCOMPARE(signal.value(0).toInt(), int(ID_RADIUS));
        QCOMPARE(child->m_pAfterView->m_nRadius, slider->value());
    }
    // The drag and the channel click really move the radius; the rest keep it.
    const bool moves = steps.contains(QLatin1Char('m')) || start == QLatin1String("channel");
    QCOMPARE(slider->value() != initial, moves);
    QVERIFY(!slider->m_bThumbPressed);
    button->SetValue(CMorvaneView::kDefaultRadius, true);
}

void ApplicationTest::acceleratorsRunTheirCommands_data()
{
    // A key, the command it stands for, a key that first puts the state
    // elsewhere (0: none) and what the command changes: from before to after.
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("prepareKey");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    const int ctrl = Qt::ControlModifier, none = Qt::NoModifier;
    QTest::newRow("Ctrl+B") << int(Qt::Key_B) << ctrl << int(ID_TOOL_CIRCLE_SHRINK) << 0 << "tool"
                            << "33903" << "33902";
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << ctrl << int(ID_TOOL_COPY) << 0 << "tool"
                            << "33903" << "33907";
    QTest::newRow("O") << int(Qt::Key_O) << none << int(ID_ZOOM_OUT) << 0 << "zoom" << "1" << "0.9";
    QTest::newRow("N") << int(Qt::Key_N) << none << int(ID_UNZOOM) << int(Qt::Key_I) << "zoom"
                       << "2" << "1";
    QTest::newRow("A") << int(Qt::Key_A) << none << int(ID_REGION_INTERSECT) << int(Qt::Key_B)
                       << "region" << "2" << "1";
    QTest::newRow("C") << int(Qt::Key_C) << none << int(ID_REGION_COVER) << int(Qt::Key_E) << "cover"
                       << "4" << "3";
    QTest::newRow("Ctrl+E") << int(Qt::Key_E) << ctrl << int(ID_FILE_EXPORT) << 0 << "export"
                            << "0" << "1";
    // The picture is modified and the save question cancelled: the program stays.
    QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << ctrl << int(ID_APP_EXIT) << 0 << "questions"
                            << "0" << "1";
}

void ApplicationTest::acceleratorsRunTheirCommands()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, command);
    QFETCH(int, prepareKey);
    QFETCH(QString, field);
    QFETCH(QString, before);
    QFETCH(QString, after);
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    child->GetDocument()->SetModifiedFlag(true);
    m_answer = QMessageBox::Cancel;
    int exports = 0;
    QVExportDlg::SetModalHook([&exports](QVExportDlg&) {
        ++exports;
        return int(QDialog::Rejected);
    });
    const auto state = [&]() -> QString {
        CMorvaneView* view = child->m_pAfterView;
        if (field == QLatin1String("tool")) return QString::number(Main()->m_nCurrentTool);
        if (field == QLatin1String("zoom")) return QString::number(view->m_dZoom);
        if (field == QLatin1String("region")) return QString::number(view->m_nRegionCombine);
        if (field == QLatin1String("cover")) return QString::number(view->m_nCoverMode);
        if (field == QLatin1String("export")) return QString::number(exports);
        return QString::number(m_messages.size());
    };
    if (prepareKey)
        Key(prepareKey);
    QCOMPARE(state(), before);

    // The key runs its own command and no other.
    QList<QAction*> actions = Main()->findChildren<QAction*>();
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (QAction* action : actions)
        spies.push_back(std::make_unique<QSignalSpy>(action, &QAction::triggered));
    Key(key, Qt::KeyboardModifiers(modifiers));
    QVExportDlg::SetModalHook({});
    for (size_t i = 0; i < spies.size(); ++i)
        QVERIFY2(spies[i]->size() == (actions[i] == Main()->Action(command) ? 1 : 0),
                 qPrintable(actions[i]->text()));
    QCOMPARE(state(), after);
    QVERIFY(Main()->isVisible());
    QCOMPARE(Main()->MdiArea()->subWindowList().size(), 1);
}

void ApplicationTest::barsToggleWithTheirViewItems()
{
    QAction* palette = Main()->Action(ID_VIEW_PALETTE);
    QAction* contextBar = Main()->Action(ID_VIEW_CONTEXT_BAR);
    QVERIFY(palette->isChecked());
    QVERIFY(contextBar->isChecked());
    Key(Qt::Key_T, Qt::ControlModifier);
    QVERIFY(!Main()->m_wndContextBar->isVisible());
    QVERIFY(!contextBar->isChecked());
    Key(Qt::Key_P, Qt::ControlModifier);
    QVERIFY(!Main()->m_wndPaletteDock->isVisible());
    QVERIFY(!palette->isChecked());
    Key(Qt::Key_T, Qt::ControlModifier);
    Key(Qt::Key_P, Qt::ControlModifier);
    QVERIFY(Main()->m_wndContextBar->isVisible());
    QVERIFY(Main()->m_wndPaletteDock->isVisible());
    QVERIFY(contextBar->isChecked());
    // Menus show the real shortcuts.
    QCOMPARE(contextBar->shortcut().toString(), QStringLiteral("Ctrl+T"));
    QCOMPARE(Main()->Action(ID_FILE_SAVE_AS)->shortcut().toString(), QStringLiteral("Ctrl+Shift+S"));
}

void ApplicationTest::noMenuOverTheBarsHidesThem()
{
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    ReactivateMain();
    QWidget* port = child->m_pAfterView->viewport();
    QTest::mouseClick(port, Qt::LeftButton, {}, port->rect().center());
    // A right click on each bar: no menu comes up (one that did is closed
    // and reported), and the bars stay.
    Main()->m_wndPaletteDock->setFloating(false);
    QTRY_VERIFY(!Main()->m_wndPaletteDock->isFloating());
    for (QWidget* bar : {static_cast<QWidget*>(Main()->m_wndContextBar),
                         static_cast<QWidget*>(Main()->menuBar()),
                         static_cast<QWidget*>(Main()->m_wndPaletteDock->Caption())}) {
        QString shown;
        QTimer::singleShot(100, this, [&shown] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                for (QAction* action : popup->actions())
                    shown += action->text() + QLatin1Char(' ');
                popup->close();
            }
        });
        const QPoint at(bar->width() - 4, bar->height() / 2);
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
        QApplication::sendEvent(bar, &rightClick);
        QTest::qWait(200);
        QVERIFY2(shown.isEmpty(), qPrintable(shown));
        QVERIFY(Main()->m_wndContextBar->isVisible());
        QVERIFY(Main()->m_wndPaletteDock->isVisible());
    }
    Main()->m_wndPaletteDock->setFloating(true);
    QVERIFY(Main()->createPopupMenu() == nullptr);
    // The bar buttons leave the keyboard focus where it was.
    QTest::mouseClick(Main()->m_wndContextBar->ButtonForCommand(ID_MODE_LEFT_RIGHT),
                      Qt::LeftButton);
    QCOMPARE(child->m_nDisplayMode, int(CChildFrame::DISPLAY_LEFT_RIGHT));
    for (int id : {ID_MODE_BEFORE, ID_UNDO, ID_HELP_FILE})
        QCOMPARE(Main()->m_wndContextBar->ButtonForCommand(id)->focusPolicy(), Qt::NoFocus);
}

void ApplicationTest::barTooltipsShowTheCommandsIcon()
{
    QVERIFY(OpenSample());
    ReactivateMain();
    const struct
    {
        QToolButton* button;
        QString title;
        QString prompt;
    } bars[] = {{Main()->m_wndContextBar->ButtonForCommand(ID_MODE_AFTER), "After mode",
                 "Only show the picture after"},
                {Main()->m_wndPalette->ButtonForCommand(ID_TOOL_BLUR), "Blur Tool",
                 "Blur the picture"},
                {Main()->m_wndPalette->ButtonForCommand(ID_TOOL_POINT),
                 "Control Point Editing Tool",
                 "Use right mouse button to add a new point and use left mouse button to move "
                 "the point"}};
    for (const auto& bar : bars) {
        QVERIFY(bar.button && bar.button->isVisible());
        const QPoint at = bar.button->rect().center();
        QHelpEvent help(QEvent::ToolTip, at, bar.button->mapToGlobal(at));
        QApplication::sendEvent(bar.button, &help);
        QLabel* tip = nullptr;
        QTRY_VERIFY((tip = [] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (widget->inherits("QTipLabel") && widget->isVisible())
                    return qobject_cast<QLabel*>(widget);
            return static_cast<QLabel*>(nullptr);
        }()));
        // The bold title, the line and the prompt, as before.
        QVERIFY(tip->text().contains(QStringLiteral("<b>%1</b><hr>%2").arg(bar.title, bar.prompt)));
        // Beside them, at the left, the command's icon: its accent red shows
        // nowhere else in a tooltip.
        const QImage image = tip->grab().toImage();
        int red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < std::min(image.width(), 48); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                red += pixel.red() > 140 && pixel.green() < 70 && pixel.blue() < 70;
            }
        QVERIFY2(red >= 10, qPrintable(QString::number(red)));
        // The whole text shows: the tooltip is as high as its width needs.
        QVERIFY(tip->height() >= tip->heightForWidth(tip->width()));
        // The tooltip goes, and deletes itself.
        const QPointer<QLabel> shown = tip;
        QToolTip::hideText();
        QTRY_VERIFY(!shown || !shown->isVisible());
    }
}

void ApplicationTest::menusFollowTheActiveDocument()
{
    auto titles = [this] {
        QStringList list;
        for (QAction* menu : Main()->menuBar()->actions())
            list << menu->text();
        return list;
    };
    QCOMPARE(titles(), (QStringList{"&File", "&View", "&Help"}));
    QVERIFY(OpenSample());
    QCOMPARE(titles(), (QStringList{"&File", "&View", "&Window", "&Help"}));
    QVERIFY(Main()->Action(ID_FILE_SAVE)->isEnabled());
    QVERIFY(Main()->Action(ID_FILE_CLOSE)->isEnabled());
    QVERIFY(Main()->Action(ID_FILE_EXPORT)->isEnabled());
    QVERIFY(!Main()->Action(ID_LANGUAGE_DEFAULT)->isEnabled());
}

void ApplicationTest::saveAsWritesAndRenames()
{
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    CMorvaneDoc* doc = child->GetDocument();
    Key(Qt::Key_A, Qt::ControlModifier);
    const QPoint c = child->m_pAfterView->viewport()->rect().center();
    Drag(child->m_pAfterView, c, c + QPoint(20, 20));
    QVERIFY(doc->IsModified());

    const QString target = m_files.filePath(QStringLiteral("result.png"));
    QVDocManager::SetDialogHook([&](QFileDialog& dialog) {
        dialog.selectFile(target);
        return true;
    });
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(QFileInfo::exists(target));
    QVERIFY(!doc->IsModified());
    QCOMPARE(doc->GetPathName(), target);
    QCOMPARE(child->ShownTitle(), QStringLiteral("result.png @After"));
    QVERIFY(m_app->RecentFiles().startsWith(target));

    QVDIB reopened;
    QVERIFY(reopened.LoadFromFile(target));
    QVERIFY(SamePixels(reopened, doc->m_dibAfter));
}

void ApplicationTest::saveAsFollowsTheChosenFilter_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("ownFilter"); // as the dialog shows it
    QTest::addColumn<QString>("chosen"); // the filter the user picks; empty: none
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("png document, JPG chosen")
        << "doc.png" << "PNG Files (*.png)" << "JPG Files" << "filter-jpg" << "filter-jpg.jpg";
    QTest::newRow("png document, TIF chosen")
        << "doc.png" << "PNG Files (*.png)" << "TIF Files" << "filter-tif" << "filter-tif.tif";
    QTest::newRow("png document, no choice")
        << "doc.png" << "PNG Files (*.png)" << "" << "kept" << "kept.png";
    QTest::newRow("jpeg document, no choice")
        << "doc.jpeg" << "JPG Files (*.jpg,*.jpeg)" << "" << "kept" << "kept.jpeg";
    QTest::newRow("bmp document, PNG chosen, own extension typed")
        << "doc.bmp" << "BMP Files (*.bmp)" << "PNG Files" << "typed.bmp" << "typed.bmp";
}

void ApplicationTest::saveAsFollowsTheChosenFilter()
{
    QFETCH(QString, document);
    QFETCH(QString, ownFilter);
    QFETCH(QString, chosen);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QTemporaryDir folder;
    const QString source = folder.filePath(document);
    QImage picture(40, 30, QImage::Format_RGB888);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(source));
    CChildFrame* child = m_app->OpenDocumentFile(source);
    QVERIFY(child);

    QString startFilter;
    QVDocManager::SetDialogHook([&](QFileDialog& dialog) {
        QTimer::singleShot(0, &dialog, [&] {
            if (!QTest::qWaitForWindowExposed(&dialog)) {
                dialog.reject();
                return;
            }
            startFilter = dialog.selectedNameFilter();
            // The user picks the type in the list with the keyboard, then
            // types the name.
            auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            const int target = types->findText(chosen, Qt::MatchStartsWith);
            for (int i = 0; !chosen.isEmpty() && i < types->count() &&
                            !types->currentText().startsWith(chosen);
                 ++i)
                QTest::keyClick(types, types->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
            auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            edit->selectAll();
            QTest::keyClicks(edit, folder.filePath(typed));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        return dialog.exec() == QDialog::Accepted;
    });
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY2(QFileInfo::exists(folder.filePath(written)),
             qPrintable(QDir(folder.path()).entryList(QDir::Files).join(QLatin1Char(' '))));
    QCOMPARE(child->GetDocument()->GetPathName(), folder.filePath(written));
    QCOMPARE(startFilter, ownFilter);
}

void ApplicationTest::openListsEveryPictureType()
{
    QTemporaryDir folder;
    const QStringList pictures = {"a.JPEG", "b.tiff", "c.gif", "d.PNG", "e.jpg"};
    for (const QString& name : pictures + QStringList{"f.txt"}) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QStringList listed;
    QVDocManager::SetDialogHook([&](QFileDialog& dialog) {
        dialog.setDirectory(folder.path());
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return false;
        // What the dialog's list shows under the filter it starts with.
        auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
        // The folder is read in the background.
        (void)QTest::qWaitFor([list] { return list->model()->rowCount(list->rootIndex()) >= 5; });
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
            listed << list->model()->index(row, 0, list->rootIndex()).data().toString();
        return false;
    });
    QString name;
    QVERIFY(!QVDocManager::DoPromptFileName(name, AFX_IDS_OPENFILE, true));
    listed.sort();
    QCOMPARE(listed, pictures);
}

void ApplicationTest::saveFailureKeepsTheDocumentAsItWas()
{
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    CMorvaneDoc* doc = child->GetDocument();
    doc->SetModifiedFlag(true);
    const QString path = doc->GetPathName();
    const QString target = m_files.filePath(QStringLiteral("result.xyz"));
    QVDocManager::SetDialogHook([&](QFileDialog& dialog) {
        dialog.selectFile(target);
        return true;
    });
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Failed to save the file:\n") + target);
    QCOMPARE(m_messages[0].icon, QMessageBox::Critical);
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(doc->IsModified());
    QCOMPARE(doc->GetPathName(), path);
    // Still the old name, still marked as modified.
    QCOMPARE(child->ShownTitle(), QStringLiteral("portrait.png* @After"));
}

void ApplicationTest::openFailureShowsTheMessage()
{
    const QString path = m_files.filePath(QStringLiteral("not-a-picture.png"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("hello");
    file.close();
    QVERIFY(!m_app->OpenDocumentFile(path));
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Failed to open the file:\n") + path);
    QCOMPARE(m_messages[0].icon, QMessageBox::Critical);
    QVERIFY(Main()->MdiArea()->subWindowList().isEmpty());

    // Through the Open command and its prompt.
    QVDocManager::SetDialogHook([&](QFileDialog& dialog) {
        dialog.selectFile(path);
        return true;
    });
    Key(Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_messages.size(), 2);
    QVERIFY(Main()->MdiArea()->subWindowList().isEmpty());
}

void ApplicationTest::openingAnOpenFileActivatesItsWindow()
{
    CChildFrame* first = OpenSample();
    QVERIFY(first);
    QCOMPARE(OpenSample(), first);
    QCOMPARE(Main()->MdiArea()->subWindowList().size(), 1);
}

void ApplicationTest::droppedFilesOpen()
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral(MORVANE_SAMPLE))});
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Main(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Main(), &drop);
    QCOMPARE(Main()->MdiArea()->subWindowList().size(), 1);
    QCOMPARE(Main()->ActiveChild()->ShownTitle(), QStringLiteral("portrait.png @After"));
}

void ApplicationTest::closeAsksToSaveChanges()
{
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    child->GetDocument()->SetModifiedFlag(true);
    m_answer = QMessageBox::Cancel;
    Key(Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Save changes to portrait.png?"));
    QCOMPARE(Main()->MdiArea()->subWindowList().size(), 1);

    m_answer = QMessageBox::No;
    Key(Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY(Main()->MdiArea()->subWindowList().isEmpty());
    QCOMPARE(m_messages.size(), 2);
}

void ApplicationTest::modifiedMeansNotWhatIsOnDisk_data()
{
    QTest::addColumn<QString>("ops");
    QTest::addColumn<QString>("modified"); // after each step
    QTest::newRow("opened, stroked, undone") << "su" << "10";
    QTest::newRow("saved, stroked, undone") << "sSsu" << "1010";
    QTest::newRow("saved, then undone") << "sSu" << "101";
    QTest::newRow("saved, undone, redone") << "sSur" << "1010";
    QTest::newRow("saved, undone twice, redone twice") << "ssSuurr" << "1101110";
    QTest::newRow("a stroke after undo drops the saved step") << "sSusur" << "101111";
    QTest::newRow("reset back to the opened picture") << "sxu" << "101";
    QTest::newRow("saved, then reset") << "sSxur" << "10101";
}

// The document is modified exactly when the picture shown is not the one in
// the file; closing asks exactly then.
void ApplicationTest::modifiedMeansNotWhatIsOnDisk()
{
    QFETCH(QString, ops);
    QFETCH(QString, modified);
    CChildFrame* child = OpenCopy(QStringLiteral("edited.png"));
    QVERIFY(child);
    CMorvaneDoc* doc = child->GetDocument();
    QVERIFY(!doc->IsModified());
    // The document tells each time the flag turns, with its new value.
    QSignalSpy turns(doc, &CMorvaneDoc::modifiedChanged);
    QList<bool> expectedTurns;
    bool was = false;
    for (qsizetype i = 0; i < ops.size(); ++i) {
        Edit(child, ops[i]);
        const bool now = modified[i] == QLatin1Char('1');
        QVERIFY2(doc->IsModified() == now, qPrintable(ops.left(i + 1)));
        if (now != was)
            expectedTurns << now;
        was = now;
    }
    QCOMPARE(turns.size(), expectedTurns.size());
    for (qsizetype i = 0; i < turns.size(); ++i)
        QCOMPARE(turns[i].value(0).toBool(), expectedTurns[i]);
    QVERIFY(m_messages.isEmpty());

    m_answer = QMessageBox::Cancel;
    Key(Qt::Key_W, Qt::ControlModifier);
    if (doc->IsModified()) {
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("Save changes to edited.png?"));
        QCOMPARE(Main()->MdiArea()->subWindowList().size(), 1);
    } else {
        QVERIFY(m_messages.isEmpty());
        QTRY_VERIFY(Main()->MdiArea()->subWindowList().isEmpty());
    }
}

void ApplicationTest::quitAsksOnlyForWindowsNotOnDisk()
{
    CChildFrame* kept = OpenCopy(QStringLiteral("kept.png"));
    CChildFrame* undone = OpenCopy(QStringLiteral("undone.png"));
    QVERIFY(kept && undone);
    for (const QChar op : QStringLiteral("sSsu"))
        Edit(kept, op);
    for (const QChar op : QStringLiteral("sSu"))
        Edit(undone, op);
    QVERIFY(!kept->GetDocument()->IsModified());
    QVERIFY(undone->GetDocument()->IsModified());

    // Quit asks about the one picture that differs from its file; Cancel
    // keeps the program and every window, the saved one too.
    m_answer = QMessageBox::Cancel;
    Key(Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Save changes to undone.png?"));
    QVERIFY(Main()->isVisible());
    QCoreApplication::processEvents();
    QCOMPARE(Main()->MdiArea()->subWindowList().size(), 2);
    QCOMPARE(Main()->ActiveChild(), undone);
}

void ApplicationTest::exitCancelledKeepsEveryDocument_data()
{
    // How Exit is chosen, and the answers to the save questions in turn
    // (Y yes, N no, C cancel): Cancel ends the exit at once.
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QString>("modified"); // of each document afterwards
    QTest::newRow("Ctrl+Q, cancelled at the first") << false << "C" << "11";
    QTest::newRow("File Exit, cancelled at the first") << true << "C" << "11";
    QTest::newRow("Ctrl+Q, no, then cancelled") << false << "NC" << "11";
    QTest::newRow("File Exit, yes, then cancelled") << true << "YC" << "01";
}

// Cancel in any save question of Exit keeps the program, every document
// window and every edit as they were, the windows answered before included.
void ApplicationTest::exitCancelledKeepsEveryDocument()
{
    QFETCH(bool, fromMenu);
    QFETCH(QString, answers);
    QFETCH(QString, modified);
    const QStringList names = {QStringLiteral("first.png"), QStringLiteral("second.png")};
    QList<CChildFrame*> children;
    QList<std::shared_ptr<QVDIB>> edited;
    QList<int> steps;
    for (const QString& name : names) {
        CChildFrame* child = OpenCopy(name);
        QVERIFY(child);
        Edit(child, QLatin1Char('s'));
        QVERIFY(child->GetDocument()->IsModified());
        auto copy = std::make_shared<QVDIB>();
        QVERIFY(copy->CopyFrom(&child->GetDocument()->m_dibAfter));
        edited << copy;
        steps << child->m_pAfterView->m_history.GetCount();
        children << child;
    }
    for (const QChar answer : answers)
        m_answers << (answer == QLatin1Char('Y')   ? QMessageBox::Yes
                      : answer == QLatin1Char('N') ? QMessageBox::No
                                                   : QMessageBox::Cancel);
    // Whatever is asked beyond the answers given is cancelled too, and counted.
    m_answer = QMessageBox::Cancel;

    if (fromMenu)
        ClickFileMenu(ID_APP_EXIT);
    else
        Key(Qt::Key_Q, Qt::ControlModifier);
    QCoreApplication::processEvents();

    QCOMPARE(m_messages.size(), answers.size());
    for (qsizetype i = 0; i < m_messages.size(); ++i)
        QCOMPARE(m_messages[i].text, QStringLiteral("Save changes to %1?").arg(names[i]));
    QVERIFY(Main()->isVisible());
    QCOMPARE(Main()->MdiArea()->subWindowList().size(), names.size());
    for (qsizetype i = 0; i < children.size(); ++i) {
        CMorvaneDoc* doc = children[i]->GetDocument();
        QCOMPARE(doc->IsModified(), modified[i] == QLatin1Char('1'));
        QVERIFY(SamePixels(doc->m_dibAfter, *edited[i]));
        QVERIFY(SamePixels(children[i]->m_pAfterView->m_dibShow, *edited[i]));
        QCOMPARE(children[i]->m_pAfterView->m_history.GetCount(), steps[i]);
        // What was saved on the way is the edited picture.
        QVDIB onDisk;
        QVERIFY(onDisk.LoadFromFile(doc->GetPathName()));
        QCOMPARE(SamePixels(onDisk, *edited[i]), !doc->IsModified());
    }
}

void ApplicationTest::saveOnAReadOnlyFileAsksForANewName_data()
{
    QTest::addColumn<bool>("byClose"); // Ctrl+S, or Close answered with Yes
    QTest::addColumn<QString>("given"); // what the user gives the Save As prompt
    QTest::newRow("Ctrl+S, new name") << false << "new name";
    QTest::newRow("Ctrl+S, cancelled") << false << "cancelled";
    QTest::newRow("Ctrl+S, its own name") << false << "own name";
    QTest::newRow("Close, save, new name") << true << "new name";
    QTest::newRow("Close, save, cancelled") << true << "cancelled";
    QTest::newRow("Close, save, its own name") << true << "own name";
}

// Save on a file that is marked read-only asks for a name as Save As does and
// leaves that file as it is, for every user, root included.
void ApplicationTest::saveOnAReadOnlyFileAsksForANewName()
{
    QFETCH(bool, byClose);
    QFETCH(QString, given);
    const bool named = given == QLatin1String("new name");
    CChildFrame* child = OpenCopy(QStringLiteral("locked.png"));
    QVERIFY(child);
    CMorvaneDoc* doc = child->GetDocument();
    const QString locked = doc->GetPathName();
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QVERIFY(QFile::setPermissions(locked, readOnly));
    const auto unlock = qScopeGuard([&] {
        QFile::setPermissions(locked, readOnly | QFileDevice::WriteOwner);
    });
    QFile file(locked);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    const QDateTime stamp = QFileInfo(locked).lastModified();
    Edit(child, QLatin1Char('s'));
    QVDIB edited;
    QVERIFY(edited.CopyFrom(&doc->m_dibAfter));

    const QString target = m_files.filePath(QStringLiteral("unlocked.png"));
    QFile::remove(target);
    QStringList asked;
    QVDocManager::SetDialogHook([&](QFileDialog& dialog) {
        const auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        asked << dialog.windowTitle()
              << dialog.directory().filePath(edit ? edit->text() : QString());
        if (given == QLatin1String("cancelled"))
            return false;
        dialog.selectFile(named ? target : locked);
        return true;
    });
    m_answer = QMessageBox::Yes;
    Key(byClose ? Qt::Key_W : Qt::Key_S, Qt::ControlModifier);
    QCoreApplication::processEvents();

    // The Save As prompt, proposing the file's own name without its extension.
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0], QStringLiteral("Save As"));
    QCOMPARE(asked[1], m_files.filePath(QStringLiteral("locked")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    file.close();
    QCOMPARE(QFileInfo(locked).lastModified(), stamp);
    QVERIFY(!(QFile::permissions(locked) &
              (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther)));
    QCOMPARE(QFileInfo::exists(target), named);
    if (named) {
        QVDIB saved;
        QVERIFY(saved.LoadFromFile(target));
        QVERIFY(SamePixels(saved, edited));
    }
    if (byClose && named) {
        QTRY_VERIFY(Main()->MdiArea()->subWindowList().isEmpty());
        return;
    }
    // Written over, the read-only file would lose what it holds: refused.
    const QString refused = QStringLiteral("Failed to save the file:\n") + locked;
    QCOMPARE(m_messages.size(), qsizetype(byClose) + (given == QLatin1String("own name")));
    if (given == QLatin1String("own name"))
        QCOMPARE(m_messages.last().text, refused);
    // Cancelled or refused: the document stays as it was; saved: it moved to
    // the new name.
    QCOMPARE(Main()->MdiArea()->subWindowList().size(), 1);
    QCOMPARE(doc->IsModified(), !named);
    QCOMPARE(doc->GetPathName(), named ? target : locked);
}

void ApplicationTest::recentFilesRememberOpenedPictures()
{
    QVERIFY(OpenSample());
    const QString sample = QFileInfo(QStringLiteral(MORVANE_SAMPLE)).absoluteFilePath();
    QCOMPARE(m_app->RecentFiles().value(0), sample);
    QSettings settings;
    QCOMPARE(settings.value(QStringLiteral("Recent File List/File1")).toString(), sample);
    Main()->MdiArea()->closeAllSubWindows();
    QTRY_VERIFY(Main()->MdiArea()->subWindowList().isEmpty());
    // Reopen from the list.
    QVERIFY(Main()->ExecuteCommand(ID_FILE_MRU_FILE1));
    QCOMPARE(Main()->MdiArea()->subWindowList().size(), 1);
}

void ApplicationTest::languageCommandStoresTheChoice()
{
    QVERIFY(Main()->ExecuteCommand(ID_LANGUAGE_ENGLISH));
    QSettings settings;
    QCOMPARE(settings.value(QStringLiteral("Settings/Language")).toString(),
             QStringLiteral("Language\\English.dll"));
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text,
             QStringLiteral("Language setup succesfully!\nYou should restart this programe!"));
    QCOMPARE(m_messages[0].icon, QMessageBox::Information);
    QVERIFY(m_app->m_bLanguageChanged);

    // At exit the saved layout goes, the rest stays.
    m_app->SaveWorkspace(Main());
    QVERIFY(QSettings().contains(QStringLiteral("Workspace/State")));
    m_app->ExitInstance();
    QVERIFY(!QSettings().contains(QStringLiteral("Workspace/State")));
    QVERIFY(QSettings().contains(QStringLiteral("Settings/Language")));
    m_app->m_bLanguageChanged = false;
}

void ApplicationTest::promptsUseTheProgramsFiltersAndNames()
{
    struct Seen
    {
        QStringList filters;
        QString suffix, file, directory, title;
        QFileDialog::AcceptMode mode;
    } seen;
    QVDocManager::SetDialogHook([&](QFileDialog& dialog) {
        // The name the dialog starts with, as the user sees it.
        const auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        seen = {dialog.nameFilters(), dialog.defaultSuffix(), edit ? edit->text() : QString(),
                dialog.directory().path(), dialog.windowTitle(), dialog.acceptMode()};
        return false;
    });
    QString name;
    QVERIFY(!QVDocManager::DoPromptFileName(name, AFX_IDS_OPENFILE, true));
    QCOMPARE(seen.title, QStringLiteral("Open"));
    QCOMPARE(seen.mode, QFileDialog::AcceptOpen);
    QCOMPARE(seen.suffix, QStringLiteral("JPG"));
    // Every picture type in both cases first, then the program's own filters.
    QCOMPARE(seen.filters.value(0),
             QStringLiteral("All picture files (*.bmp *.png *.jpg *.jpeg *.tif *.tiff *.gif *.BMP "
                            "*.PNG *.JPG *.JPEG *.TIF *.TIFF *.GIF)"));
    QCOMPARE(seen.filters.value(1),
             QStringLiteral("Supported files(*.bmp,*.png,*.jpg,*.tif) (*.bmp *.png *.jpg *.tif)"));
    QCOMPARE(seen.filters.value(3), QStringLiteral("PNG Files (*.png) (*.png)"));
    QCOMPARE(seen.filters.size(), 6);
    QVERIFY(seen.file.isEmpty());

    const QString folder = m_files.path();
    name = folder + QStringLiteral("/face.tif");
    QVERIFY(!QVDocManager::DoPromptFileName(name, AFX_IDS_SAVEFILE, false));
    QCOMPARE(seen.title, QStringLiteral("Save As"));
    QCOMPARE(seen.mode, QFileDialog::AcceptSave);
    QCOMPARE(seen.suffix, QStringLiteral("tif"));
    QCOMPARE(seen.filters.value(0), QStringLiteral("BMP Files (*.bmp) (*.bmp)"));
    QCOMPARE(seen.filters.value(2), QStringLiteral("JPG Files (*.jpg,*.jpeg) (*.jpg *.jpeg)"));
    QCOMPARE(seen.directory, folder);
    QCOMPARE(seen.file, QStringLiteral("face"));
    QCOMPARE(name, folder + QStringLiteral("/face.tif")); // cancelled: unchanged

    // A dot in a folder name is not an extension.
    QString stem, extension;
    QVDocManager::SplitExtension(QStringLiteral("/home/my.pics/face"), stem, extension);
    QVERIFY(stem.isEmpty());
    QVERIFY(extension.isEmpty());
    QVDocManager::SplitExtension(QStringLiteral("/home/my.pics/face.jpeg"), stem, extension);
    QCOMPARE(stem, QStringLiteral("/home/my.pics/face"));
    QCOMPARE(extension, QStringLiteral("jpeg"));
}

// ---- windows and focus ----------------------------------------------------------------

void ApplicationTest::aPictureOpenedAfterAClickComesToTheFront_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<int>("modeKey"); // Shift+B: After, Shift+C: Left\Right
    QTest::newRow("Ctrl+O, After") << false << int(Qt::Key_B);
    QTest::newRow("menu, After") << true << int(Qt::Key_B);
    QTest::newRow("Ctrl+O, Left\\Right") << false << int(Qt::Key_C);
    QTest::newRow("menu, Left\\Right") << true << int(Qt::Key_C);
}

void ApplicationTest::aPictureOpenedAfterAClickComesToTheFront()
{
    QFETCH(bool, fromMenu);
    QFETCH(int, modeKey);
    CChildFrame* first = OpenSample();
    QVERIFY(first);
    Key(modeKey, Qt::ShiftModifier);
    ReactivateMain();
    // A click in the picture puts the keyboard focus there.
    QWidget* port = first->m_pAfterView->viewport();
    QTest::mouseClick(port, Qt::LeftButton, {}, port->rect().center());
    QCOMPARE(QApplication::focusWidget(), first->m_pAfterView);

    const QString path = MakePicture(QStringLiteral("blue.png"), Qt::blue);
    QVERIFY(!path.isEmpty());
    OpenThroughTheDialog(path, fromMenu);
    ReactivateMain();
    QCOMPARE(Main()->MdiArea()->subWindowList().size(), 2);
    CChildFrame* second = Main()->ActiveChild();
    QVERIFY(second != first);
    QCOMPARE(second->GetDocument()->GetPathName(), path);
    // In front, and the keys reach it.
    QCOMPARE(Main()->MdiArea()->subWindowList(QMdiArea::StackingOrder).constLast()->widget(),
             second);
    QCOMPARE(QApplication::focusWidget(), second->GetActiveView());
    QTRY_VERIFY(Main()->windowHandle()->title().contains(QStringLiteral("blue.png @After")));

    // Save As writes the picture in front.
    const QString target =
        m_files.filePath(QStringLiteral("saved-%1.png").arg(QTest::currentDataTag()));
    QVDocManager::SetDialogHook([&](QFileDialog& dialog) {
        dialog.selectFile(target);
        return true;
    });
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QVDIB saved;
    QVERIFY(saved.LoadFromFile(target));
    QVERIFY(SamePixels(saved, second->GetDocument()->m_dibAfter));
    QCOMPARE(saved.GetWidth(), 64);
    QCOMPARE(first->GetDocument()->GetPathName(),
             QFileInfo(QStringLiteral(MORVANE_SAMPLE)).absoluteFilePath());
}

void ApplicationTest::hidingTheFocusedViewKeepsItsWindowActive()
{
    CChildFrame* first = OpenSample();
    QVERIFY(first);
    CChildFrame* second =
        m_app->OpenDocumentFile(MakePicture(QStringLiteral("green.png"), Qt::green));
    QVERIFY(second);
    QVERIFY(QTest::qWaitForWindowExposed(second));
    QCOMPARE(Main()->ActiveChild(), second);
    ReactivateMain();
    QWidget* port = second->m_pAfterView->viewport();
    QTest::mouseClick(port, Qt::LeftButton, {}, port->rect().center());
    QCOMPARE(QApplication::focusWidget(), second->m_pAfterView);
    // Before mode hides the focused after view: the focus stays in the window.
    Key(Qt::Key_A, Qt::ShiftModifier);
    QCOMPARE(second->m_nDisplayMode, int(CChildFrame::DISPLAY_BEFORE));
    QCOMPARE(Main()->ActiveChild(), second);
    QCOMPARE(QApplication::focusWidget(), second->m_pBeforeView);
    Key(Qt::Key_B, Qt::ShiftModifier);
    QCOMPARE(Main()->ActiveChild(), second);
    QCOMPARE(QApplication::focusWidget(), second->m_pAfterView);
}

void ApplicationTest::cascadeAndTileGiveWindowsAUsefulSize()
{
    QVERIFY(OpenSample());
    for (const char* name : {"red.png", "green.png"}) {
        const QColor colour(QLatin1String(name).chopped(4));
        QVERIFY(m_app->OpenDocumentFile(MakePicture(QLatin1String(name), colour)));
    }
    QMdiArea* area = Main()->MdiArea();
    QMdiSubWindow* active = area->activeSubWindow();
    const QSize client = area->viewport()->size();
    const QSize twoThirds(client.width() * 2 / 3, client.height() * 2 / 3);

    Main()->Action(ID_WINDOW_CASCADE)->trigger();
    QList<QMdiSubWindow*> stack = area->subWindowList(QMdiArea::StackingOrder);
    QCOMPARE(stack.size(), 3);
    QCOMPARE(stack.constLast(), active);
    QCOMPARE(area->activeSubWindow(), active);
    // Two thirds of the area each, stepped down and right; the active window
    // on top at the last step.
    const int step = stack[1]->x() - stack[0]->x();
    QVERIFY(step > 0);
    for (qsizetype i = 0; i < stack.size(); ++i) {
        QVERIFY(!stack[i]->isMaximized());
        QCOMPARE(stack[i]->size(), twoThirds);
        QCOMPARE(stack[i]->pos(), QPoint(int(i) * step, int(i) * step));
        auto* child = qobject_cast<CChildFrame*>(stack[i]->widget());
        QTRY_VERIFY(child->m_pAfterView->viewport()->width() > twoThirds.width() - 40);
    }
    // A window opened now takes the next place, at the same size.
    QVERIFY(m_app->OpenDocumentFile(MakePicture(QStringLiteral("blue.png"), Qt::blue)));
    QMdiSubWindow* added = area->activeSubWindow();
    QVERIFY(!added->isMaximized());
    QCOMPARE(added->size(), twoThirds);
    QCOMPARE(added->pos(), QPoint(3 * step, 3 * step));

    // Tiles share the area without overlapping, none smaller than a sixth of it.
    Main()->Action(ID_WINDOW_TILE_HORZ)->trigger();
    const QList<QMdiSubWindow*> tiles = area->subWindowList();
    QCOMPARE(tiles.size(), 4);
    for (QMdiSubWindow* tile : tiles) {
        QVERIFY(area->viewport()->rect().contains(tile->geometry()));
        QVERIFY(tile->width() * tile->height() * 6 >= client.width() * client.height());
        for (QMdiSubWindow* other : tiles)
            QVERIFY(other == tile || !other->geometry().intersects(tile->geometry()));
    }
}

void ApplicationTest::windowMenuListsTheWindows()
{
    CChildFrame* first = OpenSample();
    QVERIFY(first);
    QVERIFY(m_app->OpenDocumentFile(MakePicture(QStringLiteral("a&b.png"), Qt::red)));
    QVERIFY(m_app->OpenDocumentFile(MakePicture(QStringLiteral("green.png"), Qt::green)));
    ReactivateMain();
    QMenuBar* bar = Main()->menuBar();
    QAction* windowItem = nullptr;
    for (QAction* item : bar->actions())
        if (item->text() == QLatin1String("&Window"))
            windowItem = item;
    QVERIFY(windowItem);
    QMenu* menu = windowItem->menu();
    auto listed = [menu] {
        QStringList entries;
        for (QAction* action : menu->actions())
            if (action->property("documentWindow").isValid())
                entries << action->text() +
                               (action->isChecked() ? QStringLiteral(" (checked)") : QString());
        return entries;
    };
    auto open = [&] {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(windowItem).center());
        return QTest::qWaitForWindowExposed(menu);
    };
    QVERIFY(open());
    QCOMPARE(listed(), (QStringList{"&1 portrait.png @After", "&2 a&&b.png @After",
                                    "&3 green.png @After (checked)"}));
    // Picking one brings it to the front.
    QAction* firstEntry = nullptr;
    for (QAction* action : menu->actions()) {
        const QVariant index = action->property("documentWindow");
        if (index.isValid() && index.toInt() == 0)
            firstEntry = action;
    }
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(firstEntry).center());
    QTRY_COMPARE(Main()->ActiveChild(), first);
    QVERIFY(open());
    QCOMPARE(listed(), (QStringList{"&1 portrait.png @After (checked)", "&2 a&&b.png @After",
                                    "&3 green.png @After"}));
    menu->close();
}

void ApplicationTest::fitInWindowAndTheStatusLine()
{
    auto field = [this](const char* name) {
        const auto* label = Main()->statusBar()->findChild<QLabel*>(QLatin1String(name));
        return label && label->isVisible() ? label->text() : QStringLiteral("(none)");
    };
    QCOMPARE(field("ZoomField"), QString());
    QCOMPARE(field("SizeField"), QString());
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    ReactivateMain();
    QCOMPARE(field("ZoomField"), QStringLiteral("100 %"));
    QCOMPARE(field("SizeField"), QStringLiteral("512 × 512"));
    Key(Qt::Key_O);
    QCOMPARE(field("ZoomField"), QStringLiteral("90 %"));

    // View > Fit in Window, with the mouse.
    QMenuBar* bar = Main()->menuBar();
    QAction* viewItem = bar->actions().value(1);
    QCOMPARE(viewItem->text(), QStringLiteral("&View"));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(viewItem).center());
    QMenu* menu = viewItem->menu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QAction* fit = Main()->Action(ID_ZOOM_FIT);
    QVERIFY(menu->actions().contains(fit));
    QCOMPARE(fit->text(), QStringLiteral("Fit in Window"));
    QVERIFY(!fit->icon().isNull());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(fit).center());
    CMorvaneView* view = child->m_pAfterView;
    const QSize room = view->maximumViewportSize();
    const double zoom = std::min(room.width(), room.height()) / 512.0;
    QTRY_COMPARE(view->m_dZoom, zoom);
    QCOMPARE(view->GetVisibleImageRect(), (QVRect{0, 0, 512, 512}));
    QTRY_COMPARE(field("ZoomField"), QStringLiteral("%1 %").arg(qRound(zoom * 100)));

    // A viewing command: it works in the before view too, by its key.
    Key(Qt::Key_A, Qt::ShiftModifier);
    Key(Qt::Key_N);
    QCOMPARE(field("ZoomField"), QStringLiteral("100 %"));
    Key(Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(child->m_pBeforeView->m_dZoom, zoom);
    QCOMPARE(field("ZoomField"), QStringLiteral("%1 %").arg(qRound(zoom * 100)));
}

void ApplicationTest::ctrlTabGoesRoundTheWindows()
{
    CChildFrame* first = OpenSample();
    CChildFrame* second = m_app->OpenDocumentFile(MakePicture(QStringLiteral("red.png"), Qt::red));
    CChildFrame* third =
        m_app->OpenDocumentFile(MakePicture(QStringLiteral("green.png"), Qt::green));
    QVERIFY(first && second && third);
    ReactivateMain();
    // The keyboard focus in the radius slider, away from the pictures.
    Key(Qt::Key_A, Qt::ControlModifier);
    auto* sliderButton =
        qobject_cast<QVToolBarSliderButton*>(Main()->m_wndContextBar->ActionForCommand(ID_RADIUS));
    QVToolbarSliderCtrl* slider = sliderButton->Slider();
    QTRY_VERIFY(slider->isVisible());
    slider->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), slider);
    // Ctrl held down, Tab (or Shift+Tab) pressed, Ctrl let go, as a user does.
    auto round = [this](bool back) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyPress(focus, Qt::Key_Control, Qt::ControlModifier);
        const Qt::KeyboardModifiers modifiers =
            back ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier;
        QTest::keyClick(focus, back ? Qt::Key_Backtab : Qt::Key_Tab, modifiers);
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Control, Qt::NoModifier);
        QCoreApplication::processEvents();
        return Main()->ActiveChild();
    };
    QCOMPARE(Main()->ActiveChild(), third);
    QCOMPARE(round(false), first);
    QCOMPARE(round(false), second);
    QCOMPARE(round(false), third);
    QCOMPARE(round(true), second);
    QCOMPARE(round(true), first);
    QCOMPARE(round(true), third);
}

void ApplicationTest::titlesMarkModifiedDocuments()
{
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    ReactivateMain();
    CMorvaneDoc* doc = child->GetDocument();
    QCOMPARE(child->ShownTitle(), QStringLiteral("portrait.png @After"));
    Key(Qt::Key_A, Qt::ControlModifier);
    const QPoint c = child->m_pAfterView->viewport()->rect().center();
    Drag(child->m_pAfterView, c, c + QPoint(30, 10));
    QVERIFY(doc->IsModified());
    // The window's title and, the window being maximised, the main window's.
    QTRY_COMPARE(child->ShownTitle(), QStringLiteral("portrait.png* @After"));
    QVERIFY(child->isWindowModified());
    QVERIFY(Main()->ActiveChild()->parentWidget()->isMaximized());
    QTRY_VERIFY2(Main()->windowHandle()->title().contains(QStringLiteral("[portrait.png* @After]")),
                 qPrintable(Main()->windowHandle()->title()));
    Key(Qt::Key_C, Qt::ShiftModifier);
    QCOMPARE(child->ShownTitle(), QStringLiteral("portrait.png* @Combined"));

    // Saved: no mark.
    const QString target = m_files.filePath(QStringLiteral("marked.png"));
    QVDocManager::SetDialogHook([&](QFileDialog& dialog) {
        dialog.selectFile(target);
        return true;
    });
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!doc->IsModified());
    QTRY_COMPARE(child->ShownTitle(), QStringLiteral("marked.png @Combined"));
    QTRY_VERIFY2(Main()->windowHandle()->title().contains(QStringLiteral("[marked.png @Combined]")),
                 qPrintable(Main()->windowHandle()->title()));

    // Undo leaves the saved state and Redo comes back to it: the mark follows.
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(child->ShownTitle(), QStringLiteral("marked.png* @Combined"));
    Key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(child->ShownTitle(), QStringLiteral("marked.png @Combined"));

    // A "[*]" in the name itself shows as it is.
    doc->SetTitle(QStringLiteral("odd[*].png"));
    QCOMPARE(child->ShownTitle(), QStringLiteral("odd[*].png @Combined"));
    doc->SetModifiedFlag(true);
    QTRY_COMPARE(child->ShownTitle(), QStringLiteral("odd[*].png* @Combined"));
}

void ApplicationTest::languageMenuChecksTheCurrentLanguage()
{
    auto checked = [this] {
        Main()->UpdateCommandStates();
        QList<int> ids;
        for (int id : {ID_LANGUAGE_CHINESE, ID_LANGUAGE_ENGLISH, ID_LANGUAGE_KOREAN})
            if (Main()->Action(id)->isCheckable() && Main()->Action(id)->isChecked())
                ids << id;
        return ids;
    };
    // The built-in English, with or without a document.
    QCOMPARE(checked(), QList<int>{ID_LANGUAGE_ENGLISH});
    QVERIFY(OpenSample());
    QCOMPARE(checked(), QList<int>{ID_LANGUAGE_ENGLISH});
    // The choice for the next start is the one checked.
    Main()->Action(ID_LANGUAGE_KOREAN)->trigger();
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(checked(), QList<int>{ID_LANGUAGE_KOREAN});
    Main()->Action(ID_LANGUAGE_KOREAN)->trigger(); // a second click does not clear it
    QCOMPARE(checked(), QList<int>{ID_LANGUAGE_KOREAN});
    Main()->Action(ID_LANGUAGE_ENGLISH)->trigger();
    QCOMPARE(checked(), QList<int>{ID_LANGUAGE_ENGLISH});
    QCOMPARE(QSettings().value(QStringLiteral("Settings/Language")).toString(),
             QStringLiteral("Language\\English.dll"));
    m_app->m_bLanguageChanged = false;
}

void ApplicationTest::bracketsStepTheRadiusThroughTheSlider()
{
    CChildFrame* child = OpenSample();
    QVERIFY(child);
    CMorvaneView* view = child->m_pAfterView;
    Key(Qt::Key_A, Qt::ControlModifier);
    auto* sliderButton =
        qobject_cast<QVToolBarSliderButton*>(Main()->m_wndContextBar->ActionForCommand(ID_RADIUS));
    QVToolbarSliderCtrl* slider = sliderButton->Slider();
    auto* label =
        qobject_cast<QVToolBarLabelButton*>(Main()->m_wndContextBar->ActionForCommand(ID_RADIUS_LABEL));
    // A tenth of the radius each step, at least one pixel, within 1 to 1000.
    const struct
    {
        Qt::Key key;
        int start;
        int radius;
    } steps[] = {{Qt::Key_BracketRight, 100, 110}, {Qt::Key_BracketRight, 110, 121},
                 {Qt::Key_BracketLeft, 121, 109},  {Qt::Key_BracketLeft, 5, 4},
                 {Qt::Key_BracketRight, 9, 10},     {Qt::Key_BracketLeft, 1, 1},
                 {Qt::Key_BracketRight, 995, 1000}, {Qt::Key_BracketRight, 1000, 1000}};
    for (const auto& step : steps) {
        // The slider where the step starts, as the user left it.
        if (slider->value() != step.start)
            slider->setValue(step.start);
        QCOMPARE(view->m_nRadius, step.start);
        Key(step.key);
        QCOMPARE(slider->value(), step.radius);
        QCOMPARE(view->m_nRadius, step.radius);
        QCOMPARE(label->Text(), QVToolBarLabelButton::FormatRadius(step.radius));
    }
    // Not while the before view is active, as the slider's own command.
    Key(Qt::Key_A, Qt::ShiftModifier);
    Key(Qt::Key_BracketLeft);
    QCOMPARE(slider->value(), 1000);
}

QTEST_MAIN(ApplicationTest)
#include "test_application.moc"
