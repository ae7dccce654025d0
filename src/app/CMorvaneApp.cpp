#include "CMorvaneApp.h"

#include "CMainFrame.h"
#include "QVCommandIds.h"
#include "QVMessageBox.h"
#include "QVSplashWnd.h"
#include "document/CMorvaneDoc.h"
#include "document/QVDocManager.h"
#include "res/QVStrings.h"
#include "view/CChildFrame.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSettings>

CMorvaneApp* CMorvaneApp::s_pInstance = nullptr;

namespace {

// Tooltips: a rounded box from white to a pale blue-grey, a dark green-grey
// bold title over a line and the command's prompt, which the commands' tooltips
// wrap at 200 pixels themselves (the icon stands beside it).
const char* const kToolTipStyle =
    "QToolTip { color: rgb(61, 83, 80); border: 1px solid rgb(144, 149, 168); border-radius: 3px;"
    " background: qlineargradient(x1: 1, y1: 0, x2: 0, y2: 0, stop: 0 rgb(255, 255, 255),"
    " stop: 1 rgb(228, 228, 240)); padding: 3px; }";

const char* const kLanguageKey = "Settings/Language";

} // namespace

CMorvaneApp::CMorvaneApp()
{
    s_pInstance = this;
}

CMorvaneApp::~CMorvaneApp()
{
    m_pSplash.reset();
    delete m_pMainFrame;
    if (m_hLangResource)
        QCoreApplication::removeTranslator(m_hLangResource.get());
    if (m_pQtTranslator)
        QCoreApplication::removeTranslator(m_pQtTranslator.get());
    if (s_pInstance == this)
        s_pInstance = nullptr;
}

void CMorvaneApp::DescribeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(LoadString(IDS_APP_TITLE));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("pictures"),
                                 QCoreApplication::translate("main", "Pictures to open."),
                                 QStringLiteral("[pictures...]"));
}

bool CMorvaneApp::InitInstance(const QStringList& files)
{
    QCoreApplication::setOrganizationName(QLatin1String(kOrganization));
    QCoreApplication::setApplicationName(QLatin1String(kApplication));
    LoadRecentFiles();
    LoadLanguage();
    if (auto* gui = qobject_cast<QApplication*>(QCoreApplication::instance()))
        gui->setStyleSheet(QLatin1String(kToolTipStyle));

    m_pMainFrame = new CMainFrame;
    QSettings settings;
    settings.beginGroup(QLatin1String(kWorkspaceGroup));
    const bool restored =
        m_pMainFrame->restoreState(settings.value(QStringLiteral("State")).toByteArray());
    settings.endGroup();
    connect(m_pMainFrame, &CMainFrame::filesDropped, this, [this](const QStringList& paths) {
        for (const QString& path : paths)
            OpenDocumentFile(path);
    });

    // Without a window manager a maximised window keeps its size: start at the
    // screen's size, which a window manager then maximises.
    if (const QScreen* screen = m_pMainFrame->screen())
        m_pMainFrame->setGeometry(screen->availableGeometry());
    m_pMainFrame->showMaximized();
    m_pMainFrame->ShowFloatingPalette(!restored);

    // The splash over the window for a moment; without its picture, none.
    m_pSplash = std::make_unique<QVSplashWnd>();
    if (m_pSplash->LoadPicture(QVSplashWnd::kPictureResource))
        m_pSplash->CreateSplash(m_pMainFrame);
    m_pSplash->Show(kStartSplashMs);
    // Desktop launchers and file managers pass pictures this way.
    for (const QString& file : files)
        OpenDocumentFile(file);
    return true;
}

int CMorvaneApp::ExitInstance()
{
    m_pSplash.reset();
    // After a language change the next start builds bars and menus afresh.
    if (m_bLanguageChanged) {
        QSettings settings;
        settings.remove(QLatin1String(kWorkspaceGroup));
    }
    return 0;
}

void CMorvaneApp::SaveWorkspace(QMainWindow* window)
{
    QSettings settings;
    settings.beginGroup(QLatin1String(kWorkspaceGroup));
    settings.setValue(QStringLiteral("State"), window->saveState());
    settings.endGroup();
}

