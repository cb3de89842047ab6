// SPDX-License-Identifier: GPL-3.0-or-later
// The look at a file's content through quarnix-cli, over real file types at
// every level: a right password goes through, a wrong password or level is
// caught, a plain file is not decrypted and an encrypted one not encrypted
// again, each such file left untouched, and --force does the work anyway. A
// name that tells nothing about the content gets no look at all.

#include <string>
#include <vector>

#include "../cli/cli_process.h"
#include "../commands/file_fixture.h"
#include "sample_files.h"

namespace quarnix::test {
namespace {

class ContentGuard : public FileFixture {};

struct LevelRow {
    const char* option;
    const char* marker;  // as it stands in a marked name, without its dot
    std::string right;   // standard input with the right passwords
    std::string wrong;
    const char* otherOption;
};

// The wrong password 1 is another word of the same length. (One that differs
// only in characters that never meet a binary type's few signature bytes,
// such as "Secret2", goes unnoticed at Secret: those bytes come out right.)
// Password 2 "!W" rotates every sample by 33 x 120 = 3960 bytes, so that the
// first 4 KiB of a TopSecret decryption come from both ends of the file.
const LevelRow Levels[] = {
    {"secret", "(秘密)", "Secret1\n", "Letmein\n", "secretter"},
    {"secretter", "(机密)", "Secret1\n", "Letmein\n", "secret"},
    {"topsecret", "(绝密)", "Secret1\n!W\n", "Letmein\n!W\n", "secret"},
};

std::string Marked(const std::string& name, const char* marker) {
    const std::size_t dot = name.rfind('.');
    return name.substr(0, dot) + marker + name.substr(dot);
}

bool Has(const CliResult& result, const char* text) {
    return result.errors.find(text) != std::string::npos;
}

TEST_F(ContentGuard, CatchesWrongPasswordsAndRepeatedWorkOnRealTypes) {
    for (const SampleFile& sample : SampleFiles()) {
        for (const LevelRow& level : Levels) {
            SCOPED_TRACE(sample.Name + " at " + level.option);
            const std::string& plainName = sample.Name;
            const std::string marked = Marked(plainName, level.marker);
            const auto run = [&](std::vector<std::string> arguments, const std::string& input) {
                arguments.insert(arguments.begin() + 1, {"--password-stdin", "--no-backup"});
                return RunCli(arguments, input);
            };
            WriteBytes(plainName, sample.Content);

            CliResult result = run({"encrypt", "--level", level.option, plainName}, level.right);
            ASSERT_EQ(result.status, 0) << result.errors;
            const Bytes encrypted = ReadBytes(marked);
            ASSERT_NE(encrypted, sample.Content);

            result = run({"encrypt", "--level", level.option, marked}, level.right);
            EXPECT_EQ(result.status, 1);
            EXPECT_TRUE(Has(result, "看来已经加密过了")) << result.errors;

            result = run({"decrypt", marked}, level.wrong);  // the level from the marker
            EXPECT_EQ(result.status, 1);
            EXPECT_TRUE(Has(result, "密码或加密等级可能不对")) << result.errors;

            result = run({"decrypt", "--level", level.otherOption, marked}, level.right);
            EXPECT_EQ(result.status, 1);
            EXPECT_TRUE(Has(result, "密码或加密等级可能不对")) << result.errors;
            EXPECT_EQ(ReadBytes(marked), encrypted);

            result = run({"decrypt", marked}, level.right);
            EXPECT_EQ(result.status, 0) << result.errors;
            EXPECT_EQ(ReadBytes(plainName), sample.Content);

            result = run({"decrypt", "--level", level.option, plainName}, level.right);
            EXPECT_EQ(result.status, 1);
            EXPECT_TRUE(Has(result, "看来并没有加密")) << result.errors;
            EXPECT_EQ(ReadBytes(plainName), sample.Content);

            result = run({"decrypt", "--force", "--level", level.option, plainName}, level.right);
            EXPECT_EQ(result.status, 0) << result.errors;
            EXPECT_NE(ReadBytes(plainName), sample.Content);
            EXPECT_EQ(FolderNames(), std::set<std::string>{plainName});  // nothing left behind
            ClearFolder();
        }
    }
}

// Random bytes (as compressed or encrypted data are) under names that tell
// little or nothing, and the ordinary mistakes around them: each row runs one
// command on the file as the rows before left it.
TEST_F(ContentGuard, OrdinaryMistakesWhereTheNameTellsLittle) {
    const struct {
        const char* name;
        std::vector<std::string> arguments;  // the file's name is added last
        const char* input;
        int status;
        const char* says;  // "" for the usual report
    } rows[] = {
        // A marker of the level chosen: encrypted already, whatever the type.
        {"data(秘密).bin", {"encrypt", "--no-backup", "--no-mark"}, "pw\n", 1, "看来已经加密过了"},
        {"data(秘密).bin", {"encrypt", "--no-backup", "--no-mark", "--force"}, "pw\n", 0, ""},
        {"data(秘密).bin", {"decrypt", "--no-backup", "--no-mark"}, "wrong\n", 0, ""},
        // No marker and nothing in the content: the level must be given.
        {"data", {"decrypt", "--no-backup"}, "pw\n", 1, "请用 --level 指明加密时的等级"},
        {"data", {"decrypt", "--no-backup", "--level", "secret"}, "pw\n", 0, ""},
        {"data", {"encrypt", "--no-backup"}, "pw\n", 0, "文件名中没有“.”，无法标注加密等级"},
        {"archive.pdf", {"encrypt", "--no-backup", "--no-mark"}, "pw\n", 0, ""},
        // An older backup is kept unless the user says otherwise.
        {"archive.pdf",
         {"decrypt", "--no-mark", "--level", "secret", "--force"},
         "pw\n",
         1,
         "要替换旧备份时可加 --replace-backup"},
        {"archive.pdf",
         {"decrypt", "--no-mark", "--level", "secret", "--force", "--replace-backup"},
         "pw\n",
         0,
         ""},
    };
    WriteBytes("data(秘密).bin", Pattern(30000, 5));
    WriteBytes("data", Pattern(30000, 6));
    WriteBytes("archive.pdf", Pattern(30000, 7));
    WriteBytes("archive.pdf.BAK", Pattern(10, 8));
    for (const auto& row : rows) {
        std::vector<std::string> arguments = row.arguments;
        arguments.insert(arguments.begin() + 1, "--password-stdin");
        arguments.push_back(row.name);
        const Bytes before = ReadBytes(row.name);
        const CliResult result = RunCli(arguments, row.input);
        SCOPED_TRACE(std::string(row.name) + " " + row.arguments.front());
        EXPECT_EQ(result.status, row.status) << result.errors;
        EXPECT_TRUE(Has(result, row.says)) << result.errors;
        EXPECT_EQ(ReadBytes(row.name) == before, row.status != 0);
        if (row.arguments.back() == "--replace-backup") {
            EXPECT_EQ(ReadBytes(std::string(row.name) + ".BAK"), before);
        }
    }
}

// Without --level and without a marker, the level is the one whose
// decryption alone gives the name's type.
TEST_F(ContentGuard, UnmarkedNameTheContentTellsTheLevel) {
    const SampleFile text = SampleFiles()[5];  // Chinese text in GBK
    for (const char* level : {"secret", "secretter"}) {
        SCOPED_TRACE(level);
        WriteBytes(text.Name, text.Content);
        ASSERT_EQ(RunCli({"encrypt", "--password-stdin", "--no-backup", "--no-mark", "--level",
                          level, text.Name},
                         "Secret1\n")
                      .status,
                  0);
        const CliResult result =
            RunCli({"decrypt", "--password-stdin", "--no-backup", text.Name}, "Secret1\n");
        EXPECT_EQ(result.status, 0) << result.errors;
        EXPECT_EQ(ReadBytes(text.Name), text.Content);
        ClearFolder();
    }
}

}  // namespace
}  // namespace quarnix::test
