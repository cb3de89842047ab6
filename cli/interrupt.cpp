// SPDX-License-Identifier: GPL-3.0-or-later
#include "interrupt.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace quarnix::cli {
namespace {

// The first signal that asked the tool to stop, 0 before any.
std::atomic<int> received{0};
static_assert(std::atomic<int>::is_always_lock_free);

// The hidden prompt, written before `promptShown` is set and read by the
// handlers only while it is set.
std::atomic<bool> promptShown{false};
int promptTerminal = -1;
termios visibleTerminal{};
termios hiddenTerminal{};
std::string_view promptText;
struct sigaction stopBefore {};  // how SIGTSTP was handled before the prompt

constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void OnSignal(int signal) {
    const int savedErrno = errno;
    int none = 0;
    received.compare_exchange_strong(none, signal);
    if (promptShown.load()) {
        ::tcsetattr(promptTerminal, TCSANOW, &visibleTerminal);
    }
    errno = savedErrno;
}

void InstallStopHandler();

// Ctrl+Z at the prompt: echo on while stopped, off again with the prompt
// repeated once continued. The terminal drops what was typed of the line
// when it sends the signal, so the whole password is typed again.
void OnStop(int) {
    const int savedErrno = errno;
    if (promptShown.load()) {
        ::tcsetattr(promptTerminal, TCSANOW, &visibleTerminal);
    }
    ::raise(SIGTSTP);  // the default action again (SA_RESETHAND): stops here
    InstallStopHandler();
    if (promptShown.load()) {
        ::tcsetattr(promptTerminal, TCSANOW, &hiddenTerminal);
        [[maybe_unused]] ssize_t n = ::write(promptTerminal, "\n", 1);
        n = ::write(promptTerminal, promptText.data(), promptText.size());
    }
    errno = savedErrno;
}

void InstallStopHandler() {
    struct sigaction action {};
    action.sa_handler = OnStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    ::sigaction(SIGTSTP, &action, nullptr);
}

}  // namespace

sigset_t InterruptSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : EndingSignals) {
        sigaddset(&signals, signal);
    }
    return signals;
}

void InstallInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_mask = InterruptSignals();
    action.sa_flags = SA_RESETHAND;  // the second signal takes its default effect
    for (const int signal : EndingSignals) {
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

bool InterruptRequested() {
    return received.load() != 0;
}

void HoldInterrupts() {
    const sigset_t signals = InterruptSignals();
    ::sigprocmask(SIG_BLOCK, &signals, nullptr);
}

void ReleaseInterrupts() {
    const sigset_t signals = InterruptSignals();
    ::sigprocmask(SIG_UNBLOCK, &signals, nullptr);
}

void EndByInterruptSignal() {
    const int signal = received.load();
    if (signal == 0) {
        return;
    }
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);  // not reached: the default action of each ends the process
}

void BeginHiddenPrompt(int terminal, const termios& visible, const termios& hidden,
                       std::string_view prompt) {
    promptTerminal = terminal;
    visibleTerminal = visible;
    hiddenTerminal = hidden;
    promptText = prompt;
    promptShown.store(true);
    ::sigaction(SIGTSTP, nullptr, &stopBefore);
    if (stopBefore.sa_handler != SIG_IGN) {  // a shell without job control ignores it
        InstallStopHandler();
    }
}

void EndHiddenPrompt() {
    promptShown.store(false);
    ::sigaction(SIGTSTP, &stopBefore, nullptr);
}

}  // namespace quarnix::cli
