// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// quarnix-cli, or a shell script that calls it, on a terminal of its own, for
// the tests of what it asks and shows there.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace quarnix::test {

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
