// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-format-guard: runs the real commands over copies of real files and
// counts, per format that the structure checks tell (or "other"), how often
// the look at the content questions a right decryption and catches a
// one-character typo (first and last character of password 1 at every
// level, of password 2 at TopSecret), for passwords of 5 to 20 characters.
// Not part of the tests.
//
//   quarnix-format-guard WORK_FOLDER FILE...   (or the names on standard input)
//
// With QUARNIX_GUARD_LIST set, lists every questioned right decryption and
// every missed typo on standard error, and every look that took more than
// 10 ms.

#include <sys/stat.h>

#include <QCoreApplication>
#include <QLocale>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "content_check/content_verdict.h"
#include "content_check/structure/format_registry.h"
#include "engine/commands.h"
#include "engine/text_codec.h"

namespace {

using quarnix::ContentConcern;
using quarnix::Level;

struct Counts {
    long Files = 0, Right = 0, RightQuestioned = 0, Typos = 0, TyposCaught = 0;
};

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A password of `length` characters, the same for every file of that length.
std::u16string Password(std::size_t length, char16_t first) {
    std::u16string password;
    for (std::size_t i = 0; i < length; ++i) {
        password += static_cast<char16_t>(first + (i * 7) % 26);
    }
    return password;
}

std::u16string Typo(std::u16string password, bool last) {
    char16_t& c = last ? password.back() : password.front();
    c = c == u'#' ? u'$' : u'#';
    return password;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    if (argc < 2) {
        std::cerr << "usage: quarnix-format-guard WORK_FOLDER FILE...\n";
        return 2;
    }
    const std::string work = argv[1];
    std::vector<std::string> names(argv + 2, argv + argc);
    if (names.empty()) {
        for (std::string line; std::getline(std::cin, line);) {
            names.push_back(line);
        }
    }
    std::map<std::string, Counts> formats;
    ContentConcern seen = ContentConcern::None;
    quarnix::CommandHooks look;
    const bool list = std::getenv("QUARNIX_GUARD_LIST") != nullptr;
    std::string current;
    look.ConfirmContent = [&](const quarnix::ContentPreview& preview) {
        const auto start = std::chrono::steady_clock::now();
        seen = quarnix::JudgeContent(preview).Concern;
        const double took =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (list && took > 10) {
            std::cerr << "slow look, " << took << " ms, level " << static_cast<int>(preview.Level)
                      << ": " << current << '\n';
        }
        return false;
    };
    for (std::size_t n = 0; n < names.size(); ++n) {
        current = names[n];
        const std::vector<std::uint8_t> original = ReadAll(names[n]);
        if (original.empty()) {
            continue;
        }
        const std::size_t head = std::min<std::size_t>(original.size(), 20481);
        const quarnix::structure::FileView view(
            std::span(original.data(), head), original.size(),
            [&original](std::uint64_t offset, std::span<std::uint8_t> bytes) {
                std::copy_n(original.begin() + static_cast<std::ptrdiff_t>(offset), bytes.size(),
                            bytes.begin());
                return true;
            });
        const auto finding = quarnix::structure::CheckStructure(view);
        const std::string format = finding.Format.empty() ? "other" : std::string(finding.Format);
        Counts& c = formats[format];
        ++c.Files;
        const std::string path = work + "/" + std::filesystem::path(names[n]).filename().string();
        // Passwords of 5 to 20 characters, one length per file in turn.
        const std::size_t length = 5 + n % 16;
        const std::u16string one = Password(length, u'a'), two = Password(20 - length % 8, u'K');
        for (const Level level : {Level::Secret, Level::Secretter, Level::TopSecret}) {
            std::filesystem::copy_file(names[n], path,
                                       std::filesystem::copy_options::overwrite_existing);
            ::chmod(path.c_str(), 0600);
            quarnix::CryptRequest request;
            request.FilePath = quarnix::Utf8ToUtf16(path);
            request.Level = level;
            request.MakeBackup = false;
            request.MarkFile = false;
            const auto run = [&](const std::u16string& p1, const std::u16string& p2) {
                request.Password1 = request.Password1Confirm = p1;
                request.Password2 = request.Password2Confirm = p2;
                seen = ContentConcern::None;
                quarnix::DecryptCommand(request, look);
                return seen != ContentConcern::None;
            };
            request.Password1 = request.Password1Confirm = one;
            request.Password2 = request.Password2Confirm = two;
            if (!quarnix::EncryptCommand(request).Succeeded()) {
                continue;
            }
            ++c.Right;
            quarnix::EncryptCommand(request, look);  // a second encryption, timed only
            if (run(one, two)) {
                ++c.RightQuestioned;
                if (list) {
                    std::cerr << "questioned right decryption level " << static_cast<int>(level)
                              << ": " << names[n] << '\n';
                }
            }
            std::vector<std::pair<std::u16string, std::u16string>> typos = {{Typo(one, false), two},
                                                                            {Typo(one, true), two}};
            if (level == Level::TopSecret) {
                typos.push_back({one, Typo(two, false)});
                typos.push_back({one, Typo(two, true)});
            }
            for (std::size_t t = 0; t < typos.size(); ++t) {
                ++c.Typos;
                const bool caught = run(typos[t].first, typos[t].second);
                c.TyposCaught += caught ? 1 : 0;
                if (list && !caught) {
                    std::cerr << "missed typo " << t << " level " << static_cast<int>(level)
                              << " length " << length << ": " << names[n] << '\n';
                }
            }
        }
        std::filesystem::remove(path);
    }
    Counts all;
    std::printf("%-28s %6s %22s %22s\n", "format", "files", "right questioned", "typos caught");
    for (const auto& [name, c] : formats) {
        std::printf("%-28s %6ld %8ld of %-6ld %6.1f%% %8ld of %-6ld %6.1f%%\n", name.c_str(),
                    c.Files, c.RightQuestioned, c.Right,
                    100.0 * c.RightQuestioned / std::max(1L, c.Right), c.TyposCaught, c.Typos,
                    100.0 * c.TyposCaught / std::max(1L, c.Typos));
        all.Files += c.Files, all.Right += c.Right, all.RightQuestioned += c.RightQuestioned;
        all.Typos += c.Typos, all.TyposCaught += c.TyposCaught;
    }
    std::printf("%-28s %6ld %8ld of %-6ld %6.1f%% %8ld of %-6ld %6.1f%%\n", "all", all.Files,
                all.RightQuestioned, all.Right,
                100.0 * all.RightQuestioned / std::max(1L, all.Right), all.TyposCaught, all.Typos,
                100.0 * all.TyposCaught / std::max(1L, all.Typos));
    return 0;
}
