// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-cli killed (SIGKILL) or interrupted (Ctrl+C) while it encrypts a
// large file at TopSecret: the file is then exactly its old or its new
// content, a backup is complete or absent, and no temporary file remains.
// Ctrl+C ends the tool by SIGINT, and what it reported agrees with the file.
// The moments are found by watching the process's open temporary files, not
// by waiting for a time.

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

#include "../commands/file_fixture.h"
#include "cli_process.h"

namespace quarnix::test {
namespace {

constexpr std::size_t LargeSize = 256u << 20;
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

// A moment of the work, seen from outside: the backup exists or not yet, and
// a temporary file has reached this fraction of the file's size.
struct Moment {
    const char* name;
    bool afterBackup;
    double fraction;                 // negative: at once, before anything happened
    const char* appeared = nullptr;  // or: once a file of this name is there
};

class CliInterrupt : public FileFixture {
  protected:
    void SetUp() override {
        FileFixture::SetUp();
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
        std::filesystem::remove_all(refs_);
        FileFixture::TearDown();
    }

    // Starts the tool on a fresh copy and signals it at the moment.
    int SignalAt(const Moment& moment, int signal, std::vector<std::string> arguments) {
        ClearFolder();
        std::filesystem::copy_file(refs_ + "/old", "f.doc");
        const pid_t pid = StartCli(arguments, Passwords, refs_ + "/errors");
        while (moment.fraction >= 0 && Running(pid) && !Reached(moment, pid)) {
            ::usleep(200);
        }
        ::kill(pid, signal);
        return WaitCli(pid);
    }

    static bool Reached(const Moment& moment, pid_t pid) {
        if (moment.appeared != nullptr) {
            return Exists(moment.appeared);
        }
        const bool backupDone = Exists("f.doc.备份");
        for (const long long size : OpenTempFileSizes(pid)) {
            if (backupDone == moment.afterBackup &&
                static_cast<double>(size) >= moment.fraction * LargeSize) {
                return true;
            }
        }
        return false;
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
        {"at start", false, -1},          {"backup begun", false, 0.0},
        {"backup half done", false, 0.5}, {"rewrite begun", true, 0.0},
        {"rewrite a third", true, 0.33},  {"rewrite nearly done", true, 0.95},
        {"rewrite written", true, 1.0},
    };
    int killed = 0;
    for (const Moment& moment : moments) {
        const int status = SignalAt(moment, SIGKILL, EncryptLarge);
        EXPECT_TRUE(status == -SIGKILL || status == 0) << moment.name << " " << status;
        killed += status == -SIGKILL;
        CheckOldOrNew(moment.name);
    }
    // Most moments come while the tool still runs; a fast machine may finish
    // the last ones before the signal lands.
    EXPECT_GE(killed, 4);
    std::cout << "killed during the work at " << killed << " of " << std::size(moments)
              << " moments\n";
}

TEST_F(CliInterrupt, CtrlCStopsWithTheFileAsItWas) {
    const Moment moments[] = {
        {"backup half done", false, 0.5},
        {"rewrite a quarter", true, 0.25},
    };
    for (const Moment& moment : moments) {
        EXPECT_EQ(SignalAt(moment, SIGINT, EncryptLarge), -SIGINT) << moment.name;
        EXPECT_TRUE(SameContent("f.doc", refs_ + "/old")) << moment.name;
        const auto names = FolderNames();
        // A backup cut short is gone; one finished before the rewrite stays.
        EXPECT_EQ(names.count("f.doc.备份"), moment.afterBackup ? 1u : 0u) << moment.name;
        EXPECT_EQ(names.size(), moment.afterBackup ? 2u : 1u) << moment.name;
    }
}

// Late in the work the file may already be on its way to disk under its new
// content: then the signal waits, the file is reported done, and only then
// does the tool end by the signal. Either way the report tells the truth.
TEST_F(CliInterrupt, CtrlCLateInTheWorkIsReportedAsWhatBecameOfTheFile) {
    const Moment moments[] = {
        {"rewrite nearly done", true, 0.95},
        {"rewrite written", true, 1.0},
        {"marker put in the name", true, 0, "f(绝密).doc"},
    };
    int endedBySignal = 0;
    for (const Moment& moment : moments) {
        const int status = SignalAt(moment, SIGINT, EncryptLarge);
        // Only a tool that had finished before the signal landed exits by itself.
        EXPECT_TRUE(status == -SIGINT || status == 0) << moment.name << " " << status;
        endedBySignal += status == -SIGINT;
        CheckOldOrNew(moment.name);
        const std::string errors = Errors();
        if (Exists("f(绝密).doc")) {
            EXPECT_TRUE(SameContent("f(绝密).doc", refs_ + "/new")) << moment.name;
            EXPECT_EQ(errors, "f.doc → f(绝密).doc：操作成功！\n") << moment.name;
        } else {
            EXPECT_TRUE(SameContent("f.doc", refs_ + "/old")) << moment.name;
            EXPECT_EQ(errors.rfind("f.doc：已取消。", 0), 0u) << moment.name << ": " << errors;
        }
    }
    EXPECT_GE(endedBySignal, 2);
    std::cout << "ended by SIGINT at " << endedBySignal << " of " << std::size(moments)
              << " moments\n";
}

}  // namespace
}  // namespace quarnix::test
