// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-cli says what a path is when it is no regular file it could work
// on, instead of calling it missing: a folder, a device, a pipe, a socket, a
// file in a folder the user may not enter, a file the user may not read.

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "../commands/file_fixture.h"
#include "cli_process.h"

namespace quarnix::test {
namespace {

class CliPathKind : public FileFixture {};

constexpr uid_t Nobody = 65534;

TEST_F(CliPathKind, EachKindOfPathIsNamed) {
    ASSERT_EQ(::mkdir("folder", 0755), 0);
    ASSERT_EQ(::mkfifo("pipe", 0644), 0);  // opening it would wait for a writer
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = folder_ + "/socket";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::mkdir("locked", 0700), 0);
    WriteBytes("locked/f.txt", Pattern(100));
    WriteBytes("unreadable.txt", Pattern(100));
    // Root passes every permission check: the tool then runs as nobody, and
    // the locked folder and the unreadable file stay root's.
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(::chmod(".", 0755), 0);
    ASSERT_EQ(::chmod("locked", root ? 0700 : 0), 0);
    ASSERT_EQ(::chmod("unreadable.txt", root ? 0600 : 0), 0);
    const auto asNobody = [] {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(Nobody, Nobody, Nobody) != 0 ||
            ::setresuid(Nobody, Nobody, Nobody) != 0) {
            ::_exit(120);
        }
    };

    const std::pair<const char*, const char*> cases[] = {
        {"folder", "你指定的是一个文件夹，不是文件！"},
        {"/dev/null", "你指定的是一个设备，不是普通文件！"},
        {"pipe", "你指定的是一个管道（FIFO），不是普通文件！"},
        {"socket", "你指定的是一个套接字，不是普通文件！"},
        {"locked/f.txt", "你没有权限进入这个文件所在的文件夹，无法访问它！"},
        {"unreadable.txt", "你没有读取这个文件的权限！"},
        {"missing.txt", "你指定的文件不存在！"},
    };
    std::vector<std::string> arguments = {"encrypt", "--password-stdin", "--no-backup", "--"};
    std::string expected;
    for (const auto& [path, message] : cases) {
        arguments.push_back(path);
        expected += std::string(path) + "：" + message + "\n";
    }
    const CliResult result =
        RunCli(arguments, "pw\n", root ? std::function<void()>(asNobody) : nullptr);
    ::chmod("locked", 0700);
    ::chmod("unreadable.txt", 0600);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors, expected);
    EXPECT_EQ(ReadBytes("locked/f.txt"), Pattern(100));
    EXPECT_EQ(ReadBytes("unreadable.txt"), Pattern(100));
    ::close(listener);
}

}  // namespace
}  // namespace quarnix::test
