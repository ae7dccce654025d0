// The Export dialog's proposals, couplings and rules, and the export itself:
// the folder, the three pictures, their sizes and labels, and what is reported.

#include "app/QVCommandIds.h"
#include "app/QVMessageBox.h"
#include "document/CMorvaneDoc.h"
#include "document/QVExportDlg.h"
#include "engine/export/ExportImage.h"
#include "engine/image/QVColorProfile.h"
#include "view/CChildFrame.h"
#include "view/CMorvaneView.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImageWriter>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <functional>

namespace {

struct Message
{
    QString text;
    QMessageBox::Icon icon;
};

uint8_t* PixelAt(QVDIB& p, int x, int y)
{
    return p.GetBits() + size_t(y) * p.GetStride() + size_t(x) * 3;
}

// A label stands this many pixels in from the picture's left and bottom edges.
constexpr int kLabelInset = 10;

// The pixel a viewer sees at column x, row y counted from the top: rows are
// stored bottom-up, blue first.
QRgb Shown(const QVDIB& p, int x, int y)
{
    const uint8_t* pixel = p.GetBits() + size_t(p.GetHeight() - 1 - y) * p.GetStride() + size_t(x) * 3;
    return qRgb(pixel[2], pixel[1], pixel[0]);
}

// A source shown in a rectangle of a written picture (rows counted from the
// top), starting at its own column and row from; with a label, the label
// stands upright in the rectangle's bottom-left corner.
struct Part
{
    const QVDIB* source;
    QRect area;
    QPoint from;
    const QVDIB* label = nullptr;
};

// Where the picture written to file first differs from the parts that make
// it up; empty when it shows exactly them and has that size.
QString Mismatch(const QString& file, const QSize& size, const QList<Part>& parts)
{
    QImage written(file);
    if (written.isNull())
        return QStringLiteral("cannot read ") + file;
    if (written.size() != size)
        return QStringLiteral("%1 is %2 x %3")
            .arg(QFileInfo(file).fileName())
            .arg(written.width())
            .arg(written.height());
    written = written.convertToFormat(QImage::Format_RGB32);
    for (const Part& part : parts) {
        QRect stamped;
        int labelTop = 0; // the label's first row shown, from its top
        if (part.label) {
            const int columns = std::min(part.area.width() - kLabelInset, part.label->GetWidth());
            const int rows = std::min(part.area.height() - kLabelInset, part.label->GetHeight());
            stamped = QRect(kLabelInset, part.area.height() - kLabelInset - rows, columns, rows);
            labelTop = part.label->GetHeight() - rows;
        }
        for (int y = 0; y < part.area.height(); ++y)
            for (int x = 0; x < part.area.width(); ++x) {
                const QRgb expected =
                    stamped.contains(x, y)
                        ? Shown(*part.label, x - stamped.left(), labelTop + y - stamped.top())
                        : Shown(*part.source, part.from.x() + x, part.from.y() + y);
                const QPoint at = part.area.topLeft() + QPoint(x, y);
                if (written.pixel(at) != expected)
                    return QStringLiteral("%1 differs at %2,%3 from the top left")
                        .arg(QFileInfo(file).fileName())
                        .arg(at.x())
                        .arg(at.y());
            }
    }
    return {};
}

// An after-image unlike the before-image everywhere, so that a half or a
// label in the wrong place shows.
void InvertAfter(CMorvaneDoc& doc)
{
    QVDIB& after = doc.m_dibAfter;
    for (int y = 0; y < after.GetHeight(); ++y) {
        uint8_t* row = after.GetBits() + size_t(y) * after.GetStride();
        for (int i = 0; i < after.GetWidth() * 3; ++i)
            row[i] = uint8_t(255 - row[i]);
    }
}

// The quantisation tables (DQT segments) of a JPEG file, in file order.
QList<QByteArray> QuantisationTables(const QByteArray& jpeg)
{
    QList<QByteArray> tables;
    qsizetype at = 2; // after the start-of-image marker
    while (at + 4 <= jpeg.size() && uint8_t(jpeg[at]) == 0xFF) {
        const uint8_t marker = uint8_t(jpeg[at + 1]);
        const int length = uint8_t(jpeg[at + 2]) << 8 | uint8_t(jpeg[at + 3]);
        if (marker == 0xDA) // start of scan: the tables come before it
            break;
        if (marker == 0xDB)
            tables << jpeg.mid(at + 4, length - 2);
        at += 2 + length;
    }
    return tables;
}

timespec ModificationTime(const QString& path)
{
    struct stat info{};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return info.st_mtim;
}

} // namespace

class ExportTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void proposalsFollowThePictureAndLayout();
    void widthAndHeightKeepTheProportions();
    void sizesAreLimitedToFiveTimesTheBase();
    void screenshotsUseTheVisiblePart();
    void anEmptiedBoxAsksForAnInteger();
    void unusedFieldsAreDisabled();
    void typeListIsSortedAndSelectsByPrefix_data();
    void typeListIsSortedAndSelectsByPrefix();
    void startFolderIsOneThatExists_data();
    void startFolderIsOneThatExists();
    void aBrowsedFolderOverTheLimitIsRefusedNotCut();
    void aFileWithoutExtensionIsUnnamed();
    void withoutVisibleViewScreenshotsAreUnavailable();

    void exportWritesTheThreePictures();
    void leftRightWithAnOddWidthDropsAColumn();
    void screenshotsExportTheVisiblePart();
    void labelsFitThePicture_data();
    void labelsFitThePicture();
    void aSecondExportToTheSameNameWritesNothing();
    void withNothingTickedOnlyTheFolderIsMade();
    void cancelWritesNothing();
    void aZeroSizeReportsThePicturesThatFailed();
    void theExportedPicturesKeepTheColourProfile();
    void withoutATypeNothingIsWritten();

    void topBottomStacksBeforeAboveAfter_data();
    void topBottomStacksBeforeAboveAfter();
    void screenshotsCutWhatTheWindowShows_data();
    void screenshotsCutWhatTheWindowShows();
    void labelsSitInTheBottomLeftCorners_data();
    void labelsSitInTheBottomLeftCorners();
    void picturesAreWrittenCombinedBeforeAfter();
    void aCombinedPictureThatFailsIsReportedLast_data();
    void aCombinedPictureThatFailsIsReportedLast();
    void tabOrderAndTheDefaultButton();
    void returnInAFieldExports_data();
    void returnInAFieldExports();
    void aCancelledBrowseKeepsTheFolder();
    void jpegPicturesAreWrittenAtQuality75();

