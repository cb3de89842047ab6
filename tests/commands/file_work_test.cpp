// SPDX-License-Identifier: GPL-3.0-or-later
// The file work of a successful command: content, length, backups, names,
// links and permission bits.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "engine/files/forwarding_file_ops.h"
#include "engine/format/level_marker.h"
#include "engine/text_codec.h"
#include "faulty_file_ops.h"
#include "file_fixture.h"

namespace quarnix::test {
namespace {

const char* Marked(Level level) {
    return level == Level::Secret      ? "f(秘密).doc"
           : level == Level::Secretter ? "f(机密).doc"
                                       : "f(绝密).doc";
}

struct SizeCase {
    Level level;
    std::size_t size;
};

class RoundTrip : public FileFixture, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(RoundTrip, KeepsLengthTailAndBackupsAndRestoresEveryByte) {
    const auto [level, size] = GetParam();
    const Bytes plain = Pattern(size, static_cast<std::uint32_t>(size));
    const Bytes encrypted = Transformed(plain, level, true, u"abc", u"hello");
    WriteBytes("f.doc", plain);

    ASSERT_EQ(EncryptCommand(Request("f.doc", level)).Kind, OutcomeKind::Done);
    EXPECT_EQ(ReadBytes(Marked(level)), encrypted);
    EXPECT_EQ(ReadBytes("f.doc.备份"), plain);
    if (level != Level::TopSecret && size > 20481) {
        EXPECT_TRUE(std::equal(plain.begin() + 20481, plain.end(), encrypted.begin() + 20481));
    }
    ASSERT_EQ(DecryptCommand(Request(Marked(level), level)).Kind, OutcomeKind::Done);
    EXPECT_EQ(ReadBytes("f.doc"), plain);
    EXPECT_EQ(ReadBytes(std::string(Marked(level)) + ".BAK"), encrypted);
    EXPECT_EQ(FolderNames(),
              (std::set<std::string>{"f.doc", "f.doc.备份", std::string(Marked(level)) + ".BAK"}));
}

std::vector<SizeCase> SizeCases() {
    std::vector<SizeCase> cases;
    for (const Level level : {Level::Secret, Level::Secretter, Level::TopSecret}) {
        for (const std::size_t size : {0, 1, 13, 20480, 20481, 20482, 30000, 100000}) {
            cases.push_back({level, size});
        }
    }
    cases.push_back({Level::TopSecret, (9u << 20) + 7});  // several chunks in both segments
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Commands, RoundTrip, ::testing::ValuesIn(SizeCases()));

struct NameCase {
    const char* path;
    Level level;
    bool encrypt;
    const char* expected;  // the path afterwards
    OutcomeKind kind;
};

// 250 bytes: fits, but not with the marker's 8 more.
const std::string LongName = std::string(246, 'a') + ".doc";

const NameCase NameCases[] = {
    {"report.doc", Level::Secret, true, "report(秘密).doc", OutcomeKind::Done},
    {"x.tar.gz", Level::Secretter, true, "x.tar(机密).gz", OutcomeKind::Done},
    {".cfg", Level::TopSecret, true, "(绝密).cfg", OutcomeKind::Done},
    {"readme", Level::Secret, true, "readme", OutcomeKind::Done},
    {"a(秘密).doc", Level::Secret, false, "a.doc", OutcomeKind::Done},
    {"a(秘密).doc", Level::Secret, true, "a(秘密)(秘密).doc", OutcomeKind::Done},
    {"a(机密).doc", Level::Secret, false, "a(机密).doc", OutcomeKind::Done},
    {"old.data/readme", Level::Secret, true, "old.data/readme",
     OutcomeKind::RenameTargetFolderMissing},
    {"taken.doc", Level::TopSecret, true, "taken.doc", OutcomeKind::RenameTargetExists},
    {"dir.doc", Level::Secret, true, "dir.doc", OutcomeKind::RenameTargetExists},
    {LongName.c_str(), Level::Secret, true, LongName.c_str(), OutcomeKind::RenameFailed},
    // A link to nothing at the marked name is taken all the same.
    {"dangle.doc", Level::Secret, true, "dangle.doc", OutcomeKind::RenameTargetExists},
};

// Renames on a file system with RENAME_NOREPLACE, without it, and without hard links.
class MarkerRename : public FileFixture,
                     public ::testing::WithParamInterface<std::tuple<NameCase, int>> {};

TEST_P(MarkerRename, FollowsTheNameRulesAndNeverReplaces) {
    const auto& [c, fileSystem] = GetParam();
    ::mkdir("old.data", 0755);
    ::mkdir("dir(秘密).doc", 0755);
    WriteBytes(c.path, Pattern(500));
    WriteBytes("taken(绝密).doc", Pattern(9));
    ASSERT_EQ(::symlink("nowhere", "dangle(秘密).doc"), 0);
    FaultyFileOps files;
    if (fileSystem >= 1) {
        files.Lacks(FileOp::RenameNoReplace, EINVAL);
    }
    if (fileSystem >= 2) {
        files.Lacks(FileOp::Link, EPERM);
    }
    const CryptRequest request = Request(c.path, c.level);
    const CommandOutcome outcome =
        c.encrypt ? EncryptCommand(request, {}, &files) : DecryptCommand(request, {}, &files);
    EXPECT_EQ(outcome.Kind, c.kind);
    const bool done = c.kind == OutcomeKind::Done;
    // A rename bound to fail is refused before anything is written, backup included.
    EXPECT_EQ(
        ReadBytes(c.expected),
        done ? Transformed(Pattern(500), c.level, c.encrypt, u"abc", u"hello") : Pattern(500));
    EXPECT_EQ(ReadBytes("taken(绝密).doc"), Pattern(9));
    EXPECT_EQ(Exists(std::string(c.path) + (c.encrypt ? ".备份" : ".BAK")), done);
    if (!done) {
        EXPECT_NE(outcome.Message.find(Utf8ToUtf16(c.path) + u"”未改动。"), std::u16string::npos);
    }
    if (std::string(c.expected) != c.path) {
        EXPECT_FALSE(Exists(c.path));
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, MarkerRename,
                         ::testing::Combine(::testing::ValuesIn(NameCases),
                                            ::testing::Values(0, 1, 2)));

class Links : public FileFixture, public ::testing::WithParamInterface<Level> {};

TEST_P(Links, SymbolicLinkStaysALinkToTheNewContent) {
    const Level level = GetParam();
    ::mkdir("store", 0700);
    WriteBytes("store/real.bin", Pattern(70000));
    ASSERT_EQ(::symlink("store/real.bin", "f.doc"), 0);
    ASSERT_EQ(EncryptCommand(Request("f.doc", level)).Kind, OutcomeKind::Done);
    EXPECT_TRUE(std::filesystem::is_symlink(Marked(level)));
    EXPECT_EQ(std::filesystem::read_symlink(Marked(level)), "store/real.bin");
    EXPECT_EQ(ReadBytes("store/real.bin"),
              Transformed(Pattern(70000), level, true, u"abc", u"hello"));
    EXPECT_FALSE(std::filesystem::is_symlink("f.doc.备份"));
    EXPECT_EQ(ReadBytes("f.doc.备份"), Pattern(70000));
    EXPECT_EQ(FolderNames("store"), std::set<std::string>{"real.bin"});
}

TEST_P(Links, HardLinksAllSeeTheNewContentBothWays) {
    const Level level = GetParam();
    // TopSecret rewrites in chunks of 4 MiB: make it take several.
    const Bytes plain = Pattern(level == Level::TopSecret ? (9u << 20) + 7 : 30000);
    const Bytes encrypted = Transformed(plain, level, true, u"abc", u"hello");
    WriteBytes("a.doc", plain);
    ASSERT_EQ(::link("a.doc", "b.doc"), 0);
    const std::string marked = level == Level::Secret      ? "a(秘密).doc"
                               : level == Level::Secretter ? "a(机密).doc"
                                                           : "a(绝密).doc";
    ASSERT_EQ(EncryptCommand(Request("a.doc", level)).Kind, OutcomeKind::Done);
    EXPECT_EQ(ReadBytes(marked), encrypted);
    EXPECT_EQ(ReadBytes("b.doc"), encrypted);
    EXPECT_EQ(std::filesystem::hard_link_count("b.doc"), 2u);
    EXPECT_EQ(std::filesystem::equivalent(marked, "b.doc"), true);

    ASSERT_EQ(DecryptCommand(Request("b.doc", level)).Kind, OutcomeKind::Done);
    EXPECT_EQ(ReadBytes(marked), plain);
    EXPECT_EQ(ReadBytes("b.doc"), plain);
    EXPECT_EQ(std::filesystem::hard_link_count("b.doc"), 2u);
    EXPECT_EQ(FolderNames(), (std::set<std::string>{marked, "b.doc", "a.doc.备份", "b.doc.BAK"}));
    EXPECT_EQ(ReadBytes("b.doc.BAK"), encrypted);
}

TEST_P(Links, SymbolicLinkToAHardLinkedFileRewritesItBesideItsRealName) {
    const Level level = GetParam();
    ::mkdir("store", 0700);
    WriteBytes("store/real.bin", Pattern(70000));
    ASSERT_EQ(::link("store/real.bin", "store/other.bin"), 0);
    ASSERT_EQ(::symlink("store/real.bin", "f.doc"), 0);
    ASSERT_EQ(EncryptCommand(Request("f.doc", level)).Kind, OutcomeKind::Done);
    EXPECT_EQ(std::filesystem::read_symlink(Marked(level)), "store/real.bin");
    EXPECT_EQ(ReadBytes("store/other.bin"),
              Transformed(Pattern(70000), level, true, u"abc", u"hello"));
    EXPECT_EQ(FolderNames("store"), (std::set<std::string>{"real.bin", "other.bin"}));
    EXPECT_EQ(FolderNames(), (std::set<std::string>{"store", Marked(level), "f.doc.备份"}));
}

TEST_P(Links, PermissionBitsOwnerAndGroupStay) {
    const Level level = GetParam();
    for (const mode_t mode : {0600, 0640, 0604, 0751, 02755}) {
        WriteBytes("f.doc", Pattern(5000));
        ASSERT_EQ(::chmod("f.doc", mode), 0);
        const bool root = ::geteuid() == 0;
        if (root) {
            ASSERT_EQ(::chown("f.doc", 4321, 4322), 0);
            ASSERT_EQ(::chmod("f.doc", mode), 0);  // chown cleared the set-id bit
        }
        ASSERT_EQ(EncryptCommand(Request("f.doc", level)).Kind, OutcomeKind::Done);
        struct stat info {};
        ASSERT_EQ(::stat(Marked(level), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        if (root) {
            EXPECT_EQ(info.st_uid, 4321u);
            EXPECT_EQ(info.st_gid, 4322u);
        }
        ASSERT_EQ(::stat("f.doc.备份", &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        ClearFolder();
    }
}

// Whatever the program leaves beside a file while it works has a short name
// of its own: a file whose name is as long as the folder takes once marked
// (255 bytes) is encrypted and decrypted at every level, hard-linked or not.
TEST_P(Links, ANameThatFillsTheFolderOnceMarkedRoundTrips) {
    std::string stem;
    for (int i = 0; i < 81; ++i) {
        stem += "文";  // three bytes each
    }
    const std::string plain = stem + ".txt";
    const std::string marked = stem + Utf16ToUtf8(LevelMarker(GetParam())) + "txt";
    ASSERT_EQ(marked.size(), 255u);
    for (const bool hardLinked : {false, true}) {
        WriteBytes(plain, Pattern(30000));
        if (hardLinked) {
            ASSERT_EQ(::link(plain.c_str(), "g.txt"), 0);
        }
        CryptRequest request = Request(plain, GetParam());
        request.MakeBackup = false;
        ASSERT_EQ(EncryptCommand(request).Kind, OutcomeKind::Done);
        request.FilePath = Utf8ToUtf16(marked);
        const CommandOutcome back = DecryptCommand(request);
        ASSERT_EQ(back.Kind, OutcomeKind::Done) << Utf16ToUtf8(back.Message);
        EXPECT_EQ(ReadBytes(plain), Pattern(30000));
        EXPECT_EQ(FolderNames().size(), hardLinked ? 2u : 1u);
        ClearFolder();
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, Links,
                         ::testing::Values(Level::Secret, Level::Secretter, Level::TopSecret));

class Backups : public FileFixture {};

TEST_F(Backups, ExistingBackupIsReplacedByACompleteOneAndNoBackupWhenNotAsked) {
    WriteBytes("f.doc", Pattern(40000));
    WriteBytes("f.doc.备份", Pattern(7, 9));
    CryptRequest request = Request("f.doc", Level::Secret);
    request.MarkFile = false;
    request.ReplaceBackup = true;  // the user said so
    ASSERT_EQ(EncryptCommand(request).Kind, OutcomeKind::Done);
    EXPECT_EQ(ReadBytes("f.doc.备份"), Pattern(40000));
    request.MakeBackup = false;
    ASSERT_EQ(DecryptCommand(request).Kind, OutcomeKind::Done);
    EXPECT_EQ(ReadBytes("f.doc"), Pattern(40000));
    EXPECT_EQ(FolderNames(), (std::set<std::string>{"f.doc", "f.doc.备份"}));
}

// A file system whose folders take names of at most 11 bytes, and that
// counts the bytes written to it.
class ShortNames : public ForwardingFileOps {
  public:
    ShortNames() : ForwardingFileOps(SystemFileOps()) {}
    std::int64_t written_ = 0;

  protected:
    std::int64_t Intercept(const FileCall& call, const Forward& forward) override {
        if (call.op == FileOp::NameMax) {
            return 11;
        }
        if (call.op == FileOp::Pwrite || call.op == FileOp::CopyRange) {
            written_ += call.size;
        }
        return forward();
    }
};

// "f.doc.备份" takes 12 bytes, "f(秘密).doc" 13: the first name too long is
// refused before a byte is copied, with the marker and without.
TEST_F(Backups, ANameLongerThanTheFolderTakesIsRefusedBeforeTheCopy) {
    for (const bool mark : {true, false}) {
        WriteBytes("f.doc", Pattern(40000));
        CryptRequest request = Request("f.doc", Level::Secret);
        request.MarkFile = mark;
        ShortNames files;
        const CommandOutcome outcome = EncryptCommand(request, {}, &files);
        EXPECT_EQ(outcome.Kind, mark ? OutcomeKind::RenameFailed : OutcomeKind::BackupFailed);
        EXPECT_NE(outcome.Message.find(u"文件“f.doc”未改动。"), std::u16string::npos);
        EXPECT_EQ(files.written_, 0);
        EXPECT_EQ(ReadBytes("f.doc"), Pattern(40000));
        EXPECT_EQ(FolderNames(), std::set<std::string>{"f.doc"});
        ClearFolder();
    }
}

TEST_F(Backups, PathsThatAreNotUtf8SurviveTheWayThroughUtf16) {
    const std::string name = "\xff\xfe-\xe4.doc";
    WriteBytes(name, Pattern(100));
    ASSERT_EQ(EncryptCommand(Request(name, Level::Secret)).Kind, OutcomeKind::Done);
    EXPECT_TRUE(Exists("\xff\xfe-\xe4(秘密).doc"));
    EXPECT_TRUE(Exists(name + ".备份"));
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(name)), name);
}

}  // namespace
}  // namespace quarnix::test
