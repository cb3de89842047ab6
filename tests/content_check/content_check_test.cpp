// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of the look at a file's content: the reach of the database's
// content rules, text, the level marker in a name, and the verdict on a
// preview.

#include <gtest/gtest.h>

#include <QStringEncoder>

#include "../commands/file_fixture.h"
#include "content_check/content_verdict.h"
#include "content_check/magic_reach.h"
#include "content_check/marked_name.h"
#include "content_check/text_content.h"
#include "sample_files.h"

namespace quarnix::test {
namespace {

QByteArray Magic(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// Rule lines: [indent]>offset=length(2 bytes)value[&mask][~word][+range]\n
TEST(MagicReach, ReadsHowFarTheRulesOfEachTypeLook) {
    using namespace std::string_literals;
    MagicReach reach;
    reach.Add(
        Magic("MIME-Magic\0\n"s
              "[50:a/plain]\n>0=\0\4\x89PNG\n"
              "[60:a/nested]\n>0=\0\2PK\n1>30=\0\3abc\n"
              "[50:a/masked]\n>8=\0\2\n\xff&\xff\xf0~2+100\n"
              "[40:a/plain]\n>2000=\0\1x\n"
              "[50:a/broken]\n>0=\0\2ab\n>3=\0\5xy\n"
              "[50:a/after]\n>0=\0\1z\n"s));
    EXPECT_EQ(reach.Reach(QStringLiteral("a/plain")), 2001u);  // the farther of two sections
    EXPECT_EQ(reach.Reach(QStringLiteral("a/nested")), 33u);
    EXPECT_EQ(reach.Reach(QStringLiteral("a/masked")), 8u + 99u + 2u);  // a newline in the value
    EXPECT_EQ(reach.Reach(QStringLiteral("a/broken")), UINT64_MAX);
    EXPECT_EQ(reach.Reach(QStringLiteral("a/after")), std::nullopt);  // not reached
    EXPECT_EQ(reach.Reach(QStringLiteral("a/unknown")), std::nullopt);
    EXPECT_EQ(MagicReach::Installed().Reach(QStringLiteral("application/pdf")), 1029u);
}

TEST(TextContent, AnyEncodingWithoutControlCharacters) {
    const QString chinese = QStringLiteral("第一行：会议纪要\r\n\t第二行\f");
    QStringEncoder gbk("GBK");
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray utf8 = chinese.toUtf8();
    const struct {
        const char* name;
        QByteArray bytes;
        bool text;
    } cases[] = {
        {"UTF-8", utf8, true},
        {"GBK", gbk.encode(chinese), true},
        {"UTF-16 with a byte order mark", utf16.encode(chinese), true},
        {"UTF-8 cut inside a character", utf8.left(utf8.size() - 6), true},
        {"Latin-1, an accent before a full stop", QByteArray("r\xe9sum\xe9."), true},
        {"UTF-16 with a control character", utf16.encode(QStringLiteral("a\ab")), false},
        {"a NUL byte", QByteArray("abc\0def", 7), false},
        {"a bell", QByteArray("abc\adef"), false},
        {"a delete", QByteArray("abc\x7f"), false},
        {"random bytes", Magic(std::string(4096, '\0')).replace(0, 4, "\xff\xfe\0\xd8"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LooksLikeText(c.bytes), c.text) << c.name;
    }
}

TEST(MarkedName, TheLastMarkerOfTheFileNameCounts) {
    EXPECT_EQ(MarkedLevel(u"/d/a(秘密)(机密).doc"), Level::Secretter);
    EXPECT_EQ(NameWithoutMarker(u"/d/a(秘密)(机密).doc"), u"a(秘密).doc");
    EXPECT_EQ(MarkedLevel(u"/d(绝密).x/a.doc"), std::nullopt);  // a folder's name
    EXPECT_EQ(NameWithoutMarker(u"/d/x.tar(绝密).gz"), u"x.tar.gz");
}

Bytes Start(const Bytes& bytes, std::size_t size) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
}

ContentPreview Preview(Direction way, const std::u16string& path, const Bytes& current,
                       const Bytes& result, std::uint64_t fileLength = 30000) {
    ContentPreview preview;
    preview.Way = way;
    preview.Level = Level::TopSecret;
    preview.FilePath = path;
    preview.PromisedPath = path;
    preview.FileLength = fileLength;
    preview.Current = current;
    preview.Result = result;
    return preview;
}

TEST(ContentVerdict, SpeaksOnlyWhenTheContentSaysClearly) {
    const std::vector<SampleFile> samples = SampleFiles();
    const Bytes pdf = Start(samples[0].Content, 4096);
    const Bytes docx = Start(samples[3].Content, 4096);
    const Bytes text = Start(samples[4].Content, 4096);
    const Bytes noise = Pattern(4096, 9);
    const Direction decrypt = Direction::Decrypt;
    const Direction encrypt = Direction::Encrypt;
    const struct {
        const char* name;
        ContentPreview preview;
        ContentConcern concern;
    } cases[] = {
        {"right password", Preview(decrypt, u"a.pdf", noise, pdf), ContentConcern::None},
        {"a subtype", Preview(decrypt, u"a.docx", noise, docx), ContentConcern::None},
        {"wrong password", Preview(decrypt, u"a.pdf", noise, noise),
         ContentConcern::ResultUnlikeType},
        {"plain file", Preview(decrypt, u"a.pdf", pdf, noise), ContentConcern::AlreadyPlain},
        {"a result of another type: a misnamed file", Preview(decrypt, u"a.pdf", noise, text),
         ContentConcern::None},
        {"a name that promises nothing", Preview(decrypt, u"a.bin", noise, noise),
         ContentConcern::None},
        {"rules beyond the preview (DTS-HD audio)", Preview(decrypt, u"a.dtshd", noise, noise),
         ContentConcern::None},
        {"rules within the whole file", Preview(decrypt, u"a.dtshd", noise, noise, 4096),
         ContentConcern::ResultUnlikeType},
        {"encrypted again", Preview(encrypt, u"a(秘密).pdf", noise, noise),
         ContentConcern::AlreadyEncrypted},
        {"encrypted, without a marker", Preview(encrypt, u"a.pdf", noise, noise),
         ContentConcern::None},
        {"a marked name, text", Preview(encrypt, u"a(秘密).pdf", text, noise),
         ContentConcern::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JudgeContent(c.preview).Concern, c.concern) << c.name;
    }
}

TEST(ContentVerdict, NamesTheTypeTheLevelAndThePassword) {
    ContentPreview preview =
        Preview(Direction::Decrypt, u"/d/a(秘密).pdf", Pattern(9000, 1), Pattern(9000, 2), 9000);
    preview.Level = Level::Secret;
    preview.PromisedPath = u"/d/a.pdf";
    EXPECT_EQ(ConcernQuestion(JudgeContent(preview)),
              QStringLiteral("用这组密码按“秘密”等级解密后，文件内容不像 PDF 文档，"
                             "密码或加密等级可能不对。\r\n仍要解密吗？"));
    preview.Way = Direction::Encrypt;
    preview.FilePath = u"/d/a(秘密).txt";
    EXPECT_EQ(ConcernQuestion(JudgeContent(preview)),
              QStringLiteral("文件名中已有加密等级标记，内容也不像纯文本文档，看来已经加密过了。"
                             "\r\n仍要加密吗？"));
}

}  // namespace
}  // namespace quarnix::test