private:
    // The desktop's documents folder, as its settings name it (existing or not).
    void SetDocumentsFolder(const QString& path);
    void BrowseTo(const QString& folder);
    // A document window over a width x height picture, named face.<extension>
    // (face alone without an extension).
    CChildFrame* Open(int width, int height, const QString& extension = QStringLiteral("png"));
    // Runs the Export command with the dialog driven by drive; true when it accepted.
    void Export(const std::function<void(QVExportDlg&)>& drive, bool accept = true);
    template <class T>
    static T* Control(QVExportDlg& dialog, int id)
    {
        return qobject_cast<T*>(dialog.Control(id));
    }
    static void Type(QVExportDlg& dialog, int id, const QString& text);
    // A click on a check box or radio button, on its indicator.
    static void Click(QVExportDlg& dialog, int id);
    QString Output(const QString& file) const { return m_out.path() + QStringLiteral("/face/") + file; }

    QTemporaryDir m_settings;
    QTemporaryDir m_files;
    QTemporaryDir m_out;
    QTemporaryDir m_config;
    QTemporaryDir m_documents;
    CChildFrame* m_pFrame = nullptr;
    QList<Message> m_messages;
};

void ExportTest::initTestCase()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QVMessageBox::SetHook([this](const QString& text, QMessageBox::Icon icon,
                                 QMessageBox::StandardButtons) {
        m_messages.append({text, icon});
        return QMessageBox::Ok;
    });
    BrowseTo(m_out.path());
    // The desktop's settings are the test's own.
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    SetDocumentsFolder(m_documents.path());
}

void ExportTest::SetDocumentsFolder(const QString& path)
{
    QFile dirs(m_config.filePath(QStringLiteral("user-dirs.dirs")));
    QVERIFY(dirs.open(QIODevice::WriteOnly | QIODevice::Truncate));
    dirs.write("XDG_DOCUMENTS_DIR=\"" + path.toLocal8Bit() + "\"\n");
}

void ExportTest::BrowseTo(const QString& folder)
{
    // The folder browser answers with this folder.
    QVExportDlg::SetFolderHook([folder](QWidget*, const QString& title, const QString&) {
        return title == QStringLiteral("Select folder") ? folder : QString();
    });
}

void ExportTest::init()
{
    m_messages.clear();
    QDir(m_out.path() + QStringLiteral("/face")).removeRecursively();
}

void ExportTest::cleanup()
{
    QVExportDlg::SetModalHook({});
    BrowseTo(m_out.path());
    SetDocumentsFolder(m_documents.path());
    delete m_pFrame;
    m_pFrame = nullptr;
}

CChildFrame* ExportTest::Open(int width, int height, const QString& extension)
{
    auto* doc = new CMorvaneDoc;
    if (!doc->m_dibBefore.Create(width, height, 24))
        return nullptr;
    // Distinct pixels, so a shifted, flipped or rescaled picture shows.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < 3; ++k)
                PixelAt(doc->m_dibBefore, x, y)[k] = uint8_t(x * 7 + y * 3 + k * 50);
    (void)doc->m_dibAfter.CopyFrom(&doc->m_dibBefore);
    // A visible change in the after-image.
    for (int k = 0; k < 3; ++k)
        PixelAt(doc->m_dibAfter, 0, 0)[k] = 255;
    (void)doc->m_dibBeforeLabel.LoadFromResource(CMorvaneDoc::kBeforeLabelResource);
    (void)doc->m_dibAfterLabel.LoadFromResource(CMorvaneDoc::kAfterLabelResource);
    doc->SetPathName(m_files.filePath(extension.isEmpty() ? QStringLiteral("face")
                                                          : QStringLiteral("face.") + extension),
                     false);
    m_pFrame = new CChildFrame(doc);
    m_pFrame->resize(800, 600);
    m_pFrame->show();
    if (!QTest::qWaitForWindowExposed(m_pFrame))
        return nullptr;
    m_pFrame->OnInitialUpdate();
    return m_pFrame;
}

void ExportTest::Export(const std::function<void(QVExportDlg&)>& drive, bool accept)
{
    QVExportDlg::SetModalHook([&](QVExportDlg& dialog) {
        // The user works on the shown dialog.
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return int(QDialog::Rejected);
        drive(dialog);
        if (!accept)
            return int(QDialog::Rejected);
        QTest::mouseClick(Control<QPushButton>(dialog, QVExportDlg::IDC_BROWSE), Qt::LeftButton);
        QTest::mouseClick(Control<QPushButton>(dialog, QVExportDlg::IDOK_EXPORT), Qt::LeftButton);
        return dialog.result();
    });
    // The command as the menu sends it: the window tells the document what it shows.
    m_pFrame->OnCmdMsg(ID_FILE_EXPORT);
}

void ExportTest::Click(QVExportDlg& dialog, int id)
{
    QWidget* button = dialog.Control(id);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void ExportTest::Type(QVExportDlg& dialog, int id, const QString& text)
{
    QLineEdit* edit = Control<QLineEdit>(dialog, id);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// ---- the dialog --------------------------------------------------------------------------

void ExportTest::proposalsFollowThePictureAndLayout()
{
    QVERIFY(Open(1000, 750, QStringLiteral("jpg")));
    Export(
        [this](QVExportDlg& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Export"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_NAME)->text(), QStringLiteral("face"));
            QCOMPARE(Control<QComboBox>(d, QVExportDlg::IDC_TYPE)->currentText(), QStringLiteral("JPG"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_WIDTH)->text(), QStringLiteral("1000"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_HEIGHT)->text(), QStringLiteral("750"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_COMBINED_WIDTH)->text(), QStringLiteral("2000"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_COMBINED_HEIGHT)->text(), QStringLiteral("750"));
            for (int id : {QVExportDlg::IDC_BEFORE, QVExportDlg::IDC_AFTER, QVExportDlg::IDC_COMBINED})
                QVERIFY(Control<QCheckBox>(d, id)->isChecked());
            for (int id : {QVExportDlg::IDC_MARK, QVExportDlg::IDC_MARK_COMBINED, QVExportDlg::IDC_SCREENSHOTS})
                QVERIFY(!Control<QCheckBox>(d, id)->isChecked());
            QVERIFY(Control<QRadioButton>(d, QVExportDlg::IDC_LEFT_RIGHT)->isChecked());
            QCOMPARE(d.m_strPath, m_documents.path());
        },
        false);

    m_pFrame->SetDisplayMode(CChildFrame::DISPLAY_TOP_BOTTOM);
    Export(
        [](QVExportDlg& d) {
            QVERIFY(Control<QRadioButton>(d, QVExportDlg::IDC_TOP_BOTTOM)->isChecked());
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_COMBINED_WIDTH)->text(), QStringLiteral("1000"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_COMBINED_HEIGHT)->text(), QStringLiteral("1500"));
            // Back to Left\Right: the combined size follows.
            Click(d, QVExportDlg::IDC_LEFT_RIGHT);
            QCOMPARE(d.m_nCombinedWidth, 2000);
            QCOMPARE(d.m_nCombinedHeight, 750);
        },
        false);
    QVERIFY(m_messages.isEmpty());
    QVERIFY(!QFileInfo::exists(Output(QString())));
}

