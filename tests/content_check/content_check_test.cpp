// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of the look at a file's content: the reach of the database's
// content rules, text, and the verdict on a preview.

#include <gtest/gtest.h>

#include <QLocale>
#include <QStringEncoder>

#include "../commands/file_fixture.h"
#include "content_check/content_verdict.h"
#include "content_check/magic_reach.h"
#include "content_check/text_content.h"
#include "engine/format/level_marker.h"
#include "look_on_commands.h"
#include "sample_files.h"

namespace quarnix::test {
namespace {

// The front ends speak Chinese whatever the system's locale, and so do the
// type names the database gives.
class ChineseLocale : public ::testing::Environment {
  public:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China)); }
};
[[maybe_unused]] const auto* const chineseLocale =
    ::testing::AddGlobalTestEnvironment(new ChineseLocale);

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
    // Whatever the installed database's version, its rules for PDF documents
    // look no further than the preview: the content tells whether a .pdf is one.
    const auto pdf = MagicReach::Installed().Reach(QStringLiteral("application/pdf"));
    ASSERT_TRUE(pdf.has_value());
    EXPECT_LE(*pdf, ContentPreviewLength);
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
        {"GB18030, a four-byte code among common characters",
         QStringEncoder("GB18030").encode(QStringLiteral("欧元€与ǹ，") + chinese), true},
        {"UTF-16 without a byte order mark",
         QStringEncoder(QStringEncoder::Utf16LE).encode(QStringLiteral("Name=Value\r\n")), true},
        // 0xFF padding XORed with an ASCII key: high bytes that pair up into
        // valid but uncommon GBK codes.
        {"padding under a wrong key",
         QByteArray("\xbe\x8e\x9a\xcc\xdf\xa7\x8d\xcb\x9e\x88"
                    "ab"),
         false},
        {"UTF-32 with a byte order mark",
         QStringEncoder(QStringEncoder::Utf32BE, QStringEncoder::Flag::WriteBom).encode(chinese),
         true},
        {"GBK's user-defined area", QByteArray("\xaa\xa1\xaa\xa2\xf8\xa1\xfe\xfe"), false},
        {"TeX log (text/plain has a rule for it)", QByteArray("This is TeX, Version 3\x01"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LooksLikeText(c.bytes), c.text) << c.name;
    }
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
    preview.PromisedPath = NameWithoutMarkers(path);
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
    preview.PromisedPath = u"/d/a.txt";
    EXPECT_EQ(ConcernQuestion(JudgeContent(preview)),
              QStringLiteral("文件名中已有加密等级标记，内容也不像纯文本文档，看来已经加密过了。"
                             "\r\n仍要加密吗？"));
}

}  // namespace
}  // namespace quarnix::test

