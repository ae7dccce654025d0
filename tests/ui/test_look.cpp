// The program's look, its splash and its languages: colours at chosen pixels of
// rendered widgets, the palette frame's column button, the splash's showing
// times on a test clock, and a language switch that takes effect at the next
// start.

#include "app/CMainFrame.h"
#include "app/CMorvaneApp.h"
#include "app/QVCommandIds.h"
#include "app/QVMessageBox.h"
#include "app/QVSplashWnd.h"
#include "bars/QVContextBar.h"
#include "bars/QVToolBarSliderButton.h"
#include "bars/QVSliderCtrl.h"
#include "document/CMorvaneDoc.h"
#include "look/QVMRVVisualManager.h"
#include "palette/QVPalette.h"
#include "palette/QVPaletteDock.h"

#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {

QColor At(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

bool Near(const QColor& a, const QColor& b, int tolerance = 2)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

class LookTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void barsHaveTheProgramsColours();
    void selectedMenuItemIsRedWithWhiteText();
    void sliderSitsOnTheBarsBackground();
    void dockedPaletteShowsTheDockSite();
    void columnButtonCyclesTheColumns();
    void dockedPaletteKeepsItsTitleAndHasAGripper();
    void dockedPaletteFramesItsButtons();
    void theWholeFloatingCaptionDrags_data();
    void theWholeFloatingCaptionDrags();
    void labelPicturesAreWhiteCapitalsOnBlack_data();
    void labelPicturesAreWhiteCapitalsOnBlack();
    void splashShowsForItsTimeAndHidesOnAClick();
    void helpOpensTheHelpDocumentWhenItIsThere();
    void chosenLanguageSpeaksAtTheNextStart();
    void anUnloadableLanguageFallsBackToEnglish();

private:
    QTemporaryDir m_settings;
    CMainFrame* m_pMain = nullptr;
    QStringList m_messages;
};

void LookTest::initTestCase()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    QVMessageBox::SetHook([this](const QString& text, QMessageBox::Icon, QMessageBox::StandardButtons) {
        m_messages << text;
        return QMessageBox::Ok;
    });
    m_pMain = new CMainFrame;
    m_pMain->resize(1000, 700);
    m_pMain->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pMain));
}

void LookTest::cleanupTestCase()
{
    delete m_pMain;
    QVMessageBox::SetHook({});
}

void LookTest::barsHaveTheProgramsColours()
{
    QVERIFY(QVMRVVisualManager::Instance());
    // The context bar: a gradient from 247 at its top to 217 at its bottom.
    const QImage bar = m_pMain->m_wndContextBar->grab().toImage();
    const int x = bar.width() - 3; // right of the buttons
    QVERIFY(Near(At(bar, x, 0), QColor(247, 247, 247), 3));
    QVERIFY(Near(At(bar, x, bar.height() - 1), QColor(217, 217, 217), 3));
    QVERIFY(At(bar, x, bar.height() / 4).red() > At(bar, x, 3 * bar.height() / 4).red());

    // Another toolbar: the bar face; the menu bar: its own, darker face.
    QToolBar other;
    other.resize(200, 30);
    const QImage plain = other.grab().toImage();
    QCOMPARE(At(plain, 150, 15), QColor(237, 237, 237));
    const QImage menuBar = m_pMain->menuBar()->grab().toImage();
    QCOMPARE(At(menuBar, menuBar.width() - 5, menuBar.height() / 2), QColor(222, 222, 222));
    // The application's palette: selection red, white selected text, bar face.
    QCOMPARE(QApplication::palette().color(QPalette::Highlight), QColor(190, 0, 0));
    QCOMPARE(QApplication::palette().color(QPalette::HighlightedText), QColor(Qt::white));
    QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(237, 237, 237));
}

void LookTest::selectedMenuItemIsRedWithWhiteText()
{
    QMenu menu;
    QAction* first = menu.addAction(QStringLiteral("Export..."));
    menu.addAction(QStringLiteral("Close"));
    menu.popup(QPoint(100, 100));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    menu.setActiveAction(first);
    const QRect item = menu.actionGeometry(first);
    const QImage image = menu.grab().toImage();
    // The item's edge and background are red; white text shows inside it.
    QCOMPARE(At(image, item.right() - 2, item.center().y()), QColor(190, 0, 0));
    int white = 0;
    for (int px = item.left(); px < item.left() + item.width() / 2; ++px)
        for (int py = item.top(); py <= item.bottom(); ++py)
            white += At(image, px, py) == QColor(Qt::white);
    QVERIFY(white > 5);
    // The other item keeps the menu's face.
    const QRect other = menu.actionGeometry(menu.actions().at(1));
    QVERIFY(At(image, other.right() - 2, other.center().y()) != QColor(190, 0, 0));
    menu.hide();
}