void ExportTest::widthAndHeightKeepTheProportions()
{
    QVERIFY(Open(1000, 750));
    Export(
        [](QVExportDlg& d) {
            Type(d, QVExportDlg::IDC_WIDTH, QStringLiteral("333"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_HEIGHT)->text(), QStringLiteral("249"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_WIDTH)->text(), QStringLiteral("333"));
            Type(d, QVExportDlg::IDC_HEIGHT, QStringLiteral("249"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_WIDTH)->text(), QStringLiteral("332"));
            // The combined size keeps the combined proportions (2000 x 750).
            Type(d, QVExportDlg::IDC_COMBINED_WIDTH, QStringLiteral("1001"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_COMBINED_HEIGHT)->text(), QStringLiteral("375"));
            QCOMPARE(d.m_nWidth, 332);
        },
        false);
}

void ExportTest::sizesAreLimitedToFiveTimesTheBase()
{
    QVERIFY(Open(1000, 750));
    Export(
        [](QVExportDlg& d) {
            Type(d, QVExportDlg::IDC_WIDTH, QStringLiteral("6000"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_WIDTH)->text(), QStringLiteral("5000"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_HEIGHT)->text(), QStringLiteral("3750"));
            Type(d, QVExportDlg::IDC_COMBINED_HEIGHT, QStringLiteral("9999"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_COMBINED_HEIGHT)->text(), QStringLiteral("3750"));
            QCOMPARE(Control<QLineEdit>(d, QVExportDlg::IDC_COMBINED_WIDTH)->text(), QStringLiteral("10000"));
        },
        false);
}

void ExportTest::screenshotsUseTheVisiblePart()
{
    QVERIFY(Open(1000, 750));
    const QVRect visible = m_pFrame->m_pAfterView->GetVisibleImageRect();
    QVERIFY(visible.Width() < 1000 && visible.Height() < 750);
    Export(
        [&](QVExportDlg& d) {
            Click(d, QVExportDlg::IDC_SCREENSHOTS);
            QCOMPARE(d.m_nWidth, visible.Width());
            QCOMPARE(d.m_nHeight, visible.Height());
            QCOMPARE(d.m_nCombinedWidth, 2 * visible.Width());
            QCOMPARE(d.m_nCombinedHeight, visible.Height());
            Click(d, QVExportDlg::IDC_SCREENSHOTS);
            QCOMPARE(d.m_nWidth, 1000);
            QCOMPARE(d.m_nHeight, 750);
            QCOMPARE(d.m_nCombinedWidth, 2000);
            QCOMPARE(d.m_nCombinedHeight, 750);
        },
        false);
}

void ExportTest::anEmptiedBoxAsksForAnInteger()
{
    QVERIFY(Open(1000, 750));
    Export(
        [this](QVExportDlg& d) {
            QLineEdit* width = Control<QLineEdit>(d, QVExportDlg::IDC_WIDTH);
            width->selectAll();
            QTest::keyClick(width, Qt::Key_Backspace);
            QCOMPARE(m_messages.size(), 1);
            QCOMPARE(m_messages[0].text, QStringLiteral("Enter an integer."));
            QCOMPARE(width->text(), QStringLiteral("1000"));
            QCOMPARE(d.m_nWidth, 1000);
        },
        false);
}

void ExportTest::unusedFieldsAreDisabled()
{
    QVERIFY(Open(1000, 750));
    Export(
        [](QVExportDlg& d) {
            auto enabled = [&](int id) { return d.Control(id)->isEnabled(); };
            Click(d, QVExportDlg::IDC_BEFORE);
            QVERIFY(enabled(QVExportDlg::IDC_WIDTH));
            Click(d, QVExportDlg::IDC_AFTER);
            for (int id : {QVExportDlg::IDC_WIDTH, QVExportDlg::IDC_HEIGHT, QVExportDlg::IDC_MARK})
                QVERIFY(!enabled(id));
            QVERIFY(enabled(QVExportDlg::IDC_COMBINED_WIDTH));
            Click(d, QVExportDlg::IDC_COMBINED);
            for (int id : {QVExportDlg::IDC_COMBINED_WIDTH, QVExportDlg::IDC_COMBINED_HEIGHT,
                           QVExportDlg::IDC_MARK_COMBINED, QVExportDlg::IDC_LEFT_RIGHT,
                           QVExportDlg::IDC_TOP_BOTTOM})
                QVERIFY(!enabled(id));
            Click(d, QVExportDlg::IDC_AFTER);
            QVERIFY(enabled(QVExportDlg::IDC_HEIGHT));
        },
        false);
}

void ExportTest::typeListIsSortedAndSelectsByPrefix_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("proposed"); // empty: no entry selected
    QTest::newRow("jpeg") << "jpeg" << "JPG";
    QTest::newRow("JPEG") << "JPEG" << "JPG";
    QTest::newRow("tiff") << "tiff" << "TIF";
    QTest::newRow("tif") << "tif" << "TIF";
    QTest::newRow("bmp") << "bmp" << "BMP";
    QTest::newRow("gif, not in the list") << "gif" << "";
}

