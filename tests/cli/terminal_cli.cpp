// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal_cli.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <cstdlib>

#include "cli_process.h"

namespace quarnix::test {

TerminalCli::TerminalCli(const std::vector<std::string>& arguments)
    : TerminalCli([&arguments] { ExecCli(arguments); }) {}

TerminalCli::TerminalCli(const ShellScript& script)
    : TerminalCli([&script] {
          ::setenv("CLI", QUARNIX_CLI_PATH, 1);
          ::execl("/bin/bash", "bash", "-c", script.Text.c_str(), nullptr);
          ::_exit(127);
      }) {}

TerminalCli::TerminalCli(const std::function<void()>& exec) {
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
        std::abort();
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ResetSignals();
        ::close(master_);
        ::login_tty(slave_);  // a session of its own, with the terminal as its own
        exec();
        ::_exit(127);
    }
}

TerminalCli::~TerminalCli() {
    if (!reaped_) {
        ::kill(pid_, SIGKILL);
        WaitCli(pid_);
    }
    ::close(master_);
    ::close(slave_);
}

bool TerminalCli::ReadSome(bool wait) {
    // Looks again now and then whether the tool has ended: with the slave
    // side open here, the terminal never reports the end itself.
    pollfd ready{master_, POLLIN, 0};
    if (::poll(&ready, 1, wait ? 100 : 0) <= 0) {
        return false;
    }
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) {
        return false;
    }
    seen_.append(buffer, static_cast<std::size_t>(n));
    return true;
}

bool TerminalCli::ReadUntil(const std::string& text, int times) {
    const auto count = [&] {
        int found = 0;
        for (std::size_t at = seen_.find(text); at != std::string::npos;
             at = seen_.find(text, at + text.size())) {
            ++found;
        }
        return found;
    };
    const Deadline deadline;
    while (count() < times) {
        if (deadline.Passed()) {
            ADD_FAILURE() << "\"" << text << "\" has not come " << times << " time(s) from "
                          << "quarnix-cli's terminal after " << PatienceSeconds << " s. It wrote:\n"
                          << seen_;
            return false;
        }
        if (!ReadSome(true) && !Running(pid_)) {
            while (ReadSome(false)) {
            }
            return count() >= times;
        }
    }
    return true;
}

void TerminalCli::Type(const std::string& text) {
    if (::write(master_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        std::abort();
    }
}

bool TerminalCli::EchoOn() const {
    termios settings{};
    return ::tcgetattr(slave_, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
}

int TerminalCli::Wait() {
    const Deadline deadline;
    while (Running(pid_)) {
        if (deadline.Passed()) {
            ADD_FAILURE() << "The program on the terminal has not ended after " << PatienceSeconds
                          << " s; killed. It wrote:\n"
                          << seen_;
            ::kill(pid_, SIGKILL);
            break;
        }
        ReadSome(true);
    }
    while (ReadSome(false)) {
    }
    reaped_ = true;
    return WaitCli(pid_);
}

}  // namespace quarnix::test
