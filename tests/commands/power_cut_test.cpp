// SPDX-License-Identifier: GPL-3.0-or-later
// A power cut before any call of a command, with every pattern of written
// pages lost, followed by the next run on the file: that run first makes the
// file wholly old or wholly new, marker rename included, says what it did,
// and leaves nothing behind but the file and a backup that holds the
// original. What the cut left beside the file holds none of the plaintext.
// After the cut, what a user may have done meanwhile (a new file in the old
// one's place, a damaged record, files of their own named like the program's)
// is never overwritten, and a second cut while settling changes nothing of
// that promise.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

#include "disk_model_file_ops.h"
#include "engine/files/temp_file.h"
#include "engine/format/cipher.h"
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

// What a user may have done between the cut and the next run.
enum class Meanwhile {
    Nothing,
    NewContentSameInode,  // the file rewritten in place, same length
    OtherLength,          // the file rewritten in place, another length
    Restored,             // moved away, and the original put back under its name
    RecordFlipped,        // the run record damaged: one byte of its head flipped
    RecordCutShort,       // cut to half its length
    RecordEmptied,
};

using Kept = std::function<bool(std::int64_t)>;
const Kept Patterns[] = {
    [](std::int64_t) { return true; },   // a kill: every write reached the disk
    [](std::int64_t) { return false; },  // nothing unflushed reached it
    [](std::int64_t page) { return page % 2 == 0; },
    [](std::int64_t page) { return page == 0; },
};
constexpr DiskModelFileOps::PastEnd PastEnds[] = {DiskModelFileOps::PastEnd::Lost,
                                                  DiskModelFileOps::PastEnd::Zeroed,
                                                  DiskModelFileOps::PastEnd::Stale};

std::string RecordName() {
    for (const std::string& name : FolderNames()) {
        if (name.rfind(".quarnix-rec-", 0) == 0 && name != ".quarnix-rec-00000000000000ff") {
            return name;
        }
    }
    return {};
}

// Whether `haystack` holds any 64-byte piece of `plain` at an offset that is
// a multiple of 64 in `plain`.
bool HoldsPlaintext(const Bytes& haystack, const Bytes& plain) {
    for (std::size_t at = 0; at + 64 <= plain.size(); at += 64) {
        const auto piece = plain.begin() + static_cast<long>(at);
        if (std::search(haystack.begin(), haystack.end(), piece, piece + 64) != haystack.end()) {
            return true;
        }
    }
    return false;
}

class PowerCut : public FileFixture, public ::testing::WithParamInterface<CutCase> {
  protected:
    void SetUp() override {
        FileFixture::SetUp();
        const CutCase& c = GetParam();
        new_ = Transformed(old_, c.level, c.encrypt, u"abc", u"hello");
        marked_ = c.level == Level::Secret      ? "f(秘密).doc"
                  : c.level == Level::Secretter ? "f(机密).doc"
                                                : "f(绝密).doc";
        renamed_ = c.mark && c.encrypt ? marked_ : "f.doc";
        backup_ = c.encrypt ? "f.doc.备份" : "f.doc.BAK";
    }

    void MakeFile() {
        ClearFolder();
        WriteBytes("f.doc", old_);
        if (GetParam().hardLinked) {
            ASSERT_EQ(::link("f.doc", "g.doc"), 0);
        }
    }

    CommandOutcome Run(const std::string& path, const CommandHooks& hooks, FileOps* files) {
        const CutCase& c = GetParam();
        CryptRequest request = Request(path, c.level);
        request.MakeBackup = c.backup;
        request.MarkFile = c.mark;
        return c.encrypt ? EncryptCommand(request, hooks, files)
                         : DecryptCommand(request, hooks, files);
    }

    // The file where the command or its record leaves it.
    std::string File() const { return Exists("f.doc") ? "f.doc" : renamed_; }

    // Cuts a fresh run before call `at`; answers the number of calls a whole run makes.
    void CutAt(int at, const Kept& kept, DiskModelFileOps::PastEnd pastEnd) {
        MakeFile();
        DiskModelFileOps cut(at, GetParam().unnamedTemp);
        Run("f.doc", {}, &cut);
        cut.PowerCut(kept, pastEnd);
    }

