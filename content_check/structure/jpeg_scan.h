// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The entropy-coded data of a sequential Huffman JPEG scan, decoded as far as
// it goes: every code must be one of its table's, every block must end by
// its 64th coefficient, and each restart interval must hold its exact number
// of MCUs.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "file_view.h"

namespace quarnix::structure {

class HuffmanTable {
  public:
    // From a DHT table's 16 counts and its symbols; nullopt when the counts
    // give more codes of a length than there are.
    static std::optional<HuffmanTable> Make(Bytes counts, Bytes symbols);

    // The next symbol from `bits` (most significant first) at bit `at`, which
    // moves past it; -1 for no code, -2 when the bits run out.
    int Decode(const std::vector<std::uint8_t>& bits, std::uint64_t& at) const;

  private:
    std::array<std::int32_t, 17> max_code_{};  // largest code of each length, -1: none
    std::array<std::int32_t, 17> first_index_{};
    std::array<std::int32_t, 17> first_code_{};
    std::vector<std::uint8_t> symbols_;
};

struct ScanComponent {
    int BlocksPerMcu = 1;  // H x V in an interleaved scan, else 1
    const HuffmanTable* Dc = nullptr;
    const HuffmanTable* Ac = nullptr;
};

enum class IntervalOutcome {
    Fits,      // exactly the MCUs asked for, at most a byte's padding left
    Broken,    // a bad code, a block past 64 coefficients, or too many or too few bits
    CutShort,  // the bits ran out and the data was cut off (no judgement)
};

// Decodes `mcus` MCUs from the destuffed bytes of one restart interval (or of
// a scan without restarts). `complete`: the data ends where the interval
// ends, rather than where the reading stopped.
IntervalOutcome DecodeInterval(const std::vector<std::uint8_t>& data, bool complete,
                               const std::vector<ScanComponent>& components, std::uint64_t mcus,
                               int maxDcSize);

}  // namespace quarnix::structure
