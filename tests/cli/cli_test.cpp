// quarnix-cli end to end: round trips, exit statuses, several files, passwords
// from standard input and from a terminal without echo.

#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "../commands/file_fixture.h"
#include "cli/progress_bar.h"
#include "cli_process.h"

namespace quarnix::test {
namespace {

class Cli : public FileFixture {};

struct LevelCase {
    const char* option;
    Level level;
    const char* marked;
    const char* input;  // standard input; a CRLF line end counts as a line end too
};

TEST_F(Cli, RoundTripsAtEveryLevel) {
    const LevelCase cases[] = {
        {"secret", Level::Secret, "f(秘密).doc", "abc\n"},
        {"secretter", Level::Secretter, "f(机密).doc", "abc\r\nignored\n"},
        {"topsecret", Level::TopSecret, "f(绝密).doc", "abc\nhello"},
    };
    for (const LevelCase& c : cases) {
        const Bytes plain = Pattern(50000);
        WriteBytes("f.doc", plain);
        const CliResult encrypted = RunCli({"encrypt", "--level", c.option, "f.doc"}, c.input);
        EXPECT_EQ(encrypted.status, 0) << encrypted.errors;
        EXPECT_EQ(encrypted.errors, std::string("f.doc → ") + c.marked + "：操作成功！\n");
        EXPECT_EQ(ReadBytes(c.marked), Transformed(plain, c.level, true, u"abc", u"hello"));
        EXPECT_EQ(ReadBytes("f.doc.备份"), plain);
        // Pattern bytes are no Word document: without --force the look at the
        // content would keep the file as it is.
        const CliResult decrypted =
            RunCli({"decrypt", "--no-backup", "--force", "--level", c.option, c.marked}, c.input);
        EXPECT_EQ(decrypted.status, 0) << decrypted.errors;
        EXPECT_EQ(ReadBytes("f.doc"), plain);
        EXPECT_EQ(FolderNames(), (std::set<std::string>{"f.doc", "f.doc.备份"}));
        ClearFolder();
    }
}

// Without --level, decrypt works each file at the level of the marker in its
// name, 秘密 without one, and reads password 2 when any file needs it.
TEST_F(Cli, DecryptTakesEachFilesLevelFromItsMarker) {
    const std::string input = "abc\nhello\n";
    // c is encrypted at Secret, then at Secretter: the last marker counts.
    const Bytes once = Transformed(Pattern(3000, 3), Level::Secret, true, u"abc", u"");
    WriteBytes("a.bin", Pattern(3000, 1));
    WriteBytes("b.bin", Pattern(3000, 2));
    WriteBytes("c(秘密).bin", once);
    WriteBytes("d.bin", Pattern(3000, 4));
    const std::pair<const char*, const char*> encryptions[] = {
        {"a.bin", "topsecret"}, {"b.bin", "secretter"}, {"c(秘密).bin", "secretter"}};
    for (const auto& [name, option] : encryptions) {
        ASSERT_EQ(RunCli({"encrypt", "--no-backup", "--level", option, name}, input).status, 0);
    }
    ASSERT_EQ(RunCli({"encrypt", "--no-backup", "--no-mark", "d.bin"}, input).status, 0);
    const CliResult result = RunCli(
        {"decrypt", "--no-backup", "a(绝密).bin", "b(机密).bin", "c(秘密)(机密).bin", "d.bin"},
        input);
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(ReadBytes("a.bin"), Pattern(3000, 1));
    EXPECT_EQ(ReadBytes("b.bin"), Pattern(3000, 2));
    EXPECT_EQ(ReadBytes("c(秘密).bin"), once);
    EXPECT_EQ(ReadBytes("d.bin"), Pattern(3000, 4));
}

TEST_F(Cli, SeveralFilesEachOnItsLineAndAFailureDoesNotStopTheOthers) {
    WriteBytes("a.txt", Pattern(10, 1));
    WriteBytes("b.txt", Pattern(10, 2));
    const CliResult result =
        RunCli({"encrypt", "--no-backup", "--no-mark", "a.txt", "missing.txt", "b.txt"}, "pw\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors,
              "a.txt：操作成功！\nmissing.txt：你指定的文件不存在！\nb.txt：操作成功！\n");
    EXPECT_EQ(ReadBytes("b.txt"), Transformed(Pattern(10, 2), Level::Secret, true, u"pw", u""));
    EXPECT_EQ(FolderNames(), (std::set<std::string>{"a.txt", "b.txt"}));
}

TEST_F(Cli, ExitStatuses) {
    WriteBytes("f.doc", Pattern(10));
    struct Case {
        std::vector<std::string> arguments;
        std::string input;
        int status;
        std::string errorsStartWith;
    };
    const Case cases[] = {
        {{"encrypt", "f.doc"}, "", 1, "f.doc：密码不能为空！"},
        {{"encrypt", "--level", "topsecret", "f.doc"}, "abc\n", 1, "f.doc：密码2不能为空！"},
        {{"encrypt", "--level", "secret", "f.doc"}, "密码\n", 1, "f.doc：密码的第 1 个字符"},
        {{"encrypt"}, "", 2, "FILE is required"},
        {{"scramble", "f.doc"}, "", 2, "task: scramble not in"},
        {{"encrypt", "--level", "top", "f.doc"}, "", 2, "--level: top not in"},
        {{"encrypt", "--password", "x", "f.doc"}, "", 2, "The following argument"},
        {{"--help"}, "", 0, ""},
    };
    for (const Case& c : cases) {
        const CliResult result = RunCli(c.arguments, c.input);
        EXPECT_EQ(result.status, c.status) << c.arguments[0] << result.errors;
        EXPECT_EQ(result.errors.rfind(c.errorsStartWith, 0), 0u) << result.errors;
        if (c.status == 0) {
            EXPECT_NE(result.output.find("--no-backup"), std::string::npos);
        }
        if (c.status == 2) {
            EXPECT_NE(result.errors.find("用法：quarnix-cli encrypt|decrypt"), std::string::npos);
        }
    }
    EXPECT_EQ(ReadBytes("f.doc"), Pattern(10));
}

// The level marker lands in the path's last part, never in a "./" or "../"
// typed before it nor in the working folder's name. A symbolic link keeps its
// own name and stays a link.
TEST_F(Cli, RelativePathsAreMarkedInTheFileNameAndReportedAsTyped) {
    ::mkdir("sub", 0755);
    const std::string up = "../" + folder_.substr(folder_.find_last_of('/') + 1) + "/c";
    const std::vector<std::string> names = {"name", "other", "a.doc", "b.txt", "c"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        WriteBytes(names[i], Pattern(300, static_cast<std::uint32_t>(i)));
    }
    WriteBytes("sub/t.bin", Pattern(300, 9));
    ASSERT_EQ(::symlink("sub/t.bin", "l.doc"), 0);
    const CliResult encrypted = RunCli(
        {"encrypt", "--no-backup", "./name", "other", "sub/../a.doc", "./b.txt", up, "./l.doc"},
        "pw\n");
    EXPECT_EQ(encrypted.status, 0);
    EXPECT_EQ(encrypted.errors,
              "./name：操作成功！\n"
              "other：操作成功！\n"
              "sub/../a.doc → sub/../a(秘密).doc：操作成功！\n"
              "./b.txt → ./b(秘密).txt：操作成功！\n" +
                  up + "：操作成功！\n./l.doc → ./l(秘密).doc：操作成功！\n");
    EXPECT_EQ(FolderNames(), (std::set<std::string>{"name", "other", "a(秘密).doc", "b(秘密).txt",
                                                    "c", "l(秘密).doc", "sub"}));
    EXPECT_EQ(std::filesystem::read_symlink("l(秘密).doc"), "sub/t.bin");
    EXPECT_EQ(ReadBytes("sub/t.bin"),
              Transformed(Pattern(300, 9), Level::Secret, true, u"pw", u""));
    const std::vector<std::string> after = {"name", "other", "a(秘密).doc", "b(秘密).txt", "c"};
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(ReadBytes(after[i]), Transformed(Pattern(300, static_cast<std::uint32_t>(i)),
                                                   Level::Secret, true, u"pw", u""))
            << after[i];
    }

