// SPDX-License-Identifier: GPL-3.0-or-later
#include "finding.h"

#include <algorithm>

namespace quarnix::structure {

bool CoversEveryClass(const Finding& finding, std::uint64_t length, std::uint64_t period,
                      std::uint64_t skipped) {
    if (period == 0) {
        return true;
    }
    std::vector<bool> met(period, false);
    std::uint64_t left = period - (skipped < period ? 1 : 0);
    if (skipped < period) {
        met[skipped] = true;
    }
    for (const ByteRange& range : finding.Checked) {
        // A range of `period` bytes meets every class.
        const std::uint64_t end = std::min({range.End, length, range.Begin + period});
        for (std::uint64_t at = range.Begin; at < end && left > 0; ++at) {
            if (!met[at % period]) {
                met[at % period] = true;
                --left;
            }
        }
        if (left == 0) {
            return true;
        }
    }
    return left == 0;
}

std::uint64_t CheckedBytes(const Finding& finding, std::uint64_t length) {
    std::vector<ByteRange> ranges = finding.Checked;
    std::sort(ranges.begin(), ranges.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.Begin < b.Begin; });
    std::uint64_t total = 0;
    std::uint64_t reached = 0;
    for (const ByteRange& range : ranges) {
        const std::uint64_t begin = std::max(range.Begin, reached);
        const std::uint64_t end = std::min(range.End, length);
        if (begin < end) {
            total += end - begin;
            reached = end;
        }
    }
    return total;
}

}  // namespace quarnix::structure
