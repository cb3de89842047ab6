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
#include "content_check/key_trace.h"
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
    std::size_t Record;  // bytes; 0 for content to try at every password length
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
        // A table of numbers in Python 3.11 bytecode: five bytes each, and a
        // magic number the type database does not know.
        {"euckrfreq.pyc", ReadFile(folder + QStringLiteral("/euckrfreq.pyc")), 5},
        // Tab stops for a terminal (ncurses-base): ten-byte records of an
        // escape sequence and eight spaces.
        {"vt100", ReadFile(QStringLiteral("/usr/share/tabset/vt100")), 10},
        // An OpenPGP key in binary, at every password length.
        {"debian-archive-bookworm-stable.gpg",
         ReadFile(folder + QStringLiteral("/debian-archive-bookworm-stable.gpg")), 0},
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

// Pictures and sounds: right content shows no trace in the XOR differences
// between neighbouring samples at any period, and a typo that hides among
// the bytes of a sound stands out there, in its own class, by its value (or
// that value but for its lowest bit, which the noise of 8-bit samples hides).
TEST(DifferenceTrace, FindsATypoInSmoothContentAndNothingInRightContent) {
    const QString folder = QStringLiteral(QUARNIX_SAMPLES_DIR);
    const auto head = [&folder](const char* name) {
        Bytes bytes = ReadFile(folder + QLatin1Char('/') + QLatin1String(name));
        bytes.resize(std::min<std::size_t>(bytes.size(), 20481));
        return bytes;
    };
    for (const char* name :
         {"chord-7.wav", "pluck-pcm16.wav", "dialog-warning-32.bmp", "system-users-32.ppm"}) {
        const Bytes right = head(name);
        ASSERT_FALSE(right.empty()) << name;
        for (std::size_t period = 5; period <= 21; ++period) {
            EXPECT_FALSE(ClearDifferenceTrace(right, period)) << name << ", period " << period;
        }
    }
    const struct {
        std::size_t period;
        std::uint8_t xorValue;
    } typos[] = {{9, 0x0a}, {13, 0x0c}, {21, 0x15}};
    for (const auto& typo : typos) {
        Bytes sound = head("chord-7.wav");
        const std::size_t typoClass = typo.period / 2;
        for (std::size_t i = typoClass; i < sound.size(); i += typo.period) {
            sound[i] ^= typo.xorValue;
        }
        ASSERT_FALSE(ClearKeyTrace(sound, typo.period)) << "period " << typo.period;
        const std::optional<KeyTrace> trace = ClearDifferenceTrace(sound, typo.period);
        ASSERT_TRUE(trace) << "period " << typo.period;
        EXPECT_EQ(trace->Class, typoClass) << "period " << typo.period;
        EXPECT_LE(trace->Xor ^ typo.xorValue, 1) << "period " << typo.period;
    }
}

}  // namespace
}  // namespace quarnix::test