void LookTest::sliderSitsOnTheBarsBackground()
{
    m_pMain->OnToolCommand(ID_TOOL_CIRCLE_STRETCH);
    auto* button = qobject_cast<QVToolBarSliderButton*>(
        m_pMain->m_wndContextBar->ActionForCommand(ID_RADIUS));
    QVERIFY(button && button->Slider());
    QVToolbarSliderCtrl* slider = button->Slider();
    QTRY_VERIFY(slider->isVisible());
    const QImage image = slider->grab().toImage();
    const QImage bar = m_pMain->m_wndContextBar->grab().toImage();
    const QPoint offset = slider->mapTo(m_pMain->m_wndContextBar, QPoint(0, 0));
    // A corner of the slider shows the bar's gradient exactly where it lies.
    QVERIFY(Near(At(image, 0, 0), At(bar, offset.x(), offset.y()), 1));
    QVERIFY(Near(At(image, 0, image.height() - 1), At(bar, offset.x(), offset.y() + image.height() - 1), 1));
    m_pMain->OnToolCommand(ID_TOOL_HAND);
}

void LookTest::dockedPaletteShowsTheDockSite()
{
    QVPaletteDock* dock = m_pMain->m_wndPaletteDock;
    dock->setFloating(false);
    QTRY_VERIFY(!dock->isFloating());
    QVERIFY(dock->GetPalette()->IsDocked());
    QTRY_VERIFY(dock->height() > dock->GetPalette()->height() + 20);
    const QImage image = dock->grab().toImage();
    // Below the palette, the dock site's dark grey with its edge lines.
    const int y = dock->height() - 5;
    QCOMPARE(At(image, image.width() / 2, y), QColor(100, 100, 100));
    QCOMPARE(At(image, 0, y), QColor(51, 51, 51));
    QCOMPARE(At(image, 1, y), QColor(118, 118, 118));
    dock->setFloating(true);
    QTRY_VERIFY(dock->isFloating());
    QVERIFY(!dock->GetPalette()->IsDocked());
}

void LookTest::columnButtonCyclesTheColumns()
{
    QVPaletteDock* dock = m_pMain->m_wndPaletteDock;
    QVPalette* palette = dock->GetPalette();
    QCOMPARE(palette->GetColumns(), 3);
    QWidget* caption = dock->Caption();
    QList<int> seen;
    for (int i = 0; i < 4; ++i) {
        QTest::mouseClick(caption, Qt::LeftButton, {}, QVPaletteDock::kColumnButton.center());
        seen << palette->GetColumns();
    }
    QCOMPARE(seen, (QList<int>{4, 1, 2, 3}));
    // A click on the caption outside the button changes nothing.
    QTest::mouseClick(caption, Qt::LeftButton, {}, QPoint(caption->width() - 5, 4));
    QCOMPARE(palette->GetColumns(), 3);
    // The floating frame is exactly as large as the palette and its caption.
    QTRY_COMPARE(dock->size(), QSize(palette->CalcSize().width(),
                                     palette->CalcSize().height() + QVPaletteDock::kTitleBarHeight));
}

