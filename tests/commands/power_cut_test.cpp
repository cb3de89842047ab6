// SPDX-License-Identifier: GPL-3.0-or-later
// A power cut before any call of a command, with every pattern of written
// pages lost, followed by the next run on the file: that run first puts the
// file back wholly old or finishes it wholly new, says what it did, and leaves
// nothing behind but the file and a backup that holds the original. Declined
// at its look at the content, it changes nothing more; run to its end on a
// file found old, it gives the new content and a backup of the old.

#include <unistd.h>

#include <functional>

#include "disk_model_file_ops.h"
#include "engine/text_codec.h"
#include "file_fixture.h"

namespace quarnix::test {
namespace {

struct CutCase {
    const char* name;
    Level level;
    bool encrypt;
    bool backup;
    bool mark;
    bool hardLinked;  // "f.doc" has a second name, "g.doc"
    bool unnamedTemp = true;
};

class PowerCut : public FileFixture, public ::testing::WithParamInterface<CutCase> {
  protected:
    void MakeFile() {
        ClearFolder();
        WriteBytes("f.doc", old_);
        if (GetParam().hardLinked) {
            ASSERT_EQ(::link("f.doc", "g.doc"), 0);
        }
    }

    CommandOutcome Run(const std::string& path, const CommandHooks& hooks, FileOps* files,
                       bool replaceBackup = false) {
        const CutCase& c = GetParam();
        CryptRequest request = Request(path, c.level);
        request.MakeBackup = c.backup;
        request.ReplaceBackup = replaceBackup;
        request.MarkFile = c.mark;
        return c.encrypt ? EncryptCommand(request, hooks, files)
                         : DecryptCommand(request, hooks, files);
    }

    Bytes old_ = Pattern(30000);
    Bytes new_;
};

TEST_P(PowerCut, TheNextRunFindsTheFileWhollyOldOrNew) {
    const CutCase& c = GetParam();
    new_ = Transformed(old_, c.level, c.encrypt, u"abc", u"hello");
    const std::string marked = c.level == Level::Secret      ? "f(秘密).doc"
                               : c.level == Level::Secretter ? "f(机密).doc"
                                                             : "f(绝密).doc";
    const std::string renamed = c.mark && c.encrypt ? marked : "f.doc";
    const std::string backup = c.encrypt ? "f.doc.备份" : "f.doc.BAK";

    MakeFile();
    DiskModelFileOps counter(-1, c.unnamedTemp);
    ASSERT_EQ(Run("f.doc", {}, &counter).Kind, OutcomeKind::Done);
    const int calls = counter.CallsMade();

    const std::function<bool(std::int64_t)> patterns[] = {
        [](std::int64_t) { return true; },   // a kill: every write reached the disk
        [](std::int64_t) { return false; },  // nothing unflushed reached it
        [](std::int64_t page) { return page % 2 == 0; },
        [](std::int64_t page) { return page == 0; },
    };
    CommandHooks declining;
    declining.ConfirmContent = [](const ContentPreview&) { return false; };
    int rolledBack = 0;
    int completed = 0;
    int removed = 0;
    for (int at = 0; at <= calls; ++at) {
        for (std::size_t p = 0; p < std::size(patterns); ++p) {
            const std::string what =
                "cut before call " + std::to_string(at) + ", pattern " + std::to_string(p);
            MakeFile();
            DiskModelFileOps cut(at, c.unnamedTemp);
            Run("f.doc", {}, &cut);
            cut.PowerCut(patterns[p]);

            const std::string file = Exists("f.doc") ? "f.doc" : renamed;
            const CommandOutcome next = Run(file, declining, nullptr);
            // A backup the cut run made is kept: it holds the original.
            ASSERT_TRUE(next.Kind == OutcomeKind::ContentDeclined ||
                        next.Kind == OutcomeKind::BackupExists ||
                        next.Kind == OutcomeKind::EarlierWorkCompleted)
                << what << ": " << Utf16ToUtf8(next.Message);
            const Bytes now = ReadBytes(file);
            ASSERT_TRUE(now == old_ || now == new_) << what << ": mixed content";
            if (next.Message.find(u"已按恢复记录把它恢复") != std::u16string::npos) {
                ++rolledBack;
                EXPECT_EQ(now, old_) << what;
            }
            removed +=
                next.Message.find(u"已删除上次处理中断时留下的临时文件") != std::u16string::npos;
            if (next.Kind == OutcomeKind::EarlierWorkCompleted) {
                ++completed;
                EXPECT_EQ(now, new_) << what;
            }
            std::set<std::string> names{file};
            if (c.hardLinked) {
                names.insert("g.doc");
                EXPECT_EQ(ReadBytes("g.doc"), now) << what;
            }
            if (Exists(backup)) {
                names.insert(backup);
                EXPECT_EQ(ReadBytes(backup), old_) << what << ": backup not the original";
            }
            EXPECT_EQ(FolderNames(), names) << what;

            if (now == old_ && file == "f.doc") {
                ASSERT_EQ(Run("f.doc", {}, nullptr, true).Kind, OutcomeKind::Done) << what;
                EXPECT_EQ(ReadBytes(renamed), new_) << what;
                if (c.backup) {
                    EXPECT_EQ(ReadBytes(backup), old_) << what;
                }
            }
        }
    }
    // The window torn by a cut during its write or flush was put back; a
    // copy over a hard-linked file cut short was finished.
    if (c.level != Level::TopSecret) {
        EXPECT_GE(rolledBack, 1);
    }
    if (c.hardLinked && c.level == Level::TopSecret) {
        EXPECT_GE(completed, 1);
    }
    // A named temporary file left by the cut was found and removed.
    if (!c.unnamedTemp) {
        EXPECT_GE(removed, 1);
    }
}

const CutCase CutCases[] = {
    {"SecretEncrypt", Level::Secret, true, true, true, false},
    {"SecretDecryptNoBackup", Level::Secret, false, false, false, false},
    {"SecretterHardLinked", Level::Secretter, true, true, true, true},
    {"TopSecretEncrypt", Level::TopSecret, true, true, true, false},
    {"TopSecretDecryptNoMark", Level::TopSecret, false, false, false, false},
    {"TopSecretHardLinked", Level::TopSecret, true, true, true, true},
    {"TopSecretHardLinkedDecrypt", Level::TopSecret, false, false, true, true},
    {"SecretNamedTemp", Level::Secret, true, true, true, false, false},
    {"TopSecretDecryptNamedTemp", Level::TopSecret, false, true, true, false, false},
    {"TopSecretHardLinkedNamedTemp", Level::TopSecret, true, false, false, true, false},
};

INSTANTIATE_TEST_SUITE_P(Commands, PowerCut, ::testing::ValuesIn(CutCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarnix::test
