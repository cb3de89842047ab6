// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-guard-corpus: runs the real commands over copies of real files and
// counts what the look at the content says, per level and per password
// length (bench/guard_corpus.sh gathers the files and calls it). Each file
// gets passwords of its own, of 5 to 20 characters, and is tried with:
//   - the right passwords (questioned? byte-exact?),
//   - one-character typos at the first, middle and last character of each,
//   - a wholly different password of the same length, and of another length,
//   - the right passwords at the wrong level,
//   - a second encryption with the same passwords (names unmarked).
// A file is judged at a level when the right passwords pass and both
// different passwords are refused; typos count among judged files. Files in
// a folder named "records" (fixed-length records) are also decrypted with the
// right passwords at every password length from 4 to 20. Not part of the
// tests.
//
//   quarnix-guard-corpus WORK_FOLDER FILE...
//
// With QUARNIX_GUARD_LIST set, every missed typo and second encryption of a
// judged file, every refusal of a different password that calls it a typo
// and every file not judged, with why, is listed on standard error.

#include <sys/stat.h>
#include <time.h>

#include <QCoreApplication>
#include <QLocale>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "content_check/content_verdict.h"
#include "engine/commands.h"
#include "engine/text_codec.h"
#include "guard_passwords.h"
#include "guard_tally.h"

namespace {

using quarnix::ContentConcern;
using quarnix::Level;
using namespace quarnix::bench;

std::vector<char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Extension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos || dot == 0 ? "(none)" : name.substr(dot + 1);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension;
}

// The processor time this thread has taken: the cost of a look without the
// time other programs on a busy machine took from it.
double ThreadCpuMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Runs the commands on one copy of a file and says what the look made of it.
class Runner {
  public:
    Runner(Tally& tally, std::string path) : tally_(tally), path_(std::move(path)) {
        hooks_.ConfirmContent = [this](const quarnix::ContentPreview& preview) {
            const auto start = std::chrono::steady_clock::now();
            const double startCpu = ThreadCpuMilliseconds();
            concern_ = quarnix::JudgeContent(preview).Concern;
            const std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - start;
            tally_.Looks.emplace_back(took.count(), path_);
            tally_.LooksCpu.emplace_back(ThreadCpuMilliseconds() - startCpu, path_);
            return proceed_;
        };
    }

    // The concern of a run: declined unless `proceed`. False when an
    // encryption or a decryption that went ahead failed.
    bool Run(bool encrypt, Level level, const std::u16string& one, const std::u16string& two,
             bool proceed) {
        quarnix::CryptRequest request;
        request.FilePath = quarnix::Utf8ToUtf16(path_);
        request.Level = level;
        request.MakeBackup = false;
        request.MarkFile = false;
        request.Password1 = request.Password1Confirm = one;
        request.Password2 = request.Password2Confirm = two;
        proceed_ = proceed;
        concern_ = ContentConcern::None;
        const auto outcome = encrypt ? quarnix::EncryptCommand(request, hooks_)
                                     : quarnix::DecryptCommand(request, hooks_);
        return !proceed || outcome.Kind == quarnix::OutcomeKind::Done;
    }

    bool Caught() const { return concern_ != ContentConcern::None; }
    bool Typo() const { return concern_ == ContentConcern::KeyTypo; }
    ContentConcern Concern() const { return concern_; }

  private:
    Tally& tally_;
    std::string path_;
    quarnix::CommandHooks hooks_;
    ContentConcern concern_ = ContentConcern::None;
    bool proceed_ = false;
};

struct FilePasswords {
    std::u16string One, Two, OtherSame[2], OtherLength[2];
};

FilePasswords PasswordsFor(int f) {
    const int one = 5 + f % 16;
    const int two = 5 + (f / 16 + 7 * f + 3) % 16;
    const auto seed = static_cast<std::uint32_t>(4 * f);
    return {
        MakePassword(seed, one),
        MakePassword(seed + 1, two),
        {MakePassword(seed + 2, one), MakePassword(seed + 3, two)},
        {MakePassword(seed + 2, 5 + (one + 2) % 16), MakePassword(seed + 3, 5 + (two + 6) % 16)}};
}