// ---- documents ---------------------------------------------------------------------

CChildFrame* CMorvaneApp::OpenDocumentFile(const QString& path)
{
    if (!m_pMainFrame)
        return nullptr;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (QMdiSubWindow* sub : m_pMainFrame->MdiArea()->subWindowList()) {
        auto* child = qobject_cast<CChildFrame*>(sub->widget());
        if (child && child->GetDocument()->GetPathName() == absolute) {
            m_pMainFrame->MdiArea()->setActiveSubWindow(sub);
            return child;
        }
    }

    auto* document = new CMorvaneDoc;
    if (!document->OnOpenDocument(path)) {
        delete document;
        return nullptr;
    }
    connect(document, &CMorvaneDoc::pathNameSet, this, [this](const QString& name, bool add) {
        if (add)
            AddToRecentFileList(name);
    });
    document->SetPathName(path, true);
    auto* child = new CChildFrame(document);
    m_pMainFrame->AddChild(child);
    child->OnInitialUpdate();
    return child;
}

void CMorvaneApp::OnFileOpen()
{
    QString path;
    if (QVDocManager::DoPromptFileName(path, AFX_IDS_OPENFILE, true))
        OpenDocumentFile(path);
}

void CMorvaneApp::LoadRecentFiles()
{
    QSettings settings;
    settings.beginGroup(QLatin1String(kRecentGroup));
    m_recentFiles.clear();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty())
            m_recentFiles << file;
    }
}

void CMorvaneApp::StoreRecentFiles() const
{
    QSettings settings;
    settings.remove(QLatin1String(kRecentGroup));
    settings.beginGroup(QLatin1String(kRecentGroup));
    for (int i = 0; i < m_recentFiles.size(); ++i)
        settings.setValue(QStringLiteral("File%1").arg(i + 1), m_recentFiles[i]);
}

void CMorvaneApp::AddToRecentFileList(const QString& path)
{
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > kRecentFileCount)
        m_recentFiles.removeLast();
    StoreRecentFiles();
}

// ---- help, web pages, languages -------------------------------------------------------

QString CMorvaneApp::HelpFilePath()
{
    // Beside the program, or in its installed data folder.
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {dir + QLatin1Char('/') + QLatin1String(kHelpFileName),
          dir + QStringLiteral("/help/") + QLatin1String(kHelpFileName),
          dir + QStringLiteral("/../share/morvane/help/") + QLatin1String(kHelpFileName)})
        if (QFileInfo::exists(candidate))
            return QDir::cleanPath(candidate);
    return dir + QLatin1Char('/') + QLatin1String(kHelpFileName);
}

QUrl CMorvaneApp::HomePage()
{
    // Until the product has a web site, its pages are the help's About section.
    QUrl url = QUrl::fromLocalFile(HelpFilePath());
    url.setFragment(QStringLiteral("about"));
    return url;
}

QUrl CMorvaneApp::UpdatePage()
{
    return HomePage();
}

void CMorvaneApp::OpenUrl(const QUrl& url)
{
    // A missing help document shows nothing.
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return;
    emit urlOpened(url);
    if (!qEnvironmentVariableIsSet("MORVANE_NO_BROWSER"))
        QDesktopServices::openUrl(url);
}

QString CMorvaneApp::LanguageLocale(const QString& libraryPath)
{
    static const struct
    {
        const char* library;
        const char* locale;
    } kLanguages[] = {{"Language\\Chinese.dll", "zh_CN"},
                      {"Language\\English.dll", "en"},
                      {"Language\\Korean.dll", "ko"}};
    for (const auto& language : kLanguages)
        if (libraryPath == QLatin1String(language.library))
            return QLatin1String(language.locale);
    return QString();
}

