// SPDX-License-Identifier: GPL-3.0-or-later
#include "result_preview.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace quarnix {

int TransformedPrefix(Direction way, const CipherKeys& keys, std::uint64_t fileLength,
                      std::span<std::uint8_t> prefix, const InputReader& read) {
    assert(prefix.size() <= fileLength);
    const TransformPlan plan = PlanTransform(way, keys, fileLength);
    const std::uint64_t w = plan.WindowLength;
    const std::uint64_t inWindow = std::min<std::uint64_t>(prefix.size(), w);
    if (plan.Reversed) {
        // Every output byte of a reversed window depends on the far end of it.
        std::vector<std::uint8_t> image(w);
        std::vector<std::uint8_t> window(w);
        if (const int failed = read(0, image); failed < 0) {
            return failed;
        }
        RunPlan(plan, way, MakeKeyStream(keys, w), image, window);
        std::copy_n(window.begin(), inWindow, prefix.begin());
    } else if (inWindow > 0) {
        const KeyStream stream = MakeKeyStream(keys, inWindow);
        std::uint64_t out = 0;  // output offset where the segment starts
        for (const Segment& segment : plan.Segments) {
            if (out >= inWindow) {
                break;
            }
            const std::uint64_t length = std::min(segment.Length, inWindow - out);
            const std::span<std::uint8_t> part = prefix.subspan(out, length);
            if (const int failed = read(segment.SourceOffset, part); failed < 0) {
                return failed;
            }
            stream.Apply(part.data(), part.size(), segment.KeyPosition);
            out += segment.Length;
        }
    }
    if (prefix.size() > inWindow) {
        return read(inWindow, prefix.subspan(inWindow));
    }
    return 0;
}

}  // namespace quarnix
