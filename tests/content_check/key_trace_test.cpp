// SPDX-License-Identifier: GPL-3.0-or-later
// A typo's trace against real content: files of fixed-length records whose
// records line up with the password's key period are never taken for a typo
// (nor questioned at all) with the right passwords, and the message says what
// was seen: a typo, or a wrong password or level.

#include <gtest/gtest.h>

#include <QFile>
#include <QLibraryInfo>
#include <QStringList>
#include <numeric>

#include "../commands/file_fixture.h"
#include "content_check/content_verdict.h"
#include "sample_files.h"

namespace quarnix::test {
namespace {

Bytes ReadFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = file.readAll();
    return Bytes(bytes.begin(), bytes.end());
}

// The lines of a real text, each cut or padded to `width` bytes with its
// line feed: a table of fixed-width records.
Bytes FixedWidth(const Bytes& text, std::size_t width, std::size_t lines) {
    Bytes out;
    std::size_t start = 0;
    while (out.size() < width * lines && start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\n') {
            ++end;
        }
        Bytes line(text.begin() + static_cast<std::ptrdiff_t>(start),
                   text.begin() + static_cast<std::ptrdiff_t>(std::min(end, start + width - 1)));
        line.resize(width - 1, ' ');
        line.push_back('\n');
        out.insert(out.end(), line.begin(), line.end());
        start = end + 1;
    }
    return out;
}

struct RecordSample {
    std::string Name;
    Bytes Content;
    std::size_t Record;  // bytes
};

std::vector<RecordSample> RecordSamples() {
    const QString folder = QStringLiteral(QUARNIX_SAMPLES_DIR);
    const Bytes gpl = ReadFile(QStringLiteral("/usr/share/common-licenses/GPL-3"));
    const Bytes firstLine = FixedWidth(gpl, 40, 1);
    Bytes repeated;
    for (int i = 0; i < 600; ++i) {
        repeated.insert(repeated.end(), firstLine.begin(), firstLine.end());
    }
    const QString libraries = QLibraryInfo::path(QLibraryInfo::LibrariesPath);
    return {
        {"sids.dbf", ReadFile(folder + QStringLiteral("/sids.dbf")), 168},
        {"olinda1.shx", ReadFile(folder + QStringLiteral("/olinda1.shx")), 8},
        {"dialog-warning-22.bmp", ReadFile(folder + QStringLiteral("/dialog-warning-22.bmp")), 68},
        {"dialog-warning-32.bmp", ReadFile(folder + QStringLiteral("/dialog-warning-32.bmp")), 96},
        {"system-users-32.ppm", ReadFile(folder + QStringLiteral("/system-users-32.ppm")), 96},
        {"gpl-512.sqlite", ReadFile(folder + QStringLiteral("/gpl-512.sqlite")), 512},
        {"gpl-1024.sqlite", ReadFile(folder + QStringLiteral("/gpl-1024.sqlite")), 1024},
        {"listing-26.txt", FixedWidth(gpl, 26, 700), 26},
        {"listing-40.txt", FixedWidth(gpl, 40, 500), 40},
        {"repeated-40.txt", repeated, 40},
        // Symbols and relocations: 24-byte entries.
        {"libattr.so.1", ReadFile(libraries + QStringLiteral("/libattr.so.1")), 24},
    };
}

// The first `length` characters of a fixed password.
std::u16string PasswordOf(std::size_t length, bool second = false) {
    const std::u16string_view chars = second ? u"Pf3&nXc8Gh1^bZ6tYs5@" : u"Kx7#mWq2zR9!pT4vLb8$";
    return std::u16string(chars.substr(0, length));
}

class KeyTraceOnCommands : public FileFixture {
  protected:
    // Encrypts `content` under `name` with `one` and `two`, then asks what
    // the look says of a decryption with `typedOne` and `typedTwo`.
    ContentVerdict Look(const std::string& name, const Bytes& content, Level level,
                        const std::u16string& one, const std::u16string& two,
                        const std::u16string& typedOne, const std::u16string& typedTwo) {
        ClearFolder();
        WriteBytes(name, content);
        CryptRequest request = Request(name, level, one, two);
        request.MakeBackup = false;
        request.MarkFile = false;
        EXPECT_TRUE(EncryptCommand(request).Succeeded()) << name;
        ContentVerdict seen;
        CommandHooks hooks;
        hooks.ConfirmContent = [&seen](const ContentPreview& preview) {
            seen = JudgeContent(preview);
            return false;
        };
        request = Request(name, level, typedOne, typedTwo);
        request.MakeBackup = false;
        request.MarkFile = false;
        EXPECT_EQ(DecryptCommand(request, hooks).Kind, OutcomeKind::ContentDeclined) << name;
        return seen;
    }
};

TEST_F(KeyTraceOnCommands, RecordsAlignedWithThePeriodAreNeverQuestioned) {
    for (const RecordSample& sample : RecordSamples()) {
        ASSERT_FALSE(sample.Content.empty()) << sample.Name;
        for (std::size_t length = 4; length <= 20; ++length) {
            if (std::gcd(length + 1, sample.Record) == 1) {
                continue;  // the records do not line up with this period
            }
            for (const Level level : {Level::Secret, Level::Secretter, Level::TopSecret}) {
                const std::u16string one = PasswordOf(length);
                const std::u16string two = PasswordOf(length, true);
                const ContentVerdict seen =
                    Look(sample.Name, sample.Content, level, one, two, one, two);
                EXPECT_EQ(seen.Concern, ContentConcern::None)
                    << sample.Name << ", password length " << length << ", level "
                    << static_cast<int>(level) << ": " << ConcernText(seen).toStdString();
            }
        }
    }
}

TEST_F(KeyTraceOnCommands, SaysTypoOnlyForATypo) {
    const Bytes text = SampleFiles()[4].Content;  // Chinese and English notes, UTF-8
    const ContentConcern typo = ContentConcern::KeyTypo;
    const ContentConcern wrong = ContentConcern::ResultUnlikeType;
    const struct {
        const char* name;
        std::string file;
        Level level;
        std::u16string one, two;
        ContentConcern concern;
        int password;
    } rows[] = {
        {"password 1, middle character", "notes.txt", Level::Secret, u"Sectet1", u"", typo, 1},
        {"password 2, last character", "notes.txt", Level::TopSecret, u"Secret1", u"Zhang-2027",
         typo, 2},
        {"a different password of the same length", "notes.txt", Level::Secret, u"Qwerty7", u"",
         wrong, 0},
        {"a different password, no extension", "notes", Level::Secret, u"Qwerty7", u"", wrong, 0},
        {"a different password of another length", "notes.txt", Level::TopSecret, u"Secret1",
         u"Li-2026", wrong, 0},
    };
    for (const auto& row : rows) {
        const ContentVerdict seen =
            Look(row.file, text, row.level, u"Secret1", u"Zhang-2026", row.one, row.two);
        EXPECT_EQ(seen.Concern, row.concern) << row.name << ": " << ConcernText(seen).toStdString();
        if (row.concern == typo) {
            EXPECT_EQ(seen.Password, row.password) << row.name;
        }
    }
}

}  // namespace
}  // namespace quarnix::test