void LookTest::dockedPaletteKeepsItsTitleAndHasAGripper()
{
    QVPaletteDock* dock = m_pMain->m_wndPaletteDock;
    QVPalette* palette = dock->GetPalette();
    dock->setFloating(false);
    QTRY_VERIFY(!dock->isFloating());
    QTRY_VERIFY(palette->isVisible() && palette->height() > 100);
    const int columns = palette->GetColumns();

    // The red title strip sits inside the frame, below its 10-pixel top.
    const QImage image = palette->grab().toImage();
    const int stripTop = QVPalette::kFrameCorners.top() + 1;
    for (int x : {8, image.width() / 2, image.width() - 8}) {
        const QColor pixel = At(image, x, stripTop + 2);
        QVERIFY2(pixel.red() >= 100 && pixel.green() <= 30 && pixel.blue() <= 30,
                 qPrintable(pixel.name()));
    }
    // The frame is still drawn around it: its dark edge at the left.
    QVERIFY(At(image, 0, image.height() / 2).red() < 150);

    // The caption holds a gripper, two dotted rows across the middle, and no
    // column button: a click there changes nothing.
    QWidget* caption = dock->Caption();
    const QImage grip = caption->grab().toImage();
    QList<int> rows;
    int dots = 0;
    for (int y = 0; y < grip.height(); ++y)
        for (int x = 0; x < grip.width(); ++x)
            if (At(grip, x, y) == QVMRVVisualManager::kGripper) {
                ++dots;
                if (!rows.contains(y))
                    rows << y;
            }
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1] - rows[0], 2);
    QVERIFY2(dots >= grip.width() / 2, qPrintable(QString::number(dots)));
    for (int x = QVPaletteDock::kColumnButton.left(); x <= QVPaletteDock::kColumnButton.right(); ++x)
        for (int y = QVPaletteDock::kColumnButton.top(); y <= QVPaletteDock::kColumnButton.bottom(); ++y)
            QVERIFY(At(grip, x, y) == QVMRVVisualManager::kBarFace ||
                    At(grip, x, y) == QVMRVVisualManager::kGripper);
    QTest::mouseClick(caption, Qt::LeftButton, {}, QVPaletteDock::kColumnButton.center());
    QCOMPARE(palette->GetColumns(), columns);
    QVERIFY(!dock->isFloating());

    dock->setFloating(true);
    QTRY_VERIFY(dock->isFloating());
}

