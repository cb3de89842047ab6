// SPDX-License-Identifier: GPL-3.0-or-later
// How quarnix-cli takes its passwords: from standard input, line by line and
// no further, refusing a line longer than any password; and on a terminal,
// without echo, asked again when the confirmation differs, with the echo put
// back whatever signal ends the prompt.

#include <signal.h>

#include "../commands/file_fixture.h"
#include "cli_process.h"
#include "terminal_cli.h"

namespace quarnix::test {
namespace {

class CliInput : public FileFixture {};

constexpr std::size_t LongestPassword = 32767;

std::string Repeated(const std::string& text, std::size_t times) {
    std::string repeated;
    for (std::size_t i = 0; i < times; ++i) {
        repeated += text;
    }
    return repeated;
}

// A script may hand one input to several commands: each takes its lines and
// leaves the rest. A line longer than a password may be is refused before
// all of it is read.
TEST_F(CliInput, StandardInputIsReadNoFurtherThanItsLines) {
    const std::string longest = Repeated("a", LongestPassword);
    const std::string huge(1 << 20, 'a');
    struct Case {
        const char* name;
        const char* level;
        std::string input;
        int status;
        std::string errors;
        long long consumed;  // -1: no more than a password's bytes after the first line
    };
    const Case cases[] = {
        {"one line", "secret", "pw\nrest\n", 0, "f.doc：操作成功！\n", 3},
        {"two lines", "topsecret", "pw\r\nsecond\nrest", 0, "f.doc：操作成功！\n", 11},
        {"the longest", "secret", longest + "\r\nrest", 0, "f.doc：操作成功！\n", 32769},
        {"one too many", "secret", longest + "a\nrest", 1,
         "密码超过 32767 个字符，无法使用。没有处理任何文件。\n", 32769},
        {"three-byte characters", "topsecret", "pw\n" + Repeated("中", LongestPassword + 1000), 1,
         "密码2超过 32767 个字符，无法使用。没有处理任何文件。\n", -1},
        {"a megabyte", "secret", huge, 1, "密码超过 32767 个字符，无法使用。没有处理任何文件。\n",
         -1},
    };
    for (const Case& c : cases) {
        WriteBytes("f.doc", Pattern(100));
        long long consumed = 0;
        const CliResult result = RunCliOnFile({"encrypt", "--password-stdin", "--no-backup",
                                               "--no-mark", "--level", c.level, "f.doc"},
                                              c.input, &consumed);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(result.errors, c.errors) << c.name;
        if (c.consumed >= 0) {
            EXPECT_EQ(consumed, c.consumed) << c.name;
        } else {
            // Three bytes for each character of the longest password, and "\r\n".
            EXPECT_LE(consumed, 3 + 3 * static_cast<long long>(LongestPassword) + 2) << c.name;
        }
        if (c.status != 0) {
            EXPECT_EQ(ReadBytes("f.doc"), Pattern(100)) << c.name;
        }
    }
}

// Each password twice without echo; a confirmation that differs asks for the
// pair again, three times at most, and then no file is touched.
TEST_F(CliInput, AsksOnATerminalWithoutEchoAndAgainWhenTheConfirmationDiffers) {
    const std::string again1 = "你两次输入的密码不一致，请重新输入！";
    const std::string again2 = "你两次输入的密码2不一致，请重新输入！";
    struct Case {
        const char* level;
        std::vector<std::string> typed;  // one line for each prompt, in order
        int status;
        std::vector<std::string> shown;  // in this order
        std::u16string password1, password2;
    };
    const Case cases[] = {
        {"secret",
         {"secret1", "secret1"},
         0,
         {"密码：", "再次输入密码：", "f.doc：操作成功！"},
         u"secret1",
         u""},
        {"secret",
         {"first1", "frist1", "second1", "second1"},
         0,
         {"再次输入密码：", again1, "密码：", "f.doc：操作成功！"},
         u"second1",
         u""},
        {"topsecret",
         {"one1", "one1", "two2", "tow2", "two2", "two2"},
         0,
         {"密码2：", again2, "再次输入密码2：", "f.doc：操作成功！"},
         u"one1",
         u"two2"},
        {"secret",
         {"a1", "b1", "a2", "b2", "a3", "b3"},
         1,
         {again1, again1, "你两次输入的密码一直不一致，已试过 3 次：没有处理任何文件。"},
         u"",
         u""},
    };
    for (const Case& c : cases) {
        WriteBytes("f.doc", Pattern(100));
        TerminalCli tool({"encrypt", "--no-mark", "--no-backup", "--level", c.level, "f.doc"});
        for (std::size_t i = 0; i < c.typed.size(); ++i) {
            // Every prompt ends in "："; nothing else before the last one does.
            ASSERT_TRUE(tool.ReadUntil("：", static_cast<int>(i) + 1)) << tool.Seen();
            EXPECT_FALSE(tool.EchoOn());
            tool.Type(c.typed[i] + "\n");
        }
        EXPECT_EQ(tool.Wait(), c.status);
        EXPECT_TRUE(tool.EchoOn());
        std::size_t at = 0;
        for (const std::string& text : c.shown) {
            at = tool.Seen().find(text, at);
            EXPECT_NE(at, std::string::npos) << text << " in\n" << tool.Seen();
        }
        for (const std::string& typed : c.typed) {
            EXPECT_EQ(tool.Seen().find(typed), std::string::npos) << typed << " echoed";
        }
        EXPECT_EQ(
            ReadBytes("f.doc"),
            c.status == 0
                ? Transformed(Pattern(100), c.password2.empty() ? Level::Secret : Level::TopSecret,
                              true, c.password1, c.password2)
                : Pattern(100));
    }
}

// Whatever ends the tool at the prompt, typed or sent, the echo comes back,
// no file is touched and the tool ends by that very signal, so that its
// caller learns of it. Ctrl+Z puts the echo back while the tool is
// stopped; here the tool runs in a session whose stop the system discards,
// so it goes on at once: echo off again and the prompt anew.
TEST_F(CliInput, EverySignalAtThePromptPutsTheEchoBack) {
    struct Case {
        const char* name;
        const char* typed;  // a key the terminal turns into the signal, or
        int signal;         // a signal sent by another program
        int endedBy;
    };
    const Case cases[] = {
        {"Ctrl+C", "\x03", 0, SIGINT},
        {"Ctrl+\\", "\x1c", 0, SIGQUIT},
        {"SIGTERM", nullptr, SIGTERM, SIGTERM},
        {"SIGHUP", nullptr, SIGHUP, SIGHUP},
        {"Ctrl+Z", "\x1a", 0, 0},
    };
    for (const Case& c : cases) {
        WriteBytes("f.doc", Pattern(100));
        TerminalCli tool({"encrypt", "--no-mark", "--no-backup", "f.doc"});
        ASSERT_TRUE(tool.ReadUntil("密码：")) << c.name;
        ASSERT_FALSE(tool.EchoOn()) << c.name;
        if (c.typed != nullptr) {
            tool.Type(c.typed);
        } else {
            ::kill(tool.Pid(), c.signal);
        }
        if (std::string(c.name) == "Ctrl+Z") {
            ASSERT_TRUE(tool.ReadUntil("密码：", 2)) << tool.Seen();
            EXPECT_FALSE(tool.EchoOn());
            tool.Type("pw\n");
            ASSERT_TRUE(tool.ReadUntil("再次输入密码："));
            tool.Type("pw\n");
            EXPECT_EQ(tool.Wait(), 0) << tool.Seen();
            EXPECT_TRUE(tool.EchoOn());
            continue;
        }
        EXPECT_EQ(tool.Wait(), -c.endedBy) << c.name << tool.Seen();
        EXPECT_TRUE(tool.EchoOn()) << c.name;
        EXPECT_NE(tool.Seen().find("已取消：没有处理任何文件。"), std::string::npos) << c.name;
        EXPECT_EQ(ReadBytes("f.doc"), Pattern(100)) << c.name;
    }
}

}  // namespace
}  // namespace quarnix::test
