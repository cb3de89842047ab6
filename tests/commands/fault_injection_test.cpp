// SPDX-License-Identifier: GPL-3.0-or-later
// Every call of the file-operations layer is made to fail in turn. After each,
// the command either succeeded completely, or the file holds wholly its old or
// wholly its new content, the message says which, no success is reported, a
// backup is complete or absent, and no temporary file is left. A hard-linked
// file at TopSecret is copied over in place: a failure once that copy has begun
// keeps the recovery file, which holds the whole new content, and names it.

#include <unistd.h>

#include "engine/outcome_texts.h"
#include "engine/text_codec.h"
#include "faulty_file_ops.h"
#include "file_fixture.h"

namespace quarnix::test {
namespace {

struct Scenario {
    Level level;
    bool encrypt;
    bool unnamedTemp;         // O_TMPFILE available
    bool kernelCopy;          // copy_file_range available
    bool hardLinked = false;  // "f.doc" has a second name, "g.doc"
};

// Where the injected failure came in a hard-linked file's in-place rewrite:
// before the copy over the file, during it (up to the recovery file's
// removal), or after it.
enum class Stage { Before, During, After };

constexpr char Recovery[] = "f.doc.新内容";

std::string Name(const Scenario& s) {
    const char* level = s.level == Level::Secret      ? "Secret"
                        : s.level == Level::Secretter ? "Secretter"
                                                      : "TopSecret";
    return std::string(level) + (s.encrypt ? "Encrypt" : "Decrypt") +
           (s.unnamedTemp ? "" : "NamedTemp") + (s.kernelCopy ? "" : "BufferedCopy") +
           (s.hardLinked ? "HardLinked" : "");
}

class FaultInjection : public FileFixture, public ::testing::WithParamInterface<Scenario> {
  protected:
    // Runs the command on a fresh file, with `setUp` choosing the fault.
    template <typename SetUp>
    CommandOutcome Run(SetUp setUp, FaultyFileOps& files) {
        ClearFolder();
        WriteBytes("f.doc", old_);
        const Scenario& s = GetParam();
        if (s.hardLinked) {
            EXPECT_EQ(::link("f.doc", "g.doc"), 0);
        }
        files.WatchWrites("f.doc");
        if (!s.unnamedTemp) {
            files.Lacks(Step::OpenUnnamed, EOPNOTSUPP);
        }
        if (!s.kernelCopy) {
            files.Lacks(Step::CopyRange, EXDEV);
        }
        setUp(files);
        const CryptRequest request = Request("f.doc", s.level);
        return s.encrypt ? EncryptCommand(request, {}, &files)
                         : DecryptCommand(request, {}, &files);
    }

    void CheckPromise(const CommandOutcome& outcome, const std::string& what, Stage stage) {
        const Scenario& s = GetParam();
        const std::string marked = s.level == Level::Secret      ? "f(秘密).doc"
                                   : s.level == Level::Secretter ? "f(机密).doc"
                                                                 : "f(绝密).doc";
        const std::string backup = s.encrypt ? "f.doc.备份" : "f.doc.BAK";
        const std::string renamed = s.encrypt ? marked : "f.doc";
        const auto names = FolderNames();
        for (const std::string& name : names) {
            EXPECT_TRUE(name == "f.doc" || name == renamed || name == backup ||
                        (s.hardLinked && (name == "g.doc" || name == Recovery)))
                << what << ": left " << name;
        }
        if (names.count(backup) != 0) {
            EXPECT_EQ(ReadBytes(backup), old_) << what << ": backup incomplete";
        }
        if (s.hardLinked) {
            const std::string file = names.count("f.doc") != 0 ? "f.doc" : renamed;
            EXPECT_EQ(ReadBytes("g.doc"), ReadBytes(file)) << what << ": links differ";
        }
        if (outcome.Kind == OutcomeKind::Done) {
            EXPECT_EQ(ReadBytes(renamed), new_) << what;
            EXPECT_EQ(names.size(), s.hardLinked ? 3u : 2u) << what;
            return;
        }
        EXPECT_EQ(outcome.Message.find(u"操作成功"), std::u16string::npos) << what;
        const Bytes now = ReadBytes("f.doc");
        if (outcome.Kind == OutcomeKind::FileMissing) {
            ASSERT_EQ(now, old_) << what;
            return;  // the existence test failed: the fixed refusal, nothing touched
        }
        if (outcome.Message.find(u"被其他程序改动") == std::u16string::npos) {
            EXPECT_NE(outcome.Message.find(ErrorText(EIO)), std::u16string::npos) << what;
        }
        if (s.hardLinked && stage == Stage::During) {
            // The file may be anything now; the recovery file holds the new content.
            ASSERT_EQ(names.count(Recovery), 1u) << what << ": recovery file gone";
            EXPECT_EQ(ReadBytes(Recovery), new_) << what;
            EXPECT_NE(outcome.Message.find(u"恢复文件“" + Utf8ToUtf16(folder_) + u"/" +
                                           Utf8ToUtf16(Recovery) + u"”"),
                      std::u16string::npos)
                << what;
            const char16_t* state =
                now == new_ && outcome.Message.find(u"无法删除恢复文件") != std::u16string::npos
                    ? u"但文件名未改"
                    : u"“f.doc”可能只改写了一部分。完整的";
            EXPECT_NE(outcome.Message.find(state), std::u16string::npos) << what;
            return;
        }
        EXPECT_EQ(names.count(Recovery), 0u) << what;
        ASSERT_TRUE(now == old_ || now == new_) << what << ": mixed content";
        if (s.hardLinked) {
            EXPECT_EQ(now, stage == Stage::Before ? old_ : new_) << what;
        }
        const char16_t* state = now == old_ ? u"“f.doc”未改动" : u"但文件名未改";
        EXPECT_NE(outcome.Message.find(state), std::u16string::npos) << what;
    }

