// SPDX-License-Identifier: GPL-3.0-or-later
#include "key_trace.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "class_counts.h"

namespace quarnix {
namespace {

// A class needs this many bytes before its distribution says anything.
constexpr std::size_t FewestPerClass = 6;
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
// A typo's XOR is right from the first byte to the last; a part of the
// content where it is clearly wrong (the strings after an ELF library's
// tables of 24-byte symbols) makes it a structure of the other parts.
constexpr double MostAgainst = 0.1;
// Where the other classes hold at least VariedBits of entropy each, the
// trace's class holds at least this share of theirs.
constexpr double VariedBits = 1;
constexpr double LeastVaried = 0.35;
// Smooth content (pictures, sounds): the differences between neighbouring
// samples hold at least this many bits less per byte than the bytes do.
constexpr double LeastSmoother = 0.2;
// The longest stride between neighbouring samples looked at: 8- and 16-bit
// samples, RGB and RGBA pixels.
constexpr std::size_t LongestStride = 4;
// In the differences a typo's XOR shows in two classes, the typo's and the
// one a stride after it: the second at least this share of the first.
constexpr double LeastPartner = 0.25;

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

// The smallest gain of the trace's class, at its XOR value, against the other
// classes within one quarter of the bytes.
double WeakestQuarter(std::span<const std::uint8_t> bytes, const KeyTrace& trace,
                      std::size_t period) {
    constexpr std::size_t Quarters = 4;
    const std::size_t periods = bytes.size() / period;
    double weakest = trace.Strongest;
    for (std::size_t part = 0; part < Quarters; ++part) {
        const std::size_t begin = periods * part / Quarters * period;
        const std::size_t end =
            part + 1 == Quarters ? bytes.size() : periods * (part + 1) / Quarters * period;
        const ClassCounts counts = CountClasses(bytes.subspan(begin, end - begin), period);
        const ByteTable& own = counts.Classes[trace.Class];
        weakest = std::min(weakest, GainAt(own, Without(counts.All, own), trace.Xor));
    }
    return weakest;
}

// Entropy, in bits, of one class's byte values.
double Entropy(const ByteTable& counts) {
    const double total = Total(counts);
    double entropy = 0;
    for (const double count : counts) {
        if (count != 0) {
            entropy -= count / total * std::log2(count / total);
        }
    }
    return entropy;
}

// Whether the trace's class is about as varied as the other classes are,
// each on its own: an XOR keeps how varied a class is, so a typo's class is,
// where a column of one value among varied ones (the line feeds of a file of
// six-byte lines, a type byte before each number) is not.
bool AsVaried(std::span<const std::uint8_t> bytes, const KeyTrace& trace, std::size_t period) {
    const ClassCounts counts = CountClasses(bytes, period);
    double others = 0;
    for (std::size_t c = 0; c < period; ++c) {
        others += c == trace.Class ? 0 : Entropy(counts.Classes[c]);
    }
    others /= static_cast<double>(period - 1);
    return others < VariedBits || Entropy(counts.Classes[trace.Class]) >= LeastVaried * others;
}

bool TooFew(std::span<const std::uint8_t> bytes, std::size_t period) {
    return period < 3 || bytes.size() / period < FewestPerClass;
}

// The stride whose XOR differences make `bytes` clearly more predictable
// than the bytes themselves, the most predictable; 0 when none does.
std::size_t SmoothStride(std::span<const std::uint8_t> bytes) {
    ByteTable plain{};
    for (const std::uint8_t byte : bytes) {
        ++plain[byte];
    }
    double best = Entropy(plain) - LeastSmoother;
    std::size_t smoothest = 0;
    for (std::size_t stride = 1; stride <= LongestStride && stride < bytes.size(); ++stride) {
        ByteTable differences{};
        for (std::size_t i = stride; i < bytes.size(); ++i) {
            ++differences[bytes[i] ^ bytes[i - stride]];
        }
        if (const double entropy = Entropy(differences); entropy < best) {
            best = entropy;
            smoothest = stride;
        }
    }
    return smoothest;
}

// Each byte XORed with the one `stride` before it (the first ones as they are).
std::vector<std::uint8_t> Differences(std::span<const std::uint8_t> bytes, std::size_t stride) {
    std::vector<std::uint8_t> differences(bytes.begin(), bytes.end());
    for (std::size_t i = stride; i < bytes.size(); ++i) {
        differences[i] ^= bytes[i - stride];
    }
    return differences;
}

// Whether `trace`, found at `period` in `bytes`, passes every test of a clear
// trace but the one of other classes, which the caller makes.
bool ClearBeyondOtherClasses(std::span<const std::uint8_t> bytes, std::size_t period,
                             const KeyTrace& trace) {
    const double strongest = trace.Strongest;
    return strongest > LeastTypoGain && trace.AmongKin >= LeastAmongKin * strongest &&
           trace.Remaining < MostRemaining &&
           WeakestQuarter(bytes, trace, period) >= -(LeastTypoGain + MostAgainst * strongest) &&
           AsVaried(bytes, trace, period) && NearbyTrace(bytes, period) <= MostNearby * strongest;
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
    // The zero element's class is no typo's, but a class unlike the others
    // there is the content's own structure, as much as anywhere else.
    const ByteTable& zero = counts.Classes[period - 2];
    trace.Runner = std::max(trace.Runner, BestXor(zero, Without(counts.All, zero)).Gain);
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
    if (trace.Runner <= MostRunner * trace.Strongest &&
        ClearBeyondOtherClasses(bytes, period, trace)) {
        return trace;
    }
    return std::nullopt;
}

std::optional<KeyTrace> ClearDifferenceTrace(std::span<const std::uint8_t> bytes,
                                             std::size_t period) {
    const std::size_t stride = SmoothStride(bytes);
    if (stride == 0 || stride % period == 0 || TooFew(bytes, period)) {
        return std::nullopt;
    }
    const std::vector<std::uint8_t> differences = Differences(bytes, stride);
    const ClassCounts counts = CountClasses(differences, period);
    // Each class against all the others but the one a stride after it, which
    // a typo in this class moves too; the same XOR must lift that one.
    KeyTrace trace;
    std::size_t partner = 0;
    for (std::size_t c = 0; c < period; ++c) {
        if (c == period - 2) {
            continue;  // no character is combined there
        }
        const std::size_t next = (c + stride) % period;
        const ByteTable reference =
            Without(Without(counts.All, counts.Classes[c]), counts.Classes[next]);
        const ClassGain gain = BestXor(counts.Classes[c], reference);
        if (gain.Gain > trace.Strongest &&
            GainAt(counts.Classes[next], reference, gain.Xor) >= LeastPartner * gain.Gain) {
            trace.Strongest = gain.Gain;
            trace.Class = c;
            trace.Xor = gain.Xor;
            partner = next;
        }
    }
    if (trace.Strongest <= 0) {
        return std::nullopt;
    }
    for (std::size_t c = 0; c < period; ++c) {
        if (c != trace.Class && c != partner) {
            const ByteTable& own = counts.Classes[c];
            trace.Runner = std::max(trace.Runner, BestXor(own, Without(counts.All, own)).Gain);
        }
    }
    const ByteTable& own = counts.Classes[trace.Class];
    trace.Remaining = RemainingShare(own, counts.All, BestXor(own, Without(counts.All, own)));
    trace.AmongKin = AmongKin(counts, trace.Class, trace);
    if (trace.Runner <= MostRunner * trace.Strongest &&
        ClearBeyondOtherClasses(differences, period, trace)) {
        return trace;
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> AlignedToZeroClass(std::span<const std::uint8_t> bytes,
                                                            std::size_t period) {
    if (TooFew(bytes, period)) {
        return std::nullopt;
    }
    const ClassCounts counts = CountClasses(bytes, period);
    const ByteTable& zero = counts.Classes[period - 2];
    std::vector<std::uint8_t> values(period);
    std::size_t moved = 0;
    for (std::size_t c = 0; c < period; ++c) {
        values[c] = BestXor(counts.Classes[c], zero).Xor;
        moved += values[c] != 0 ? 1 : 0;
    }
    if (2 * moved < period - 1) {
        return std::nullopt;  // most classes are in line already
    }
    std::vector<std::uint8_t> aligned(bytes.begin(), bytes.end());
    for (std::size_t j = 0, c = 0; j < aligned.size(); ++j, c = c + 1 == period ? 0 : c + 1) {
        aligned[j] ^= values[c];
    }
    return aligned;
}

}  // namespace quarnix
