// SPDX-License-Identifier: GPL-3.0-or-later
// Another program changes the file while quarnix-cli works on it: the work is
// dropped, the file is what that program left, the tool says so and exits
// with status 1. The tool is stopped in the middle of its rewrite
// (work_moment.h) and the file changed there.

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "../commands/file_fixture.h"
#include "cli_process.h"
#include "work_moment.h"

namespace quarnix::test {
namespace {

class CliChangedMeanwhile : public FileFixture {};

constexpr std::size_t FileSize = 16u << 20;

TEST_F(CliChangedMeanwhile, TheWorkIsDroppedAndTheExitStatusIsOne) {
    if (!CanWatchRuns()) {
        GTEST_SKIP() << "only root may look at quarnix-cli's open files";
    }
    const Bytes old = Pattern(FileSize, 1);
    const Bytes saved = Pattern(1000, 2);
    struct Case {
        const char* what;
        bool editorSave;  // a new file renamed over the file, or a write into it
    };
    for (const Case c : {Case{"a write into the file", false}, Case{"an editor's save", true}}) {
        ClearFolder();
        WriteBytes("f.doc", old);
        const std::vector<std::string> arguments = {"encrypt", "--password-stdin", "--level",
                                                    "topsecret", "f.doc"};
        const pid_t pid = StartWatched(arguments, "abc\nhello\n", folder_ + "-errors");
        ASSERT_TRUE(StopAt({pid, FileSize, "f.doc.备份", "f(绝密).doc"},
                           {"rewrite under way", Stage::Rewriting, 0.25, 1.0}))
            << c.what;
        Bytes left = old;
        // A program that opens the file for writing waits while the tool
        // holds its write lease (EWOULDBLOCK without waiting), until the tool
        // has dropped its work; without a lease it writes at once.
        bool waited = false;
        if (c.editorSave) {
            WriteBytes("f.doc.new", saved);
            ASSERT_EQ(::rename("f.doc.new", "f.doc"), 0);
            left = saved;
        } else {
            const int writer = ::open("f.doc", O_WRONLY | O_NONBLOCK);
            waited = writer < 0 && errno == EWOULDBLOCK;
            if (!waited) {
                ASSERT_GE(writer, 0);
                ASSERT_EQ(::pwrite(writer, saved.data(), 100, 5000), 100);
                ::close(writer);
            }
            std::copy_n(saved.begin(), 100, left.begin() + 5000);
        }
        Continue(pid);
        if (waited) {
            const int writer = ::open("f.doc", O_WRONLY);
            ASSERT_GE(writer, 0);
            ASSERT_EQ(::pwrite(writer, saved.data(), 100, 5000), 100);
            ::close(writer);
        }
        EXPECT_EQ(WaitCli(pid), 1) << c.what;
        const std::string errors = FileText(folder_ + "-errors");
        std::remove((folder_ + "-errors").c_str());
        EXPECT_EQ(errors.rfind("f.doc：", 0), 0u) << errors;
        if (waited) {
            EXPECT_NE(errors.find("正被其他程序打开"), std::string::npos) << errors;
            EXPECT_NE(errors.find("未改动。"), std::string::npos) << errors;
        } else {
            EXPECT_NE(errors.find("在处理期间被其他程序改动或替换"), std::string::npos) << errors;
            EXPECT_NE(errors.find("保持其他程序留下的样子"), std::string::npos) << errors;
        }
        EXPECT_EQ(ReadBytes("f.doc"), left) << c.what;
        EXPECT_EQ(ReadBytes("f.doc.备份"), old) << c.what;
        EXPECT_EQ(FolderNames(), (std::set<std::string>{"f.doc", "f.doc.备份"})) << c.what;
    }
}

}  // namespace
}  // namespace quarnix::test
