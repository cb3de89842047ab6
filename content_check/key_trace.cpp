// SPDX-License-Identifier: GPL-3.0-or-later
#include "key_trace.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "xor_correlation.h"

namespace quarnix {
namespace {

// A class needs this many bytes before its distribution says anything.
constexpr std::size_t FewestPerClass = 6;
// Passwords are ASCII (a character of the euro sign aside): two of their
// characters differ by an XOR below 0x80.
constexpr unsigned LargestTypoXor = 0x7f;
// Added to every count, so that a byte value no other class holds is unlikely
// rather than impossible.
constexpr double Smoothing = 0.5;
// What a clear trace is: a gain of at least LeastTypoGain nats, and the rest
// as shares of that gain. Set by the right content of real files at every
// period from 5 to 21, records of fixed length among them, against
// one-character typos in them: none of the former comes near all of these,
// and most of the latter that can be seen at all do.
constexpr double LeastTypoGain = 15;
constexpr double MostRunner = 0.05;    // no other class stands out
constexpr double LeastAmongKin = 0.1;  // it stands out from its kin too
constexpr double MostRemaining = 0.5;  // the XOR makes it like the others
constexpr double MostNearby = 0.5;     // nothing as strong at nearby periods

// How often each byte value stands at each class of positions.
struct ClassCounts {
    std::vector<ByteTable> Classes;
    ByteTable All{};
};

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

double Total(const ByteTable& counts) {
    double total = 0;
    for (const double count : counts) {
        total += count;
    }
    return total;
}

// A class's best XOR against a reference: the gain and its value.
struct ClassGain {
    double Gain = 0;
    std::uint8_t Xor = 0;
    double AsIs = 0;  // log-likelihood, without the reference's normaliser
    double Best = 0;
};

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

// The gain of `own` XORed with `value` against a reference.
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

// Each class's best XOR against all the others; none for the zero element's.
std::vector<ClassGain> ClassGains(const ClassCounts& counts) {
    const std::size_t period = counts.Classes.size();
    std::vector<ClassGain> gains(period);
    for (std::size_t c = 0; c < period; ++c) {
        if (c != period - 2) {
            const ByteTable& own = counts.Classes[c];
            gains[c] = BestXor(own, Without(counts.All, own));
        }
    }
    return gains;
}

// How far the class still is from the others after the XOR, as a share of
// how far it was before.
double RemainingShare(const ByteTable& own, const ByteTable& all, const ClassGain& gain) {
    const double size = Total(own);
    double self = 0;  // the class under its own distribution
    for (const double count : own) {
        if (count != 0) {
            self += count * std::log(count / size);
        }
    }
    // The others' normaliser, left out of the likelihoods.
    const double normaliser = size * std::log(Total(all) - size + 256 * Smoothing);
    const double before = self - (gain.AsIs - normaliser);
    const double after = self - (gain.Best - normaliser);
    // What a class's own sampling leaves even when it is drawn like the
    // others: about half a nat per value it holds.
    double distinct = 0;
    for (const double count : own) {
        distinct += count != 0 ? 1 : 0;
    }
    const double noise = (distinct - 1) / 2;
    return before > noise ? std::clamp((after - noise) / (before - noise), 0.0, 1.0) : 1;
}

double AmongKin(const ClassCounts& counts, std::size_t c, const KeyTrace& trace) {
    const std::size_t period = counts.Classes.size();
    double weakest = trace.Strongest;
    for (std::size_t divisor = 2; divisor < period; ++divisor) {
        if (period % divisor != 0) {
            continue;
        }
        ByteTable kin{};
        for (std::size_t k = c % divisor; k < period; k += divisor) {
            if (k != c) {
                for (std::size_t v = 0; v < kin.size(); ++v) {
                    kin[v] += counts.Classes[k][v];
                }
            }
        }
        weakest = std::min(weakest, GainAt(counts.Classes[c], kin, trace.Xor));
    }
    return weakest;
}

bool TooFew(std::span<const std::uint8_t> bytes, std::size_t period) {
    return period < 3 || bytes.size() / period < FewestPerClass;
}

}  // namespace

KeyTrace KeyTraceStrength(std::span<const std::uint8_t> bytes, std::size_t period) {
    if (TooFew(bytes, period)) {
        return {};
    }
    const ClassCounts counts = CountClasses(bytes, period);
    const std::vector<ClassGain> gains = ClassGains(counts);
    KeyTrace trace;
    for (std::size_t c = 0; c < period; ++c) {
        if (gains[c].Gain > trace.Strongest) {
            trace.Runner = trace.Strongest;
            trace.Strongest = gains[c].Gain;
            trace.Class = c;
        } else {
            trace.Runner = std::max(trace.Runner, gains[c].Gain);
        }
    }
    if (trace.Strongest <= 0) {
        return {};
    }
    const ClassGain& strongest = gains[trace.Class];
    trace.Xor = strongest.Xor;
    trace.Remaining = RemainingShare(counts.Classes[trace.Class], counts.All, strongest);
    trace.AmongKin = AmongKin(counts, trace.Class, trace);
    return trace;
}

double NearbyTrace(std::span<const std::uint8_t> bytes, std::size_t period) {
    double strongest = 0;
    for (std::size_t other = period > 2 ? period - 2 : 1; other <= period + 2; ++other) {
        if (other == period || other % period == 0 || period % other == 0 || TooFew(bytes, other)) {
            continue;
        }
        for (const ClassGain& gain : ClassGains(CountClasses(bytes, other))) {
            strongest = std::max(strongest, gain.Gain);
        }
    }
    return strongest;
}

std::optional<KeyTrace> ClearKeyTrace(std::span<const std::uint8_t> bytes, std::size_t period) {
    const KeyTrace trace = KeyTraceStrength(bytes, period);
    const double strongest = trace.Strongest;
    if (strongest > LeastTypoGain && trace.Runner <= MostRunner * strongest &&
        trace.AmongKin >= LeastAmongKin * strongest && trace.Remaining < MostRemaining &&
        NearbyTrace(bytes, period) <= MostNearby * strongest) {
        return trace;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> AlignedToZeroClass(std::span<const std::uint8_t> bytes,
                                             std::size_t period) {
    std::vector<std::uint8_t> aligned(bytes.begin(), bytes.end());
    if (TooFew(bytes, period)) {
        return aligned;
    }
    const ClassCounts counts = CountClasses(bytes, period);
    const ByteTable& zero = counts.Classes[period - 2];
    for (std::size_t c = 0; c < period; ++c) {
        const std::uint8_t value = BestXor(counts.Classes[c], zero).Xor;
        for (std::size_t j = c; j < aligned.size(); j += period) {
            aligned[j] ^= value;
        }
    }
    return aligned;
}

}  // namespace quarnix
