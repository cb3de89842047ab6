// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs quarnix-cli as a child process: its standard input from a text, its
// standard output and error captured, or started in the background to be
// signalled. Outside a terminal of the test's own the child has none: it runs
// in a session of its own, as under cron or a service. Every child starts with
// all signals at their default action and none blocked, whatever the test
// itself inherited (nohup ignores SIGHUP, for one).
//
// No wait here lasts longer than PatienceSeconds: a tool that has not done
// what the test waits for by then fails the test, with what it waited for, and
// is killed. This guards the suite against a hang; it measures no speed.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace quarnix::test {

inline constexpr int PatienceSeconds = 60;

// The end of one wait: PatienceSeconds from its start.
class Deadline {
  public:
    using Clock = std::chrono::steady_clock;

    bool Passed() const { return Clock::now() >= end_; }
    int MillisecondsLeft() const;  // for poll(2); at least 0

  private:
    Clock::time_point end_ = Clock::now() + std::chrono::seconds(PatienceSeconds);
};

// In a forked child, before it starts a program: every signal at its default
// action and none blocked, as in a program started from a fresh shell.
void ResetSignals();

// Starts quarnix-cli in the forked child with `arguments`; never returns.
[[noreturn]] void ExecCli(const std::vector<std::string>& arguments);

struct CliResult {
    int status = -1;  // exit status, or -signal when a signal ended it
    std::string errors;
    std::string output;
};

// All that the file at `path` holds; empty when it cannot be read.
std::string FileText(const std::string& path);

// Runs to its end; `input` is standard input (a pipe, so not a terminal).
// `inChild` runs in the child just before the tool starts (to change its user, say).
CliResult RunCli(const std::vector<std::string>& arguments, const std::string& input,
                 const std::function<void()>& inChild = {});

// As RunCli, with standard input a regular file holding `input`, shared with
// the caller as a shell shares it between the commands of a script;
// `consumed` receives how far the tool read into it.
CliResult RunCliOnFile(const std::vector<std::string>& arguments, const std::string& input,
                       long long* consumed);

// Starts in the background with standard input `input` and standard error
// into the file `errors`, in the caller's working folder; `inChild` as for RunCli.
pid_t StartCli(const std::vector<std::string>& arguments, const std::string& input,
               const std::string& errors = "/dev/null", const std::function<void()>& inChild = {});

// Waits for the child; the exit status or -signal.
int WaitCli(pid_t pid);

// True while the process has not ended (it may be a zombie not yet reaped).
bool Running(pid_t pid);

}  // namespace quarnix::test