    // The next run, declined at its look at the content: the file is wholly
    // old or new, as are its other names, and beside it stand only the
    // backup (holding the original) and what the user made.
    CommandOutcome CheckNextRun(const std::string& what, std::set<std::string> extra = {}) {
        const CutCase& c = GetParam();
        const std::string file = File();
        const CommandOutcome next = Run(file, declining_, nullptr);
        EXPECT_TRUE(next.Kind == OutcomeKind::ContentDeclined ||
                    next.Kind == OutcomeKind::EarlierWorkCompleted ||
                    (next.Kind == OutcomeKind::BackupExists && ReadBytes(File()) == new_))
            << what << ": " << Utf16ToUtf8(next.Message);
        const Bytes now = ReadBytes(File());
        EXPECT_TRUE(now == old_ || now == new_) << what << ": mixed content";
        // New content has its new name: a marker rename is never left undone.
        EXPECT_EQ(File(), now == new_ ? renamed_ : "f.doc") << what;
        std::set<std::string> names = std::move(extra);
        names.insert(File());
        if (c.hardLinked) {
            names.insert("g.doc");
            EXPECT_EQ(ReadBytes("g.doc"), now) << what;
        }
        if (Exists(backup_)) {
            names.insert(backup_);
            EXPECT_EQ(ReadBytes(backup_), old_) << what << ": backup not the original";
        }
        EXPECT_EQ(FolderNames(), names) << what << ": " << Utf16ToUtf8(next.Message);
        return next;
    }

    // After the cut, the user does `meanwhile`; the next run must leave what
    // the user made as it is, and name the record it leaves in place.
    void CheckMeanwhile(Meanwhile meanwhile, const std::string& what) {
        const std::string record = RecordName();
        const std::string file = File();
        Bytes users = Pattern(old_.size() + (meanwhile == Meanwhile::OtherLength ? 1000 : 0), 9);
        if (meanwhile == Meanwhile::NewContentSameInode || meanwhile == Meanwhile::OtherLength) {
            const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC);
            ASSERT_EQ(::write(fd, users.data(), users.size()), static_cast<ssize_t>(users.size()));
            ::close(fd);
        } else if (meanwhile == Meanwhile::Restored) {
            // The torn file stays elsewhere, so that the new one gets another inode.
            ASSERT_EQ(::rename(file.c_str(), "moved.doc"), 0);
            users = old_;
            WriteBytes(file, users);
        } else {
            Bytes bytes = ReadBytes(record);
            if (meanwhile == Meanwhile::RecordFlipped) {
                bytes[73] ^= 0x08;  // the set-user-id bit of the file's mode
            }
            bytes.resize(meanwhile == Meanwhile::RecordCutShort  ? bytes.size() / 2
                         : meanwhile == Meanwhile::RecordEmptied ? 0
                                                                 : bytes.size());
            WriteBytes(record, bytes);
            users = ReadBytes(file);
        }
        const mode_t mode = StatOf(file).st_mode;
        const CommandOutcome next = Run(file, declining_, nullptr);
        EXPECT_EQ(ReadBytes(file), users) << what << ": " << Utf16ToUtf8(next.Message);
        EXPECT_EQ(StatOf(file).st_mode, mode) << what;
        if (Exists(record)) {
            ++kept_;
            EXPECT_NE(next.Message.find(Utf8ToUtf16(record)), std::u16string::npos)
                << what << ": the record left in place is not named: " << Utf16ToUtf8(next.Message);
        }
    }

    static struct stat StatOf(const std::string& path) {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
        return info;
    }

    int kept_ = 0;
    Bytes old_ = Pattern(30000);
    Bytes new_;
    std::string marked_;
    std::string renamed_;
    std::string backup_;
    CommandHooks declining_{{}, [](const ContentPreview&) { return false; }, {}, {}, {}};
};

