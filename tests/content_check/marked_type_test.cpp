// SPDX-License-Identifier: GPL-3.0-or-later
// The look where the package's MIME type is installed, which the shared MIME
// database gives to every marked name: the promise of a name is taken from
// the name without any level's marker all the same, so that a file decrypted
// at another level than its marker's is still questioned.

#include <gtest/gtest.h>

#include <QLocale>
#include <QMimeDatabase>

#include "../commands/file_fixture.h"
#include "content_check/content_verdict.h"

namespace quarnix::test {
namespace {

class MarkedType : public FileFixture {
  protected:
    void SetUp() override {
        FileFixture::SetUp();
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    }

    // What the look says of a run on `path`, declined so that the file stays.
    QString Look(bool encrypt, const std::string& path, Level level) {
        QString said;
        CommandHooks hooks;
        hooks.ConfirmContent = [&said](const ContentPreview& preview) {
            said = ConcernText(JudgeContent(preview));
            return false;
        };
        CryptRequest request = Request(path, level, u"Secret1", u"Zhang-2026");
        request.MakeBackup = false;
        encrypt ? EncryptCommand(request, hooks) : DecryptCommand(request, hooks);
        return said;
    }
};

TEST_F(MarkedType, NamesPromiseTheirTypeWithoutTheirMarkers) {
    ASSERT_EQ(QMimeDatabase().mimeTypeForFile(QStringLiteral("笔记(秘密).txt")).name(),
              QStringLiteral(QUARNIX_ENCRYPTED_TYPE))
        << "the test's own MIME database is not in use";
    std::string notes;
    for (int i = 0; i < 40; ++i) {
        notes += "第" + std::to_string(i) + "项：本月各办公室的报告已汇总，请于周五前核对。\n";
    }
    WriteBytes("笔记.txt", Bytes(notes.begin(), notes.end()));
    CryptRequest request = Request("笔记.txt", Level::Secret, u"Secret1", u"Zhang-2026");
    request.MakeBackup = false;
    ASSERT_TRUE(EncryptCommand(request).Succeeded());
    ASSERT_TRUE(Exists("笔记(秘密).txt"));

    const struct {
        const char* name;
        bool encrypt;
        Level level;
        QString said;
    } rows[] = {
        {"decrypted at its marker's level", false, Level::Secret, {}},
        {"decrypted at another level", false, Level::Secretter,
         QStringLiteral("用这组密码按“机密”等级解密后，文件内容不像纯文本文档，"
                        "密码或加密等级可能不对。")},
        {"encrypted again with the same passwords", true, Level::Secret,
         QStringLiteral("文件内容不像纯文本文档，用这组密码按“秘密”等级解密后才像，"
                        "看来已经加密过了。")},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Look(row.encrypt, "笔记(秘密).txt", row.level), row.said) << row.name;
    }
}

}  // namespace
}  // namespace quarnix::test
