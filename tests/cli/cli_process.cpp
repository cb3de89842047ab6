// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <cstdlib>
#include <filesystem>

namespace quarnix::test {
namespace {

// Execs quarnix-cli in the child; never returns.
[[noreturn]] void Exec(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    std::string program = QUARNIX_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

// A pipe whose read end holds `input`, complete (inputs are small).
int InputPipe(const std::string& input) {
    int fds[2];
    if (::pipe(fds) != 0) {
        std::abort();
    }
    if (::write(fds[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
        std::abort();
    }
    ::close(fds[1]);
    return fds[0];
}

// An unnamed regular file holding `input`, read from its start.
int InputFile(const std::string& input) {
    const int fd = ::open(".", O_TMPFILE | O_RDWR, 0600);
    if (fd < 0 || ::write(fd, input.data(), input.size()) != static_cast<ssize_t>(input.size()) ||
        ::lseek(fd, 0, SEEK_SET) != 0) {
        std::abort();
    }
    return fd;
}

// Runs the tool with standard input `in`, which stays open.
CliResult RunWithInput(const std::vector<std::string>& arguments, int in,
                       const std::function<void()>& inChild) {
    int err[2];
    if (::pipe(err) != 0) {
        std::abort();
    }
    int out[2];
    if (::pipe(out) != 0) {
        std::abort();
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();  // no terminal to ask on
        ::dup2(in, STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        if (inChild) {
            inChild();
        }
        Exec(arguments);
    }
    ::close(out[1]);
    ::close(err[1]);
    CliResult result;
    // Both texts are far below a pipe's capacity: read one, then the other.
    for (auto [fd, text] : {std::pair{err[0], &result.errors}, std::pair{out[0], &result.output}}) {
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
            text->append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
    }
    result.status = WaitCli(pid);
    return result;
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& arguments, const std::string& input,
                 const std::function<void()>& inChild) {
    const int in = InputPipe(input);
    CliResult result = RunWithInput(arguments, in, inChild);
    ::close(in);
    return result;
}

CliResult RunCliOnFile(const std::vector<std::string>& arguments, const std::string& input,
                       long long* consumed) {
    const int in = InputFile(input);
    CliResult result = RunWithInput(arguments, in, {});
    *consumed = ::lseek(in, 0, SEEK_CUR);
    ::close(in);
    return result;
}

pid_t StartCli(const std::vector<std::string>& arguments, const std::string& input,
               const std::string& errors) {
    const int in = InputPipe(input);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();
        ::dup2(in, STDIN_FILENO);
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ::dup2(err, STDERR_FILENO);
        Exec(arguments);
    }
    ::close(in);
    return pid;
}

int WaitCli(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

std::vector<long long> OpenTempFileSizes(pid_t pid) {
    std::vector<long long> sizes;
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code ignored;
        const std::string target = std::filesystem::read_symlink(entry.path(), ignored).string();
        const std::string name = std::filesystem::path(target).filename().string();
        if (name.rfind('#', 0) == 0 || name.rfind(".quarnix-", 0) == 0) {
            struct stat info {};
            if (::stat(entry.path().c_str(), &info) == 0) {
                sizes.push_back(info.st_size);
            }
        }
    }
    return sizes;
}

bool Running(pid_t pid) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

TerminalCli::TerminalCli(const std::vector<std::string>& arguments)
    : TerminalCli([&arguments] { Exec(arguments); }) {}

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
    while (count() < times) {
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
    while (Running(pid_)) {
        ReadSome(true);
    }
    while (ReadSome(false)) {
    }
    reaped_ = true;
    return WaitCli(pid_);
}

}  // namespace quarnix::test
