// Saving and exporting big pictures without freezing the program: the work
// runs behind a progress dialog while the window keeps painting; Cancel keeps
// the old file and the document's changes, or says which exported pictures
// were written; an export the machine has not the memory for writes nothing.

#include "app/QVCommandIds.h"
#include "app/QVMessageBox.h"
#include "document/CMorvaneDoc.h"
#include "document/QVBackgroundTask.h"
#include "document/QVDocManager.h"
#include "document/QVExportDlg.h"
#include "document/QVFreeMemory.h"
#include "view/CChildFrame.h"
#include "view/CMorvaneView.h"

#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <functional>
#include <new>

namespace {

struct Message
{
    QString text;
    QMessageBox::Icon icon;
};

// What the user sees and gets while the work runs, watched from inside its
// event loop.
struct Seen
{
    int ticks = 0;       // timer ticks handled while it ran
    int paints = 0;      // repaints of the after view while it ran
    bool dialog = false; // a progress dialog with a bar was on screen
    bool cancelled = false;
    QList<int> values;   // the bar's values, in order
};

// The 24-megapixel photo of a phone camera: shading with sensor noise, which
// takes PNG's encoder a good second or more.
constexpr int kBigWidth = 6000;
constexpr int kBigHeight = 4000;

void Paint(QVDIB& picture, uint32_t seed)
{
    const int stride = picture.GetStride();
    uint8_t* row = picture.GetBits();
    for (int y = 0; y < picture.GetHeight(); ++y, row += stride) {
        for (int x = 0; x < picture.GetWidth() * 3; ++x) {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            row[x] = uint8_t((x / 3 + y) / 40 + (seed & 31));
        }
    }
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file in the folder, hidden ones (a left-over temporary) included.
QStringList Listing(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class SaveProgressTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void aBigSaveShowsProgressWhileTheWindowPaints();
    void cancellingASaveKeepsTheOldFileAndTheChanges();
    void aCancelledSaveOnCloseKeepsTheWindowOpen();
    void nothingElseSavesExportsOrClosesMeanwhile();
    void workOutOfMemoryFailsWithoutEndingTheProgram();
    void aCancelledExportNamesWhatItWrote_data();
    void aCancelledExportNamesWhatItWrote();
    void anExportBeyondTheFreeMemoryWritesNothing();
    void theKernelTellsTheFreeMemory();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A document window over a width x height picture whose file is
    // face.<extension> in m_files.
    CChildFrame* Open(int width, int height, const QString& extension);
    // Watches the work from its event loop every few milliseconds until
    // Stop; clicks the dialog's Cancel the first time cancelNow says so.
    void Watch(std::function<bool()> cancelNow = {});
    void Stop();
    // Runs the Export command into m_out with pictures of the given type; the
    // dialog is otherwise accepted as it comes.
    void Export(const QString& type);
    QString Output(const QString& file) const { return m_out.path() + QStringLiteral("/face/") + file; }

    QTemporaryDir m_settings;
    QTemporaryDir m_files;
    QTemporaryDir m_out;
    CChildFrame* m_pFrame = nullptr;
    QList<Message> m_messages;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;
    QTimer m_watch;
    std::function<bool()> m_cancelNow;
    Seen m_seen;
};

void SaveProgressTest::initTestCase()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QVMessageBox::SetHook([this](const QString& text, QMessageBox::Icon icon,
                                 QMessageBox::StandardButtons) {
        m_messages.append({text, icon});
        return m_answer;
    });
    QVExportDlg::SetFolderHook([this](QWidget*, const QString&, const QString&) { return m_out.path(); });
    // The dialog shows at once, so that the test sees it on any machine.
    QVBackgroundTask::SetShowDelay(0);
    m_watch.setInterval(10);
    connect(&m_watch, &QTimer::timeout, this, [this] {
        ++m_seen.ticks;
        if (m_pFrame)
            m_pFrame->m_pAfterView->viewport()->update();
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (const auto* bar = modal->findChild<QProgressBar*>()) {
            m_seen.dialog = true;
            m_seen.values << bar->value();
        }
        if (m_seen.cancelled || !m_cancelNow || !m_cancelNow())
            return;
        for (QPushButton* button : modal->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("Cancel") && button->isEnabled()) {
                QTest::mouseClick(button, Qt::LeftButton);
                m_seen.cancelled = true;
            }
        }
    });
}

