// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Moments of quarnix-cli's work on one file, told from outside by what stands
// in the file's folder, by how much of the file the tool's unfinished
// temporary files hold and by whether it holds its ending signals back (once
// its work can no longer be dropped). The tool runs traced, one system call
// at a time, the only steps by which it changes files, and is looked at after
// each; at the moment it is left stopped (SIGSTOP), so that what a test then
// does to it or to the file happens there, however fast the machine is.
//
// The tool makes itself undumpable: only root may look at its open files.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace quarnix::test {

enum class Stage {
    CopyingBackup,  // the backup does not stand yet
    Rewriting,      // the backup stands (or none was asked for); still droppable
    Committed,      // the signals are held back: the work runs to its end
    Renamed,        // the file has its marked name
};

struct Moment {
    const char* Name;
    quarnix::test::Stage Stage;
    // CopyingBackup and Rewriting: an unfinished temporary file holds at least
    // From and less than To of the file's size; a To above 1 takes in a
    // complete one.
    double From = 0;
    double To = 0;
};

// A run of the tool on a file of `FileSize` bytes, whose backup is `Backup`
// and whose name once marked is `Marked`.
struct WatchedRun {
    pid_t Pid;
    long long FileSize;
    std::string Backup;
    std::string Marked;
};

// Whether this user may look at a run's open files.
bool CanWatchRuns();

// Starts the tool traced, as StartCli does; StopAt must follow.
pid_t StartWatched(const std::vector<std::string>& arguments, const std::string& input,
                   const std::string& errors, const std::function<void()>& inChild = {});

// Runs the tool up to the moment and answers true once it stands still there,
// no longer traced. Fails the test and answers false when it ended first.
bool StopAt(const WatchedRun& run, const Moment& moment);

// Lets a stopped tool go on (SIGCONT).
void Continue(pid_t pid);

}  // namespace quarnix::test
