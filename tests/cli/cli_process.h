#pragma once
// Runs quarnix-cli as a child process: its standard input from a text, its
// standard output and error captured, or started in the background to be signalled.

#include <sys/types.h>

#include <string>
#include <vector>

namespace quarnix::test {

struct CliResult {
    int status = -1;  // exit status, or -signal when a signal ended it
    std::string errors;
    std::string output;
};

// Runs to its end; `input` is standard input (a pipe, so not a terminal).
CliResult RunCli(const std::vector<std::string>& arguments, const std::string& input);

// Starts in the background with standard input `input` and standard error
// discarded, in the caller's working folder.
pid_t StartCli(const std::vector<std::string>& arguments, const std::string& input);

// Waits for the child; the exit status or -signal.
int WaitCli(pid_t pid);

// Sizes of the files the process has open without a name (O_TMPFILE) or
// under a hidden temporary name.
std::vector<long long> OpenTempFileSizes(pid_t pid);

// True while the process has not ended (it may be a zombie not yet reaped).
bool Running(pid_t pid);

}  // namespace quarnix::test