void SaveProgressTest::init()
{
    m_messages.clear();
    m_answer = QMessageBox::Ok;
    m_seen = Seen{};
    QDir(m_out.path() + QStringLiteral("/face")).removeRecursively();
}

void SaveProgressTest::cleanup()
{
    Stop();
    QVExportDlg::SetModalHook({});
    QVSetFreeMemorySource({});
    if (m_pFrame)
        m_pFrame->GetDocument()->SetModifiedFlag(false);
    delete m_pFrame;
    m_pFrame = nullptr;
}

void SaveProgressTest::cleanupTestCase()
{
    QVMessageBox::SetHook({});
    QVExportDlg::SetFolderHook({});
    QVBackgroundTask::SetShowDelay(QVBackgroundTask::kDefaultShowDelayMs);
}

bool SaveProgressTest::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && m_watch.isActive())
        ++m_seen.paints;
    return QObject::eventFilter(watched, event);
}

CChildFrame* SaveProgressTest::Open(int width, int height, const QString& extension)
{
    auto* doc = new CMorvaneDoc;
    if (!doc->m_dibBefore.Create(width, height, 24))
        return nullptr;
    Paint(doc->m_dibBefore, 0x2545F491u);
    if (!doc->m_dibAfter.CopyFrom(&doc->m_dibBefore))
        return nullptr;
    // The edit that makes it worth saving.
    std::memset(doc->m_dibAfter.GetBits(), 255, size_t(doc->m_dibAfter.GetStride()) * 100);
    doc->SetPathName(m_files.filePath(QStringLiteral("face.") + extension), false);
    m_pFrame = new CChildFrame(doc);
    m_pFrame->resize(800, 600);
    m_pFrame->show();
    if (!QTest::qWaitForWindowExposed(m_pFrame))
        return nullptr;
    m_pFrame->OnInitialUpdate();
    m_pFrame->m_pAfterView->viewport()->installEventFilter(this);
    doc->SetModifiedFlag(true);
    return m_pFrame;
}

void SaveProgressTest::Watch(std::function<bool()> cancelNow)
{
    m_seen = Seen{};
    m_cancelNow = std::move(cancelNow);
    m_watch.start();
}

void SaveProgressTest::Stop()
{
    m_watch.stop();
    m_cancelNow = {};
}

void SaveProgressTest::Export(const QString& type)
{
    QVExportDlg::SetModalHook([type](QVExportDlg& dialog) {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return int(QDialog::Rejected);
        dialog.m_cbType->setCurrentText(type);
        QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Control(QVExportDlg::IDC_BROWSE)),
                          Qt::LeftButton);
        QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Control(QVExportDlg::IDOK_EXPORT)),
                          Qt::LeftButton);
        return dialog.result();
    });
    m_pFrame->OnCmdMsg(ID_FILE_EXPORT);
}

// ---- saving ------------------------------------------------------------------------------

void SaveProgressTest::aBigSaveShowsProgressWhileTheWindowPaints()
{
    QVERIFY(Open(kBigWidth, kBigHeight, QStringLiteral("png")));
    CMorvaneDoc* doc = m_pFrame->GetDocument();
    const QString path = doc->GetPathName();

    Watch();
    QVERIFY(doc->OnCmdMsg(ID_FILE_SAVE));
    Stop();

    QVERIFY2(m_seen.ticks > 0, "the event loop stood still while saving");
    QVERIFY2(m_seen.paints > 0, "the window was not repainted while saving");
    QVERIFY2(m_seen.dialog, "no progress dialog");
    // The bar only moves forward, and moves: it measures the file as written.
    QVERIFY(std::is_sorted(m_seen.values.begin(), m_seen.values.end()));
    QVERIFY(m_seen.values.size() >= 2 && m_seen.values.back() > m_seen.values.front());
    QVERIFY(m_messages.isEmpty());
    QVERIFY(!doc->IsModified());
    QVERIFY(!QApplication::activeModalWidget());

    QVDIB written;
    QVERIFY(written.LoadFromFile(path));
    QVERIFY(written.SameGeometry(doc->m_dibAfter));
    QVERIFY(std::memcmp(written.GetBits(), doc->m_dibAfter.GetBits(),
                        doc->m_dibAfter.GetHeader()->biSizeImage) == 0);
    QCOMPARE(Listing(m_files.path()), QStringList{QStringLiteral("face.png")});
}