TEST_P(PowerCut, TheNextRunFindsTheFileWhollyOldOrNew) {
    const CutCase& c = GetParam();
    MakeFile();
    DiskModelFileOps counter(-1, c.unnamedTemp);
    ASSERT_EQ(Run("f.doc", {}, &counter).Kind, OutcomeKind::Done);
    const int calls = counter.CallsMade();

    int rolledBack = 0;
    int completed = 0;
    int renamedByNextRun = 0;
    int removed = 0;
    for (int at = 0; at <= calls; ++at) {
        for (std::size_t p = 0; p < std::size(Patterns); ++p) {
            for (const auto pastEnd : PastEnds) {
                const std::string what = "cut before call " + std::to_string(at) + ", pattern " +
                                         std::to_string(p) + "/" +
                                         std::to_string(static_cast<int>(pastEnd));
                CutAt(at, Patterns[p], pastEnd);
                // What a kill during an encryption, or during a decryption
                // in place, left beside the file holds no plaintext but for
                // the backup the user asked for.
                if (p == 0 && pastEnd == DiskModelFileOps::PastEnd::Lost &&
                    (c.encrypt || c.level != Level::TopSecret || c.hardLinked)) {
                    Bytes plain = c.encrypt ? old_ : new_;
                    plain.resize(CipherWindow(c.level, plain.size()));
                    // The original file itself keeps a hidden name for one
                    // look at it while the new file takes its place: that is
                    // no copy, and the next run removes it.
                    const bool swapping = ReadBytes(File()) == new_;
                    for (const std::string& name : FolderNames()) {
                        if (name != "f.doc" && name != "g.doc" && name != marked_ &&
                            name != backup_ && name.rfind(TempNamePrefix(backup_), 0) != 0 &&
                            !(swapping && ReadBytes(name) == old_)) {
                            EXPECT_FALSE(HoldsPlaintext(ReadBytes(name), plain))
                                << what << ": plaintext in " << name;
                        }
                    }
                }
                const bool wasAtOldName = Exists("f.doc");
                const CommandOutcome next = CheckNextRun(what);
                const Bytes now = ReadBytes(File());
                rolledBack += next.Message.find(u"前的内容") != std::u16string::npos;
                removed += next.Message.find(u"临时文件") != std::u16string::npos;
                if (next.Kind == OutcomeKind::EarlierWorkCompleted) {
                    ++completed;
                    EXPECT_EQ(now, new_) << what;
                    renamedByNextRun += wasAtOldName && !Exists("f.doc");
                }
                // The same command again is done once, on the old content only.
                if (now == old_) {
                    ASSERT_EQ(Run("f.doc", {}, nullptr).Kind, OutcomeKind::Done) << what;
                    EXPECT_EQ(ReadBytes(renamed_), new_) << what;
                }
            }
        }
    }
    // A window torn by a cut during its write or flush was put back or
    // finished; so was a file rewritten in place.
    if (c.level != Level::TopSecret || c.hardLinked) {
        EXPECT_GE(c.encrypt ? completed : rolledBack, 1);
    }
    // A cut before the marker rename: the next run gives the marker.
    if (c.encrypt && c.mark) {
        EXPECT_GE(renamedByNextRun, 1);
    }
    // A named temporary file left by the cut was found and removed.
    if (!c.unnamedTemp) {
        EXPECT_GE(removed, 1);
    }
}