void ExportTest::typeListIsSortedAndSelectsByPrefix()
{
    QFETCH(QString, extension);
    QFETCH(QString, proposed);
    QVERIFY(Open(40, 30, extension));
    Export(
        [&](QVExportDlg& d) {
            QComboBox* types = Control<QComboBox>(d, QVExportDlg::IDC_TYPE);
            QStringList items;
            for (int i = 0; i < types->count(); ++i)
                items << types->itemText(i);
            QCOMPARE(items, (QStringList{"BMP", "JPG", "PNG", "TIF"}));
            QCOMPARE(types->currentIndex(), proposed.isEmpty() ? -1 : int(items.indexOf(proposed)));
            d.UpdateData(true);
            QCOMPARE(d.m_strType, proposed);
            d.m_strType = QStringLiteral("ti");
            d.UpdateData(false);
            QCOMPARE(types->currentText(), QStringLiteral("TIF"));
        },
        false);
}

void ExportTest::startFolderIsOneThatExists_data()
{
    QTest::addColumn<bool>("documentsExist");
    QTest::addColumn<bool>("pictureFolderExists");
    QTest::addColumn<QString>("start"); // documents, picture or home
    QTest::newRow("documents folder") << true << true << "documents";
    QTest::newRow("no documents folder") << false << true << "picture";
    QTest::newRow("neither") << false << false << "home";
}

void ExportTest::startFolderIsOneThatExists()
{
    QFETCH(bool, documentsExist);
    QFETCH(bool, pictureFolderExists);
    QFETCH(QString, start);
    const QString documents = m_documents.filePath(QStringLiteral("Documents"));
    QVERIFY(QDir().mkpath(documents));
    if (!documentsExist)
        QVERIFY(QDir(documents).removeRecursively());
    SetDocumentsFolder(documents);
    QVERIFY(Open(40, 30));
    QTemporaryDir gone;
    if (!pictureFolderExists)
        m_pFrame->GetDocument()->SetPathName(gone.filePath(QStringLiteral("sub/face.png")), false);
    const QString picture = QFileInfo(m_pFrame->GetDocument()->GetPathName()).absolutePath();
    const QString expected = start == QLatin1String("documents") ? documents
                             : start == QLatin1String("picture") ? picture
                                                                 : QDir::homePath();
    Export([&](QVExportDlg& d) { QCOMPARE(d.m_strPath, expected); }, false);

    // Exported from there, without Browse, the folder is made where it starts.
    QVExportDlg::SetModalHook([](QVExportDlg& dialog) {
        QTest::mouseClick(Control<QPushButton>(dialog, QVExportDlg::IDOK_EXPORT), Qt::LeftButton);
        return dialog.result();
    });
    if (start != QLatin1String("home")) {
        m_pFrame->OnCmdMsg(ID_FILE_EXPORT);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("Export successfully !"));
        QVERIFY(QFileInfo::exists(expected + QStringLiteral("/face/face @After.PNG")));
    }
    if (start == QLatin1String("picture"))
        QVERIFY(QDir(expected + QStringLiteral("/face")).removeRecursively());
}

void ExportTest::aBrowsedFolderOverTheLimitIsRefusedNotCut()
{
    // A folder whose first 260 characters name another folder that exists.
    QString cut = m_out.path() + QLatin1Char('/');
    cut += QString(QVExportDlg::kMaxPathChars - cut.size(), QLatin1Char('c'));
    QCOMPARE(cut.size(), QVExportDlg::kMaxPathChars);
    QVERIFY(QDir().mkpath(cut));
    const QString chosen = cut + QStringLiteral("/longer");
    QVERIFY(QDir().mkpath(chosen));
    BrowseTo(chosen);

    QVERIFY(Open(60, 40));
    int result = QDialog::Accepted;
    QVExportDlg::SetModalHook([&](QVExportDlg& dialog) {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return int(QDialog::Rejected);
        QTest::mouseClick(Control<QPushButton>(dialog, QVExportDlg::IDC_BROWSE), Qt::LeftButton);
        // The box shows the whole folder.
        [&] { QCOMPARE(Control<QLineEdit>(dialog, QVExportDlg::IDC_PATH)->text(), chosen); }();
        QTest::mouseClick(Control<QPushButton>(dialog, QVExportDlg::IDOK_EXPORT), Qt::LeftButton);
        result = dialog.result();
        // The dialog stays open for another folder.
        [&] { QVERIFY(dialog.isVisible()); }();
        return result;
    });
    m_pFrame->OnCmdMsg(ID_FILE_EXPORT);
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Enter no more than 260 characters."));
    QVERIFY(!QFileInfo::exists(cut + QStringLiteral("/face")));
    QVERIFY(!QFileInfo::exists(chosen + QStringLiteral("/face")));
}

void ExportTest::aFileWithoutExtensionIsUnnamed()
{
    QVERIFY(Open(40, 30, QString()));
    Export(
        [](QVExportDlg& d) {
            QCOMPARE(d.m_strName, QStringLiteral("Unnamed"));
            QCOMPARE(Control<QComboBox>(d, QVExportDlg::IDC_TYPE)->currentText(), QStringLiteral("JPG"));
        },
        false);
}

void ExportTest::withoutVisibleViewScreenshotsAreUnavailable()
{
    QVERIFY(Open(40, 30));
    m_pFrame->hide();
    Export(
        [](QVExportDlg& d) {
            QVERIFY(!d.Control(QVExportDlg::IDC_SCREENSHOTS)->isEnabled());
            QVERIFY(!Control<QCheckBox>(d, QVExportDlg::IDC_SCREENSHOTS)->isChecked());
        },
        false);
}

// ---- the export ----------------------------------------------------------------------------

