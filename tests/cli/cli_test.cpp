// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-cli end to end: round trips, exit statuses and the command line in
// Chinese, several files, relative paths, a file named twice.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "../commands/file_fixture.h"
#include "cli/progress_bar.h"
#include "cli_process.h"
#include "engine/files/forwarding_file_ops.h"
#include "engine/product.h"

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
        const CliResult encrypted =
            RunCli({"encrypt", "--password-stdin", "--level", c.option, "f.doc"}, c.input);
        EXPECT_EQ(encrypted.status, 0) << encrypted.errors;
        EXPECT_EQ(encrypted.errors, std::string("f.doc → ") + c.marked + "：操作成功！\n");
        EXPECT_EQ(ReadBytes(c.marked), Transformed(plain, c.level, true, u"abc", u"hello"));
        EXPECT_EQ(ReadBytes("f.doc.备份"), plain);
        // Pattern bytes are no Word document: without --force the look at the
        // content would keep the file as it is.
        const CliResult decrypted = RunCli({"decrypt", "--password-stdin", "--no-backup", "--force",
                                            "--level", c.option, c.marked},
                                           c.input);
        EXPECT_EQ(decrypted.status, 0) << decrypted.errors;
        EXPECT_EQ(ReadBytes("f.doc"), plain);
        EXPECT_EQ(FolderNames(), (std::set<std::string>{"f.doc", "f.doc.备份"}));
        ClearFolder();
    }
}

// A decryption at Secretter cut short after its first page, and its putting
// back failing: the window is torn, and the run record that puts it back
// stays beside the file.
class WindowTornAfterOnePage : public ForwardingFileOps {
  public:
    WindowTornAfterOnePage() : ForwardingFileOps(SystemFileOps()) {}
    std::int64_t Pwrite(int fd, const void* buffer, std::size_t size,
                        std::int64_t offset) override {
        if (offset == 0 && size == 20481) {
            if (!torn_) {
                torn_ = true;
                inner().Pwrite(fd, buffer, 4096, 0);
            }
            return -EIO;
        }
        return inner().Pwrite(fd, buffer, size, offset);
    }

  protected:
    std::int64_t Intercept(const FileCall& call, const Forward& forward) override {
        return call.op == FileOp::Unlink ? -EIO : forward();
    }

  private:
    bool torn_ = false;
};

// Without --level and without a marker, the level of an interrupted earlier
// run's record is taken, and what the command at that level sets right first
// is said, not done in silence by a look at the file.
TEST_F(Cli, AnUnmarkedNameWithAnInterruptedRunIsSettledAndSaidSo) {
    const Bytes plain = Pattern(30000, 4);
    WriteBytes("plan.pdf", Transformed(plain, Level::Secretter, true, u"abc", u""));
    CryptRequest request = Request("plan.pdf", Level::Secretter, u"abc", u"");
    request.MakeBackup = false;
    request.MarkFile = false;
    WindowTornAfterOnePage failing;
    ASSERT_EQ(DecryptCommand(request, {}, &failing).Kind, OutcomeKind::WriteFailed);
    const CliResult result =
        RunCli({"decrypt", "--password-stdin", "--no-backup", "--force", "plan.pdf"}, "abc\n");
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_NE(result.errors.find("已按它留下的恢复记录把它恢复为解密前的内容"), std::string::npos)
        << result.errors;
    EXPECT_NE(result.errors.find("操作成功！"), std::string::npos) << result.errors;
    EXPECT_EQ(ReadBytes("plan.pdf"), plain);
    EXPECT_EQ(FolderNames(), std::set<std::string>{"plan.pdf"});
}

// The advice on password 2 is the window's too: the tool gives it as a note
// and goes on, since the command itself does not refuse such a password.
TEST_F(Cli, APassword2LikeThePasswordOrTooShortIsNoted) {
    const struct {
        const char* input;
        const char* note;
    } cases[] = {
        {"abcdef\nabcdef\n", "注意：密码2与密码相同，不能增加保护。\n"},
        {"abc\nxyz\n", "注意：密码2太短，至少应有 5 个字符。\n"},
        {"abc\nhello\n", ""},
    };
    for (const auto& c : cases) {
        WriteBytes("f.doc", Pattern(500));
        const CliResult result =
            RunCli({"encrypt", "--password-stdin", "--level", "topsecret", "--no-backup", "f.doc"},
                   c.input);
        EXPECT_EQ(result.status, 0) << result.errors;
        EXPECT_EQ(result.errors, std::string(c.note) + "f.doc → f(绝密).doc：操作成功！\n");
        ClearFolder();
    }
}

