#pragma once

#include "QVCmdTarget.h"

#include <QObject>
#include <QStringList>
#include <QTranslator>
#include <QUrl>

#include <memory>

class CChildFrame;
class CMainFrame;
class QVSplashWnd;
class QMainWindow;
class QCommandLineParser;
class QSettings;

// The program: settings under Quivel/Morvane, the recent-file list, opening
// documents into windows, the main window, help and web pages, languages, and
// an orderly shut-down.
class CMorvaneApp : public QObject, public QVCmdTarget
{
    Q_OBJECT

public:
    static constexpr const char* kOrganization = "Quivel";
    static constexpr const char* kApplication = "Morvane";
    static constexpr const char* kWorkspaceGroup = "Workspace";
    static constexpr const char* kRecentGroup = "Recent File List";
    static constexpr const char* kHelpFileName = "MorvaneHelp.html";
    static constexpr const char* kVersion = "1.0.0.5";

    CMorvaneApp();
    ~CMorvaneApp() override;
    static CMorvaneApp* Instance() { return s_pInstance; }

    // What the command line takes: --help, --version and the pictures to open
    // (its positional arguments).
    static void DescribeCommandLine(QCommandLineParser& parser);

    // Builds the main window and opens the pictures named on the command line;
    // false when the program cannot start.
    bool InitInstance(const QStringList& files);
    int ExitInstance();
    CMainFrame* MainFrame() const { return m_pMainFrame; }
    QVSplashWnd* Splash() const { return m_pSplash.get(); }
    static constexpr int kStartSplashMs = 2000;
    static constexpr int kAboutSplashMs = 10000;

    // Opens a picture in a new window, or activates the window that shows it.
    CChildFrame* OpenDocumentFile(const QString& path);
    void OnFileOpen();
    QStringList RecentFiles() const { return m_recentFiles; }
    void AddToRecentFileList(const QString& path);
    void SaveWorkspace(QMainWindow* window);
    bool SetLanguage(const QString& libraryPath);
    // Loads the language chosen last time, before any window is built; false,
    // after saying so, when it cannot be loaded (the built-in English stays).
    bool LoadLanguage();
    // The locale of a stored language choice ("zh_CN", "ko", "en"); empty when unknown.
    static QString LanguageLocale(const QString& libraryPath);
    // Where the help document and the web pages are.
    static QString HelpFilePath();
    static QUrl HomePage();
    static QUrl UpdatePage();

    bool OnCmdMsg(int id) override;
    bool HasCmdHandler(int id) const override;
    // The language commands are checked for the current language.
    bool OnUpdateCmdUI(QVCmdUI& ui) override;
    // The locale the program speaks ("en" built in), or the one chosen for the
    // next start since.
    QString CurrentLanguage() const { return m_strLanguage; }

    bool m_bLanguageChanged = false;
    // The translation of the chosen language, when one is loaded.
    std::unique_ptr<QTranslator> m_hLangResource;

signals:
    // The help document or a web page is to be shown (tests listen here).
    void urlOpened(const QUrl& url);

private:
    void LoadRecentFiles();
    void StoreRecentFiles() const;
    void OpenUrl(const QUrl& url);

    static CMorvaneApp* s_pInstance;
    CMainFrame* m_pMainFrame = nullptr;
    QStringList m_recentFiles;
    QString m_strLanguage = QStringLiteral("en");
    std::unique_ptr<QTranslator> m_pQtTranslator;
    std::unique_ptr<QVSplashWnd> m_pSplash;
};
