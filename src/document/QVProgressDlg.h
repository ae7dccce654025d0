#pragma once

#include <QDialog>

#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

// The modal dialog of a long save or export: what is being done, a bar of how
// far it is, and Cancel. Cancel, Esc and the window's close button only ask
// for the work to stop (cancelRequested); the dialog stays, saying so, until
// the work has stopped, and whoever runs the work closes it then.
class QVProgressDlg : public QDialog
{
    Q_OBJECT

public:
    // The bar's steps: fine enough for a smooth bar, coarse enough that the
    // updates of a fast save do not all repaint it.
    static constexpr int kBarSteps = 1000;

    explicit QVProgressDlg(QWidget* parent, const QString& text);

    void SetText(const QString& text);
    // done of total; a total of 0 (how far is not known yet) shows a busy bar.
    // The bar reaches its end only when the dialog goes.
    void SetProgress(int64_t done, int64_t total);

public slots:
    void reject() override;

signals:
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void RequestCancel();

    QLabel* m_pLabel;
    QProgressBar* m_pBar;
    QPushButton* m_pCancel;
    bool m_bCancelRequested = false;
};
