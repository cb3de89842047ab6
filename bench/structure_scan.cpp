// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-structure-scan: runs the checks of formats' own integrity data over
// real files, as they are and with the trace a one-character typo in a
// password leaves at Secret (one class of positions of the first 20481 bytes
// XORed with one value, for key periods 6 to 21), and prints per format:
// files, intact as they are, broken as they are (each one a false alarm to
// look into), typos found broken, typos that changed the signature (left to
// the type check), and the judging time. Not part of the tests.
//
//   quarnix-structure-scan FILE...     (or the names, one a line, on standard input)
//
// With QUARNIX_SCAN_LIST set, lists every file found broken as it is and
// every missed typo (signature kept, nothing found), with the rule that spoke.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "content_check/structure/format_registry.h"
#include "engine/work_hooks.h"

namespace {

using quarnix::structure::FileView;
using quarnix::structure::Finding;

struct Counts {
    long Files = 0, Intact = 0, Broken = 0, Typos = 0, Caught = 0, Unsigned = 0;
};

std::vector<std::uint8_t> ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Finding Check(const std::vector<std::uint8_t>& head, const std::vector<std::uint8_t>& file,
              std::vector<double>& times, const char* name) {
    const FileView view(head, file.size(),
                        [&file](std::uint64_t offset, std::span<std::uint8_t> bytes) {
                            std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset),
                                        bytes.size(), bytes.begin());
                            return true;
                        });
    const auto start = std::chrono::steady_clock::now();
    Finding finding = quarnix::structure::CheckStructure(view);
    const double took =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (took > 5 && std::getenv("QUARNIX_SCAN_LIST") != nullptr) {
        std::fprintf(stderr, "slow check, %.1f ms: %s\n", took, name);
    }
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    return finding;
}

}  // namespace

int main(int argc, char** argv) {
    const bool list = std::getenv("QUARNIX_SCAN_LIST") != nullptr;
    std::map<std::string, Counts> formats;
    std::vector<double> times;
    std::vector<std::string> names(argv + 1, argv + argc);
    if (names.empty()) {
        for (std::string line; std::getline(std::cin, line);) {
            names.push_back(line);
        }
    }
    for (std::size_t n = 0; n < names.size(); ++n) {
        const int f = static_cast<int>(n);
        const char* name = names[n].c_str();
        std::vector<std::uint8_t> file = ReadAll(name);
        if (file.empty()) {
            continue;
        }
        const std::size_t window =
            std::min<std::size_t>(file.size(), quarnix::ContentPreviewLength);
        std::vector<std::uint8_t> head(file.begin(),
                                       file.begin() + static_cast<std::ptrdiff_t>(window));
        const Finding plain = Check(head, file, times, name);
        if (plain.State == quarnix::structure::Integrity::Unknown) {
            continue;
        }
        Counts& c = formats[std::string(plain.Format)];
        ++c.Files;
        c.Intact += plain.Intact() ? 1 : 0;
        c.Broken += plain.Broken() ? 1 : 0;
        if (list && plain.Broken()) {
            std::fprintf(stderr, "broken as it is (%.*s): %s\n",
                         static_cast<int>(plain.Reason.size()), plain.Reason.data(), name);
        }
        // A typo: a class of positions of the window XORed with one value;
        // bytes past the window stay as they are.
        for (std::size_t period = 6; period <= 21; period += 5) {
            std::vector<std::uint8_t> typo = file;
            const std::size_t at = (period * 7 + static_cast<std::size_t>(f)) % (period - 1);
            const auto delta =
                static_cast<std::uint8_t>(1 + (f * 37 + static_cast<int>(period)) % 63);
            for (std::size_t i = at; i < window; i += period) {
                typo[i] ^= delta;
            }
            std::vector<std::uint8_t> typoHead(typo.begin(),
                                               typo.begin() + static_cast<std::ptrdiff_t>(window));
            const Finding seen = Check(typoHead, typo, times, name);
            ++c.Typos;
            c.Caught += seen.Broken() ? 1 : 0;
            // A typo in the signature makes the file no longer of the format.
            const bool unsigned_ =
                seen.Format != plain.Format || seen.State == quarnix::structure::Integrity::Unknown;
            c.Unsigned += !seen.Broken() && unsigned_ ? 1 : 0;
            if (list && !seen.Broken() &&
                (!unsigned_ || std::getenv("QUARNIX_SCAN_UNSIGNED") != nullptr)) {
                std::fprintf(
                    stderr, "missed typo, period %zu, class %zu, checked %llu: %s\n", period, at,
                    static_cast<unsigned long long>(quarnix::structure::CheckedBytes(seen, window)),
                    name);
            }
        }
    }
    std::printf("%-28s %6s %6s %6s %22s %10s\n", "format", "files", "intact", "broken",
                "typos found broken", "unsigned");
    for (const auto& [name, c] : formats) {
        std::printf("%-28s %6ld %6ld %6ld %8ld of %-6ld %6ld\n", name.c_str(), c.Files, c.Intact,
                    c.Broken, c.Caught, c.Typos, c.Unsigned);
    }
    if (!times.empty()) {
        std::sort(times.begin(), times.end());
        std::printf("checks: %zu, median %.3f ms, 99th percentile %.3f ms, longest %.3f ms\n",
                    times.size(), times[times.size() / 2], times[(times.size() - 1) * 99 / 100],
                    times.back());
    }
    return 0;
}