// Without --level, decrypt works each file at the level of the marker in its
// name, and reads password 2 when any file needs it. A name without a marker
// whose content does not tell the level is left alone: --level must say it.
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
        ASSERT_EQ(
            RunCli({"encrypt", "--password-stdin", "--no-backup", "--level", option, name}, input)
                .status,
            0);
    }
    ASSERT_EQ(
        RunCli({"encrypt", "--password-stdin", "--no-backup", "--no-mark", "d.bin"}, input).status,
        0);
    const CliResult result = RunCli({"decrypt", "--password-stdin", "--no-backup", "a(绝密).bin",
                                     "b(机密).bin", "c(秘密)(机密).bin", "d.bin"},
                                    input);
    EXPECT_EQ(result.status, 1) << result.errors;
    EXPECT_NE(
        result.errors.find("d.bin：文件名中没有加密等级标记，从内容也看不出是按哪个等级加密的。"
                           "文件未改动；请用 --level 指明加密时的等级。\n"),
        std::string::npos)
        << result.errors;
    EXPECT_EQ(ReadBytes("a.bin"), Pattern(3000, 1));
    EXPECT_EQ(ReadBytes("b.bin"), Pattern(3000, 2));
    EXPECT_EQ(ReadBytes("c(秘密).bin"), once);
    EXPECT_EQ(ReadBytes("d.bin"), Transformed(Pattern(3000, 4), Level::Secret, true, u"abc", u""));
    EXPECT_EQ(
        RunCli({"decrypt", "--password-stdin", "--no-backup", "--level", "secret", "d.bin"}, input)
            .status,
        0);
    EXPECT_EQ(ReadBytes("d.bin"), Pattern(3000, 4));
}

TEST_F(Cli, SeveralFilesEachOnItsLineAndAFailureDoesNotStopTheOthers) {
    WriteBytes("a.txt", Pattern(10, 1));
    WriteBytes("b.txt", Pattern(10, 2));
    const CliResult result = RunCli({"encrypt", "--password-stdin", "--no-backup", "--no-mark",
                                     "a.txt", "missing.txt", "b.txt"},
                                    "pw\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors,
              "a.txt：操作成功！\nmissing.txt：你指定的文件不存在！\nb.txt：操作成功！\n");
    EXPECT_EQ(ReadBytes("b.txt"), Transformed(Pattern(10, 2), Level::Secret, true, u"pw", u""));
    EXPECT_EQ(FolderNames(), (std::set<std::string>{"a.txt", "b.txt"}));
}

// The words a command-line message may hold besides Chinese: the tool, its
// options and their values, and what the user typed.
bool OnlyKnownWords(const std::string& text, const std::vector<std::string>& typed) {
    std::set<std::string> known{"Quarnix", "quarnix",   "cli",       "encrypt", "decrypt",  "level",
                                "secret",  "secretter", "topsecret", "no",      "backup",   "mark",
                                "force",   "help",      "task",      "replace", "password", "stdin",
                                "FILE",    "Ctrl",      "C",         "x",       "txt"};
    for (const std::string& argument : typed) {
        std::string word;
        for (const char c : argument + " ") {
            if (std::isalpha(static_cast<unsigned char>(c))) {
                word += c;
            } else if (!word.empty()) {
                known.insert(word), word.clear();
            }
        }
    }
    std::string word;
    for (const char c : text + " ") {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            word += c;
        } else if (!word.empty()) {
            if (known.count(word) == 0) {
                ADD_FAILURE() << "\"" << word << "\" in: " << text;
                return false;
            }
            word.clear();
        }
    }
    return true;
}

