// SPDX-License-Identifier: GPL-3.0-or-later
#include "key_trace.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace quarnix {
namespace {

// A class needs this many bytes before its distribution says anything.
constexpr std::size_t FewestPerClass = 12;
// Passwords are ASCII (a character of the euro sign aside): two of their
// characters differ by an XOR below 0x80.
constexpr unsigned LargestTypoXor = 0x7f;
// Added to every count, so that a byte value no other class holds is unlikely
// rather than impossible.
constexpr double Smoothing = 0.5;
// How much of the trace's class's distance to the others the XOR may leave
// (and NoTraceBelow how strong it must be). Set by real files: no right
// decryption of them comes near both.
constexpr double MostRemaining = 0.6;

}  // namespace

KeyTrace KeyTraceStrength(std::span<const std::uint8_t> bytes, std::size_t period) {
    const std::size_t n = bytes.size();
    if (period < 2 || n / period < FewestPerClass) {
        return {};
    }
    std::array<std::uint32_t, 256> all{};
    for (const std::uint8_t byte : bytes) {
        ++all[byte];
    }
    // log(count + Smoothing) for every count a byte value can have. The
    // normaliser of the other classes' distribution is the same for every
    // XOR value, so it drops out of the gain.
    std::vector<double> logCount(n + 1);
    for (std::size_t k = 0; k <= n; ++k) {
        logCount[k] = std::log(static_cast<double>(k) + Smoothing);
    }
    KeyTrace trace;
    std::array<std::uint32_t, 256> own{};
    std::vector<std::uint8_t> values;
    values.reserve(256);
    for (std::size_t c = 0; c < period; ++c) {
        if (c == period - 2) {
            continue;  // combined with the array's zero element
        }
        values.clear();
        for (std::size_t j = c; j < n; j += period) {
            if (own[bytes[j]]++ == 0) {
                values.push_back(bytes[j]);
            }
        }
        const auto logOthers = [&](unsigned value) { return logCount[all[value] - own[value]]; };
        double asIs = 0;
        double self = 0;  // the class under its own distribution
        const double size = static_cast<double>((n - c + period - 1) / period);
        for (const std::uint8_t v : values) {
            asIs += own[v] * logOthers(v);
            self += own[v] * std::log(own[v] / size);
        }
        double best = asIs;
        for (unsigned d = 1; d <= LargestTypoXor; ++d) {
            double xored = 0;
            for (const std::uint8_t v : values) {
                xored += own[v] * logOthers(v ^ d);
            }
            best = std::max(best, xored);
        }
        const double gain = best - asIs;
        if (gain > trace.Strongest) {
            trace.Strongest = gain;
            // The others' normaliser, left out above, counts here.
            const double normaliser =
                size * std::log(static_cast<double>(n) - size + 256 * Smoothing);
            const double before = self - (asIs - normaliser);
            const double after = self - (best - normaliser);
            trace.Remaining = before > 0 ? std::clamp(after / before, 0.0, 1.0) : 1;
        }
        for (const std::uint8_t v : values) {
            own[v] = 0;
        }
    }
    return trace;
}

bool ShowsKeyTrace(std::span<const std::uint8_t> bytes, std::size_t period) {
    const KeyTrace trace = KeyTraceStrength(bytes, period);
    return trace.Strongest > NoTraceBelow && trace.Remaining < MostRemaining;
}

}  // namespace quarnix
