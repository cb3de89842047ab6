// SPDX-License-Identifier: GPL-3.0-or-later
#include "work_moment.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "../commands/file_fixture.h"
#include "cli_process.h"

namespace quarnix::test {
namespace {

// The share of the file that the fullest of the tool's unfinished temporary
// files holds; -1 with none open. Such a file has no name yet (O_TMPFILE: the
// kernel shows "#inode (deleted)", also once it is linked under a name), or a
// hidden temporary name where the file system has no unnamed files.
double TemporaryShare(const WatchedRun& run) {
    long long largest = -1;
    const std::string folder = "/proc/" + std::to_string(run.Pid) + "/fd";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code ignored;
        const std::string name =
            std::filesystem::read_symlink(entry.path(), ignored).filename().string();
        struct stat info {};
        if (::stat(entry.path().c_str(), &info) != 0) {
            continue;
        }
        if ((name.starts_with("#") && info.st_nlink == 0) || name.starts_with(".quarnix-")) {
            largest = std::max<long long>(largest, info.st_size);
        }
    }
    return largest < 0 ? -1.0 : static_cast<double>(largest) / static_cast<double>(run.FileSize);
}

// SIGINT is among the signals the tool blocks (/proc/PID/status, SigBlk).
bool HoldsSignalsBack(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("SigBlk:")) {
            const unsigned long long blocked = std::stoull(line.substr(7), nullptr, 16);
            return (blocked & (1ull << (SIGINT - 1))) != 0;
        }
    }
    return false;
}

bool At(const WatchedRun& run, const Moment& moment) {
    const bool renamed = Exists(run.Marked);
    if (moment.Stage == Stage::Renamed || renamed) {
        return moment.Stage == Stage::Renamed && renamed;
    }
    const bool backupStands = run.Backup.empty() || Exists(run.Backup);
    const double share = TemporaryShare(run);
    // The signals are held back while a password is read too: the new
    // content is complete by the time the work is committed.
    const bool committed = backupStands && share >= 1 && HoldsSignalsBack(run.Pid);
    if (moment.Stage == Stage::Committed || committed) {
        return moment.Stage == Stage::Committed && committed;
    }
    return (moment.Stage == Stage::Rewriting) == backupStands && share >= moment.From &&
           share < moment.To;
}

// The tool's next change of state, left to be reaped: nullopt when waitid
// fails or the deadline passes (a failure of the test then).
std::optional<siginfo_t> NextChange(pid_t pid, const Deadline& deadline) {
    while (!deadline.Passed()) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info,
                     WEXITED | WSTOPPED | WNOHANG | WNOWAIT) != 0) {
            return std::nullopt;
        }
        if (info.si_pid == pid) {
            return info;
        }
        ::usleep(20);
    }
    ADD_FAILURE() << "quarnix-cli (process " << pid << ") has not stopped after " << PatienceSeconds
                  << " s.";
    return std::nullopt;
}

// The next stop of the traced tool (its status for waitpid); false when it
// ended (left to WaitCli) or the deadline passed.
bool NextStop(pid_t pid, const Deadline& deadline, int* status) {
    const std::optional<siginfo_t> change = NextChange(pid, deadline);
    return change && (change->si_code == CLD_TRAPPED || change->si_code == CLD_STOPPED) &&
           ::waitpid(pid, status, WNOHANG | __WALL) == pid;
}

// Waits until the tool, no longer traced, has stopped.
bool StandsStill(pid_t pid, const Deadline& deadline) {
    const std::optional<siginfo_t> change = NextChange(pid, deadline);
    return change && change->si_code == CLD_STOPPED;
}

}  // namespace

bool CanWatchRuns() {
    return ::geteuid() == 0;
}

pid_t StartWatched(const std::vector<std::string>& arguments, const std::string& input,
                   const std::string& errors, const std::function<void()>& inChild) {
    return StartCli(arguments, input, errors, [&inChild] {
        if (inChild) {
            inChild();
        }
        if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) {
            ::_exit(126);
        }
    });
}

bool StopAt(const WatchedRun& run, const Moment& moment) {
    const Deadline deadline;
    int status = 0;
    // The first stop comes as the tool's program starts (SIGTRAP).
    if (!NextStop(run.Pid, deadline, &status)) {
        ADD_FAILURE() << "quarnix-cli could not be started traced.";
        return false;
    }
    ::ptrace(PTRACE_SETOPTIONS, run.Pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    int signal = 0;
    for (;;) {
        ::ptrace(PTRACE_SYSCALL, run.Pid, nullptr, signal);
        if (!NextStop(run.Pid, deadline, &status)) {
            ADD_FAILURE() << "quarnix-cli ended before the moment \"" << moment.Name << "\".";
            return false;
        }
        if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
            signal = WSTOPSIG(status);  // one of the tool's own: it gets it
            continue;
        }
        signal = 0;
        __ptrace_syscall_info call{};
        const bool returned = ::ptrace(PTRACE_GET_SYSCALL_INFO, run.Pid, sizeof call, &call) > 0 &&
                              call.op == PTRACE_SYSCALL_INFO_EXIT;
        if (returned && At(run, moment)) {
            // Stopped as it goes on, before its next call.
            ::kill(run.Pid, SIGSTOP);
            ::ptrace(PTRACE_DETACH, run.Pid, nullptr, 0);
            return StandsStill(run.Pid, deadline);
        }
    }
}

void Continue(pid_t pid) {
    ::kill(pid, SIGCONT);
}

}  // namespace quarnix::test
