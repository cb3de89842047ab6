// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ctrl+C (SIGINT), SIGTERM, SIGHUP and SIGQUIT ask the running command to
// stop between two chunks; the file then stays as it was. A second signal
// ends the tool at once, which is safe too: the file is at every moment
// wholly old or new. Once a file's work can no longer be dropped, the signals
// are held until it is done and reported. After its clean-up the tool ends by
// the signal it got, so that the shell or script that called it stops too.
// A signal that was ignored when the tool started (nohup, a background job)
// stays ignored.
//
// While a password is asked with echo off, the signals also put the terminal
// back as it was, so that no way out of the prompt leaves echo off.

#include <signal.h>
#include <termios.h>

#include <string_view>

namespace quarnix::cli {

// Installs the handlers, without SA_RESTART, so that a blocking read of a
// password returns at the signal.
void InstallInterruptHandlers();

// True once a signal arrived.
bool InterruptRequested();

// The signals that set InterruptRequested, for a wait that must not miss one
// that arrives just before it begins (block them, check, then ppoll).
sigset_t InterruptSignals();

// Holds the signals back from now until ReleaseInterrupts: the work under way
// runs to its end and is reported first.
void HoldInterrupts();
void ReleaseInterrupts();

// When a signal arrived: ends the tool by that signal, with its default action
// (and without a core file, which could hold a password). Otherwise returns.
void EndByInterruptSignal();

// From now until EndHiddenPrompt, a signal that ends the tool first sets the
// terminal `terminal` to `visible`. Ctrl+Z (SIGTSTP) sets `visible`, stops the
// tool as usual and, once it is continued, sets `hidden` again and shows
// `prompt` anew on the same terminal. `prompt` must outlive the prompt.
void BeginHiddenPrompt(int terminal, const termios& visible, const termios& hidden,
                       std::string_view prompt);
void EndHiddenPrompt();

}  // namespace quarnix::cli
