// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One command's file work, run on a thread of its own while the user-interface
// thread keeps the window drawn. The window takes no input meanwhile, so that
// the request stays the one handed over; when the work lasts longer than
// ShowProgressAfter, a progress dialog shows the phase, the percentage
// and a "取消" button until the work ends.

#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "engine/commands.h"
#include "modal_dialogs.h"

class QObject;
class QWidget;

namespace quarnix {

class CommandWork {
  public:
    using Command = CommandOutcome (*)(const CryptRequest&, const CommandHooks&, FileOps*);
    // Asked on the user-interface thread while the work waits, when the command
    // shows the start of the file as it is and as the work would leave it
    // (CommandHooks::ConfirmContent); true goes on.
    using ContentQuestion = std::function<bool(const ContentPreview&)>;

    static constexpr std::chrono::milliseconds ShowProgressAfter{500};
    // How long work runs before its progress dialog opens: ShowProgressAfter,
    // unless tests that must not depend on the machine's speed lengthen it.
    void SetProgressDelay(std::chrono::milliseconds delay) { progressDelay_ = delay; }
    static constexpr std::chrono::milliseconds RefreshEvery{50};

    // `window` is the one kept still and owning the progress dialog.
    CommandWork(QWidget& window, ModalDialogs& dialogs);
    ~CommandWork();

    // Runs `command` on another thread and answers its outcome once it has
    // ended, the user-interface events handled meanwhile. `rewriteText` names
    // the rewrite phase in the progress dialog. The command is given no
    // ConfirmDecrypt: the caller asks that before. `askContent` answers the
    // command's ConfirmContent; the progress dialog does not open while it asks.
    CommandOutcome Run(Command command, const CryptRequest& request, FileOps* files,
                       const QString& rewriteText, const ContentQuestion& askContent);

    bool Running() const { return running_; }

    // Past the point where the work can be dropped: a cancel would no longer
    // be taken. User-interface thread only.
    bool Committed() const { return committed_.load(std::memory_order_relaxed); }

    // The work stops at its next check, leaving the file unchanged, unless it
    // is already past its last check. User-interface thread only.
    void RequestCancel();

  private:
    void OpenProgress();
    void RefreshProgress();
    // Worker thread: has `ask` answered through `relay`, an object of the
    // user-interface thread, and waits for the answer. No when Run stops
    // waiting for the work first.
    bool AskFromWork(QObject& relay, const std::function<bool()>& ask);

    QWidget& window_;
    ModalDialogs& dialogs_;
    std::chrono::milliseconds progressDelay_ = ShowProgressAfter;
    bool running_ = false;
    QString rewriteText_;
    std::unique_ptr<ProgressDisplay> display_;
    int shownReport_ = 0;
    bool shownCancelling_ = false;
    bool shownCommitted_ = false;

    // Shared with the worker thread; each word on its own.
    std::atomic<bool> cancel_{false};
    std::atomic<bool> committed_{false};  // CommandHooks::Committing was called
    std::atomic<int> report_{-1};         // see PackReport in command_work.cpp

    // A question the worker waits on, answered by the user-interface thread.
    std::mutex questionMutex_;
    std::condition_variable questionDone_;
    std::optional<bool> answer_;
    bool abandoned_ = false;
};

}  // namespace quarnix