void SaveProgressTest::cancellingASaveKeepsTheOldFileAndTheChanges()
{
    QVERIFY(Open(kBigWidth, kBigHeight, QStringLiteral("png")));
    CMorvaneDoc* doc = m_pFrame->GetDocument();
    const QString path = doc->GetPathName();
    // The file as it was last saved: the picture before the edit.
    QVERIFY(QVDIB::SaveToFile(&doc->m_dibBefore, path));
    const QByteArray old = ReadAll(path);
    QVERIFY(!old.isEmpty());

    // The user clicks Cancel as soon as the dialog shows.
    Watch([] { return true; });
    QVERIFY(doc->OnCmdMsg(ID_FILE_SAVE));
    Stop();

    QVERIFY(m_seen.cancelled);
    QVERIFY2(ReadAll(path) == old, "the old file changed");
    QVERIFY(doc->IsModified());
    QCOMPARE(doc->GetPathName(), path);
    // The user chose it: no "Failed to save" message.
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(Listing(m_files.path()), QStringList{QStringLiteral("face.png")});
    QVERIFY(!QApplication::activeModalWidget());

    // Saved again without cancelling, it is written.
    Watch();
    QVERIFY(doc->OnCmdMsg(ID_FILE_SAVE));
    Stop();
    QVERIFY(!doc->IsModified());
    QVERIFY(ReadAll(path) != old);
}

void SaveProgressTest::aCancelledSaveOnCloseKeepsTheWindowOpen()
{
    QVERIFY(Open(kBigWidth, kBigHeight, QStringLiteral("bmp")));
    CMorvaneDoc* doc = m_pFrame->GetDocument();
    const QString path = doc->GetPathName();
    QVERIFY(QVDIB::SaveToFile(&doc->m_dibBefore, path));
    const QByteArray old = ReadAll(path);

    // "Save changes to face.bmp?" Yes, then Cancel in the progress dialog.
    m_answer = QMessageBox::Yes;
    Watch([] { return true; });
    QVERIFY(!m_pFrame->close());
    Stop();

    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Save changes to face.bmp?"));
    QVERIFY(m_seen.cancelled);
    QVERIFY(m_pFrame->isVisible());
    QVERIFY(doc->IsModified());
    QVERIFY2(ReadAll(path) == old, "the old file changed");
}

// While a save runs, no other save, export or close can start: whatever
// still sends one (the dialog keeps the user's input away) is held off, and
// closing asks nothing.
void SaveProgressTest::nothingElseSavesExportsOrClosesMeanwhile()
{
    QVERIFY(Open(kBigWidth, kBigHeight, QStringLiteral("png")));
    CMorvaneDoc* doc = m_pFrame->GetDocument();
    int prompts = 0;
    QVDocManager::SetDialogHook([&](QFileDialog&) {
        ++prompts;
        return false;
    });
    QVExportDlg::SetModalHook([&](QVExportDlg&) {
        ++prompts;
        return int(QDialog::Rejected);
    });
    bool tried = false, closed = true;
    m_answer = QMessageBox::No;
    Watch([&] {
        if (!tried) {
            tried = true;
            doc->OnCmdMsg(ID_FILE_SAVE);
            doc->OnCmdMsg(ID_FILE_SAVE_AS);
            m_pFrame->OnCmdMsg(ID_FILE_EXPORT);
            closed = m_pFrame->close();
        }
        return false;
    });
    QVERIFY(doc->OnCmdMsg(ID_FILE_SAVE));
    Stop();
    QVDocManager::SetDialogHook({});

    QVERIFY(tried);
    QCOMPARE(prompts, 0);
    QVERIFY(!closed);
    // Neither "Failed to save" nor "Save changes to": nothing else ran.
    QVERIFY(m_messages.isEmpty());
    QVERIFY(!doc->IsModified());
}