void ExportTest::exportWritesTheThreePictures()
{
    QVERIFY(Open(120, 90));
    Export([](QVExportDlg& d) { d.m_cbType->setCurrentText(QStringLiteral("BMP")); });
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Export successfully !"));
    QCOMPARE(m_messages[0].icon, QMessageBox::Information);
    QCOMPARE(QDir(Output(QString())).entryList(QDir::Files),
             (QStringList{"face @After.BMP", "face @Before.BMP", "face @Combined.BMP"}));

    // At the picture's own size, exact copies.
    CMorvaneDoc* doc = m_pFrame->GetDocument();
    for (auto [file, source] : {std::pair{QStringLiteral("face @Before.BMP"), &doc->m_dibBefore},
                                std::pair{QStringLiteral("face @After.BMP"), &doc->m_dibAfter}}) {
        QVDIB written;
        QVERIFY(written.LoadFromFile(Output(file)));
        QVERIFY(written.SameGeometry(*source));
        QVERIFY(std::memcmp(written.GetBits(), source->GetBits(), source->GetHeader()->biSizeImage) == 0);
    }
    // The combined picture: before on the left, after on the right.
    QVDIB combined;
    QVERIFY(combined.LoadFromFile(Output(QStringLiteral("face @Combined.BMP"))));
    QCOMPARE(combined.GetWidth(), 240);
    QCOMPARE(combined.GetHeight(), 90);
    QVERIFY(std::memcmp(PixelAt(combined, 0, 0), PixelAt(doc->m_dibBefore, 0, 0), 3) == 0);
    QVERIFY(std::memcmp(PixelAt(combined, 120, 0), PixelAt(doc->m_dibAfter, 0, 0), 3) == 0);
}

void ExportTest::leftRightWithAnOddWidthDropsAColumn()
{
    QVERIFY(Open(120, 90));
    Export([](QVExportDlg& d) {
        Type(d, QVExportDlg::IDC_COMBINED_WIDTH, QStringLiteral("101"));
    });
    QVDIB combined;
    QVERIFY(combined.LoadFromFile(Output(QStringLiteral("face @Combined.PNG"))));
    QCOMPARE(combined.GetWidth(), 100); // two halves of 50
    QCOMPARE(combined.GetHeight(), 37);   // trunc(90 * 101 / 240)
}

void ExportTest::screenshotsExportTheVisiblePart()
{
    QVERIFY(Open(1000, 750));
    CMorvaneView* view = m_pFrame->m_pAfterView;
    view->ScrollToPosition(QPoint(300, 100));
    const QVRect visible = view->GetVisibleImageRect();
    QVERIFY(visible.left > 0 && visible.top > 0);
    Export([](QVExportDlg& d) {
        d.m_cbType->setCurrentText(QStringLiteral("BMP"));
        Click(d, QVExportDlg::IDC_SCREENSHOTS);
    });
    // At the visible part's own size: exactly that part of the after-image.
    QVDIB after, expected;
    QVERIFY(after.LoadFromFile(Output(QStringLiteral("face @After.BMP"))));
    QVERIFY(CropImage(&m_pFrame->GetDocument()->m_dibAfter, &expected, visible));
    QVERIFY(after.SameGeometry(expected));
    QVERIFY(std::memcmp(after.GetBits(), expected.GetBits(), expected.GetHeader()->biSizeImage) == 0);
    QVDIB combined;
    QVERIFY(combined.LoadFromFile(Output(QStringLiteral("face @Combined.BMP"))));
    QCOMPARE(combined.GetWidth(), 2 * visible.Width());
    QCOMPARE(combined.GetHeight(), visible.Height());
}

void ExportTest::labelsFitThePicture_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("columns"); // label columns that must show
    QTest::newRow("90 x 30") << 90 << 80;
    QTest::newRow("50 wide") << 50 << 40;
    QTest::newRow("10 wide") << 10 << 0;
}

void ExportTest::labelsFitThePicture()
{
    QFETCH(int, width);
    QFETCH(int, columns);
    QVERIFY(Open(900, 300));
    CMorvaneDoc* doc = m_pFrame->GetDocument();
    QCOMPARE(doc->m_dibBeforeLabel.GetWidth(), 80);
    QCOMPARE(doc->m_dibBeforeLabel.GetHeight(), 20);
    Export([width](QVExportDlg& d) {
        d.m_cbType->setCurrentText(QStringLiteral("BMP"));
        Type(d, QVExportDlg::IDC_WIDTH, QString::number(width));
        Click(d, QVExportDlg::IDC_MARK);
    });
    QVDIB before, plain;
    QVERIFY(before.LoadFromFile(Output(QStringLiteral("face @Before.BMP"))));
    QCOMPARE(before.GetWidth(), width);
    QCOMPARE(before.GetHeight(), width / 3);
    QVDIB& label = doc->m_dibBeforeLabel;
    const int rows = std::min(before.GetHeight() - 10, 20);
    for (int r = 0; r < std::max(rows, 0); ++r)
        for (int c = 0; c < columns; ++c)
            QVERIFY2(std::memcmp(PixelAt(before, 10 + c, 10 + r), PixelAt(label, c, r), 3) == 0,
                     qPrintable(QStringLiteral("%1,%2").arg(c).arg(r)));
    if (columns == 0) {
        // Too small for a label: the plain resized picture.
        QVERIFY(plain.CopyFrom(&doc->m_dibBefore));
        QVDIB expected;
        QVERIFY(ResizeImage(&expected, &plain, width, width / 3));
        QVERIFY(std::memcmp(before.GetBits(), expected.GetBits(), expected.GetHeader()->biSizeImage) == 0);
    }
}

void ExportTest::aSecondExportToTheSameNameWritesNothing()
{
    QVERIFY(Open(60, 40));
    Export([](QVExportDlg&) {});
    QCOMPARE(m_messages.size(), 1);
    const QFileInfo first(Output(QStringLiteral("face @Before.PNG")));
    const QDateTime written = first.lastModified();
    QVERIFY(QFile::remove(Output(QStringLiteral("face @After.PNG"))));

    m_messages.clear();
    Export([](QVExportDlg&) {});
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text,
             QStringLiteral("Failed to create the folder:\n") + Output(QString()).chopped(1));
    QCOMPARE(m_messages[0].icon, QMessageBox::Critical);
    QVERIFY(!QFileInfo::exists(Output(QStringLiteral("face @After.PNG"))));
    QCOMPARE(QFileInfo(Output(QStringLiteral("face @Before.PNG"))).lastModified(), written);
}

void ExportTest::withNothingTickedOnlyTheFolderIsMade()
{
    QVERIFY(Open(60, 40));
    Export([](QVExportDlg& d) {
        for (int id : {QVExportDlg::IDC_BEFORE, QVExportDlg::IDC_AFTER, QVExportDlg::IDC_COMBINED})
            Click(d, id);
    });
    QVERIFY(QFileInfo(Output(QString())).isDir());
    QVERIFY(QDir(Output(QString())).entryList(QDir::Files).isEmpty());
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Export successfully !"));
}

