// Starting the program: pictures named on the command line open, one window
// each, and a name that cannot be opened says so; the main window comes up
// maximised with the hand tool.

#include "app/CMainFrame.h"
#include "app/CMorvaneApp.h"
#include "app/QVCommandIds.h"
#include "app/QVMessageBox.h"
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

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
