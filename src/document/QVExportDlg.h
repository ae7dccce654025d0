#pragma once

#include <QDialog>
#include <QHash>

#include <functional>

class QButtonGroup;
class QComboBox;
class QWidget;

// The "Export" dialog: output folder and name, file type, which pictures to
// write and their sizes. Widths and heights follow each other so that every
// picture keeps its source's proportions, limited to five times the source.
// Fields and controls are kept apart and exchanged with UpdateData, so a field
// keeps its last good value when a box holds something that is not a number.
class QVExportDlg : public QDialog
{
    Q_OBJECT

public:
    enum ControlId {
        IDC_PATH = 1001,
        IDC_BROWSE = 1002,
        IDC_NAME = 1003,
        IDC_TYPE = 1004,
        IDC_BEFORE = 1005,
        IDC_AFTER = 1006,
        IDC_COMBINED = 1007,
        IDC_SCREENSHOTS = 1008,
        IDC_WIDTH = 1009,
        IDC_HEIGHT = 1010,
        IDC_COMBINED_WIDTH = 1011,
        IDC_COMBINED_HEIGHT = 1012,
        IDC_MARK = 1013,
        IDC_MARK_COMBINED = 1014,
        IDC_LEFT_RIGHT = 1018,
        IDC_TOP_BOTTOM = 1019,
        IDOK_EXPORT = 1,
        IDCANCEL_EXPORT = 2,
    };
    static constexpr int kMaxPathChars = 260;

    explicit QVExportDlg(QWidget* parent = nullptr);

    // Shows the dialog modally; QDialog::Accepted when Export closed it. Tests
    // install a hook that drives the open dialog and answers instead.
    using ModalHook = std::function<int(QVExportDlg& dialog)>;
    int DoModal();
    static void SetModalHook(ModalHook hook);
    // Asks for a folder; tests replace the folder browser.
    using FolderHook = std::function<QString(QWidget* parent, const QString& title,
                                             const QString& start)>;
    static void SetFolderHook(FolderHook hook);

    bool OnInitDialog();
    // true: controls -> fields, with the checks; false: fields -> controls.
    bool UpdateData(bool saveAndValidate);
    QWidget* Control(int id) const { return m_controls.value(id); }

    void OnLayoutClicked();
    void OnBeforeAfterClicked();
    void OnCombinedClicked();
    void OnScreenshotsClicked();
    void OnBrowse();
    void OnExportClicked();
    void OnChangeWidth();
    void OnChangeHeight();
    void OnChangeCombinedWidth();
    void OnChangeCombinedHeight();

    QString m_strPath;
    QString m_strName;
    QString m_strType;
    bool m_bExportBefore = true;
    bool m_bExportAfter = true;
    bool m_bExportCombined = true;
    bool m_bScreenshots = false;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nCombinedWidth = 0;
    int m_nCombinedHeight = 0;
    QComboBox* m_cbType = nullptr;
    bool m_bMark = false;
    bool m_bMarkCombined = false;
    bool m_bLeftRight = true;
    double m_dImageWidth = 0.0;
    double m_dImageHeight = 0.0;
    double m_dScreenWidth = 0.0;
    double m_dScreenHeight = 0.0;
    double m_dMaxScale = 5.0;
    double m_dMinScale = 0.0;
    bool m_bScreenshotsAllowed = true;
    // Where the export starts when the user's documents folder does not exist:
    // the picture's own folder (the home folder when this one is missing too).
    QString m_strPictureFolder;

private:
    void CreateControls();
    // The base size of the before and after pictures, and of the combined one.
    void BaseSize(double& width, double& height) const;
    void CombinedBaseSize(double& width, double& height) const;
    void ProposeCombinedSize();
    // A size box changed: clamp it and make its partner keep the proportions.
    void OnChangeSize(int QVExportDlg::*value, int QVExportDlg::*partner, bool combined,
                      bool byWidth);
    // Clamps value to the scales of base and returns the partner dimension.
    void Couple(int& value, int& partner, double base, double partnerBase) const;
    bool ExchangeText(int id, QString& field, bool save);
    bool ExchangeInt(int id, int& field, bool save);
    void ExchangeCheck(int id, bool& field, bool save);
    // A handler runs between two exchanges; the notifications of the controls
    // it writes are not handled meanwhile.
    void Handle(const std::function<void()>& work);

    QHash<int, QWidget*> m_controls;
    bool m_bInExchange = false;
    static ModalHook s_modalHook;
    static FolderHook s_folderHook;
};