void ExportTest::cancelWritesNothing()
{
    QVERIFY(Open(60, 40));
    Export([](QVExportDlg&) {}, false);
    QVERIFY(!QFileInfo::exists(Output(QString())));
    QVERIFY(m_messages.isEmpty());
}

void ExportTest::aZeroSizeReportsThePicturesThatFailed()
{
    QVERIFY(Open(60, 40));
    Export([](QVExportDlg& d) { Type(d, QVExportDlg::IDC_WIDTH, QStringLiteral("0")); });
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(m_messages[0].text, QStringLiteral("Failed to save the file:\n") + Output(QStringLiteral("face @Before.PNG")));
    QCOMPARE(m_messages[1].text, QStringLiteral("Failed to save the file:\n") + Output(QStringLiteral("face @After.PNG")));
    QCOMPARE(m_messages[0].icon, QMessageBox::Critical);
    // The combined picture is written all the same.
    QVERIFY(QFileInfo::exists(Output(QStringLiteral("face @Combined.PNG"))));
}

// A photo opened with a wide-gamut profile exports its pictures with it.
void ExportTest::theExportedPicturesKeepTheColourProfile()
{
    QVERIFY(Open(120, 90, QStringLiteral("png")));
    CMorvaneDoc* doc = m_pFrame->GetDocument();
    const auto profile = QVColorProfile::FromColorSpace(QColorSpace::DisplayP3);
    doc->m_dibBefore.SetColorProfile(profile);
    doc->m_dibAfter.SetColorProfile(profile);
    Export([](QVExportDlg& d) { d.m_cbType->setCurrentText(QStringLiteral("PNG")); });
    QCOMPARE(m_messages.size(), 1);
    for (const char* name : {"face @Before.PNG", "face @After.PNG", "face @Combined.PNG"}) {
        const QImage written(Output(QLatin1String(name)));
        QVERIFY2(!written.isNull(), name);
        QCOMPARE(written.colorSpace(), QColorSpace(QColorSpace::DisplayP3));
    }
}

void ExportTest::withoutATypeNothingIsWritten()
{
    // A GIF picture proposes no type: Export asks for one and makes no folder.
    QVERIFY(Open(60, 40, QStringLiteral("gif")));
    bool stillOpen = false;
    Export([&](QVExportDlg& d) {
        QTest::mouseClick(Control<QPushButton>(d, QVExportDlg::IDC_BROWSE), Qt::LeftButton);
        QTest::mouseClick(Control<QPushButton>(d, QVExportDlg::IDOK_EXPORT), Qt::LeftButton);
        stillOpen = d.isVisible() && d.result() == QDialog::Rejected;
        // Then the user picks a type in the list.
        QComboBox* types = Control<QComboBox>(d, QVExportDlg::IDC_TYPE);
        types->setFocus();
        QTest::keyClick(types, Qt::Key_P);
    });
    QVERIFY(stillOpen);
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(m_messages[0].text, QStringLiteral("Choose a file type for the exported pictures."));
    QCOMPARE(m_messages[0].icon, QMessageBox::Warning);
    QCOMPARE(m_messages[1].text, QStringLiteral("Export successfully !"));
    QCOMPARE(QDir(Output(QString())).entryList(QDir::Files),
             (QStringList{"face @After.PNG", "face @Before.PNG", "face @Combined.PNG"}));
}

// ---- layout, labels, order and failures of the written pictures ---------------------------

void ExportTest::topBottomStacksBeforeAboveAfter_data()
{
    QTest::addColumn<QString>("height"); // typed as the combined height; empty: as proposed
    QTest::addColumn<QSize>("size");     // of the combined picture written
    QTest::newRow("proposed") << QString() << QSize(120, 180);
    QTest::newRow("odd height, halves at their own size") << QStringLiteral("181") << QSize(120, 180);
    QTest::newRow("odd height, halves resized") << QStringLiteral("91") << QSize(60, 90);
}

