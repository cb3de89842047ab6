// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-cli under a Chinese locale whose character set is not UTF-8: its
// messages and prompts come out in GB18030, file names as the bytes they are.
// The locale is built into a private folder (localedef, LOCPATH); the test is
// skipped where the locale sources are not installed (Debian's "locales").

#include <iconv.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>

#include "../commands/file_fixture.h"
#include "cli_process.h"
#include "terminal_cli.h"
#include "work_moment.h"

namespace quarnix::test {
namespace {

class CliLocale : public FileFixture {};

// `utf8` in GB18030, by the C library's converter.
std::string Gb18030(const std::string& utf8) {
    const iconv_t converter = ::iconv_open("GB18030", "UTF-8");
    std::string local(4 * utf8.size(), '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* out = local.data();
    std::size_t outLeft = local.size();
    EXPECT_NE(::iconv(converter, &in, &inLeft, &out, &outLeft), static_cast<std::size_t>(-1));
    ::iconv_close(converter);
    local.resize(local.size() - outLeft);
    return local;
}

TEST_F(CliLocale, MessagesAndPromptsFollowAGb18030Locale) {
    const std::string locales = folder_ + "-locales";
    std::filesystem::create_directory(locales);
    const std::string build =
        "localedef -i zh_CN -f GB18030 " + locales + "/zh_CN.GB18030 >/dev/null 2>&1";
    const bool built = std::system(build.c_str()) == 0;
    if (!built) {
        std::filesystem::remove_all(locales);
        GTEST_SKIP() << "localedef could not build zh_CN.GB18030";
    }
    const auto useLocale = [&locales] {
        ::setenv("LOCPATH", locales.c_str(), 1);
        ::setenv("LC_ALL", "zh_CN.GB18030", 1);
    };

    // A UTF-8 file name stays UTF-8: it is the file's name, not a text of ours.
    WriteBytes("文件.txt", Pattern(100));
    const CliResult result = RunCli(
        {"encrypt", "--password-stdin", "--no-backup", "--no-mark", "文件.txt", "missing.txt"},
        "pw\n", useLocale);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors, "文件.txt" + Gb18030("：操作成功！\n") + "missing.txt" +
                                 Gb18030("：你指定的文件不存在！\n"));

    // The tool's own lines, not the engine's outcomes: a name whose level
    // nothing tells, and a run of several files stopped by Ctrl+C.
    ASSERT_EQ(
        RunCli({"encrypt", "--password-stdin", "--no-backup", "--no-mark", "文件.txt"}, "pw\n")
            .status,
        0);
    const CliResult untold =
        RunCli({"decrypt", "--password-stdin", "--no-backup", "文件.txt"}, "pw\n", useLocale);
    EXPECT_EQ(untold.status, 1);
    EXPECT_EQ(untold.errors, "文件.txt" + Gb18030("：文件名中没有加密等级标记，从内容也看不出是按"
                                                  "哪个等级加密的。文件未改动；请用 --level "
                                                  "指明加密时的等级。\n"));
    if (CanWatchRuns()) {
        WriteBytes("a.doc", Pattern(16u << 20));
        const std::string errors = folder_ + "-errors";
        const pid_t pid = StartWatched(
            {"encrypt", "--password-stdin", "--level", "topsecret", "a.doc", "文件.txt"},
            "pw\nhello\n", errors, useLocale);
        ASSERT_TRUE(StopAt({pid, 16 << 20, "a.doc.备份", "a(绝密).doc"},
                           {"rewrite under way", Stage::Rewriting, 0.25, 1.0}));
        ::kill(pid, SIGINT);
        Continue(pid);
        EXPECT_EQ(WaitCli(pid), -SIGINT);
        const std::string stopped = FileText(errors);
        std::filesystem::remove(errors);
        const std::string last = Gb18030("已中断：其余 1 个文件未处理。\n");
        EXPECT_EQ(stopped.rfind(last), stopped.size() - last.size()) << stopped;
        EXPECT_EQ(stopped.rfind(Gb18030("a.doc：已取消。"), 0), 0u) << stopped;
    }

    TerminalCli asked(ShellScript{
        "LOCPATH='" + locales + "' LC_ALL=zh_CN.GB18030 \"$CLI\" encrypt --no-backup missing.txt"});
    EXPECT_TRUE(asked.ReadUntil(Gb18030("密码："))) << asked.Seen();
    EXPECT_EQ(asked.Seen().find("密码"), std::string::npos);
    std::filesystem::remove_all(locales);
}

}  // namespace
}  // namespace quarnix::test
