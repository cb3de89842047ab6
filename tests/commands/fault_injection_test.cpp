// SPDX-License-Identifier: GPL-3.0-or-later
// Every call of the file-operations layer is made to fail in turn. After each,
// the command either succeeded completely, or the file holds wholly its old or
// wholly its new content, the message says which, no success is reported, a
// backup is complete or absent, and no temporary file is left. A failure once
// a write over the file itself has begun keeps the run record, names it, and
// the next run makes the file wholly old or wholly new from it.

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
        if (!s.unnamedTemp) {
            files.Lacks(FileOp::OpenUnnamed, EOPNOTSUPP);
        }
        if (!s.kernelCopy) {
            files.Lacks(FileOp::CopyRange, EXDEV);
        }
        setUp(files);
        const CryptRequest request = Request("f.doc", s.level);
        return s.encrypt ? EncryptCommand(request, {}, &files)
                         : DecryptCommand(request, {}, &files);
    }

    // Answers whether a run record was kept.
    bool CheckPromise(const CommandOutcome& outcome, const std::string& what) {
        const Scenario& s = GetParam();
        const std::string marked = s.level == Level::Secret      ? "f(秘密).doc"
                                   : s.level == Level::Secretter ? "f(机密).doc"
                                                                 : "f(绝密).doc";
        const std::string backup = s.encrypt ? "f.doc.备份" : "f.doc.BAK";
        const std::string renamed = s.encrypt ? marked : "f.doc";
        const auto names = FolderNames();
        std::string record;
        // The old file itself, under the hidden name it had while the new one
        // took its place, where that name could not be removed: said so.
        const bool oldLeft =
            outcome.Message.find(u"原来的内容还留在隐藏文件") != std::u16string::npos;
        for (const std::string& name : names) {
            if (name.rfind(".quarnix-rec-", 0) == 0) {
                record = name;
                continue;
            }
            if (oldLeft && name.rfind(".quarnix-", 0) == 0) {
                EXPECT_EQ(ReadBytes(name), old_) << what;
                EXPECT_NE(outcome.Message.find(Utf8ToUtf16(name)), std::u16string::npos) << what;
                continue;
            }
            EXPECT_TRUE(name == "f.doc" || name == renamed || name == backup ||
                        (s.hardLinked && name == "g.doc"))
                << what << ": left " << name;
        }
        if (names.count(backup) != 0) {
            EXPECT_EQ(ReadBytes(backup), old_) << what << ": backup incomplete";
        }
        const std::string file = names.count("f.doc") != 0 ? "f.doc" : renamed;
        if (s.hardLinked) {
            EXPECT_EQ(ReadBytes("g.doc"), ReadBytes(file)) << what << ": links differ";
        }
        if (outcome.Kind == OutcomeKind::Done) {
            EXPECT_EQ(ReadBytes(renamed), new_) << what;
            EXPECT_EQ(names.size(), s.hardLinked ? 3u : 2u) << what;
            return false;
        }
        EXPECT_EQ(outcome.Message.find(u"操作成功"), std::u16string::npos) << what;
        const Bytes now = ReadBytes(file);
        if (outcome.Kind == OutcomeKind::FileMissing) {
            EXPECT_EQ(now, old_) << what;
            return false;  // the existence test failed: the fixed refusal, nothing touched
        }
        if (outcome.Message.find(u"被其他程序改动") == std::u16string::npos) {
            EXPECT_NE(outcome.Message.find(ErrorText(EIO)), std::u16string::npos) << what;
        }
        if (!record.empty()) {
            // The file may be torn; the record, named, makes it whole at the next run.
            EXPECT_NE(outcome.Message.find(u"恢复记录“" + Utf8ToUtf16(folder_) + u"/" +
                                           Utf8ToUtf16(record) + u"”"),
                      std::u16string::npos)
                << what << ": " << Utf16ToUtf8(outcome.Message);
            const CryptRequest request = Request(file, s.level);
            const CommandOutcome next =
                s.encrypt ? EncryptCommand(request) : DecryptCommand(request);
            EXPECT_NE(next.Kind, OutcomeKind::ReadFailed)
                << what << ": " << Utf16ToUtf8(next.Message);
            const std::string after = Exists(renamed) ? renamed : "f.doc";
            EXPECT_EQ(ReadBytes(after), new_)
                << what << ": not finished by the next run: " << Utf16ToUtf8(next.Message);
            EXPECT_FALSE(Exists(record)) << what;
            return true;
        }
        EXPECT_TRUE(now == old_ || now == new_) << what << ": mixed content";
        if (oldLeft) {
            EXPECT_EQ(now, new_) << what;
            return false;
        }
        const char16_t* state = now == old_ ? u"未改动" : u"但文件名未改";
        EXPECT_NE(outcome.Message.find(state), std::u16string::npos)
            << what << ": " << Utf16ToUtf8(outcome.Message);
        return false;
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
    int injected = 0;
    int keptRecord = 0;
    for (int each = 0; each < FileOpCount; ++each) {
        const auto op = static_cast<FileOp>(each);
        // A failing unlink can leave a named temporary file: nothing to promise
        // there but for a run record. A step the file system lacks fails anyway.
        if ((op == FileOp::Unlink && !s.unnamedTemp) ||
            (op == FileOp::OpenUnnamed && !s.unnamedTemp) ||
            (op == FileOp::CopyRange && !s.kernelCopy)) {
            continue;
        }
        for (int index = 0; index < counter.Calls(op); ++index) {
            for (const bool torn : {false, true}) {
                if (torn && op != FileOp::Pwrite) {
                    continue;
                }
                FaultyFileOps files;
                const CommandOutcome outcome =
                    Run([&](FaultyFileOps& f) { f.FailAt(op, index, EIO, torn); }, files);
                const std::string what = std::string(FileOpName(op)) + " #" +
                                         std::to_string(index) + (torn ? " torn" : "");
                EXPECT_TRUE(files.Fired()) << what;
                keptRecord += CheckPromise(outcome, what);
                ++injected;
            }
        }
    }
    EXPECT_GE(injected, 15);
    // A write over the file itself that failed and could not be put back (a
    // hard-linked file at TopSecret, where nothing is put back) kept its record.
    if (s.hardLinked) {
        EXPECT_GE(keptRecord, 3);
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