void ExportTest::topBottomStacksBeforeAboveAfter()
{
    QFETCH(QString, height);
    QFETCH(QSize, size);
    QVERIFY(Open(120, 90));
    CMorvaneDoc* doc = m_pFrame->GetDocument();
    InvertAfter(*doc);
    m_pFrame->SetDisplayMode(CChildFrame::DISPLAY_TOP_BOTTOM);
    Export([&](QVExportDlg& d) {
        if (!height.isEmpty())
            Type(d, QVExportDlg::IDC_COMBINED_HEIGHT, height);
    });
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Export successfully !"));

    // Each half is its whole picture at the combined width and half the height.
    const int half = size.height() / 2;
    QVDIB before, after;
    QVERIFY(ResizeImage(&before, &doc->m_dibBefore, size.width(), half));
    QVERIFY(ResizeImage(&after, &doc->m_dibAfter, size.width(), half));
    const QString mismatch = Mismatch(Output(QStringLiteral("face @Combined.PNG")), size,
                                      {{&before, QRect(0, 0, size.width(), half), {}},
                                       {&after, QRect(0, half, size.width(), half), {}}});
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void ExportTest::screenshotsCutWhatTheWindowShows_data()
{
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QPoint>("scroll");
    QTest::newRow("actual size, scrolled") << 1.0 << QPoint(150, 100);
    QTest::newRow("zoomed in, edges inside pixels") << 1.5 << QPoint(301, 133);
    QTest::newRow("whole picture in the window") << 0.5 << QPoint(0, 0);
}

void ExportTest::screenshotsCutWhatTheWindowShows()
{
    QFETCH(double, zoom);
    QFETCH(QPoint, scroll);
    constexpr int kWidth = 1000, kHeight = 750;
    QVERIFY(Open(kWidth, kHeight));
    CMorvaneDoc* doc = m_pFrame->GetDocument();
    InvertAfter(*doc);
    CMorvaneView* view = m_pFrame->m_pAfterView;
    QVERIFY(view->SetZoom(zoom));
    view->ScrollToPosition(scroll);
    QCoreApplication::processEvents();
    QCOMPARE(QPoint(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value()), scroll);

    // What the window shows of the picture, rows counted from its top as the
    // user sees them. A picture narrower or lower than the window shows whole.
    // Otherwise a column cut by the left edge counts and one cut by the right
    // edge does not; for the rows, which are cut off counted from the
    // picture's bottom, a row cut by the bottom edge counts and one cut by the
    // top edge does not.
    const int cw = view->viewport()->width(), ch = view->viewport()->height();
    QRect shown(0, 0, kWidth, kHeight);
    if (cw <= kWidth * zoom) {
        shown.setLeft(int(scroll.x() / zoom));
        shown.setRight(int((scroll.x() + cw) / zoom) - 1);
    }
    if (ch <= kHeight * zoom) {
        shown.setTop(int(std::ceil(scroll.y() / zoom)));
        shown.setBottom(int(std::ceil((scroll.y() + ch) / zoom)) - 1);
    }
    if (zoom < 1)
        QCOMPARE(shown, QRect(0, 0, kWidth, kHeight));
    else
        QVERIFY(shown.top() > 0 && shown.left() > 0 && shown.bottom() < kHeight - 1);

    Export([](QVExportDlg& d) { Click(d, QVExportDlg::IDC_SCREENSHOTS); });
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Export successfully !"));
    const QRect own(QPoint(0, 0), shown.size());
    for (const auto& [file, size, parts] :
         {std::tuple{QStringLiteral("face @Before.PNG"), shown.size(),
                     QList<Part>{{&doc->m_dibBefore, own, shown.topLeft()}}},
          std::tuple{QStringLiteral("face @After.PNG"), shown.size(),
                     QList<Part>{{&doc->m_dibAfter, own, shown.topLeft()}}},
          std::tuple{QStringLiteral("face @Combined.PNG"), QSize(2 * shown.width(), shown.height()),
                     QList<Part>{{&doc->m_dibBefore, own, shown.topLeft()},
                                 {&doc->m_dibAfter, own.translated(shown.width(), 0), shown.topLeft()}}}}) {
        const QString mismatch = Mismatch(Output(file), size, parts);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }
}

void ExportTest::labelsSitInTheBottomLeftCorners_data()
{
    QTest::addColumn<bool>("leftRight");
    QTest::newRow("Left\\Right") << true;
    QTest::newRow("Top\\Bottom") << false;
}

void ExportTest::labelsSitInTheBottomLeftCorners()
{
    QFETCH(bool, leftRight);
    constexpr int kWidth = 200, kHeight = 150;
    QVERIFY(Open(kWidth, kHeight));
    CMorvaneDoc* doc = m_pFrame->GetDocument();
    for (const QVDIB* label : {&doc->m_dibBeforeLabel, &doc->m_dibAfterLabel})
        QCOMPARE(QSize(label->GetWidth(), label->GetHeight()), QSize(80, 20));
    InvertAfter(*doc);
    if (!leftRight)
        m_pFrame->SetDisplayMode(CChildFrame::DISPLAY_TOP_BOTTOM);
    Export([](QVExportDlg& d) {
        Click(d, QVExportDlg::IDC_MARK);
        Click(d, QVExportDlg::IDC_MARK_COMBINED);
    });
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Export successfully !"));

    // Each picture, and each half of the combined one, is its source with its
    // own label near its bottom-left corner: in Top\Bottom the BEFORE label
    // sits just above the joint.
    const QRect own(0, 0, kWidth, kHeight);
    const QRect second = leftRight ? own.translated(kWidth, 0) : own.translated(0, kHeight);
    const Part before{&doc->m_dibBefore, own, {}, &doc->m_dibBeforeLabel};
    const Part after{&doc->m_dibAfter, own, {}, &doc->m_dibAfterLabel};
    for (const auto& [file, size, parts] :
         {std::tuple{QStringLiteral("face @Before.PNG"), own.size(), QList<Part>{before}},
          std::tuple{QStringLiteral("face @After.PNG"), own.size(), QList<Part>{after}},
          std::tuple{QStringLiteral("face @Combined.PNG"), own.united(second).size(),
                     QList<Part>{before, {after.source, second, {}, after.label}}}}) {
        const QString mismatch = Mismatch(Output(file), size, parts);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }
}

void ExportTest::picturesAreWrittenCombinedBeforeAfter()
{
    // File times come from a coarse clock (a tick of a few milliseconds):
    // pictures this big take many ticks each to write, so their times tell
    // the order.
    QVERIFY(Open(2400, 1800));
    Export([](QVExportDlg&) {});
    QCOMPARE(m_messages.size(), 1);
    QList<timespec> times;
    for (const char* file : {"face @Combined.PNG", "face @Before.PNG", "face @After.PNG"})
        times << ModificationTime(Output(QLatin1String(file)));
    auto earlier = [](const timespec& a, const timespec& b) {
        return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
    };
    QVERIFY(times[0].tv_sec > 0);
    QVERIFY2(earlier(times[0], times[1]), "Before was not written after Combined");
    QVERIFY2(earlier(times[1], times[2]), "After was not written after Before");
}

void ExportTest::aCombinedPictureThatFailsIsReportedLast_data()
{
    QTest::addColumn<QString>("width"); // of the before and after pictures; empty: as proposed
    QTest::addColumn<QStringList>("failed");
    QTest::newRow("combined only") << QString() << QStringList{QStringLiteral("Combined")};
    QTest::newRow("all three") << QStringLiteral("0")
                               << QStringList{QStringLiteral("Before"), QStringLiteral("After"),
                                              QStringLiteral("Combined")};
}

void ExportTest::aCombinedPictureThatFailsIsReportedLast()
{
    QFETCH(QString, width);
    QFETCH(QStringList, failed);
    // A name that leaves room for "<name> @Before.PNG" and "<name> @After.PNG"
    // in a file name of at most 255 bytes, but not for "<name> @Combined.PNG".
    const QString name(242, QLatin1Char('n'));
    const QString folder = m_out.filePath(name);
    QDir(folder).removeRecursively();
    auto path = [&](const QString& word) {
        return folder + QLatin1Char('/') + name + QStringLiteral(" @") + word + QStringLiteral(".PNG");
    };

    QVERIFY(Open(60, 40));
    Export([&](QVExportDlg& d) {
        Type(d, QVExportDlg::IDC_NAME, name);
        if (!width.isEmpty())
            Type(d, QVExportDlg::IDC_WIDTH, width);
    });
    // One message for each picture that failed, Before and After first, and
    // no success after them; the pictures that could be written were.
    QStringList texts;
    for (const Message& message : std::as_const(m_messages)) {
        texts << message.text;
        QCOMPARE(message.icon, QMessageBox::Critical);
    }
    QStringList expected;
    for (const QString& word : failed)
        expected << QStringLiteral("Failed to save the file:\n") + path(word);
    QCOMPARE(texts, expected);
    for (const QString& word : {QStringLiteral("Before"), QStringLiteral("After")})
        QCOMPARE(QFileInfo::exists(path(word)), !failed.contains(word));
    QVERIFY(QDir(folder).removeRecursively());
}

// ---- the dialog's keyboard ------------------------------------------------------------------

void ExportTest::tabOrderAndTheDefaultButton()
{
    QVERIFY(Open(60, 40));
    QList<int> order;
    bool isDefault = false;
    Export(
        [&](QVExportDlg& d) {
            d.activateWindow();
            if (!QTest::qWaitForWindowActive(&d))
                return;
            isDefault = Control<QPushButton>(d, QVExportDlg::IDOK_EXPORT)->isDefault();
            auto idOf = [&](const QWidget* widget) {
                for (int id = QVExportDlg::IDOK_EXPORT; id <= QVExportDlg::IDC_TOP_BOTTOM; ++id)
                    if (widget && d.Control(id) == widget)
                        return id;
                return -1;
            };
            // Tab from the first stop round to it again; the layout buttons are passed over.
            for (int step = 0; step < 20; ++step) {
                QWidget* focus = QApplication::focusWidget();
                const int id = idOf(focus);
                if (step > 0 && id == QVExportDlg::IDOK_EXPORT)
                    break;
                order << id;
                QTest::keyClick(focus ? focus : &d, Qt::Key_Tab);
            }
        },
        false);
    QVERIFY(isDefault);
    QCOMPARE(order,
             (QList<int>{QVExportDlg::IDOK_EXPORT, QVExportDlg::IDCANCEL_EXPORT, QVExportDlg::IDC_PATH,
                         QVExportDlg::IDC_BROWSE, QVExportDlg::IDC_NAME, QVExportDlg::IDC_BEFORE,
                         QVExportDlg::IDC_AFTER, QVExportDlg::IDC_COMBINED, QVExportDlg::IDC_WIDTH,
                         QVExportDlg::IDC_HEIGHT, QVExportDlg::IDC_COMBINED_WIDTH,
                         QVExportDlg::IDC_COMBINED_HEIGHT, QVExportDlg::IDC_SCREENSHOTS,
                         QVExportDlg::IDC_TYPE, QVExportDlg::IDC_MARK, QVExportDlg::IDC_MARK_COMBINED}));
}

void ExportTest::returnInAFieldExports_data()
{
    QTest::addColumn<int>("field");
    QTest::newRow("name") << int(QVExportDlg::IDC_NAME);
    QTest::newRow("width") << int(QVExportDlg::IDC_WIDTH);
    QTest::newRow("combined height") << int(QVExportDlg::IDC_COMBINED_HEIGHT);
}

void ExportTest::returnInAFieldExports()
{
    QFETCH(int, field);
    QVERIFY(Open(60, 40));
    int result = QDialog::Rejected;
    QVExportDlg::SetModalHook([&](QVExportDlg& dialog) {
        dialog.show();
        if (!QTest::qWaitForWindowActive(&dialog))
            return int(QDialog::Rejected);
        QTest::mouseClick(Control<QPushButton>(dialog, QVExportDlg::IDC_BROWSE), Qt::LeftButton);
        QLineEdit* edit = Control<QLineEdit>(dialog, field);
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_Return);
        result = dialog.result();
        return result;
    });
    m_pFrame->OnCmdMsg(ID_FILE_EXPORT);
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Export successfully !"));
    QCOMPARE(QDir(Output(QString())).entryList(QDir::Files).size(), 3);
}

