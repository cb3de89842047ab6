// SPDX-License-Identifier: GPL-3.0-or-later
// The checks run in their fixed order, each refusal with its exact text and
// the password it is about, and none of them touches the disk.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "engine/product.h"
#include "engine/text_codec.h"
#include "file_fixture.h"

namespace quarnix::test {
namespace {

struct RefusalCase {
    const char* name;
    bool fileExists;
    Level level;
    std::u16string p1, p1c, p2, p2c;
    OutcomeKind kind;
};

const RefusalCase RefusalCases[] = {
    {"MissingFileBeforeEmptyPassword", false, Level::Secret, u"", u"", u"", u"",
     OutcomeKind::FileMissing},
    {"EmptyPassword1", true, Level::TopSecret, u"", u"x", u"", u"", OutcomeKind::Password1Empty},
    {"Password1CaseDiffers", true, Level::Secret, u"abc", u"ABC", u"", u"",
     OutcomeKind::Password1Mismatch},
    {"Password1BeforePassword2", true, Level::TopSecret, u"abc", u"abd", u"", u"",
     OutcomeKind::Password1Mismatch},
    {"EmptyPassword2BeforeItsRepetition", true, Level::TopSecret, u"abc", u"abc", u"", u"zz",
     OutcomeKind::Password2Empty},
    {"Password2Mismatch", true, Level::TopSecret, u"abc", u"abc", u"hello", u"hellO",
     OutcomeKind::Password2Mismatch},
    {"NoSecondPairBelowTopSecret", true, Level::Secretter, u"abc", u"abc", u"", u"junk",
     OutcomeKind::Done},
};

struct Expected {
    OutcomeKind kind;
    const char16_t* message;
    int password;  // the password the refusal is about
};

const Expected Table[] = {
    {OutcomeKind::FileMissing, u"你指定的文件不存在！", 0},
    {OutcomeKind::Password1Empty, u"密码不能为空！", 1},
    {OutcomeKind::Password1Mismatch, u"你两次输入的密码不一致，请重新输入！", 1},
    {OutcomeKind::Password2Empty, u"密码2不能为空！", 2},
    {OutcomeKind::Password2Mismatch, u"你两次输入的密码2不一致，请重新输入！", 2},
    {OutcomeKind::Done, u"操作成功！", 0},
};

class Refusals : public FileFixture, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusals, AnswerInOrderWithTheirTextsAndLeaveTheDiskAlone) {
    const RefusalCase& c = GetParam();
    const Bytes plain = Pattern(30000);
    if (c.fileExists) {
        WriteBytes("plan.doc", plain);
    }
    for (const bool encrypt : {true, false}) {
        CryptRequest request = Request("plan.doc", c.level);
        request.Password1 = c.p1, request.Password1Confirm = c.p1c;
        request.Password2 = c.p2, request.Password2Confirm = c.p2c;
        request.MarkFile = false;
        const auto before = FolderNames();
        const CommandOutcome outcome = encrypt ? EncryptCommand(request) : DecryptCommand(request);
        const Expected* expected = nullptr;
        for (const Expected& e : Table) {
            expected = e.kind == c.kind ? &e : expected;
        }
        ASSERT_EQ(outcome.Kind, c.kind);
        EXPECT_EQ(outcome.Message, expected->message);
        EXPECT_EQ(outcome.Password, expected->password);
        if (c.kind != OutcomeKind::Done) {
            EXPECT_EQ(FolderNames(), before);
            if (c.fileExists) {
                EXPECT_EQ(ReadBytes("plan.doc"), plain);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, Refusals, ::testing::ValuesIn(RefusalCases),
                         [](const auto& info) { return std::string(info.param.name); });

class Checks : public FileFixture {};

TEST_F(Checks, DeclinedDecryptAsksFirstAndChangesNothing) {
    int asked = 0;
    CommandHooks hooks;
    hooks.ConfirmDecrypt = [&] { return ++asked, false; };
    const CommandOutcome outcome = DecryptCommand(Request("", Level::Secret, u""), hooks);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(outcome.Kind, OutcomeKind::Cancelled);
    EXPECT_TRUE(outcome.Message.empty());
    hooks.ConfirmDecrypt = [&] { return ++asked, true; };
    EXPECT_EQ(DecryptCommand(Request("", Level::Secret, u""), hooks).Kind,
              OutcomeKind::FileMissing);
    EXPECT_EQ(EncryptCommand(Request("none", Level::Secret), hooks).Kind, OutcomeKind::FileMissing);
    EXPECT_EQ(asked, 2);  // encryption asks nothing
}

TEST_F(Checks, FoldersAndPathsThatNameFoldersCountAsMissing) {
    ASSERT_EQ(::mkdir("folder.doc", 0755), 0);
    WriteBytes("folder.doc/plan.doc", Pattern(100));
    for (const char* path : {"folder.doc", "folder.doc/plan.doc/", "folder.doc/plan.doc/.",
                             "folder.doc/.", "folder.doc/plan.doc/.."}) {
        EXPECT_EQ(EncryptCommand(Request(path, Level::Secret)).Kind, OutcomeKind::FileMissing)
            << path;
    }
    EXPECT_EQ(FolderNames("folder.doc"), std::set<std::string>{"plan.doc"});
}

TEST_F(Checks, PasswordThatCannotBecomeKeyLeavesNoTrace) {
    struct Case {
        Level level;
        std::u16string p1, p2;
        OutcomeKind kind;
        int password;
        std::u16string mentions;
    };
    const Case cases[] = {
        {Level::Secret, u"ab密", u"", OutcomeKind::PasswordCharacterRefused, 1,
         u"密码的第 3 个字符“密”"},
        {Level::TopSecret, u"abc", u"x😀", OutcomeKind::PasswordCharacterRefused, 2,
         u"密码2的第 2 个字符“😀”"},
        {Level::Secret, std::u16string(32768, u'a'), u"", OutcomeKind::PasswordTooLong, 1,
         u"32767"},
        {Level::Secret, u"abc", u"密", OutcomeKind::Done, 0, u"操作成功！"},
    };
    for (const Case& c : cases) {
        WriteBytes("a.doc", Pattern(100));
        const CommandOutcome outcome = EncryptCommand(Request("a.doc", c.level, c.p1, c.p2));
        EXPECT_EQ(outcome.Kind, c.kind);
        EXPECT_EQ(outcome.Password, c.password);
        EXPECT_NE(outcome.Message.find(c.mentions), std::u16string::npos);
        if (c.kind != OutcomeKind::Done) {
            EXPECT_EQ(FolderNames(), std::set<std::string>{"a.doc"});
            EXPECT_EQ(ReadBytes("a.doc"), Pattern(100));
        }
        ClearFolder();
    }
}

// A file under the backup's name may be the only copy of an older version:
// it is replaced only when the request allows it, and a link there is never
// followed.
TEST_F(Checks, ExistingBackupIsReplacedOnlyWhenAllowed) {
    const struct {
        const char* name;
        bool encrypt;
        bool link;  // a dangling symbolic link under the backup's name
        bool replace;
        OutcomeKind kind;
        bool equal = false;  // the backup holds the file as it is, as an interrupted run left it
    } cases[] = {
        {"old backup, encrypt", true, false, false, OutcomeKind::BackupExists},
        {"old backup, decrypt", false, false, false, OutcomeKind::BackupExists},
        {"dangling link", true, true, false, OutcomeKind::BackupExists},
        {"old backup replaced", true, false, true, OutcomeKind::Done},
        {"old backup replaced, decrypt", false, false, true, OutcomeKind::Done},
        {"backup equal to the file serves", true, false, false, OutcomeKind::Done, true},
    };
    for (const auto& c : cases) {
        ClearFolder();
        const std::string backup = c.encrypt ? "plan.txt.备份" : "plan.txt.BAK";
        WriteBytes("plan.txt", Pattern(5000, 1));
        if (c.link) {
            ASSERT_EQ(::symlink("nowhere", backup.c_str()), 0);
        } else {
            WriteBytes(backup, c.equal ? Pattern(5000, 1) : Pattern(300, 2));
        }
        CryptRequest request = Request("plan.txt", Level::Secret);
        request.MarkFile = false;
        request.ReplaceBackup = c.replace;
        const CommandOutcome outcome =
            c.encrypt ? EncryptCommand(request) : DecryptCommand(request);
        EXPECT_EQ(outcome.Kind, c.kind) << c.name;
        if (c.kind == OutcomeKind::BackupExists) {
            const std::u16string named = Utf8ToUtf16(backup).append(u"”已经存在");
            EXPECT_NE(outcome.Message.find(named), std::u16string::npos) << c.name;
            EXPECT_EQ(ReadBytes("plan.txt"), Pattern(5000, 1)) << c.name;
            if (!c.link) {
                EXPECT_EQ(ReadBytes(backup), Pattern(300, 2)) << c.name;
            }
        } else {
            EXPECT_EQ(ReadBytes(backup), Pattern(5000, 1)) << c.name;
        }
    }
}

}  // namespace
}  // namespace quarnix::test