// Docked, the palette grows by its frame and draws it around everything: the
// dark edge on all four sides, the title strip just inside the frame's top and
// the rows of buttons inside the frame, below the strip.
void LookTest::dockedPaletteFramesItsButtons()
{
    QVPaletteDock* dock = m_pMain->m_wndPaletteDock;
    QVPalette* palette = dock->GetPalette();
    QVERIFY(dock->isFloating());
    QCOMPARE(palette->GetColumns(), 3);
    const QSize floating = palette->CalcSize();
    dock->setFloating(false);
    QTRY_VERIFY(!dock->isFloating());
    const QMargins frame = QVPalette::kFrameCorners;
    QCOMPARE(palette->CalcSize(),
             floating + QSize(frame.left() + frame.right(), frame.top() + frame.bottom()));
    QTRY_COMPARE(palette->size(), palette->CalcSize());
    const QImage image = palette->grab().toImage();
    const int w = image.width(), h = image.height();

    // The frame's edge, away from its rounded corners.
    const int stripTop = frame.top() + 1;
    const int stripBottom = stripTop + QVPalette::kCaptionHeight - 1;
    for (int y : {frame.top() / 2, stripBottom + 3, h / 2, h - frame.bottom() - 2}) {
        QCOMPARE(At(image, 0, y), QVPalette::kFrameColor);
        QCOMPARE(At(image, w - 1, y), QVPalette::kFrameColor);
    }
    for (int x : {8, w / 2, w - 9}) {
        QCOMPARE(At(image, x, 0), QVPalette::kFrameColor);
        QCOMPARE(At(image, x, h - 1), QVPalette::kFrameColor);
    }
    // The strip: red from its first row to its last, at both ends, the frame
    // above and below it; the title in white.
    const auto red = [](const QColor& pixel) {
        return pixel.red() >= 100 && pixel.green() == 0 && pixel.blue() == 0;
    };
    for (int x : {2, w - 3}) {
        QVERIFY(!red(At(image, x, stripTop - 1)));
        for (int y = stripTop; y <= stripBottom; ++y)
            QVERIFY2(red(At(image, x, y)), qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
        QVERIFY(!red(At(image, x, stripBottom + 1)));
    }
    bool white = false;
    for (int x = w / 4; x < 3 * w / 4 && !white; ++x)
        for (int y = stripTop; y <= stripBottom && !white; ++y)
            white = At(image, x, y) == QColor(Qt::white);
    QVERIFY(white);

    // Rows of three 35-pixel buttons centred in the 115-pixel row that starts
    // 3 pixels inside the frame, below the strip and a 4-pixel gap.
    const QToolButton* first = palette->ButtonForCommand(ID_TOOL_CIRCLE_STRETCH);
    QCOMPARE(first->pos(), QPoint(frame.left() + 3 + (115 - 3 * 35) / 2,
                                  frame.top() + QVPalette::kCaptionHeight + 4));
    const QRect inside = palette->rect().marginsRemoved(frame);
    for (int id = ID_TOOL_FIRST; id <= ID_UNZOOM; ++id)
        QVERIFY2(inside.contains(palette->ButtonForCommand(id)->geometry()),
                 qPrintable(QString::number(id)));

    // Floating again: no frame, the plain face at the edges.
    dock->setFloating(true);
    QTRY_VERIFY(dock->isFloating());
    QTRY_COMPARE(palette->size(), floating);
    const QImage plain = palette->grab().toImage();
    QCOMPARE(At(plain, 0, plain.height() / 2), QColor(237, 237, 237));
    QCOMPARE(At(plain, plain.width() / 2, plain.height() - 1), QColor(237, 237, 237));
}

void LookTest::theWholeFloatingCaptionDrags_data()
{
    QTest::addColumn<QPoint>("grip");
    for (int y = 0; y < QVPaletteDock::kTitleBarHeight; y += 3)
        QTest::addRow("row %d", y) << QPoint(40, y);
    QTest::newRow("left end") << QPoint(1, 5);
    QTest::newRow("right end") << QPoint(-2, 5);
}

void LookTest::theWholeFloatingCaptionDrags()
{
    QFETCH(QPoint, grip);
    QVPaletteDock* dock = m_pMain->m_wndPaletteDock;
    QVERIFY(dock->isFloating());
    QVERIFY(QTest::qWaitForWindowExposed(dock));
    QWidget* caption = dock->Caption();
    if (grip.x() < 0)
        grip.rx() += caption->width();
    // In the middle of the main window, away from the edges it docks at.
    const QPoint start = m_pMain->geometry().center() - QPoint(100, 100);
    dock->move(start);
    QTRY_COMPARE(dock->pos(), start);
    const QPoint before = dock->pos();
    const int columns = dock->GetPalette()->GetColumns();

    // The mouse moves on the screen; the caption moves under it.
    const QPoint pressed = caption->mapToGlobal(grip);
    QTest::mousePress(caption, Qt::LeftButton, {}, grip);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(caption, caption->mapFromGlobal(pressed + QPoint(15, 10) * step));
    QTest::mouseRelease(caption, Qt::LeftButton, {}, caption->mapFromGlobal(pressed + QPoint(60, 40)));
    QTRY_COMPARE(dock->pos(), before + QPoint(60, 40));
    QVERIFY(dock->isFloating());
    QCOMPARE(dock->GetPalette()->GetColumns(), columns);
}

void LookTest::labelPicturesAreWhiteCapitalsOnBlack_data()
{
    QTest::addColumn<uint>("resource");
    QTest::newRow("BEFORE") << uint(CMorvaneDoc::kBeforeLabelResource);
    QTest::newRow("AFTER") << uint(CMorvaneDoc::kAfterLabelResource);
}

void LookTest::labelPicturesAreWhiteCapitalsOnBlack()
{
    QFETCH(uint, resource);
    QVDIB label;
    QVERIFY(label.LoadFromResource(resource));
    QCOMPARE(label.GetWidth(), 80);
    QCOMPARE(label.GetHeight(), 20);
    QCOMPARE(label.GetBitCount(), 24);
    // Grey, never coloured; black around, pure white in the letters, grey at
    // their anti-aliased edges; the letters centred and 12 rows tall.
    int top = 20, bottom = -1, left = 80, right = -1, white = 0, grey = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 80; ++x) {
            const uint8_t* p = label.GetBits() + y * label.GetStride() + x * 3;
            QVERIFY(p[0] == p[1] && p[1] == p[2]);
            if (p[0] == 255)
                ++white;
            else if (p[0] > 0)
                ++grey;
            if (p[0] > 127) {
                top = std::min(top, y), bottom = std::max(bottom, y);
                left = std::min(left, x), right = std::max(right, x);
            }
        }
    QVERIFY(white > 60);
    QVERIFY(grey > 20);
    QCOMPARE(bottom - top + 1, 12);
    QVERIFY(std::abs((left + right) - 79) <= 2);
    QVERIFY(std::abs((top + bottom) - 19) <= 2);
    const uint8_t* corner = label.GetBits();
    QCOMPARE(int(corner[0]), 0);
}