    Bytes old_;
    Bytes new_;
};

TEST_P(FaultInjection, EveryFailingCallKeepsThePromise) {
    const Scenario& s = GetParam();
    // TopSecret streams in chunks of 4 MiB: make it take several.
    old_ = Pattern(s.level == Level::TopSecret ? (4u << 20) + 100000 : 30000);
    new_ = Transformed(old_, s.level, s.encrypt, u"abc", u"hello");

    FaultyFileOps counter;
    ASSERT_EQ(Run([](FaultyFileOps&) {}, counter).Kind, OutcomeKind::Done);
    // A hard-linked file: the copy over it begins with the first write to it
    // and ends with the removal of the recovery file, the command's last unlink.
    const int copyBegins = counter.FirstWatchedWrite();
    const int copyEnds = counter.Position(Step::Unlink, counter.Calls(Step::Unlink) - 1);
    if (s.hardLinked) {
        ASSERT_GE(copyBegins, 0);
        ASSERT_GT(copyEnds, copyBegins);
    }
    int injected = 0;
    int keptRecovery = 0;
    int mixed = 0;
    for (int step = 0; step < static_cast<int>(Step::Count); ++step) {
        // A failing unlink can leave a named temporary file: nothing to promise
        // there, except for the recovery file of a hard-linked file.
        // A step the file system lacks fails anyway.
        if ((static_cast<Step>(step) == Step::Unlink && !s.hardLinked) ||
            (static_cast<Step>(step) == Step::OpenUnnamed && !s.unnamedTemp) ||
            (static_cast<Step>(step) == Step::CopyRange && !s.kernelCopy)) {
            continue;
        }
        for (int index = 0; index < counter.Calls(static_cast<Step>(step)); ++index) {
            for (const bool torn : {false, true}) {
                if (torn && static_cast<Step>(step) != Step::Pwrite) {
                    continue;
                }
                FaultyFileOps files;
                const CommandOutcome outcome = Run(
                    [&](FaultyFileOps& f) { f.FailAt(static_cast<Step>(step), index, EIO, torn); },
                    files);
                const std::string what = std::string(StepName(static_cast<Step>(step))) + " #" +
                                         std::to_string(index) + (torn ? " torn" : "");
                const int at = counter.Position(static_cast<Step>(step), index);
                const Stage stage = at < copyBegins  ? Stage::Before
                                    : at <= copyEnds ? Stage::During
                                                     : Stage::After;
                EXPECT_TRUE(files.Fired()) << what;
                CheckPromise(outcome, what, stage);
                ++injected;
                keptRecovery += Exists(Recovery);
                const Bytes now = ReadBytes("f.doc");
                mixed += Exists("f.doc") && now != old_ && now != new_;
            }
        }
    }
    EXPECT_GE(injected, 15);
    if (s.hardLinked) {
        // The copy over the file failed at its reads, its writes (one torn),
        // its flush and the recovery file's removal.
        EXPECT_GE(keptRecovery, 5);
        EXPECT_GE(mixed, 1);
    } else {
        EXPECT_EQ(mixed, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, FaultInjection,
                         ::testing::Values(Scenario{Level::Secret, true, true, true},
                                           Scenario{Level::Secretter, false, true, false},
                                           Scenario{Level::Secret, true, false, true},
                                           Scenario{Level::TopSecret, true, true, true},
                                           Scenario{Level::TopSecret, false, true, true},
                                           Scenario{Level::TopSecret, true, false, true},
                                           Scenario{Level::TopSecret, true, true, false},
                                           Scenario{Level::TopSecret, true, true, true, true},
                                           Scenario{Level::TopSecret, false, false, true, true}),
                         [](const auto& info) { return Name(info.param); });

}  // namespace
}  // namespace quarnix::test
