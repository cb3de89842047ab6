// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_work.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdint>

#include "input_blocker.h"
#include "main_window_texts.h"

namespace quarnix {

namespace {

// The worker's last report in one word, so that the user-interface thread
// never reads a phase with another phase's percentage: phase * 1000 + percent.
constexpr int NoReport = -1;
// Below every report: nothing is shown yet.
constexpr int NothingShown = -2;

int PackReport(WorkPhase phase, std::uint64_t done, std::uint64_t total) {
    const int percent =
        total == 0 ? 0 : static_cast<int>(static_cast<double>(std::min(done, total)) * 100 / total);
    return static_cast<int>(phase) * 1000 + percent;
}

WorkPhase ReportPhase(int report) {
    return static_cast<WorkPhase>(report / 1000);
}

int ReportPercent(int report) {
    return report % 1000;
}

}  // namespace

CommandWork::CommandWork(QWidget& window, ModalDialogs& dialogs)
    : window_(window), dialogs_(dialogs) {}

CommandWork::~CommandWork() = default;

CommandOutcome CommandWork::Run(Command command, const CryptRequest& request, FileOps* files,
                                const QString& rewriteText, const ContentQuestion& askContent) {
    Q_ASSERT(!running_);
    running_ = true;
    rewriteText_ = rewriteText;
    shownReport_ = NothingShown;
    cancel_.store(false);
    committed_.store(false);
    shownCommitted_ = false;
    report_.store(NoReport);
    abandoned_ = false;

    QEventLoop loop;
    QTimer showTimer;
    showTimer.setSingleShot(true);
    QObject::connect(&showTimer, &QTimer::timeout, &showTimer, [this] { OpenProgress(); });
    QTimer refreshTimer;
    QObject::connect(&refreshTimer, &QTimer::timeout, &refreshTimer, [this] { RefreshProgress(); });

    // Called on the worker thread between chunks: one store, one load.
    CommandHooks hooks;
    hooks.Progress = [this](WorkPhase phase, std::uint64_t done, std::uint64_t total) {
        report_.store(PackReport(phase, done, total), std::memory_order_relaxed);
    };
    hooks.CancelRequested = [this] { return cancel_.load(std::memory_order_relaxed); };
    // The dialog learns of it at its next refresh, at most RefreshEvery later.
    hooks.Committing = [this] { committed_.store(true, std::memory_order_relaxed); };
    hooks.ConfirmContent = [this, &loop, &showTimer, &askContent](const ContentPreview& preview) {
        return AskFromWork(loop, [this, &showTimer, &askContent, &preview] {
            if (cancel_.load(std::memory_order_relaxed)) {
                return false;  // asked to stop already (the window's close box)
            }
            // The time spent answering is no time the work takes.
            showTimer.stop();
            const bool yes = askContent(preview);
            if (display_ == nullptr) {
                showTimer.start(progressDelay_);
            }
            return yes;
        });
    };

    CommandOutcome outcome;
    const std::unique_ptr<QThread> worker(
        QThread::create([&outcome, &hooks, &request, command, files] {
            outcome = command(request, hooks, files);
        }));
    const InputBlocker blocker(&window_);
    bool ended = false;
    QObject::connect(worker.get(), &QThread::finished, &loop, [&ended, &loop] {
        ended = true;
        loop.quit();
    });

    worker->start();
    showTimer.start(progressDelay_);
    refreshTimer.start(RefreshEvery);
    loop.exec();
    if (!ended) {
        // The event loop was ended from outside (the program is quitting):
        // stop the work safely, without an answer to a question, and wait for it.
        RequestCancel();
        const std::lock_guard lock(questionMutex_);
        abandoned_ = true;
        questionDone_.notify_all();
    }
    worker->wait();  // the outcome is complete once the thread has ended
    display_.reset();
    running_ = false;
    return outcome;
}

bool CommandWork::AskFromWork(QObject& relay, const std::function<bool()>& ask) {
    {
        const std::lock_guard lock(questionMutex_);
        answer_.reset();
    }
    QMetaObject::invokeMethod(
        &relay,
        [this, &ask] {
            const bool yes = ask();
            const std::lock_guard lock(questionMutex_);
            answer_ = yes;
            questionDone_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(questionMutex_);
    questionDone_.wait(lock, [this] { return answer_.has_value() || abandoned_; });
    return answer_.value_or(false);
}

void CommandWork::RequestCancel() {
    if (!running_ || Committed()) {
        return;
    }
    cancel_.store(true, std::memory_order_relaxed);
    if (display_ != nullptr) {
        display_->DisableCancel();
        RefreshProgress();
    }
}

void CommandWork::OpenProgress() {
    // Closing the dialog closes the window, which asks whether to stop the work.
    display_ = dialogs_.OpenProgress(
        window_.windowTitle(), [this] { RequestCancel(); }, [this] { window_.close(); });
    if (cancel_.load(std::memory_order_relaxed)) {
        display_->DisableCancel();  // asked before the dialog opened (the window's close box)
    }
    RefreshProgress();
}

// Shows the worker's last report when it has changed since the last look.
void CommandWork::RefreshProgress() {
    if (display_ == nullptr) {
        return;
    }
    const int report = report_.load(std::memory_order_relaxed);
    const bool cancelling = cancel_.load(std::memory_order_relaxed);
    const bool committed = Committed();
    if (report == shownReport_ && cancelling == shownCancelling_ && committed == shownCommitted_) {
        return;
    }
    if (committed && !shownCommitted_) {
        display_->DisableCancel();  // a late click would be taken and do nothing
    }
    shownReport_ = report;
    shownCancelling_ = cancelling;
    shownCommitted_ = committed;
    int percent = report == NoReport ? 0 : ReportPercent(report);
    QString text = rewriteText_;  // before the first report: what the command does
    const WorkPhase phase = report == NoReport ? WorkPhase::Rewrite : ReportPhase(report);
    if (phase == WorkPhase::Flush) {
        percent = -1;  // a flush cannot tell how far it is
    }
    if (committed) {
        text = texts::Q(texts::ProgressCompleting);
    } else if (phase == WorkPhase::Flush) {
        text = texts::Q(texts::ProgressFlush);
    } else if (cancelling) {
        text = texts::Q(texts::ProgressCancelling);
    } else if (phase == WorkPhase::BackupCopy) {
        text = texts::Q(texts::ProgressBackup);
    }
    display_->Update(text, percent);
}

}  // namespace quarnix
