// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a check of a format's own integrity data says about some bytes.
//
// Broken is said only of a definite violation of the format's rules in bytes
// the check had wholly before it: never of data cut off by the end of what
// it could read, never of a variant it does not know. Intact says that every
// rule the check could apply held; Checked says where those rules would have
// seen any change of a single byte.

#include <cstdint>
#include <string_view>
#include <vector>

namespace quarnix::structure {

enum class Integrity {
    Unknown,  // not this format, or nothing could be checked
    Intact,
    Broken,
};

struct ByteRange {
    std::uint64_t Begin = 0;
    std::uint64_t End = 0;  // one past the last byte
};

struct Finding {
    Integrity State = Integrity::Unknown;
    std::string_view Format;  // a type name of the shared MIME database, e.g. "image/png"
    std::string_view Reason;  // Broken: the rule that did not hold, in a few words
    // Ranges of the file in which a change of any one byte would have been
    // seen; not necessarily sorted, may overlap.
    std::vector<ByteRange> Checked;
    // Ranges whose values the rules accepted where another value would have
    // passed too (a deletion flag, a field of digits): evidence of the format,
    // but no proof that nothing changed. Counted bytes, not positions.
    std::uint64_t Held = 0;

    void Check(std::uint64_t begin, std::uint64_t end) {
        if (begin < end) {
            Checked.push_back({begin, end});
        }
    }
    // Marks the finding broken for `reason` and hands it back.
    Finding& Break(std::string_view reason) {
        State = Integrity::Broken;
        Reason = reason;
        return *this;
    }
    bool Broken() const { return State == Integrity::Broken; }
    bool Intact() const { return State == Integrity::Intact; }
};

// A finding about a file of `format`, with nothing checked yet.
inline Finding FindingFor(std::string_view format) {
    Finding finding;
    finding.Format = format;
    return finding;
}

// Whether the checked ranges meet every class of positions (offset modulo
// `period`) within the first `length` bytes of the file, except the class
// `skipped` (a period's position that no key character touches; pass
// `period` to skip none).
bool CoversEveryClass(const Finding& finding, std::uint64_t length, std::uint64_t period,
                      std::uint64_t skipped);

// The number of bytes in the checked ranges within the first `length` bytes,
// counting overlaps once.
std::uint64_t CheckedBytes(const Finding& finding, std::uint64_t length);

}  // namespace quarnix::structure