void TryFile(Tally& tally, int f, const std::string& source, const std::string& path, bool list) {
    const std::string name = std::filesystem::path(source).filename().string();
    const std::string format = Extension(name);
    const std::vector<char> original = ReadAll(source);
    const FilePasswords pw = PasswordsFor(f);
    Runner run(tally, path);
    const Level levels[] = {Level::Secret, Level::Secretter, Level::TopSecret};
    for (int l = 0; l < 3; ++l) {
        const Level level = levels[l];
        LevelTally& t = tally.Levels[l];
        std::filesystem::copy_file(source, path, std::filesystem::copy_options::overwrite_existing);
        ::chmod(path.c_str(), 0600);
        if (!run.Run(true, level, pw.One, pw.Two, true)) {
            std::cerr << name << ": encryption failed\n";
            continue;
        }
        t.FirstQuestioned.Add(run.Caught());
        run.Run(true, level, pw.One, pw.Two, false);
        const bool second = run.Caught();
        run.Run(false, level, pw.OtherSame[0], pw.OtherSame[1], false);
        const bool same = run.Caught(), sameTypo = run.Typo();
        run.Run(false, level, pw.OtherLength[0], pw.OtherLength[1], false);
        const bool other = run.Caught(), otherTypo = run.Typo();
        run.Run(false, levels[(l + 1) % 3], pw.One, pw.Two, false);
        t.WrongLevel.Add(run.Caught(), run.Typo());
        t.DifferentSameLength.Add(same, sameTypo);
        t.DifferentOtherLength.Add(other, otherTypo);
        if (list && (sameTypo || otherTypo)) {
            std::cerr << "different password called a typo, level " << l << ": " << source << '\n';
        }
        // Typos last, then the right passwords, which give the file back.
        struct TypoRun {
            int Password, At;
            bool Caught, CalledTypo;
        };
        std::vector<TypoRun> typos;
        for (int p = 0; p < (level == Level::TopSecret ? 2 : 1); ++p) {
            const std::u16string& right = p == 0 ? pw.One : pw.Two;
            const std::size_t at[] = {0, right.size() / 2, right.size() - 1};
            for (int a = 0; a < 3; ++a) {
                const std::u16string typo = Mistyped(right, at[a]);
                run.Run(false, level, p == 0 ? typo : pw.One, p == 0 ? pw.Two : typo, false);
                typos.push_back({p, a, run.Caught(), run.Typo()});
            }
        }
        if (!run.Run(false, level, pw.One, pw.Two, true)) {
            std::cerr << name << ": decryption failed\n";
        }
        const bool questioned = run.Caught();
        t.RightQuestioned.Add(questioned);
        t.NotExact.Add(ReadAll(path) != original);
        if (questioned) {
            tally.FalseAlarms.push_back(
                std::string(l == 0   ? "秘密"
                            : l == 1 ? "机密"
                                     : "绝密") +
                " concern " + std::to_string(static_cast<int>(run.Concern())) + ": " + source);
        }
        const bool judged = !questioned && same && other;
        t.Judged.Add(judged);
        t.JudgedByFormat[format].Add(judged);
        t.JudgedByLength[static_cast<int>(pw.One.size())].Add(judged);
        t.Second.Add(second);
        if (!judged) {
            if (list) {
                std::cerr << "not judged, level " << l << (questioned ? ", right questioned" : "")
                          << (same ? "" : ", different password of the same length passed")
                          << (other ? "" : ", of another length passed") << ": " << source << '\n';
            }
            continue;
        }
        t.SecondJudged.Add(second);
        if (list && !second) {
            std::cerr << "second encryption missed, level " << l << ": " << source << '\n';
        }
        for (const TypoRun& typo : typos) {
            const int p = typo.Password;
            t.Typo[p][typo.At].Add(typo.Caught, typo.CalledTypo);
            t.TypoByLength[static_cast<int>((p == 0 ? pw.One : pw.Two).size())].Add(typo.Caught);
            t.TypoByFormat[format].Add(typo.Caught);
            if (list && !typo.Caught) {
                std::cerr << "missed typo, password " << p + 1 << " at " << typo.At << ", level "
                          << l << ": " << source << '\n';
            }
        }
    }
}

// The right passwords at every length from 4 to 20, on a file of records.
void TryRecords(Tally& tally, int f, const std::string& source, const std::string& path) {
    const std::vector<char> original = ReadAll(source);
    Runner run(tally, path);
    const Level levels[] = {Level::Secret, Level::Secretter, Level::TopSecret};
    for (int l = 0; l < 3; ++l) {
        for (int length = 4; length <= 20; ++length) {
            const auto seed = static_cast<std::uint32_t>(100000 + 50 * f + length);
            const std::u16string one = MakePassword(seed, length);
            const std::u16string two = MakePassword(seed + 25, 4 + (length + 5) % 17);
            std::filesystem::copy_file(source, path,
                                       std::filesystem::copy_options::overwrite_existing);
            ::chmod(path.c_str(), 0600);
            run.Run(true, levels[l], one, two, true);
            run.Run(false, levels[l], one, two, true);
            tally.Levels[l].RecordsQuestioned[length].Add(run.Caught());
            if (run.Caught()) {
                tally.FalseAlarms.push_back(
                    "record-aligned, level " + std::to_string(l) + ", password length " +
                    std::to_string(length) + ", concern " +
                    std::to_string(static_cast<int>(run.Concern())) + ": " + source);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    if (argc < 3) {
        std::cerr << "usage: quarnix-guard-corpus WORK_FOLDER FILE...\n";
        return 2;
    }
    const bool list = std::getenv("QUARNIX_GUARD_LIST") != nullptr;
    Tally tally;
    for (int f = 2; f < argc; ++f) {
        const std::string source = argv[f];
        if (std::filesystem::file_size(source) == 0) {
            continue;
        }
        const std::string path =
            std::string(argv[1]) + "/" + std::filesystem::path(source).filename().string();
        TryFile(tally, f, source, path, list);
        if (source.find("/records/") != std::string::npos) {
            TryRecords(tally, f, source, path);
        }
        std::filesystem::remove(path);
    }
    Print(tally);
    return 0;
}
