// Starting the program: pictures named on the command line open, one window
// each, and a name that cannot be opened says so; the main window comes up
// maximised with the hand tool.

#include "app/CMainFrame.h"
#include "app/CMorvaneApp.h"
#include "app/QVCommandIds.h"
#include "app/QVMessageBox.h"
#include "view/CChildFrame.h"

#include <QMdiArea>
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
        titles << sub->widget()->windowTitle();
    QCOMPARE(titles, (QStringList{"portrait.png @After", "second.png @After"}));
    QCOMPARE(messages, QStringList{QStringLiteral("Failed to open the file:\n") + missing});
    QVMessageBox::SetHook({});
}

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