namespace quarnix::test {
namespace {

// The look through the real commands: each sample is encrypted with the
// passwords "Secret1" and "Zhang-2026" (key periods 8 and 11), then looked at
// with other requests, each declined so that the file stays as it is.
class GuardOnCommands : public FileFixture {};

// A Python 3.11 bytecode file: the type database knows only the magic number
// of a version from the 1990s, yet a right decryption must go through.
Bytes Bytecode() {
    std::string pyc("\xa7\x0d\x0d\x0a\0\0\0\0\x12\x34\x56\x65\x10\x02\0\0\xe3\0\0\0", 20);
    for (int i = 0; i < 40; ++i) {
        pyc += "\xda\x0b" + std::to_string(i) + "_helper\x29\x02\xfa\x2e";
        pyc += "/usr/lib/python3/dist-packages/office/report_writer.py\x73\x04\0\0\0\x97";
        pyc += "\xfa\x3cWrites the monthly report of each office into one file.";
        pyc += std::string("\x00\x64\x01\x53\x00", 5);
    }
    return Bytes(pyc.begin(), pyc.end());
}

// A spell file of an editor: the type database gives ".spl" to Flash
// animations, whose rules such a file never meets.
Bytes SpellFile() {
    std::string spl("VIMspell\x32\xff\x00\x00\x00\x00", 14);
    const std::string words[] = {"office",  "officer",  "offices", "report",  "reported", "reports",
                                 "meeting", "meetings", "minutes", "monthly", "budget"};
    for (int round = 0; round < 30; ++round) {
        for (const std::string& word : words) {
            spl += static_cast<char>(word.size());
            spl += word;
            spl += std::string("\x00\x01", 2);
            spl += static_cast<char>(round % 4);
        }
    }
    return Bytes(spl.begin(), spl.end());
}

TEST_F(GuardOnCommands, CatchesTyposAndSecondEncryptionsAtEveryLevel) {
    const ContentConcern none = ContentConcern::None;
    const ContentConcern again = ContentConcern::EncryptedWithThese;
    const ContentConcern caught = ContentConcern::KeyTypo;  // or any other concern, see below
    const struct {
        const char* name;
        Level level;
        bool encrypt;
        std::u16string one;
        std::u16string two;
        ContentConcern concern;
    } rows[] = {
        {"right, Secret", Level::Secret, false, u"Secret1", u"", none},
        {"right, Secretter", Level::Secretter, false, u"Secret1", u"", none},
        {"right, TopSecret", Level::TopSecret, false, u"Secret1", u"Zhang-2026", none},
        {"password 1, first character, Secret", Level::Secret, false, u"secret1", u"", caught},
        {"password 1, last character, Secret", Level::Secret, false, u"Secret2", u"", caught},
        {"password 1, first character, Secretter", Level::Secretter, false, u"Aecret1", u"",
         caught},
        {"password 1, last character, Secretter", Level::Secretter, false, u"Secret!", u"", caught},
        {"password 1, last character, TopSecret", Level::TopSecret, false, u"Secret2",
         u"Zhang-2026", caught},
        {"password 2, first character, TopSecret", Level::TopSecret, false, u"Secret1",
         u"zhang-2026", caught},
        {"password 2, last character, TopSecret", Level::TopSecret, false, u"Secret1",
         u"Zhang-2027", caught},
        {"encrypted again, Secret", Level::Secret, true, u"Secret1", u"", again},
        {"encrypted again, Secretter", Level::Secretter, true, u"Secret1", u"", again},
        {"encrypted again, TopSecret", Level::TopSecret, true, u"Secret1", u"Zhang-2026", again},
    };
    std::vector<SampleFile> samples = SampleFiles();
    samples.push_back({"module.pyc", Bytecode()});
    samples.push_back({"en.utf-8.spl", SpellFile()});
    for (const SampleFile& sample : samples) {
        // In compressed data (the pictures, the PDF's stream) a typo leaves no
        // trace a statistic can see; only the few signature bytes could tell.
        const bool compressed = sample.Name.ends_with(".png") || sample.Name.ends_with(".jpg") ||
                                sample.Name.ends_with(".pdf");
        for (const auto& row : rows) {
            ClearFolder();
            WriteBytes(sample.Name, sample.Content);
            CryptRequest first = Request(sample.Name, row.level, u"Secret1", u"Zhang-2026");
            first.MarkFile = false;
            first.MakeBackup = false;
            ASSERT_TRUE(EncryptCommand(first).Succeeded()) << sample.Name;
            const ContentConcern seen =
                LookOnCommands(row.encrypt, sample.Name, row.level, row.one, row.two);
            if (row.concern == caught) {
                // At Secretter a changed character also changes the rotation:
                // the whole window comes out wrong, which the type check sees.
                if (!compressed) {
                    EXPECT_NE(seen, none) << sample.Name << ": " << row.name;
                }
            } else {
                EXPECT_EQ(seen, row.concern) << sample.Name << ": " << row.name;
            }
        }
    }
}

}  // namespace
}  // namespace quarnix::test
