// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs quarnix-cli as a child process: its standard input from a text, its
// standard output and error captured, or started in the background to be
// signalled. Outside a terminal of the test's own the child has none: it runs
// in a session of its own, as under cron or a service.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace quarnix::test {

struct CliResult {
    int status = -1;  // exit status, or -signal when a signal ended it
    std::string errors;
    std::string output;
};

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
// into the file `errors`, in the caller's working folder.
pid_t StartCli(const std::vector<std::string>& arguments, const std::string& input,
               const std::string& errors = "/dev/null");

// Waits for the child; the exit status or -signal.
int WaitCli(pid_t pid);

// Sizes of the files the process has open without a name (O_TMPFILE) or
// under a hidden temporary name.
std::vector<long long> OpenTempFileSizes(pid_t pid);

// True while the process has not ended (it may be a zombie not yet reaped).
bool Running(pid_t pid);

// A shell script run by bash, in which "$CLI" is quarnix-cli.
struct ShellScript {
    std::string Text;
};

// quarnix-cli run on a terminal of its own (a pseudo-terminal whose slave
// side the test keeps open, so that its settings can be read after the tool
// has ended), in the caller's working folder. The terminal is the session's
// controlling terminal, so that Ctrl+C reaches its whole foreground group.
class TerminalCli {
  public:
    explicit TerminalCli(const std::vector<std::string>& arguments);
    explicit TerminalCli(const ShellScript& script);
    ~TerminalCli();
    TerminalCli(const TerminalCli&) = delete;
    TerminalCli& operator=(const TerminalCli&) = delete;

    // Reads what the tool writes until `text` has come `times` times in all;
    // false when the tool ended first.
    bool ReadUntil(const std::string& text, int times = 1);
    void Type(const std::string& text);  // as typed on the keyboard
    bool EchoOn() const;
    int Wait();  // once: reads what is left; the exit status or -signal
    pid_t Pid() const { return pid_; }
    const std::string& Seen() const { return seen_; }

  private:
    // Forks; `exec` starts the program in the child, on the terminal.
    explicit TerminalCli(const std::function<void()>& exec);
    bool ReadSome(bool wait);

    int master_ = -1;
    int slave_ = -1;
    pid_t pid_ = -1;
    bool reaped_ = false;
    std::string seen_;
};

}  // namespace quarnix::test
