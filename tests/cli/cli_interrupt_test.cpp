// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-cli killed (SIGKILL) or interrupted (Ctrl+C) while it encrypts a
// large file at TopSecret: the file is then exactly its old or its new
// content, a backup is complete or absent, and no temporary file remains.
// Ctrl+C ends the tool by SIGINT, and what it reported agrees with the file.
// The tool is stopped at each moment and signalled there (work_moment.h).

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../commands/file_fixture.h"
#include "cli_process.h"
#include "work_moment.h"

namespace quarnix::test {
namespace {

constexpr std::size_t LargeSize = 64u << 20;
const std::vector<std::string> EncryptLarge = {"encrypt", "--password-stdin", "--level",
                                               "topsecret", "f.doc"};
constexpr char Passwords[] = "abc\nhello\n";

bool SameContent(const std::string& a, const std::string& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    std::vector<char> p(1 << 20), q(1 << 20);
    while (x && y) {
        x.read(p.data(), static_cast<std::streamsize>(p.size()));
        y.read(q.data(), static_cast<std::streamsize>(q.size()));
        if (x.gcount() != y.gcount() || !std::equal(p.begin(), p.begin() + x.gcount(), q.begin())) {
            return false;
        }
    }
    return !x && !y;
}

class CliInterrupt : public FileFixture {
  protected:
    void SetUp() override {
        FileFixture::SetUp();
        if (!CanWatchRuns()) {
            GTEST_SKIP() << "only root may look at quarnix-cli's open files";
        }
        refs_ = folder_ + "-refs";
        std::filesystem::create_directory(refs_);
        WriteBytes(refs_ + "/old", Pattern(LargeSize));
        std::filesystem::copy_file(refs_ + "/old", refs_ + "/new");
        const CliResult made = RunCli({"encrypt", "--password-stdin", "--level", "topsecret",
                                       "--no-backup", "--no-mark", refs_ + "/new"},
                                      Passwords);
        ASSERT_EQ(made.status, 0) << made.errors;
    }
    void TearDown() override {
        if (!refs_.empty()) {
            std::filesystem::remove_all(refs_);
        }
        FileFixture::TearDown();
    }

    // Starts the tool on a fresh copy and signals it at the moment, or at
    // once without one.
    int SignalAt(const Moment* moment, int signal) {
        ClearFolder();
        std::filesystem::copy_file(refs_ + "/old", "f.doc");
        const std::string errors = refs_ + "/errors";
        if (moment == nullptr) {
            const pid_t pid = StartCli(EncryptLarge, Passwords, errors);
            ::kill(pid, signal);
            return WaitCli(pid);
        }
        const pid_t pid = StartWatched(EncryptLarge, Passwords, errors);
        if (!StopAt({pid, LargeSize, "f.doc.备份", "f(绝密).doc"}, *moment)) {
            return WaitCli(pid);
        }
        ::kill(pid, signal);
        Continue(pid);
        return WaitCli(pid);
    }

    // The promise, whatever moment the signal struck.
    void CheckOldOrNew(const char* moment) {
        const auto names = FolderNames();
        for (const std::string& name : names) {
            EXPECT_TRUE(name == "f.doc" || name == "f(绝密).doc" || name == "f.doc.备份")
                << moment << ": left " << name;
        }
        const std::string file = names.count("f.doc") ? "f.doc" : "f(绝密).doc";
        EXPECT_EQ(names.count("f.doc") + names.count("f(绝密).doc"), 1u) << moment;
        EXPECT_TRUE(SameContent(file, refs_ + "/old") || SameContent(file, refs_ + "/new"))
            << moment << ": mixed content";
        if (names.count("f.doc.备份")) {
            EXPECT_TRUE(SameContent("f.doc.备份", refs_ + "/old")) << moment;
        }
    }

    std::string Errors() const {
        std::ifstream file(refs_ + "/errors", std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::string refs_;
};

TEST_F(CliInterrupt, KilledAtAnyMomentLeavesOldOrNewAndNoTemporaryFile) {
    const Moment moments[] = {
        {"backup begun", Stage::CopyingBackup, 0.0, 0.5},
        {"backup half done", Stage::CopyingBackup, 0.5, 1.0},
        {"rewrite begun", Stage::Rewriting, 0.0, 0.33},
        {"rewrite a third", Stage::Rewriting, 0.33, 0.9},
        {"rewrite nearly done", Stage::Rewriting, 0.9, 1.0},
        {"rewrite written", Stage::Rewriting, 1.0, 2.0},
    };
    EXPECT_EQ(SignalAt(nullptr, SIGKILL), -SIGKILL);
    CheckOldOrNew("at start");
    for (const Moment& moment : moments) {
        EXPECT_EQ(SignalAt(&moment, SIGKILL), -SIGKILL) << moment.Name;
        CheckOldOrNew(moment.Name);
    }
}

// Until its work is committed the tool stops at the signal: the file stays
// as it was, a backup cut short is gone, one finished before the rewrite
// stays.
TEST_F(CliInterrupt, CtrlCBeforeTheCommitLeavesTheFileAsItWas) {
    const Moment moments[] = {
        {"backup half done", Stage::CopyingBackup, 0.5, 1.0},
        {"rewrite a quarter", Stage::Rewriting, 0.25, 1.0},
        {"rewrite written", Stage::Rewriting, 1.0, 2.0},
    };
    for (const Moment& moment : moments) {
        EXPECT_EQ(SignalAt(&moment, SIGINT), -SIGINT) << moment.Name;
        EXPECT_TRUE(SameContent("f.doc", refs_ + "/old")) << moment.Name;
        const std::set<std::string> left = moment.Stage == Stage::Rewriting
                                               ? std::set<std::string>{"f.doc", "f.doc.备份"}
                                               : std::set<std::string>{"f.doc"};
        EXPECT_EQ(FolderNames(), left) << moment.Name;
        EXPECT_EQ(Errors().rfind("f.doc：已取消。", 0), 0u) << moment.Name << ": " << Errors();
    }
}

// Once committed, the work runs to its end with the signal held back: the
// file is reported done, and only then does the tool end by the signal.
TEST_F(CliInterrupt, CtrlCAfterTheCommitWaitsUntilTheFileIsDoneAndReported) {
    const Moment moments[] = {
        {"committed", Stage::Committed},
        {"marker put in the name", Stage::Renamed},
    };
    for (const Moment& moment : moments) {
        EXPECT_EQ(SignalAt(&moment, SIGINT), -SIGINT) << moment.Name;
        EXPECT_EQ(FolderNames(), (std::set<std::string>{"f(绝密).doc", "f.doc.备份"}))
            << moment.Name;
        EXPECT_TRUE(SameContent("f(绝密).doc", refs_ + "/new")) << moment.Name;
        EXPECT_EQ(Errors(), "f.doc → f(绝密).doc：操作成功！\n") << moment.Name;
    }
}

}  // namespace
}  // namespace quarnix::test