// Memory the work cannot get ends it as a failure, not the program.
void SaveProgressTest::workOutOfMemoryFailsWithoutEndingTheProgram()
{
    QVBackgroundTask task(nullptr, QStringLiteral("Saving"));
    QVERIFY(!task.Run([](QVBackgroundTask::Progress&) -> bool { throw std::bad_alloc(); }));
    QVERIFY(!task.WasCancelled());
    QVERIFY(!QVBackgroundTask::IsRunning());
}

// ---- exporting -----------------------------------------------------------------------------

void SaveProgressTest::aCancelledExportNamesWhatItWrote_data()
{
    QTest::addColumn<QString>("cancelOnceWritten"); // empty: Cancel as soon as it shows
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QString>("message");
    const QString folder = m_out.path() + QStringLiteral("/face");
    QTest::newRow("at once") << QString() << QStringList()
                             << QStringLiteral("The export was cancelled before any picture was "
                                               "written. The folder %1 was left empty.")
                                    .arg(folder);
    QTest::newRow("after the combined picture")
        << QStringLiteral("face @Combined.PNG") << QStringList{QStringLiteral("face @Combined.PNG")}
        << QStringLiteral("The export was cancelled. These pictures were written to the folder "
                          "%1:\nface @Combined.PNG")
               .arg(folder);
}

void SaveProgressTest::aCancelledExportNamesWhatItWrote()
{
    QFETCH(QString, cancelOnceWritten);
    QFETCH(QStringList, written);
    QFETCH(QString, message);
    // Each picture takes the encoder a while: the user can stop between them.
    QVERIFY(Open(3000, 2000, QStringLiteral("png")));

    Watch([this, cancelOnceWritten] {
        return cancelOnceWritten.isEmpty() || QFileInfo::exists(Output(cancelOnceWritten));
    });
    Export(QStringLiteral("PNG"));
    Stop();

    QVERIFY(m_seen.dialog);
    QVERIFY(m_seen.cancelled);
    // The folder and what was written stay; nothing more is written.
    QCOMPARE(Listing(Output(QString())), written);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, message);
    QCOMPARE(m_messages[0].icon, QMessageBox::Information);
}

void SaveProgressTest::anExportBeyondTheFreeMemoryWritesNothing()
{
    // Two 1000 x 750 pictures side by side, the encoder's copies of them and
    // the work beside need some 40 MB; the machine here has 5 MB free.
    QVERIFY(Open(1000, 750, QStringLiteral("png")));
    QVSetFreeMemorySource([] { return std::optional<int64_t>(5 * 1024 * 1024); });
    Export(QStringLiteral("BMP"));

    QCOMPARE(m_messages.size(), 1);
    const QRegularExpression refusal(
        QStringLiteral("^This export needs about (\\d+\\.\\d) MB of memory, but only 5\\.0 MB is "
                       "free\\.\nNothing was written\\. Choose smaller sizes, or close other "
                       "programs, and export again\\.$"));
    const QRegularExpressionMatch match = refusal.match(m_messages[0].text);
    QVERIFY2(match.hasMatch(), qPrintable(m_messages[0].text));
    QVERIFY(match.captured(1).toDouble() > 5.0);
    QCOMPARE(m_messages[0].icon, QMessageBox::Critical);
    QVERIFY(!QFileInfo::exists(Output(QString())));

    // With the memory there, the same export is written.
    QVSetFreeMemorySource([] { return std::optional<int64_t>(int64_t(64) << 20); });
    m_messages.clear();
    Export(QStringLiteral("BMP"));
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Export successfully !"));
    QCOMPARE(Listing(Output(QString())),
             (QStringList{"face @After.BMP", "face @Before.BMP", "face @Combined.BMP"}));
}

// Without a source of its own the figure is the kernel's: a machine running
// these tests has some memory free, and no more than it has in all.
void SaveProgressTest::theKernelTellsTheFreeMemory()
{
    QVSetFreeMemorySource({});
    const std::optional<int64_t> free = QVFreeMemory();
    QVERIFY(free.has_value());
    QVERIFY(*free > 0);
    QVERIFY(*free <= int64_t(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE));
}

QTEST_MAIN(SaveProgressTest)
#include "test_save_progress.moc"