bool CMorvaneApp::LoadLanguage()
{
    const QString library = QSettings().value(QLatin1String(kLanguageKey)).toString();
    if (library.isEmpty())
        return true; // never chosen: the built-in English
    const QString locale = LanguageLocale(library);
    if (locale == QLatin1String("en"))
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (locale.isEmpty() ||
        !translator->load(QStringLiteral(":/translations/morvane_%1.qm").arg(locale))) {
        QVMessageBox::Show(nullptr, LoadString(IDS_LANGUAGE_LOAD_FAILED), QMessageBox::Critical);
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    m_hLangResource = std::move(translator);
    m_strLanguage = locale;
    // Qt's own texts (file dialog, message box buttons) in the same language.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QStringLiteral("qtbase_") + locale,
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        m_pQtTranslator = std::move(qt);
    }
    return true;
}

bool CMorvaneApp::SetLanguage(const QString& libraryPath)
{
    QSettings settings;
    settings.setValue(QLatin1String(kLanguageKey), libraryPath);
    settings.sync();
    QWidget* parent = m_pMainFrame;
    if (settings.status() != QSettings::NoError) {
        QVMessageBox::Show(parent, LoadString(IDS_LANGUAGE_FAILED), QMessageBox::Critical);
        return false;
    }
    m_bLanguageChanged = true;
    if (!LanguageLocale(libraryPath).isEmpty())
        m_strLanguage = LanguageLocale(libraryPath);
    QVMessageBox::Show(parent, LoadString(IDS_LANGUAGE_CHANGED), QMessageBox::Information);
    return true;
}

bool CMorvaneApp::OnUpdateCmdUI(QVCmdUI& ui)
{
    const char* locale = ui.m_nID == ID_LANGUAGE_CHINESE   ? "zh_CN"
                         : ui.m_nID == ID_LANGUAGE_ENGLISH ? "en"
                         : ui.m_nID == ID_LANGUAGE_KOREAN  ? "ko"
                                                           : nullptr;
    if (!locale)
        return false;
    ui.Enable(true);
    ui.SetCheck(m_strLanguage == QLatin1String(locale));
    return true;
}

bool CMorvaneApp::HasCmdHandler(int id) const
{
    switch (id) {
    case ID_FILE_OPEN:
    case ID_APP_ABOUT:
    case ID_APP_EXIT:
    case ID_HELP_FILE:
    case ID_UPDATE_PAGE:
    case ID_HOME_PAGE:
    case ID_LANGUAGE_CHINESE:
    case ID_LANGUAGE_ENGLISH:
    case ID_LANGUAGE_KOREAN:
        return true;
    default:
        return id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount;
    }
}

bool CMorvaneApp::OnCmdMsg(int id)
{
    switch (id) {
    case ID_FILE_OPEN:
        OnFileOpen();
        return true;
    case ID_APP_ABOUT:
        if (m_pSplash)
            m_pSplash->Show(kAboutSplashMs);
        return true;
    case ID_APP_EXIT:
        if (m_pMainFrame)
            m_pMainFrame->close();
        return true;
    case ID_HELP_FILE:
        OpenUrl(QUrl::fromLocalFile(HelpFilePath()));
        return true;
    case ID_UPDATE_PAGE:
        OpenUrl(UpdatePage());
        return true;
    case ID_HOME_PAGE:
        OpenUrl(HomePage());
        return true;
    case ID_LANGUAGE_CHINESE:
        SetLanguage(QStringLiteral("Language\\Chinese.dll"));
        return true;
    case ID_LANGUAGE_ENGLISH:
        SetLanguage(QStringLiteral("Language\\English.dll"));
        return true;
    case ID_LANGUAGE_KOREAN:
        SetLanguage(QStringLiteral("Language\\Korean.dll"));
        return true;
    default:
        break;
    }
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount) {
        const int index = id - ID_FILE_MRU_FILE1;
        if (index < m_recentFiles.size()) {
            const QString path = m_recentFiles[index];
            // A recent file that no longer opens leaves the list.
            if (!OpenDocumentFile(path)) {
                m_recentFiles.removeAll(path);
                StoreRecentFiles();
            }
        }
        return true;
    }
    return false;
}
