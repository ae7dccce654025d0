#include "QVExportDlg.h"

#include "app/QVMessageBox.h"
#include "res/QVStrings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStandardPaths>

QVExportDlg::ModalHook QVExportDlg::s_modalHook;
QVExportDlg::FolderHook QVExportDlg::s_folderHook;

namespace {

// The dialog's layout in dialog units: a quarter of the font's average
// character width across, an eighth of its height down.
constexpr int kDialogWidth = 370;
constexpr int kDialogHeight = 228;

struct Place
{
    int x, y, width, height;
};

int Trunc(double value)
{
    return int(value);
}

} // namespace

QVExportDlg::QVExportDlg(QWidget* parent) : QDialog(parent)
{
    m_strType = LoadString(IDS_DEFAULT_EXTENSION);
    setWindowTitle(tr("Export"));
    CreateControls();
}

void QVExportDlg::SetModalHook(ModalHook hook)
{
    s_modalHook = std::move(hook);
}

void QVExportDlg::SetFolderHook(FolderHook hook)
{
    s_folderHook = std::move(hook);
}

void QVExportDlg::CreateControls()
{
    const QFontMetrics metrics(font());
    const double unitX =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
        52.0;
    const double unitY = metrics.height();
    auto place = [&](QWidget* widget, Place p) {
        widget->setGeometry(Trunc(p.x * unitX / 4 + 0.5), Trunc(p.y * unitY / 8 + 0.5),
                            Trunc(p.width * unitX / 4 + 0.5), Trunc(p.height * unitY / 8 + 0.5));
    };
    setFixedSize(Trunc(kDialogWidth * unitX / 4 + 0.5), Trunc(kDialogHeight * unitY / 8 + 0.5));

    // Group boxes go first so that they stay behind the controls they frame.
    auto group = [&](const QString& title, Place p) { place(new QGroupBox(title, this), p); };
    group(tr("PathName"), {12, 8, 342, 64});
    group(tr("Size(Before/After)"), {126, 79, 108, 113});
    group(tr("Size(Combined)"), {246, 79, 108, 113});
    group(tr("Type"), {12, 79, 99, 113});
    auto label = [&](const QString& text, Place p) { place(new QLabel(text, this), p); };
    label(tr("Path"), {24, 25, 54, 8});
    label(tr("Name"), {24, 49, 54, 8});
    label(tr("Width"), {131, 99, 51, 8});
    label(tr("Height"), {131, 121, 51, 8});
    label(tr("Width"), {253, 99, 51, 8});
    label(tr("Height"), {253, 121, 51, 8});

    QList<QWidget*> tabOrder;
    auto add = [&](int id, QWidget* widget, Place p) {
        place(widget, p);
        m_controls.insert(id, widget);
        tabOrder << widget;
        return widget;
    };
    auto* exportButton = static_cast<QPushButton*>(
        add(IDOK_EXPORT, new QPushButton(tr("Export"), this), {120, 202, 66, 19}));
    exportButton->setDefault(true);
    connect(exportButton, &QPushButton::clicked, this, &QVExportDlg::OnExportClicked);
    auto* cancel = static_cast<QPushButton*>(
        add(IDCANCEL_EXPORT, new QPushButton(tr("Cancel"), this), {204, 202, 66, 19}));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Only Browse fills the path, and a longer folder than the limit is
    // refused when the dialog is confirmed, not cut: a cut path would name
    // another folder.
    auto* path = static_cast<QLineEdit*>(add(IDC_PATH, new QLineEdit(this), {85, 22, 197, 14}));
    path->setReadOnly(true);
    auto* browse = add(IDC_BROWSE, new QPushButton(tr("Browse"), this), {289, 22, 57, 14});
    connect(static_cast<QPushButton*>(browse), &QPushButton::clicked, this, &QVExportDlg::OnBrowse);
    static_cast<QLineEdit*>(add(IDC_NAME, new QLineEdit(this), {85, 48, 136, 12}))
        ->setMaxLength(kMaxPathChars);

    auto check = [&](int id, const QString& text, Place p, void (QVExportDlg::*handler)()) {
        auto* box = static_cast<QCheckBox*>(add(id, new QCheckBox(text, this), p));
        if (handler)
            connect(box, &QCheckBox::clicked, this, handler);
    };
    check(IDC_BEFORE, tr("Before"), {24, 97, 80, 10}, &QVExportDlg::OnBeforeAfterClicked);
    check(IDC_AFTER, tr("After"), {24, 119, 80, 10}, &QVExportDlg::OnBeforeAfterClicked);
    check(IDC_COMBINED, tr("Combined"), {24, 137, 80, 10}, &QVExportDlg::OnCombinedClicked);

    // Size boxes take digits only.
    const auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    auto size = [&](int id, Place p, void (QVExportDlg::*handler)()) {
        auto* edit = static_cast<QLineEdit*>(add(id, new QLineEdit(this), p));
        edit->setValidator(digits);
        connect(edit, &QLineEdit::textChanged, this, handler);
    };
    size(IDC_WIDTH, {188, 93, 38, 14}, &QVExportDlg::OnChangeWidth);
    size(IDC_HEIGHT, {188, 115, 38, 14}, &QVExportDlg::OnChangeHeight);
    size(IDC_COMBINED_WIDTH, {308, 93, 38, 14}, &QVExportDlg::OnChangeCombinedWidth);
    size(IDC_COMBINED_HEIGHT, {308, 115, 38, 14}, &QVExportDlg::OnChangeCombinedHeight);
    check(IDC_SCREENSHOTS, tr("Screenshots"), {24, 157, 80, 10}, &QVExportDlg::OnScreenshotsClicked);

    m_cbType = static_cast<QComboBox*>(add(IDC_TYPE, new QComboBox(this), {225, 48, 57, 14}));
    check(IDC_MARK, tr("Mark"), {131, 137, 94, 10}, nullptr);
    check(IDC_MARK_COMBINED, tr("Mark"), {253, 137, 94, 10}, nullptr);

    // The layout buttons are not tab stops.
    auto* layout = new QButtonGroup(this);
    for (auto [id, text, p] : {std::tuple{IDC_LEFT_RIGHT, tr("Left\\Right"), Place{253, 157, 94, 10}},
                               std::tuple{IDC_TOP_BOTTOM, tr("Top\\Bottom"), Place{253, 174, 94, 10}}}) {
        auto* radio = new QRadioButton(text, this);
        place(radio, p);
        radio->setFocusPolicy(Qt::ClickFocus);
        layout->addButton(radio, id);
        m_controls.insert(id, radio);
        connect(radio, &QRadioButton::clicked, this, &QVExportDlg::OnLayoutClicked);
    }
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

int QVExportDlg::DoModal()
{
    OnInitDialog();
    if (s_modalHook)
        return s_modalHook(*this);
    return exec();
}

bool QVExportDlg::OnInitDialog()
{
    // The documents folder does not exist on every desktop; an export into
    // it would then fail to create its folder.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        m_strPath = documents;
    else if (!m_strPictureFolder.isEmpty() && QFileInfo(m_strPictureFolder).isDir())
        m_strPath = m_strPictureFolder;
    else
        m_strPath = QDir::homePath();
    m_cbType->clear();
    // The list is sorted.
    QStringList types{QStringLiteral("BMP"), QStringLiteral("JPG"), QStringLiteral("PNG"),
                      QStringLiteral("TIF")};
    types.sort();
    m_cbType->addItems(types);
    m_nWidth = m_nCombinedWidth = Trunc(m_dImageWidth);
    m_nHeight = m_nCombinedHeight = Trunc(m_dImageHeight);
    if (!m_bScreenshotsAllowed)
        Control(IDC_SCREENSHOTS)->setEnabled(false);
    static_cast<QRadioButton*>(Control(m_bLeftRight ? IDC_LEFT_RIGHT : IDC_TOP_BOTTOM))->setChecked(true);
    UpdateData(false);
    OnBeforeAfterClicked();
    OnCombinedClicked();
    OnLayoutClicked();
    Control(IDOK_EXPORT)->setFocus();
    return true;
}

// ---- data exchange -----------------------------------------------------------------

bool QVExportDlg::ExchangeText(int id, QString& field, bool save)
{
    auto* edit = static_cast<QLineEdit*>(Control(id));
    if (!save) {
        if (edit->text() != field)
            edit->setText(field);
        return true;
    }
    if (edit->text().size() > kMaxPathChars) {
        QVMessageBox::Show(this, tr("Enter no more than %1 characters.").arg(kMaxPathChars),
                           QMessageBox::Warning);
        edit->setFocus();
        return false;
    }
    field = edit->text();
    return true;
}

bool QVExportDlg::ExchangeInt(int id, int& field, bool save)
{
    auto* edit = static_cast<QLineEdit*>(Control(id));
    if (!save) {
        const QString text = QString::number(field);
        if (edit->text() != text)
            edit->setText(text);
        return true;
    }
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    if (!ok) {
        QVMessageBox::Show(this, tr("Enter an integer."), QMessageBox::Warning);
        edit->setFocus();
        return false;
    }
    field = value;
    return true;
}

void QVExportDlg::ExchangeCheck(int id, bool& field, bool save)
{
    auto* box = static_cast<QCheckBox*>(Control(id));
    if (save)
        field = box->isChecked();
    else
        box->setChecked(field);
}

bool QVExportDlg::UpdateData(bool saveAndValidate)
{
    // The controls' own notifications are not handled while they are written.
    const bool wasInExchange = m_bInExchange;
    m_bInExchange = true;
    bool ok = ExchangeText(IDC_PATH, m_strPath, saveAndValidate) &&
              ExchangeText(IDC_NAME, m_strName, saveAndValidate);
    if (ok) {
        ExchangeCheck(IDC_BEFORE, m_bExportBefore, saveAndValidate);
        ExchangeCheck(IDC_AFTER, m_bExportAfter, saveAndValidate);
        ExchangeCheck(IDC_COMBINED, m_bExportCombined, saveAndValidate);
        ok = ExchangeInt(IDC_WIDTH, m_nWidth, saveAndValidate) &&
             ExchangeInt(IDC_HEIGHT, m_nHeight, saveAndValidate) &&
             ExchangeInt(IDC_COMBINED_WIDTH, m_nCombinedWidth, saveAndValidate) &&
             ExchangeInt(IDC_COMBINED_HEIGHT, m_nCombinedHeight, saveAndValidate);
    }
    if (ok) {
        ExchangeCheck(IDC_SCREENSHOTS, m_bScreenshots, saveAndValidate);
        if (saveAndValidate) {
            m_strType = m_cbType->currentIndex() >= 0 ? m_cbType->currentText() : QString();
        } else {
            // The first entry that begins with the type, or none.
            int match = -1;
            for (int i = 0; i < m_cbType->count() && match < 0; ++i)
                if (!m_strType.isEmpty() && m_cbType->itemText(i).startsWith(m_strType, Qt::CaseInsensitive))
                    match = i;
            m_cbType->setCurrentIndex(match);
        }
        ExchangeCheck(IDC_MARK, m_bMark, saveAndValidate);
        ExchangeCheck(IDC_MARK_COMBINED, m_bMarkCombined, saveAndValidate);
    }
    m_bInExchange = wasInExchange;
    return ok;
}

void QVExportDlg::Handle(const std::function<void()>& work)
{
    UpdateData(true);
    work();
    UpdateData(false);
}

// ---- sizes -------------------------------------------------------------------------

void QVExportDlg::BaseSize(double& width, double& height) const
{
    width = m_bScreenshots ? m_dScreenWidth : m_dImageWidth;
    height = m_bScreenshots ? m_dScreenHeight : m_dImageHeight;
}

void QVExportDlg::CombinedBaseSize(double& width, double& height) const
{
    BaseSize(width, height);
    if (m_bLeftRight)
        width *= 2;
    else
        height *= 2;
}

void QVExportDlg::ProposeCombinedSize()
{
    double width, height;
    CombinedBaseSize(width, height);
    m_nCombinedWidth = Trunc(width);
    m_nCombinedHeight = Trunc(height);
}

void QVExportDlg::Couple(int& value, int& partner, double base, double partnerBase) const
{
    if (value < m_dMinScale * base)
        value = Trunc(m_dMinScale * base);
    if (value > m_dMaxScale * base)
        value = Trunc(m_dMaxScale * base);
    // Without a base size there are no proportions to keep.
    if (base > 0)
        partner = Trunc(partnerBase * value / base);
}

void QVExportDlg::OnChangeSize(int QVExportDlg::*value, int QVExportDlg::*partner, bool combined,
                               bool byWidth)
{
    // Writing the partner back does not come here again: the exchange is on.
    if (m_bInExchange)
        return;
    Handle([=, this] {
        double width, height;
        if (combined)
            CombinedBaseSize(width, height);
        else
            BaseSize(width, height);
        Couple(this->*value, this->*partner, byWidth ? width : height, byWidth ? height : width);
    });
}

void QVExportDlg::OnChangeWidth()
{
    OnChangeSize(&QVExportDlg::m_nWidth, &QVExportDlg::m_nHeight, false, true);
}

void QVExportDlg::OnChangeHeight()
{
    OnChangeSize(&QVExportDlg::m_nHeight, &QVExportDlg::m_nWidth, false, false);
}

void QVExportDlg::OnChangeCombinedWidth()
{
    OnChangeSize(&QVExportDlg::m_nCombinedWidth, &QVExportDlg::m_nCombinedHeight, true, true);
}

void QVExportDlg::OnChangeCombinedHeight()
{
    OnChangeSize(&QVExportDlg::m_nCombinedHeight, &QVExportDlg::m_nCombinedWidth, true, false);
}

// ---- buttons -------------------------------------------------------------------------

void QVExportDlg::OnLayoutClicked()
{
    Handle([this] {
        m_bLeftRight = static_cast<QRadioButton*>(Control(IDC_LEFT_RIGHT))->isChecked();
        ProposeCombinedSize();
    });
}

void QVExportDlg::OnScreenshotsClicked()
{
    Handle([this] {
        double width, height;
        BaseSize(width, height);
        m_nWidth = Trunc(width);
        m_nHeight = Trunc(height);
        ProposeCombinedSize();
    });
}

void QVExportDlg::OnBeforeAfterClicked()
{
    Handle([this] {
        const bool enable = m_bExportBefore || m_bExportAfter;
        for (int id : {IDC_WIDTH, IDC_HEIGHT, IDC_MARK})
            Control(id)->setEnabled(enable);
    });
}

void QVExportDlg::OnCombinedClicked()
{
    Handle([this] {
        for (int id : {IDC_COMBINED_WIDTH, IDC_COMBINED_HEIGHT, IDC_MARK_COMBINED, IDC_LEFT_RIGHT,
                       IDC_TOP_BOTTOM})
            Control(id)->setEnabled(m_bExportCombined);
    });
}

void QVExportDlg::OnBrowse()
{
    UpdateData(true);
    const QString title = LoadString(IDS_SELECT_FOLDER);
    const QString folder = s_folderHook ? s_folderHook(this, title, m_strPath)
                                        : QFileDialog::getExistingDirectory(this, title, m_strPath);
    if (folder.isEmpty())
        return;
    m_strPath = folder;
    UpdateData(false);
}

void QVExportDlg::OnExportClicked()
{
    // One transfer with its checks: a wrong entry is reported once.
    if (!UpdateData(true))
        return;
    // A type the list lacks (GIF) proposes none; without one there is
    // nothing to write the pictures as.
    if (m_strType.isEmpty()) {
        QVMessageBox::Show(this, tr("Choose a file type for the exported pictures."),
                           QMessageBox::Warning);
        m_cbType->setFocus();
        return;
    }
    accept();
}
