// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of the look at a file's content before a command: working out the
// result's first bytes, and judging them against the name's type. The preview
// is at most the cipher window (Secret, Secretter) or as many bytes
// (TopSecret), whatever the file's size, so neither figure grows with the
// file. The look at a right result includes the search for a typo's trace in
// both passwords' periods, the costliest part.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "content_check/content_verdict.h"
#include "engine/format/result_preview.h"

namespace {

using quarnix::Level;

constexpr std::uint64_t FileLength = 1ULL << 30;  // a 1 GiB file, read from a small buffer

std::size_t PreviewLength(Level level) {
    return level == Level::TopSecret ? quarnix::ContentPreviewLength : quarnix::CipherWindowLimit;
}

// Bytes like a PDF's start: a header, then compressed-looking data.
std::vector<std::uint8_t> PdfLike(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t x = 12345;
    for (auto& byte : bytes) {
        x = x * 1103515245 + 12345;
        byte = static_cast<std::uint8_t>(x >> 24);
    }
    const char header[] = "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<< /Type /Catalog >>\nendobj\n";
    std::memcpy(bytes.data(), header, sizeof header - 1);
    return bytes;
}

void BM_ResultPreview(benchmark::State& state, Level level) {
    const auto keys = *quarnix::MakeCipherKeys(level, u"Pa55word", u"Zhang-2026");
    const std::vector<std::uint8_t> input = PdfLike(1 << 20);
    const quarnix::InputReader read = [&input](std::uint64_t offset,
                                               std::span<std::uint8_t> bytes) {
        std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(offset % (input.size() / 2)),
                    bytes.size(), bytes.begin());
        return 0;
    };
    std::vector<std::uint8_t> prefix(PreviewLength(level));
    for (auto _ : state) {
        quarnix::TransformedRange(quarnix::Direction::Decrypt, keys, FileLength, 0, prefix, read);
        benchmark::DoNotOptimize(prefix.data());
    }
}

// A decryption that keeps the promise, and a wrong one, which takes every
// look: the result, the file as it is, and whether the result is anything.
void BM_JudgeContent(benchmark::State& state, bool wrong) {
    quarnix::ContentPreview preview;
    preview.Way = quarnix::Direction::Decrypt;
    preview.FilePath = u"/home/user/report(秘密).pdf";
    preview.PromisedPath = u"/home/user/report.pdf";
    preview.FileLength = FileLength;
    preview.Level = quarnix::Level::TopSecret;
    preview.Password1Period = 9;  // "Pa55word"
    preview.Password2Period = 11;
    preview.Result = PdfLike(quarnix::CipherWindowLimit);
    preview.Current = preview.Result;
    for (std::size_t i = 0; i < preview.Current.size(); ++i) {
        preview.Current[i] ^= static_cast<std::uint8_t>(i * 7 + 1);
    }
    if (wrong) {
        std::swap(preview.Current, preview.Result);
        preview.Current[0] ^= 0x55;  // neither side keeps the promise
    }
    quarnix::JudgeContent(preview);  // the database is loaded once per process
    for (auto _ : state) {
        benchmark::DoNotOptimize(quarnix::JudgeContent(preview));
    }
}

}  // namespace

BENCHMARK_CAPTURE(BM_ResultPreview, Secret, Level::Secret);
BENCHMARK_CAPTURE(BM_ResultPreview, TopSecret, Level::TopSecret);
BENCHMARK_CAPTURE(BM_JudgeContent, RightPassword, false);
BENCHMARK_CAPTURE(BM_JudgeContent, WrongPassword, true);
