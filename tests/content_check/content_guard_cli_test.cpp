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

// Random bytes (as compressed or encrypted data are) under names that promise
// nothing, and under a name that promises a type but carries no marker, on
// encrypt: the commands run as they always have, wrong password included.
TEST_F(ContentGuard, NoQuestionWhereTheNameTellsNothing) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"data(秘密).bin", {"encrypt", "decrypt"}},
        {"data(秘密).qzx", {"encrypt", "decrypt"}},
        {"data", {"decrypt"}},
        {"archive.pdf", {"encrypt"}},
    };
    for (const auto& [name, tasks] : cases) {
        SCOPED_TRACE(name);
        WriteBytes(name, Pattern(30000, 5));
        Bytes before = Pattern(30000, 5);
        for (const std::string& task : tasks) {
            // A wrong password on decrypt: the encryption used "pw".
            const std::string input = task == "encrypt" ? "pw\n" : "wrong\n";
            const CliResult result =
                RunCli({task, "--password-stdin", "--no-backup", "--no-mark", name}, input);
            EXPECT_EQ(result.status, 0) << result.errors;
            EXPECT_NE(ReadBytes(name), before);
            before = ReadBytes(name);
        }
        ClearFolder();
    }
}

}  // namespace
}  // namespace quarnix::test
