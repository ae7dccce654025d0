#include "QVBackgroundTask.h"

#include "QVProgressDlg.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>
#include <new>

bool QVBackgroundTask::s_bRunning = false;
int QVBackgroundTask::s_nShowDelayMs = QVBackgroundTask::kDefaultShowDelayMs;

namespace {

// How often the dialog reads the work's progress: often enough for a smooth
// bar, and a save that reports every few kilobytes does not flood the event
// queue with updates.
constexpr int kPollIntervalMs = 50;

} // namespace

void QVBackgroundTask::Progress::Set(int64_t done, int64_t total)
{
    const std::lock_guard lock(m_mutex);
    m_nDone = done;
    m_nTotal = total;
}

void QVBackgroundTask::Progress::SetText(const QString& text)
{
    const std::lock_guard lock(m_mutex);
    m_strText = text;
    m_bTextChanged = true;
}

bool QVBackgroundTask::Progress::IsCancelled() const
{
    const std::lock_guard lock(m_mutex);
    return m_bCancelled;
}

void QVBackgroundTask::Progress::Cancel()
{
    const std::lock_guard lock(m_mutex);
    m_bCancelled = true;
}

void QVBackgroundTask::Progress::Read(int64_t& done, int64_t& total) const
{
    const std::lock_guard lock(m_mutex);
    done = m_nDone;
    total = m_nTotal;
}

bool QVBackgroundTask::Progress::TakeText(QString& text)
{
    const std::lock_guard lock(m_mutex);
    if (!m_bTextChanged)
        return false;
    text = m_strText;
    m_bTextChanged = false;
    return true;
}

QVBackgroundTask::QVBackgroundTask(QWidget* parent, const QString& text)
    : m_pParent(parent), m_strText(text)
{
}

bool QVBackgroundTask::Run(const Work& work)
{
    if (s_bRunning)
        return false;
    s_bRunning = true;
    struct Running
    {
        ~Running() { s_bRunning = false; }
    } running;

    QEventLoop loop;
    std::atomic<bool> finished{false};
    bool result = false;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        // Memory the work cannot get (a container of the encoders, say) makes
        // it fail like any other failure, rather than end the program.
        try {
            result = work(m_progress);
        } catch (const std::bad_alloc&) {
            result = false;
        }
        finished = true;
        // Ends whichever wait below is running; a wait that starts later sees
        // `finished` and does not begin.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    }));
    worker->start();

    // The first moment: painting, timers and the work's end are handled, the
    // user's input waits (it is not lost) behind a busy cursor.
    if (s_nShowDelayMs > 0) {
        QTimer moment;
        moment.setSingleShot(true);
        QObject::connect(&moment, &QTimer::timeout, &loop, &QEventLoop::quit);
        moment.start(s_nShowDelayMs);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        QApplication::restoreOverrideCursor();
    }

    if (!finished) {
        // Modal: the program's windows still paint but take no input.
        QVProgressDlg dialog(m_pParent, m_strText);
        QObject::connect(&dialog, &QVProgressDlg::cancelRequested, &dialog,
                         [this] { m_progress.Cancel(); });
        auto update = [this, &dialog] {
            int64_t done = 0, total = 0;
            m_progress.Read(done, total);
            dialog.SetProgress(done, total);
            QString text;
            if (m_progress.TakeText(text))
                dialog.SetText(text);
        };
        update();
        QTimer poll;
        poll.setInterval(kPollIntervalMs);
        QObject::connect(&poll, &QTimer::timeout, &dialog, update);
        dialog.show();
        poll.start();
        while (!finished)
            loop.exec();
        poll.stop();
        dialog.hide();
    }
    worker->wait();
    return result;
}
