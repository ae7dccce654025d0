#include "QVProgressDlg.h"

#include "res/QVStrings.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Wide enough for a long file name on one line; it wraps beyond that.
constexpr int kMinimumWidth = 420;

} // namespace

QVProgressDlg::QVProgressDlg(QWidget* parent, const QString& text) : QDialog(parent)
{
    setWindowTitle(LoadString(IDS_APP_TITLE));
    setWindowModality(Qt::ApplicationModal);
    // The work decides when it is over: a title and the close button (which
    // asks to cancel), no help, no minimising, no resizing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    m_pLabel = new QLabel(text, this);
    m_pLabel->setWordWrap(true);
    m_pLabel->setMinimumWidth(kMinimumWidth);
    m_pBar = new QProgressBar(this);
    m_pBar->setRange(0, 0);
    auto* buttons = new QDialogButtonBox(this);
    m_pCancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    connect(m_pCancel, &QPushButton::clicked, this, &QVProgressDlg::RequestCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pLabel);
    layout->addWidget(m_pBar);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void QVProgressDlg::SetText(const QString& text)
{
    if (!m_bCancelRequested)
        m_pLabel->setText(text);
}

void QVProgressDlg::SetProgress(int64_t done, int64_t total)
{
    if (total <= 0) {
        m_pBar->setRange(0, 0);
        return;
    }
    m_pBar->setRange(0, kBarSteps);
    // An estimated total can be passed; the bar then waits just short of its end.
    const int64_t steps = std::clamp<int64_t>(done, 0, total) * kBarSteps / total;
    m_pBar->setValue(int(std::min<int64_t>(steps, kBarSteps - 1)));
}

void QVProgressDlg::reject()
{
    // Esc asks the work to stop; the dialog goes when it has.
    RequestCancel();
}

void QVProgressDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
    RequestCancel();
}

void QVProgressDlg::RequestCancel()
{
    if (m_bCancelRequested)
        return;
    m_bCancelRequested = true;
    m_pLabel->setText(tr("Cancelling..."));
    m_pCancel->setEnabled(false);
    emit cancelRequested();
}