TEST_F(Cli, ExitStatusesAndTheCommandLineInChinese) {
    WriteBytes("f.doc", Pattern(10));
    struct Case {
        std::vector<std::string> arguments;
        std::string input;
        int status;
        std::string errorsStartWith;
    };
    const std::string dash = "文件名以“-”开头时，请写在“--”之后，例如：quarnix-cli encrypt -- ";
    const Case cases[] = {
        {{"encrypt", "--password-stdin", "f.doc"}, "", 1, "f.doc：密码不能为空！"},
        {{"encrypt", "--password-stdin", "--level", "topsecret", "f.doc"},
         "abc\n",
         1,
         "f.doc：密码2不能为空！"},
        {{"encrypt", "--password-stdin", "--level", "secret", "f.doc"},
         "密码\n",
         1,
         "f.doc：密码的第 1 个字符"},
        // No terminal to ask on: the passwords in the input are not taken.
        {{"encrypt", "f.doc"},
         "pw\n",
         2,
         "没有可以询问密码的终端：在脚本中请加 --password-stdin，从标准输入给出密码"},
        {{}, "", 2, "缺少 task：encrypt（加密）或 decrypt（解密）。\n用法："},
        {{"encrypt"}, "", 2, "缺少 FILE：要处理的文件，可以有多个。\n用法："},
        {{"encrypt", "-x.txt"},
         "",
         2,
         "缺少 FILE：要处理的文件，可以有多个。\n不认识的选项：-x.txt。\n" + dash + "-x.txt\n"},
        {{"decrypt", "f.doc", "-q"}, "", 2, "不认识的选项：-q。\n" + dash + "-q\n用法："},
        {{"encrypt", "--password", "x", "f.doc"}, "", 2, "不认识的选项：--password。\n用法："},
        {{"scramble", "f.doc"}, "", 2, "task 的值“scramble”无效，只能是 encrypt 或 decrypt。\n"},
        {{"encrypt", "--level", "top", "f.doc"},
         "",
         2,
         "--level 的值“top”无效，只能是 secret、secretter 或 topsecret。\n"},
        {{"encrypt", "--level", "secret", "--level=secret", "f.doc"},
         "",
         2,
         "选项 --level 只能给出一次。\n"},
        {{"encrypt", "--level"}, "", 2, "选项 --level 后面缺少它的值。\n"},
        {{"encrypt", "--no-mark=maybe", "f.doc"}, "", 2, "选项 --no-mark 的值无效。\n"},
        {{"--help"}, "", 0, ""},
        {{"encrypt", "--version"}, "", 0, ""},
    };
    for (const Case& c : cases) {
        const CliResult result = RunCli(c.arguments, c.input);
        const std::string what = c.arguments.empty() ? "(none)" : c.arguments.back();
        EXPECT_EQ(result.status, c.status) << what << result.errors;
        EXPECT_EQ(result.errors.rfind(c.errorsStartWith, 0), 0u) << result.errors;
        if (c.status == 2) {
            EXPECT_NE(result.errors.find("用法：quarnix-cli encrypt|decrypt"), std::string::npos);
            EXPECT_TRUE(OnlyKnownWords(result.errors, c.arguments));
        }
    }
    EXPECT_EQ(RunCli({"--version"}, "").output, std::string("quarnix-cli ") + VersionText + "\n");
    const std::string help = RunCli({"--help"}, "").output;
    for (const char* heading :
         {"\n用法：quarnix-cli", "\n位置参数：\n", "\n选项：\n", "--no-backup"}) {
        EXPECT_NE(help.find(heading), std::string::npos) << heading << " in\n" << help;
    }
    EXPECT_TRUE(OnlyKnownWords(help, {"h", "version", "topsecret", "password-stdin"}));
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
    const CliResult encrypted = RunCli({"encrypt", "--password-stdin", "--no-backup", "./name",
                                        "other", "sub/../a.doc", "./b.txt", up, "./l.doc"},
                                       "pw\n");
    EXPECT_EQ(encrypted.status, 0);
    // A name without a dot cannot carry the marker, which is said after the report.
    const std::string noDot =
        "：文件名中没有“.”，无法标注加密等级；解密时请用 --level 指明等级。\n";
    EXPECT_EQ(encrypted.errors,
              "./name：操作成功！\n./name" + noDot + "other：操作成功！\nother" + noDot +
                  "sub/../a.doc → sub/../a(秘密).doc：操作成功！\n"
                  "./b.txt → ./b(秘密).txt：操作成功！\n" +
                  up + "：操作成功！\n" + up + noDot + "./l.doc → ./l(秘密).doc：操作成功！\n");
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

    const CliResult decrypted = RunCli({"decrypt", "--password-stdin", "--no-backup", "--force",
                                        "sub/../a(秘密).doc", "./b(秘密).txt"},
                                       "pw\n");
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
    const CliResult result = RunCli({"encrypt", "--password-stdin", "--no-backup", "link/../v.txt",
                                     "nosuch/../b.txt", "report.doc", "latest.doc"},
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

// The bar fills what the terminal's width leaves, short of the last column,
// and gives way to the percentage alone in a narrow pane; megabytes are shown
// only where a megabyte or more is worked (not for the 20481 bytes of 秘密).
TEST(ProgressLine, FitsTheTerminalAndCountsOnlyWhatIsCounted) {
    struct Case {
        const char* phase;
        std::uint64_t done, total;
        int columns;
        std::string line;
    };
    const Case cases[] = {
        {"加密", 0, 0, 80, "加密 [" + std::string(50, '#') + "] 100%"},
        {"备份", 512ull << 20, 1024ull << 20, 80,
         "备份 [" + std::string(25, '#') + std::string(25, '-') + "]  50%  512/1024 MiB"},
        {"加密", 10000, 20481, 40,
         "加密 [" + std::string(13, '#') + std::string(14, '-') + "]  48%"},
        {"解密", 1ull << 20, 4ull << 20, 20, "解密  25%  1/4 MiB"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cli::ProgressLine(c.phase, c.done, c.total, c.columns), c.line) << c.columns;
    }
}

}  // namespace
}  // namespace quarnix::test
