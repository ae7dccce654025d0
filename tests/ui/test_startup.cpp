// Starting the program: pictures named on the command line open, one window
// each, and a name that cannot be opened says so; the main window comes up
// maximised with the hand tool.

#include "app/CMainFrame.h"
#include "app/CMorvaneApp.h"
#include "app/QVCommandIds.h"
#include "app/QVMessageBox.h"
#include "bars/QVContextBar.h"
#include "palette/QVPalette.h"
#include "palette/QVPaletteDock.h"
#include "view/CChildFrame.h"

#include <QCommandLineParser>
#include <QMdiArea>
#include <QProcess>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void commandLinePicturesOpenInWindowsOfTheirOwn();
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();
    void theCommandLineNamesThePictures();
    void theBarLayoutComesBackAtTheNextStart_data();
    void theBarLayoutComesBackAtTheNextStart();

private:
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_files;
};

void StartupTest::initTestCase()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void StartupTest::commandLinePicturesOpenInWindowsOfTheirOwn()
{
    const QString copy = m_files.filePath(QStringLiteral("second.png"));
    QVERIFY(QFile::copy(QStringLiteral(MORVANE_SAMPLE), copy));
    const QString missing = m_files.filePath(QStringLiteral("missing.jpg"));

    QStringList messages;
    QVMessageBox::SetHook([&](const QString& text, QMessageBox::Icon, QMessageBox::StandardButtons) {
        messages << text;
        return QMessageBox::Ok;
    });
    CMorvaneApp app;
    QVERIFY(app.InitInstance({QStringLiteral(MORVANE_SAMPLE), missing, copy}));
    CMainFrame* main = app.MainFrame();
    QVERIFY(main);
    QVERIFY(QTest::qWaitForWindowExposed(main));
    QVERIFY(main->windowState() & Qt::WindowMaximized);
    QCOMPARE(main->m_nCurrentTool, int(ID_TOOL_HAND));

    QStringList titles;
    for (QMdiSubWindow* sub : main->MdiArea()->subWindowList())
        titles << qobject_cast<CChildFrame*>(sub->widget())->ShownTitle();
    QCOMPARE(titles, (QStringList{"portrait.png @After", "second.png @After"}));
    QCOMPARE(messages, QStringList{QStringLiteral("Failed to open the file:\n") + missing});
    QVMessageBox::SetHook({});
}

void StartupTest::helpAndVersionNeedNoDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("printed");
    const QString usage = QStringLiteral("[options] [pictures...]");
    QTest::newRow("--help") << QStringList{"--help"} << usage;
    QTest::newRow("-h") << QStringList{"-h"} << usage;
    QTest::newRow("--help-all") << QStringList{"--help-all"} << usage;
    QTest::newRow("--help beside a picture") << QStringList{"face.png", "--help"} << usage;
    QTest::newRow("--help beside a Qt option") << QStringList{"-style", "fusion", "--help"} << usage;
    QTest::newRow("--version") << QStringList{"--version"} << QStringLiteral("Morvane 1.0.0.5");
    QTest::newRow("-v") << QStringList{"-v"} << QStringLiteral("Morvane 1.0.0.5");
}

void StartupTest::helpAndVersionNeedNoDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, printed);
    // No display of any kind: the GUI could not start.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(MORVANE_EXE), arguments);
    QVERIFY(program.waitForFinished(30000));
    const QString output = QString::fromLocal8Bit(program.readAllStandardOutput());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY2(output.contains(printed), qPrintable(output));
}

void StartupTest::theCommandLineNamesThePictures()
{
    QCommandLineParser parser;
    CMorvaneApp::DescribeCommandLine(parser);
    QVERIFY(parser.parse({"morvane", "face.png", "/pics/other face.jpg"}));
    QCOMPARE(parser.positionalArguments(), (QStringList{"face.png", "/pics/other face.jpg"}));
    QVERIFY(!parser.isSet(QStringLiteral("help")));
}

void StartupTest::theBarLayoutComesBackAtTheNextStart_data()
{
    // What the user changes before leaving the program.
    QTest::addColumn<bool>("hideContextBar");
    QTest::addColumn<bool>("hidePalette");
    QTest::addColumn<bool>("dockPalette"); // at the right edge
    QTest::addColumn<bool>("movePalette"); // floating, somewhere else
    QTest::newRow("nothing changed") << false << false << false << false;
    QTest::newRow("context bar hidden") << true << false << false << false;
    QTest::newRow("palette hidden") << false << true << false << false;
    QTest::newRow("palette docked at the right") << false << false << true << false;
    QTest::newRow("palette moved") << false << false << false << true;
    QTest::newRow("palette docked, context bar hidden") << true << false << true << false;
}

// The bars as the user left them come back at the next start: visibility,
// the palette docked or floating and where; its column count and the tool do
// not, they start as always.
void StartupTest::theBarLayoutComesBackAtTheNextStart()
{
    QFETCH(bool, hideContextBar);
    QFETCH(bool, hidePalette);
    QFETCH(bool, dockPalette);
    QFETCH(bool, movePalette);
    QSettings().remove(QStringLiteral("Workspace"));
    QPoint floatingAt;
    {
        CMorvaneApp app;
        QVERIFY(app.InitInstance({}));
        CMainFrame* main = app.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QVPaletteDock* dock = main->m_wndPaletteDock;
        QTRY_VERIFY(dock->isVisible() && dock->isFloating());
        dock->GetPalette()->SetColumns(4);
        main->OnToolCommand(ID_TOOL_BLUR);
        if (dockPalette) {
            main->addDockWidget(Qt::RightDockWidgetArea, dock);
            dock->setFloating(false);
            QTRY_VERIFY(!dock->isFloating());
        }
        if (movePalette) {
            dock->move(dock->pos() + QPoint(211, 97));
            QCoreApplication::processEvents();
        }
        floatingAt = dock->pos();
        if (hideContextBar)
            main->OnViewBar(ID_VIEW_CONTEXT_BAR);
        if (hidePalette)
            main->OnViewBar(ID_VIEW_PALETTE);
        // Leaving the program as the user does: the main window closes.
        QVERIFY(main->close());
        app.ExitInstance();
    }

    CMorvaneApp app;
    QVERIFY(app.InitInstance({}));
    CMainFrame* main = app.MainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    QCoreApplication::processEvents();
    QVPaletteDock* dock = main->m_wndPaletteDock;
    QCOMPARE(main->m_wndContextBar->isVisible(), !hideContextBar);
    QCOMPARE(dock->isVisible(), !hidePalette);
    main->UpdateCommandStates();
    QCOMPARE(main->Action(ID_VIEW_CONTEXT_BAR)->isChecked(), !hideContextBar);
    QCOMPARE(main->Action(ID_VIEW_PALETTE)->isChecked(), !hidePalette);
    QCOMPARE(dock->isFloating(), !dockPalette);
    QCOMPARE(dock->GetPalette()->IsDocked(), dockPalette);
    if (dockPalette)
        QCOMPARE(main->dockWidgetArea(dock), Qt::RightDockWidgetArea);
    else if (!hidePalette)
        QCOMPARE(dock->pos(), floatingAt);
    // The context bar stays at the top, the menu bar above it.
    QCOMPARE(main->toolBarArea(main->m_wndContextBar), Qt::TopToolBarArea);
    QCOMPARE(dock->GetPalette()->GetColumns(), int(CMainFrame::kPaletteColumns));
    QCOMPARE(main->m_nCurrentTool, int(ID_TOOL_HAND));
    QVERIFY(main->close());
    app.ExitInstance();
}

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
