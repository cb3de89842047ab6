#include "cli_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace

CliResult RunCli(const std::vector<std::string>& arguments, const std::string& input) {
    const int in = InputPipe(input);
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
        ::dup2(in, STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        Exec(arguments);
    }
    ::close(in);
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

pid_t StartCli(const std::vector<std::string>& arguments, const std::string& input) {
    const int in = InputPipe(input);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in, STDIN_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDERR_FILENO);
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

}  // namespace quarnix::test
