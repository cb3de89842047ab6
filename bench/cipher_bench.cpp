// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of the cipher passes on a 64 MiB image, against a plain copy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "engine/format/cipher.h"

namespace {

constexpr std::size_t ImageSize = 64 * 1024 * 1024;

const std::vector<std::uint8_t>& Image() {
    static const std::vector<std::uint8_t> image = [] {
        std::vector<std::uint8_t> bytes(ImageSize);
        std::iota(bytes.begin(), bytes.end(), std::uint8_t{7});
        return bytes;
    }();
    return image;
}

quarnix::CipherKeys Keys(quarnix::Level level) {
    // Typical office passwords: eight and ten characters.
    return *quarnix::MakeCipherKeys(level, u"Pa55word", u"Zhang-2026");
}

void BM_Memcpy(benchmark::State& state) {
    const auto& image = Image();
    std::vector<std::uint8_t> copy(image.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), image.data(), image.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}

template <quarnix::Direction direction>
void RunImage(benchmark::State& state, quarnix::Level level) {
    const auto& image = Image();
    const auto keys = Keys(level);
    // Like the copy, the transform writes into a buffer that already exists.
    std::vector<std::uint8_t> window(quarnix::CipherWindow(level, image.size()));
    for (auto _ : state) {
        quarnix::TransformImage(direction, image, keys, window);
        benchmark::DoNotOptimize(window.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * window.size()));
}

void BM_EncryptImage(benchmark::State& state, quarnix::Level level) {
    RunImage<quarnix::Direction::Encrypt>(state, level);
}

void BM_DecryptImage(benchmark::State& state, quarnix::Level level) {
    RunImage<quarnix::Direction::Decrypt>(state, level);
}

}  // namespace

BENCHMARK(BM_Memcpy);
BENCHMARK_CAPTURE(BM_EncryptImage, Secret, quarnix::Level::Secret);
BENCHMARK_CAPTURE(BM_EncryptImage, Secretter, quarnix::Level::Secretter);
BENCHMARK_CAPTURE(BM_EncryptImage, TopSecret, quarnix::Level::TopSecret);
BENCHMARK_CAPTURE(BM_DecryptImage, TopSecret, quarnix::Level::TopSecret);

BENCHMARK_MAIN();
