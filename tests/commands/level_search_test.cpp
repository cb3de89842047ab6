// SPDX-License-Identifier: GPL-3.0-or-later
// The search for the level of a file whose name carries no marker: it finds
// the one level whose decryption the front end's judge accepts, or the level
// of an interrupted earlier run's record, and changes nothing on the way.

#include <algorithm>

#include "engine/files/forwarding_file_ops.h"
#include "engine/text_codec.h"
#include "file_fixture.h"

namespace quarnix::test {
namespace {

// Makes the window's write over the file fail and every removal: the run
// record of an encryption stays beside the file, which is still plain.
class WindowWriteFails : public ForwardingFileOps {
  public:
    WindowWriteFails() : ForwardingFileOps(SystemFileOps()) {}

  protected:
    std::int64_t Intercept(const FileCall& call, const Forward& forward) override {
        if ((call.op == FileOp::Pwrite && call.offset == 0 && call.size == 20481) ||
            call.op == FileOp::Unlink) {
            return -EIO;
        }
        return forward();
    }
};

class LevelSearch : public FileFixture {};

TEST_F(LevelSearch, FindsTheOneFittingLevelOrTheRecordsAndChangesNothing) {
    Bytes plain = Pattern(30000);
    std::copy_n("%PDF-1.7", 8, plain.begin());
    const auto startsLikeAPdf = [](const ContentPreview& preview) {
        return std::equal(preview.Result.begin(), preview.Result.begin() + 5, "%PDF-");
    };
    for (const Level level : {Level::Secret, Level::Secretter, Level::TopSecret}) {
        WriteBytes("plan", Transformed(plain, level, true, u"abc", u"hello"));
        const Bytes encrypted = ReadBytes("plan");
        CryptRequest request = Request("plan", level);
        if (level != Level::TopSecret) {
            request.Password2 = request.Password2Confirm = u"";
        }
        const LevelFound found = FindLevel(request, startsLikeAPdf);
        EXPECT_EQ(found.Refusal.Kind, OutcomeKind::Done);
        EXPECT_EQ(found.Level, std::optional(level));
        EXPECT_FALSE(found.FromRecord);
        EXPECT_EQ(ReadBytes("plan"), encrypted);
        EXPECT_EQ(FolderNames(), std::set<std::string>{"plan"});
        ClearFolder();
    }

    // An encryption at Secretter cut short left its record: its level is
    // found, and nothing is looked at or settled.
    WriteBytes("plan", plain);
    CryptRequest encrypt = Request("plan", Level::Secretter);
    encrypt.MakeBackup = false;
    WindowWriteFails failing;
    ASSERT_EQ(EncryptCommand(encrypt, {}, &failing).Kind, OutcomeKind::WriteFailed);
    const std::set<std::string> names = FolderNames();
    ASSERT_EQ(names.size(), 2u);
    bool looked = false;
    const LevelFound found = FindLevel(Request("plan", Level::Secret), [&](const ContentPreview&) {
        looked = true;
        return false;
    });
    EXPECT_EQ(found.Level, std::optional(Level::Secretter));
    EXPECT_TRUE(found.FromRecord);
    EXPECT_FALSE(looked);
    EXPECT_EQ(ReadBytes("plan"), plain);
    EXPECT_EQ(FolderNames(), names);

    EXPECT_EQ(FindLevel(Request("missing", Level::Secret), startsLikeAPdf).Refusal.Kind,
              OutcomeKind::FileMissing);
}

// A request keeps its passwords outside itself, in memory that is wiped when
// the request is dropped, however short they are.
TEST(SecretText, KeepsEvenAShortPasswordOutsideTheRequest) {
    CryptRequest request;
    request.Password1 = u"ab";
    const auto* inside = reinterpret_cast<const char*>(&request);
    const auto* text = reinterpret_cast<const char*>(request.Password1.View().data());
    EXPECT_TRUE(text < inside || text >= inside + sizeof request);
    const CryptRequest copy = request;
    EXPECT_NE(copy.Password1.View().data(), request.Password1.View().data());
    EXPECT_EQ(copy.Password1.View(), u"ab");
}

}  // namespace
}  // namespace quarnix::test
