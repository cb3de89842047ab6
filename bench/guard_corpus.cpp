// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-guard-corpus: runs the real commands over copies of real files and
// counts what the look at the content says, per level:
//   - right decryptions questioned (and whether each gave the file back
//     byte for byte),
//   - one-character typos caught (first and last character of each password),
//   - second encryptions with the same passwords caught (names unmarked),
//   - decryptions with a different password caught,
//   - first encryptions questioned,
// each among all files and among the files whose name's type the look can
// tell; and the time the judging took. Not part of the tests.
//
//   quarnix-guard-corpus WORK_FOLDER FILE...
//
// Each file is copied into WORK_FOLDER under its own name, so that the name's
// extension is what the look sees. With QUARNIX_GUARD_LIST set, every
// questioned right decryption and every missed typo is listed on standard error.

#include <sys/stat.h>

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "content_check/content_verdict.h"
#include "content_check/key_trace.h"
#include "content_check/promised_type.h"
#include "engine/commands.h"
#include "engine/text_codec.h"

namespace {

using quarnix::ContentConcern;
using quarnix::ContentPreview;
using quarnix::Level;

struct Passwords {
    std::u16string One, OneFirst, OneLast, Two, TwoFirst, TwoLast, Other;
};

// Two sets, taken in turn, so that two periods of each password are seen.
const Passwords Sets[] = {
    {u"Apple#2024x", u"Spple#2024x", u"Apple#2024c", u"Zebra!77q", u"Xebra!77q", u"Zebra!77w",
     u"Totally-different"},
    {u"mima12", u"nima12", u"mima13", u"Hello#99", u"Jello#99", u"Hello#90", u"qwerty"},
};

struct Count {
    long Seen = 0;
    long Hit = 0;
    void Add(bool hit) {
        ++Seen;
        Hit += hit ? 1 : 0;
    }
};

struct LevelCounts {
    Count RightQuestioned, RightQuestionedTold, NotExact;
    Count Typo[4], TypoTold[4];  // password 1 first, last; password 2 first, last
    Count Second, SecondTold, Different, DifferentTold, FirstQuestioned;
};

std::vector<char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double Percent(const Count& c) {
    return c.Seen == 0 ? 0 : 100.0 * static_cast<double>(c.Hit) / static_cast<double>(c.Seen);
}

std::string Cell(const Count& c) {
    char text[64];
    std::snprintf(text, sizeof text, "%5.1f %% (%ld/%ld)", Percent(c), c.Hit, c.Seen);
    return text;
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
    const std::string work = argv[1];
    const Level levels[] = {Level::Secret, Level::Secretter, Level::TopSecret};
    LevelCounts counts[3];
    std::vector<double> judgeTimes;  // milliseconds

    ContentConcern lastConcern = ContentConcern::None;
    bool goOn = true;
    const bool traces = std::getenv("QUARNIX_GUARD_TRACES") != nullptr;
    std::string tag;
    quarnix::CommandHooks hooks;
    hooks.ConfirmContent = [&](const ContentPreview& preview) {
        const auto start = std::chrono::steady_clock::now();
        lastConcern = quarnix::JudgeContent(preview).Concern;
        judgeTimes.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        if (traces && preview.Way == quarnix::Direction::Decrypt) {
            const auto one = quarnix::KeyTraceStrength(preview.Result, preview.Password1Period);
            const auto two = quarnix::KeyTraceStrength(preview.Result, preview.Password2Period);
            std::cerr << "trace " << tag << ' ' << static_cast<int>(preview.Level) << ' '
                      << one.Strongest << ' ' << one.Remaining << ' ' << two.Strongest << ' '
                      << two.Remaining << ' ' << preview.Result.size() << '\n';
        }
        return goOn;
    };

    for (int f = 2; f < argc; ++f) {
        const std::string source = argv[f];
        const std::vector<char> original = ReadAll(source);
        if (original.empty()) {
            continue;
        }
        const std::string name = std::filesystem::path(source).filename().string();
        const std::string path = work + "/" + name;
        const Passwords& pw = Sets[f % 2];
        for (int l = 0; l < 3; ++l) {
            const Level level = levels[l];
            LevelCounts& c = counts[l];
            std::filesystem::copy_file(source, path,
                                       std::filesystem::copy_options::overwrite_existing);
            ::chmod(path.c_str(), 0600);
            const std::uint64_t length = original.size();
            const quarnix::PromisedType promised(QString::fromStdString(name));
            const std::uint64_t preview = level == Level::TopSecret
                                              ? std::min(length, quarnix::ContentPreviewLength)
                                              : quarnix::CipherWindow(level, length);
            const bool told = promised.CanTell(preview, preview >= length);

            quarnix::CryptRequest request;
            request.FilePath = quarnix::Utf8ToUtf16(path);
            request.Level = level;
            request.MakeBackup = false;
            request.MarkFile = false;
            const auto run = [&](bool encrypt, const std::u16string& one, const std::u16string& two,
                                 bool proceed) {
                request.Password1 = request.Password1Confirm = one;
                request.Password2 = request.Password2Confirm = two;
                goOn = proceed;
                lastConcern = ContentConcern::None;
                const auto outcome = encrypt ? quarnix::EncryptCommand(request, hooks)
                                             : quarnix::DecryptCommand(request, hooks);
                return outcome.Kind;
            };
            const auto caught = [&] { return lastConcern != ContentConcern::None; };

            if (run(true, pw.One, pw.Two, true) != quarnix::OutcomeKind::Done) {
                std::cerr << name << ": encryption failed\n";
                continue;
            }
            c.FirstQuestioned.Add(caught());
            run(true, pw.One, pw.Two, false);
            c.Second.Add(caught());
            if (told) {
                c.SecondTold.Add(caught());
            }
            const std::u16string* typos[4][2] = {{&pw.OneFirst, &pw.Two},
                                                 {&pw.OneLast, &pw.Two},
                                                 {&pw.One, &pw.TwoFirst},
                                                 {&pw.One, &pw.TwoLast}};
            for (int t = 0; t < (level == Level::TopSecret ? 4 : 2); ++t) {
                tag = "typo" + std::to_string(t);
                run(false, *typos[t][0], *typos[t][1], false);
                c.Typo[t].Add(caught());
                if (told) {
                    c.TypoTold[t].Add(caught());
                }
                if (list && told && !caught()) {
                    std::cerr << "missed typo " << t << " level " << l << ": " << source << '\n';
                }
            }
            tag = "other";
            run(false, pw.Other, pw.Other, false);
            c.Different.Add(caught());
            if (told) {
                c.DifferentTold.Add(caught());
            }
            if (list && told && !caught()) {
                std::cerr << "missed different password level " << l << ": " << source << '\n';
            }
            tag = "right";
            run(false, pw.One, pw.Two, true);
            c.RightQuestioned.Add(caught());
            if (told) {
                c.RightQuestionedTold.Add(caught());
            }
            if (list && caught()) {
                std::cerr << "questioned right decryption level " << l << " concern "
                          << static_cast<int>(lastConcern) << ": " << source << '\n';
            }
            c.NotExact.Add(ReadAll(path) != original);
        }
        std::filesystem::remove(path);
    }

    const char* names[] = {"秘密", "机密", "绝密"};
    for (int l = 0; l < 3; ++l) {
        const LevelCounts& c = counts[l];
        std::cout << "== " << names[l] << " ==\n"
                  << "right decryptions questioned, all files    " << Cell(c.RightQuestioned)
                  << '\n'
                  << "right decryptions questioned, told types   " << Cell(c.RightQuestionedTold)
                  << '\n'
                  << "right decryptions not byte-exact           " << Cell(c.NotExact) << '\n';
        const char* typoNames[] = {"password 1, first char", "password 1, last char",
                                   "password 2, first char", "password 2, last char"};
        for (int t = 0; t < (l == 2 ? 4 : 2); ++t) {
            std::cout << "typo " << typoNames[t] << ", told types  " << Cell(c.TypoTold[t])
                      << "   all files " << Cell(c.Typo[t]) << '\n';
        }
        std::cout << "second encryption caught, told types      " << Cell(c.SecondTold)
                  << "   all files " << Cell(c.Second) << '\n'
                  << "different password caught, told types     " << Cell(c.DifferentTold)
                  << "   all files " << Cell(c.Different) << '\n'
                  << "first encryptions questioned              " << Cell(c.FirstQuestioned)
                  << '\n';
    }
    // The first look loads the type database; it is left out.
    if (judgeTimes.size() > 1) {
        judgeTimes.erase(judgeTimes.begin());
        std::sort(judgeTimes.begin(), judgeTimes.end());
        double sum = 0;
        for (const double t : judgeTimes) {
            sum += t;
        }
        const auto at = [&judgeTimes](double share) {
            return judgeTimes[static_cast<std::size_t>(share *
                                                       static_cast<double>(judgeTimes.size() - 1))];
        };
        std::printf(
            "judging: %zu looks, mean %.3f ms, median %.3f ms, 99th percentile %.3f ms, "
            "longest %.3f ms\n",
            judgeTimes.size(), sum / static_cast<double>(judgeTimes.size()), at(0.5), at(0.99),
            judgeTimes.back());
    }
    return 0;
}
