// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg_scan.h"

namespace quarnix::structure {
namespace {

// Reads n bits (n <= 16); false when they run out.
bool Skip(const std::vector<std::uint8_t>& bits, std::uint64_t& at, int n) {
    at += static_cast<std::uint64_t>(n);
    return at <= bits.size() * 8;
}

}  // namespace

std::optional<HuffmanTable> HuffmanTable::Make(Bytes counts, Bytes symbols) {
    HuffmanTable table;
    std::int32_t code = 0;
    std::int32_t index = 0;
    for (int length = 1; length <= 16; ++length) {
        const int count = counts[static_cast<std::size_t>(length - 1)];
        table.first_index_[length] = index;
        table.first_code_[length] = code;
        code += count;
        index += count;
        table.max_code_[length] = count > 0 ? code - 1 : -1;
        // No code may be all ones.
        if (count > 0 && code >= (1 << length)) {
            return std::nullopt;
        }
        code <<= 1;
    }
    table.symbols_.assign(symbols.begin(), symbols.end());
    return table;
}

int HuffmanTable::Decode(const std::vector<std::uint8_t>& bits, std::uint64_t& at) const {
    std::int32_t code = 0;
    for (int length = 1; length <= 16; ++length) {
        if (at >= bits.size() * 8) {
            return -2;
        }
        code = code << 1 | (bits[at >> 3] >> (7 - (at & 7)) & 1);
        ++at;
        if (max_code_[length] >= 0 && code <= max_code_[length] && code >= first_code_[length]) {
            return symbols_[static_cast<std::size_t>(first_index_[length] + code -
                                                     first_code_[length])];
        }
    }
    return -1;
}

IntervalOutcome DecodeInterval(const std::vector<std::uint8_t>& data, bool complete,
                               const std::vector<ScanComponent>& components, std::uint64_t mcus,
                               int maxDcSize) {
    std::uint64_t at = 0;
    const auto ranOut = [complete] {
        return complete ? IntervalOutcome::Broken : IntervalOutcome::CutShort;
    };
    for (std::uint64_t mcu = 0; mcu < mcus; ++mcu) {
        for (const ScanComponent& component : components) {
            for (int block = 0; block < component.BlocksPerMcu; ++block) {
                const int dc = component.Dc->Decode(data, at);
                if (dc == -2) {
                    return ranOut();
                }
                if (dc < 0 || dc > maxDcSize) {
                    return IntervalOutcome::Broken;
                }
                if (!Skip(data, at, dc)) {
                    return ranOut();
                }
                for (int k = 1; k < 64; ++k) {
                    const int rs = component.Ac->Decode(data, at);
                    if (rs == -2) {
                        return ranOut();
                    }
                    if (rs < 0) {
                        return IntervalOutcome::Broken;
                    }
                    const int run = rs >> 4, size = rs & 15;
                    if (size == 0) {
                        if (run != 15) {
                            break;  // end of block
                        }
                        k += 15;
                    } else {
                        k += run;
                        if (!Skip(data, at, size)) {
                            return ranOut();
                        }
                    }
                    if (k > 63) {
                        return IntervalOutcome::Broken;
                    }
                }
            }
        }
    }
    if (!complete) {
        return IntervalOutcome::CutShort;
    }
    // What is left is the padding of the last byte.
    return data.size() * 8 - at < 8 ? IntervalOutcome::Fits : IntervalOutcome::Broken;
}

}  // namespace quarnix::structure
