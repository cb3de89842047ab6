// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-cli under a Chinese locale whose character set is not UTF-8: its
// messages and prompts come out in GB18030, file names as the bytes they are.
// The locale is built into a private folder (localedef, LOCPATH); the test is
// skipped where the locale sources are not installed (Debian's "locales").

#include <cstdlib>
#include <filesystem>

#include "../commands/file_fixture.h"
#include "cli_process.h"
#include "terminal_cli.h"

namespace quarnix::test {
namespace {

class CliLocale : public FileFixture {};

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
    EXPECT_EQ(result.errors,
              "文件.txt"
              "\xA3\xBA\xB2\xD9\xD7\xF7\xB3\xC9\xB9\xA6\xA3\xA1\n"  // "：操作成功！"
              "missing.txt"
              "\xA3\xBA\xC4\xE3\xD6\xB8\xB6\xA8\xB5\xC4\xCE\xC4\xBC\xFE\xB2\xBB\xB4\xE6\xD4\xDA"
              "\xA3\xA1\n");  // "：你指定的文件不存在！"

    TerminalCli asked(ShellScript{
        "LOCPATH='" + locales + "' LC_ALL=zh_CN.GB18030 \"$CLI\" encrypt --no-backup missing.txt"});
    EXPECT_TRUE(asked.ReadUntil("\xC3\xDC\xC2\xEB\xA3\xBA")) << asked.Seen();  // "密码："
    EXPECT_EQ(asked.Seen().find("密码"), std::string::npos);
    std::filesystem::remove_all(locales);
}

}  // namespace
}  // namespace quarnix::test
