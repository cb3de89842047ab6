// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-cli inside shell scripts run on a terminal: the passwords are asked
// on the terminal even where the script's loop feeds standard input, the
// prompt stays on the terminal when standard error goes to a file, and Ctrl+C
// stops the script, not only the file at hand.

#include <signal.h>

#include <fstream>

#include "../commands/file_fixture.h"
#include "cli_process.h"
#include "terminal_cli.h"

namespace quarnix::test {
namespace {

class CliShell : public FileFixture {};

TEST_F(CliShell, AWhileReadLoopLeavesItsInputToTheLoopAndAsksOnTheTerminal) {
    const std::vector<std::string> names = {"a.txt", "b.txt", "c.txt", "d.txt"};
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        WriteBytes(names[i], Pattern(100, static_cast<std::uint32_t>(i)));
        list += names[i] + "\n";
    }
    std::ofstream(folder_ + "/list") << list;
    TerminalCli loop(ShellScript{
        "while read -r f; do \"$CLI\" encrypt --no-backup --no-mark \"$f\" 2>>err.log; done <list;"
        " echo loop-done"});
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string password = "pw" + std::to_string(i) + "\n";
        // "密码：" and "再次输入密码：" for each file.
        ASSERT_TRUE(loop.ReadUntil("密码：", static_cast<int>(2 * i + 1))) << loop.Seen();
        loop.Type(password);
        ASSERT_TRUE(loop.ReadUntil("密码：", static_cast<int>(2 * i + 2))) << loop.Seen();
        loop.Type(password);
    }
    EXPECT_EQ(loop.Wait(), 0);
    EXPECT_NE(loop.Seen().find("loop-done"), std::string::npos) << loop.Seen();
    EXPECT_EQ(FileText("err.log"),
              "a.txt：操作成功！\nb.txt：操作成功！\nc.txt：操作成功！\nd.txt：操作成功！\n");
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::u16string password = u"pw" + std::u16string(1, u'0' + static_cast<char16_t>(i));
        EXPECT_EQ(ReadBytes(names[i]), Transformed(Pattern(100, static_cast<std::uint32_t>(i)),
                                                   Level::Secret, true, password, u""))
            << names[i];
    }
}

// Ctrl+C reaches the whole foreground group; the tool ends by it, and bash,
// seeing that, stops the loop instead of going on to the next file.
TEST_F(CliShell, CtrlCAtThePromptStopsTheCallingLoop) {
    WriteBytes("a.txt", Pattern(100, 1));
    WriteBytes("b.txt", Pattern(100, 2));
    TerminalCli loop(
        ShellScript{"for f in a.txt b.txt; do \"$CLI\" encrypt --no-backup --no-mark \"$f\"; done;"
                    " echo loop-went-on"});
    ASSERT_TRUE(loop.ReadUntil("密码：")) << loop.Seen();
    loop.Type("\x03");
    EXPECT_EQ(loop.Wait(), -SIGINT) << loop.Seen();
    EXPECT_EQ(loop.Seen().find("loop-went-on"), std::string::npos) << loop.Seen();
    EXPECT_EQ(loop.Seen().find("密码：", loop.Seen().find("密码：") + 1), std::string::npos)
        << "b.txt was asked for: " << loop.Seen();
    EXPECT_EQ(ReadBytes("a.txt"), Pattern(100, 1));
    EXPECT_EQ(ReadBytes("b.txt"), Pattern(100, 2));
}

}  // namespace
}  // namespace quarnix::test