    const CliResult decrypted = RunCli(
        {"decrypt", "--no-backup", "--force", "sub/../a(秘密).doc", "./b(秘密).txt"}, "pw\n");
    EXPECT_EQ(decrypted.status, 0);
    EXPECT_EQ(decrypted.errors,
              "sub/../a(秘密).doc → sub/../a.doc：操作成功！\n"
              "./b(秘密).txt → ./b.txt：操作成功！\n");
    EXPECT_EQ(ReadBytes("a.doc"), Pattern(300, 2));
    EXPECT_EQ(ReadBytes("b.txt"), Pattern(300, 3));
}

// "a/b/../c" is the file the kernel finds, whatever b is; a file named twice
// in one call, through a link say, is worked on once.
TEST_F(Cli, PathsMeanWhatTheKernelMakesOfThemAndAFileIsDoneOnce) {
    ::mkdir("elsewhere", 0755);
    ::mkdir("elsewhere/inner", 0755);
    ASSERT_EQ(::symlink("elsewhere/inner", "link"), 0);
    WriteBytes("elsewhere/v.txt", Pattern(300, 1));
    WriteBytes("v.txt", Pattern(300, 2));
    WriteBytes("b.txt", Pattern(300, 3));
    WriteBytes("report.doc", Pattern(300, 4));
    ASSERT_EQ(::link("report.doc", "latest.doc"), 0);
    const CliResult result = RunCli(
        {"encrypt", "--no-backup", "link/../v.txt", "nosuch/../b.txt", "report.doc", "latest.doc"},
        "pw\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors,
              "link/../v.txt → link/../v(秘密).txt：操作成功！\n"
              "nosuch/../b.txt：你指定的文件不存在！\n"
              "report.doc → report(秘密).doc：操作成功！\n"
              "latest.doc：与前面的“report.doc”是同一个文件，没有再处理一次。\n");
    EXPECT_EQ(ReadBytes("elsewhere/v(秘密).txt"),
              Transformed(Pattern(300, 1), Level::Secret, true, u"pw", u""));
    EXPECT_EQ(ReadBytes("v.txt"), Pattern(300, 2));
    EXPECT_EQ(ReadBytes("b.txt"), Pattern(300, 3));
    EXPECT_EQ(ReadBytes("latest.doc"),
              Transformed(Pattern(300, 4), Level::Secret, true, u"pw", u""));
}

// A terminal: the prompts come, the typing is not echoed, each password twice.
TEST_F(Cli, AsksOnATerminalWithoutEcho) {
    WriteBytes("f.doc", Pattern(100));
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const std::string program = QUARNIX_CLI_PATH;
        ::execl(program.c_str(), program.c_str(), "encrypt", "--no-mark", "f.doc", nullptr);
        ::_exit(127);
    }
    std::string seen;
    const auto readUntil = [&](const std::string& text) {
        char buffer[256];
        while (seen.find(text) == std::string::npos) {
            const ssize_t n = ::read(terminal, buffer, sizeof buffer);
            if (n <= 0) {
                return false;
            }
            seen.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    };
    ASSERT_TRUE(readUntil("密码："));
    ASSERT_EQ(::write(terminal, "secret1\n", 8), 8);
    ASSERT_TRUE(readUntil("再次输入密码："));
    ASSERT_EQ(::write(terminal, "secret1\n", 8), 8);
    ASSERT_FALSE(readUntil("the end of the session"));  // reads until the tool is gone
    ::close(terminal);
    EXPECT_NE(seen.find("f.doc：操作成功！"), std::string::npos) << seen;
    EXPECT_EQ(WaitCli(pid), 0);
    EXPECT_EQ(seen.find("secret1"), std::string::npos) << seen;
    EXPECT_EQ(ReadBytes("f.doc"), Transformed(Pattern(100), Level::Secret, true, u"secret1", u""));
}

TEST(ProgressLine, ShowsPhasePercentageAndMegabytes) {
    EXPECT_EQ(cli::ProgressLine("加密", 0, 0),
              "加密 [##############################] 100%  0/0 MiB");
    EXPECT_EQ(cli::ProgressLine("备份", 512ull << 20, 1024ull << 20),
              "备份 [###############---------------]  50%  512/1024 MiB");
}

}  // namespace
}  // namespace quarnix::test