void LookTest::splashShowsForItsTimeAndHidesOnAClick()
{
    QVSplashWnd splash;
    QVERIFY(!splash.Show(2000)); // no window yet
    QVERIFY(splash.LoadPicture(QVSplashWnd::kPictureResource));
    QCOMPARE(splash.m_bitmap.size(), QSize(600, 300));
    QVERIFY(splash.CreateSplash(nullptr));
    QCOMPARE(splash.size(), QSize(600, 300));

    // 2000 ms: shown through the 80th tick (2000 ms counted), hidden at the 81st.
    QVERIFY(splash.Show(2000));
    QVERIFY(splash.isVisible());
    for (int tick = 0; tick < 80; ++tick)
        splash.OnTimer();
    QVERIFY(splash.isVisible());
    splash.OnTimer();
    QVERIFY(!splash.isVisible());

    // A new showing restarts the count with its own time.
    QVERIFY(splash.Show(2000));
    for (int tick = 0; tick < 60; ++tick)
        splash.OnTimer();
    QVERIFY(splash.Show(10000));
    for (int tick = 0; tick < 400; ++tick)
        splash.OnTimer();
    QVERIFY(splash.isVisible());
    splash.OnTimer();
    QVERIFY(!splash.isVisible());

    // A click hides it at once.
    QVERIFY(splash.Show(10000));
    QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(300, 150));
    QVERIFY(!splash.isVisible());
    QCOMPARE(splash.m_nDuration, 0);
}

void LookTest::helpOpensTheHelpDocumentWhenItIsThere()
{
    CMorvaneApp app;
    QVERIFY(app.InitInstance({}));
    QList<QUrl> opened;
    connect(&app, &CMorvaneApp::urlOpened, this, [&](const QUrl& url) { opened << url; });
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/help");
    QDir(folder).removeRecursively();
    // Missing: nothing is shown, no message either.
    QVERIFY(app.MainFrame()->ExecuteCommand(ID_HELP_FILE));
    QVERIFY(opened.isEmpty());
    QVERIFY(m_messages.isEmpty());

    QVERIFY(QDir().mkpath(folder));
    QFile help(folder + QStringLiteral("/MorvaneHelp.html"));
    QVERIFY(help.open(QIODevice::WriteOnly));
    help.write("<html><body><h2 id=\"about\">About</h2></body></html>");
    help.close();
    app.MainFrame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(app.MainFrame()));
    QTest::keyClick(app.MainFrame(), Qt::Key_F1);
    QVERIFY(app.MainFrame()->ExecuteCommand(ID_HOME_PAGE));
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened[0].toLocalFile(), QFileInfo(help).absoluteFilePath());
    QCOMPARE(opened[1].fragment(), QStringLiteral("about"));
    QDir(folder).removeRecursively();
    app.ExitInstance();
}

void LookTest::chosenLanguageSpeaksAtTheNextStart()
{
    delete m_pMain;
    m_pMain = nullptr;
    {
        CMorvaneApp app;
        QVERIFY(app.InitInstance({}));
        QVERIFY(app.MainFrame()->ExecuteCommand(ID_LANGUAGE_CHINESE));
        QCOMPARE(QSettings().value(QStringLiteral("Settings/Language")).toString(),
                 QStringLiteral("Language\\Chinese.dll"));
        QCOMPARE(m_messages.last(),
                 QStringLiteral("Language setup succesfully!\nYou should restart this programe!"));
        // Still English until the next start.
        QCOMPARE(app.MainFrame()->menuBar()->actions().first()->text(), QStringLiteral("&File"));
        app.ExitInstance();
    }
    m_messages.clear();
    CMorvaneApp next;
    QVERIFY(next.InitInstance({}));
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(next.MainFrame()->menuBar()->actions().first()->text(), QStringLiteral("文件(&F)"));
    QCOMPARE(next.MainFrame()->m_wndPalette->windowTitle(), QStringLiteral("工具栏"));
    next.ExitInstance();
}

void LookTest::anUnloadableLanguageFallsBackToEnglish()
{
    QSettings().setValue(QStringLiteral("Settings/Language"), QStringLiteral("Language\\Klingon.dll"));
    m_messages.clear();
    CMorvaneApp app;
    QVERIFY(app.InitInstance({}));
    QCOMPARE(m_messages, QStringList{QStringLiteral(
                             "Load languange resource failed!\nSystem will use the default language!")});
    QCOMPARE(app.MainFrame()->menuBar()->actions().first()->text(), QStringLiteral("&File"));
    QSettings().remove(QStringLiteral("Settings/Language"));
}

QTEST_MAIN(LookTest)
#include "test_look.moc"
