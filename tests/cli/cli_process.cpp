// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quarnix::test {

int Deadline::MillisecondsLeft() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

void ResetSignals() {
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    for (int signal = 1; signal < NSIG; ++signal) {
        ::sigaction(signal, &byDefault, nullptr);  // refused for SIGKILL and SIGSTOP: fine
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

void ExecCli(const std::vector<std::string>& arguments) {
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

namespace {

std::string Described(const std::vector<std::string>& arguments) {
    std::string text = "quarnix-cli";
    for (const std::string& argument : arguments) {
        text += " " + argument;
    }
    return text;
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

// Reads each of `streams` to its end, and closes it; false when the deadline
// passed first.
bool ReadToEnd(std::vector<std::pair<int, std::string*>> streams, const Deadline& deadline) {
    while (!streams.empty()) {
        std::vector<pollfd> ready;
        for (const auto& [fd, text] : streams) {
            ready.push_back({fd, POLLIN, 0});
        }
        const int count = ::poll(ready.data(), ready.size(), deadline.MillisecondsLeft());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            for (const auto& [fd, text] : streams) {
                ::close(fd);
            }
            return false;
        }
        for (std::size_t i = ready.size(); i-- > 0;) {
            if (ready[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(ready[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                streams[i].second->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(ready[i].fd);
                streams.erase(streams.begin() + static_cast<long>(i));
            }
        }
    }
    return true;
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
        ResetSignals();
        ::setsid();  // no terminal to ask on
        ::dup2(in, STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        if (inChild) {
            inChild();
        }
        ExecCli(arguments);
    }
    ::close(out[1]);
    ::close(err[1]);
    CliResult result;
    if (!ReadToEnd({{err[0], &result.errors}, {out[0], &result.output}}, Deadline())) {
        ADD_FAILURE() << Described(arguments) << " has not ended after " << PatienceSeconds
                      << " s; killed. Its standard error so far:\n"
                      << result.errors;
        ::kill(pid, SIGKILL);
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
               const std::string& errors, const std::function<void()>& inChild) {
    const int in = InputPipe(input);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ResetSignals();
        ::setsid();
        ::dup2(in, STDIN_FILENO);
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ::dup2(err, STDERR_FILENO);
        if (inChild) {
            inChild();
        }
        ExecCli(arguments);
    }
    ::close(in);
    return pid;
}

int WaitCli(pid_t pid) {
    const Deadline deadline;
    // Readable once the child has ended; without it (an old kernel), a look
    // every few milliseconds.
    const int ended = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    const auto exited = [](const siginfo_t& info) {
        return info.si_code == CLD_EXITED || info.si_code == CLD_KILLED ||
               info.si_code == CLD_DUMPED;
    };
    siginfo_t info{};
    for (;;) {
        info = {};
        // A traced child's stops are reported too: they are no end.
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG) != 0) {
            if (errno == EINTR) {
                continue;
            }
            break;  // no such child
        }
        if (exited(info)) {
            break;
        }
        if (info.si_pid == pid) {
            continue;
        }
        if (deadline.Passed()) {
            ADD_FAILURE() << "quarnix-cli (process " << pid << ") has not ended after "
                          << PatienceSeconds << " s; killed.";
            ::kill(pid, SIGKILL);
            while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED) == 0 && !exited(info)) {
            }
            break;
        }
        pollfd exit{ended, POLLIN, 0};
        ::poll(&exit, ended >= 0 ? 1 : 0, ended >= 0 ? deadline.MillisecondsLeft() : 5);
    }
    if (ended >= 0) {
        ::close(ended);
    }
    if (!exited(info)) {
        return -1;
    }
    return info.si_code == CLD_EXITED ? info.si_status : -info.si_status;
}

bool Running(pid_t pid) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace quarnix::test