void ExportTest::aCancelledBrowseKeepsTheFolder()
{
    QVERIFY(Open(60, 40));
    QStringList paths;
    Export([&](QVExportDlg& d) {
        QLineEdit* path = Control<QLineEdit>(d, QVExportDlg::IDC_PATH);
        auto browse = [&](const QString& answer) {
            BrowseTo(answer); // an empty answer: the browser was cancelled
            QTest::mouseClick(Control<QPushButton>(d, QVExportDlg::IDC_BROWSE), Qt::LeftButton);
            paths << path->text();
        };
        browse(QString());
        browse(m_out.path());
        browse(QString());
        // The Export helper browses once more, cancelled too, before Export.
    });
    QCOMPARE(paths, (QStringList{m_documents.path(), m_out.path(), m_out.path()}));
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Export successfully !"));
    QVERIFY(QFileInfo::exists(Output(QStringLiteral("face @After.PNG"))));
}

void ExportTest::jpegPicturesAreWrittenAtQuality75()
{
    QVERIFY(Open(120, 90, QStringLiteral("jpg")));
    Export([](QVExportDlg&) {});
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, QStringLiteral("Export successfully !"));

    // The tables a JPEG writer uses at a quality, from the same pixels.
    const QImage pixels = m_pFrame->GetDocument()->m_dibAfter.ToImage();
    auto tablesAt = [&](int quality) {
        QBuffer buffer;
        if (!buffer.open(QIODevice::WriteOnly))
            return QList<QByteArray>();
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(quality);
        return writer.write(pixels) ? QuantisationTables(buffer.data()) : QList<QByteArray>();
    };
    const QList<QByteArray> at75 = tablesAt(75);
    QCOMPARE(at75.size(), 2); // luminance and chrominance
    // The tables tell the quality apart.
    QVERIFY(tablesAt(74) != at75 && tablesAt(76) != at75);
    for (const char* file : {"face @Before.JPG", "face @After.JPG", "face @Combined.JPG"}) {
        QFile written(Output(QLatin1String(file)));
        QVERIFY2(written.open(QIODevice::ReadOnly), file);
        QVERIFY2(QuantisationTables(written.readAll()) == at75, file);
    }
}

QTEST_MAIN(ExportTest)
#include "test_export.moc"
