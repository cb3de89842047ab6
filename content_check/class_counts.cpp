// SPDX-License-Identifier: GPL-3.0-or-later
#include "class_counts.h"

#include <cmath>

namespace quarnix {
namespace {

// Passwords are ASCII (a character of the euro sign aside): two of their
// characters differ by an XOR below 0x80.
constexpr unsigned LargestTypoXor = 0x7f;

// log(count + Smoothing) for the counts a preview's bytes can give, worked
// out once per process.
double LogSmoothed(double count) {
    static const std::vector<double> table = [] {
        std::vector<double> logs(20482 * 2);
        for (std::size_t k = 0; k < logs.size(); ++k) {
            logs[k] = std::log(static_cast<double>(k) + Smoothing);
        }
        return logs;
    }();
    const auto whole = static_cast<std::size_t>(count);
    return whole < table.size() && static_cast<double>(whole) == count
               ? table[whole]
               : std::log(count + Smoothing);
}

}  // namespace

ClassCounts CountClasses(std::span<const std::uint8_t> bytes, std::size_t period) {
    // Whole numbers while counting: much faster than adding doubles.
    std::vector<std::uint32_t> tally(period * 256);
    std::size_t row = 0;
    for (const std::uint8_t byte : bytes) {
        ++tally[row + byte];
        row = row + 256 == tally.size() ? 0 : row + 256;
    }
    ClassCounts counts;
    counts.Classes.resize(period);
    for (std::size_t c = 0; c < period; ++c) {
        for (std::size_t v = 0; v < 256; ++v) {
            counts.Classes[c][v] = tally[c * 256 + v];
            counts.All[v] += tally[c * 256 + v];
        }
    }
    return counts;
}

double Total(const ByteTable& counts) {
    double total = 0;
    for (const double count : counts) {
        total += count;
    }
    return total;
}

ClassGain BestXor(const ByteTable& own, const ByteTable& reference) {
    ByteTable logReference;
    for (std::size_t v = 0; v < logReference.size(); ++v) {
        logReference[v] = LogSmoothed(reference[v]);
    }
    const ByteTable likelihood = XorCorrelation(own, logReference);
    ClassGain gain{0, 0, likelihood[0], likelihood[0]};
    for (unsigned d = 1; d <= LargestTypoXor; ++d) {
        if (likelihood[d] > gain.Best) {
            gain.Best = likelihood[d];
            gain.Xor = static_cast<std::uint8_t>(d);
        }
    }
    gain.Gain = gain.Best - gain.AsIs;
    return gain;
}

double GainAt(const ByteTable& own, const ByteTable& reference, std::uint8_t value) {
    double gain = 0;
    for (std::size_t v = 0; v < own.size(); ++v) {
        if (own[v] != 0) {
            gain += own[v] * (LogSmoothed(reference[v ^ value]) - LogSmoothed(reference[v]));
        }
    }
    return gain;
}

ByteTable Without(const ByteTable& all, const ByteTable& own) {
    ByteTable rest;
    for (std::size_t v = 0; v < all.size(); ++v) {
        rest[v] = all[v] - own[v];
    }
    return rest;
}

}  // namespace quarnix
