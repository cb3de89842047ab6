// SPDX-License-Identifier: GPL-3.0-or-later
#include "interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace quarnix::cli {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The hidden prompt, written before `promptShown` is set and read by the
// handlers only while it is set.
std::atomic<bool> promptShown{false};
termios visibleTerminal{};
termios hiddenTerminal{};
std::string_view promptText;
struct sigaction stopBefore {};  // how SIGTSTP was handled before the prompt

constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void OnSignal(int) {
    const int savedErrno = errno;
    interrupted.store(true);
    if (promptShown.load()) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &visibleTerminal);
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
        ::tcsetattr(STDIN_FILENO, TCSANOW, &visibleTerminal);
    }
    ::raise(SIGTSTP);  // the default action again (SA_RESETHAND): stops here
    InstallStopHandler();
    if (promptShown.load()) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &hiddenTerminal);
        [[maybe_unused]] ssize_t n = ::write(STDERR_FILENO, "\n", 1);
        n = ::write(STDERR_FILENO, promptText.data(), promptText.size());
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
        ::sigaction(signal, &action, nullptr);
    }
}

bool InterruptRequested() {
    return interrupted.load();
}

void BeginHiddenPrompt(const termios& visible, const termios& hidden, std::string_view prompt) {
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
