#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <mutex>

class QWidget;

// Long work (a save, an export) on a worker thread while the window keeps
// painting. The work starts at once. For its first moment no dialog shows
// and the user's input waits (a short save ends before anyone would notice);
// then a modal progress dialog (QVProgressDlg) shows how far it is and offers
// Cancel, which asks the work to stop at its next step. Either way no input
// reaches the program's windows until the work has finished, so what the work
// reads cannot be edited under it. One task runs at a time.
class QVBackgroundTask
{
public:
    // What the work, on its worker thread, tells the dialog and asks of it.
    class Progress
    {
    public:
        // done of total; a total of 0 shows a busy bar (how far is not known).
        void Set(int64_t done, int64_t total);
        void SetText(const QString& text);
        bool IsCancelled() const;

    private:
        friend class QVBackgroundTask;
        void Cancel();
        void Read(int64_t& done, int64_t& total) const;
        // The text, when it changed since it was last taken.
        bool TakeText(QString& text);

        mutable std::mutex m_mutex;
        int64_t m_nDone = 0;
        int64_t m_nTotal = 0;
        QString m_strText;
        bool m_bTextChanged = false;
        bool m_bCancelled = false;
    };

    using Work = std::function<bool(Progress& progress)>;

    // parent: the window the dialog belongs to; text: what it says first.
    QVBackgroundTask(QWidget* parent, const QString& text);
    QVBackgroundTask(const QVBackgroundTask&) = delete;
    QVBackgroundTask& operator=(const QVBackgroundTask&) = delete;

    // Runs work on a worker thread and returns its result once it has
    // finished. False at once, without running it, while another task runs.
    bool Run(const Work& work);
    // The user asked the work to stop (what it did about it is its result).
    bool WasCancelled() const { return m_progress.IsCancelled(); }

    static bool IsRunning() { return s_bRunning; }
    // How long the work runs before the dialog shows; tests show it at once.
    static void SetShowDelay(int milliseconds) { s_nShowDelayMs = milliseconds; }
    static constexpr int kDefaultShowDelayMs = 500;

private:
    QWidget* m_pParent;
    QString m_strText;
    Progress m_progress;

    static bool s_bRunning;
    static int s_nShowDelayMs;
};