// What the user did after the cut is never overwritten by the next run: the
// run record left by the cut is kept and named instead.
TEST_P(PowerCut, AfterTheCutTheUsersFilesAreNeverOverwritten) {
    const CutCase& c = GetParam();
    MakeFile();
    DiskModelFileOps counter(-1, c.unnamedTemp);
    ASSERT_EQ(Run("f.doc", {}, &counter).Kind, OutcomeKind::Done);
    const int calls = counter.CallsMade();
    int withRecord = 0;
    for (int at = 0; at <= calls; ++at) {
        for (const Meanwhile meanwhile :
             {Meanwhile::NewContentSameInode, Meanwhile::OtherLength, Meanwhile::Restored,
              Meanwhile::RecordFlipped, Meanwhile::RecordCutShort, Meanwhile::RecordEmptied}) {
            CutAt(at, Patterns[0], DiskModelFileOps::PastEnd::Lost);
            if (RecordName().empty()) {
                break;
            }
            withRecord += meanwhile == Meanwhile::RecordFlipped;
            CheckMeanwhile(meanwhile, "cut before call " + std::to_string(at) + ", meanwhile " +
                                          std::to_string(static_cast<int>(meanwhile)));
        }
        // Files of the user's named like the records of this program, and of
        // its older versions, are never read, changed or removed.
        CutAt(at, Patterns[0], DiskModelFileOps::PastEnd::Lost);
        const std::map<std::string, Bytes> lookAlikes{
            {"f.doc.新内容", Pattern(old_.size(), 3)},
            {"f.doc.旧内容", Pattern(68, 4)},
            {".quarnix-rec-00000000000000ff", Pattern(5000, 5)},
        };
        for (const auto& [name, bytes] : lookAlikes) {
            WriteBytes(name, bytes);
        }
        std::set<std::string> names;
        for (const auto& [name, bytes] : lookAlikes) {
            names.insert(name);
        }
        CheckNextRun("look-alikes, cut before call " + std::to_string(at), names);
        for (const auto& [name, bytes] : lookAlikes) {
            EXPECT_EQ(ReadBytes(name), bytes) << name;
        }
    }
    if (c.level != Level::TopSecret || c.hardLinked || renamed_ != "f.doc") {
        EXPECT_GE(withRecord, 1);
        EXPECT_GE(kept_, 6);
    }
}

// A second cut while the next run settles what the first left: a third run
// still finds the file wholly old or wholly new. For the cases whose runs
// leave a record: a rewrite in place, or a marker rename after the file.
class PowerCutWhileSettling : public PowerCut {};

TEST_P(PowerCutWhileSettling, ASecondCutKeepsThePromise) {
    const CutCase& c = GetParam();
    MakeFile();
    DiskModelFileOps counter(-1, c.unnamedTemp);
    ASSERT_EQ(Run("f.doc", {}, &counter).Kind, OutcomeKind::Done);
    // A first cut that leaves a record, beside a torn file where there is one.
    int first = -1;
    for (int at = 0, torn = -1; at <= counter.CallsMade() && torn < 0; ++at) {
        CutAt(at, Patterns[2], DiskModelFileOps::PastEnd::Lost);
        const Bytes now = ReadBytes(File());
        first = !RecordName().empty() && (first < 0 || (now != old_ && now != new_)) ? at : first;
        torn = now != old_ && now != new_ ? at : -1;
    }
    ASSERT_GE(first, 0) << "no cut leaves a record";
    CutAt(first, Patterns[2], DiskModelFileOps::PastEnd::Lost);
    DiskModelFileOps settleCounter(-1, c.unnamedTemp);
    Run(File(), declining_, &settleCounter);
    for (int at = 0; at <= settleCounter.CallsMade(); ++at) {
        for (std::size_t p = 0; p < std::size(Patterns); ++p) {
            CutAt(first, Patterns[2], DiskModelFileOps::PastEnd::Lost);
            DiskModelFileOps second(at, c.unnamedTemp);
            Run(File(), declining_, &second);
            second.PowerCut(Patterns[p]);
            CheckNextRun("second cut before call " + std::to_string(at) + ", pattern " +
                         std::to_string(p));
        }
    }
}

const CutCase CutCases[] = {
    {"SecretEncrypt", Level::Secret, true, true, true, false},
    {"SecretEncryptNoBackup", Level::Secret, true, false, true, false},
    {"SecretDecryptNoBackup", Level::Secret, false, false, false, false},
    {"SecretterHardLinked", Level::Secretter, true, true, true, true},
    {"SecretterNoBackupNoMark", Level::Secretter, true, false, false, false},
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

std::vector<CutCase> CasesWithRecords() {
    std::vector<CutCase> cases;
    for (const CutCase& c : CutCases) {
        if (c.level != Level::TopSecret || c.hardLinked || (c.encrypt && c.mark)) {
            cases.push_back(c);
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Commands, PowerCutWhileSettling, ::testing::ValuesIn(CasesWithRecords()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarnix::test
