// SPDX-License-Identifier: GPL-3.0-or-later
#include "result_preview.h"

#include <algorithm>
#include <cassert>
#include <optional>
#include <vector>

namespace quarnix {

int TransformedRange(Direction way, const CipherKeys& keys, std::uint64_t fileLength,
                     std::uint64_t offset, std::span<std::uint8_t> range, const InputReader& read,
                     const KeyStream* stream) {
    assert(offset <= fileLength && range.size() <= fileLength - offset);
    const TransformPlan plan = PlanTransform(way, keys, fileLength);
    const std::uint64_t w = plan.WindowLength;
    const std::uint64_t inWindowEnd = std::min(offset + range.size(), w);
    if (offset >= inWindowEnd) {
        return range.empty() ? 0 : read(offset, range);  // past the window: as it is
    }
    if (stream != nullptr) {
        return TransformedRange(plan, way, *stream, offset, range, read);
    }
    // A stream only as long as the run it combines, unless the window is reversed.
    return TransformedRange(plan, way,
                            MakeKeyStream(keys, plan.Reversed ? w : inWindowEnd - offset), offset,
                            range, read);
}

int TransformedRange(const TransformPlan& plan, Direction way, const KeyStream& stream,
                     std::uint64_t offset, std::span<std::uint8_t> range, const InputReader& read) {
    const std::uint64_t w = plan.WindowLength;
    const std::uint64_t end = offset + range.size();
    // The part of the range inside the window: output offsets [offset, inWindowEnd).
    const std::uint64_t inWindowEnd = std::min(end, w);
    if (plan.Reversed && offset < inWindowEnd) {
        // Every output byte of a reversed window depends on the far end of it.
        std::vector<std::uint8_t> image(w);
        std::vector<std::uint8_t> window(w);
        if (const int failed = read(0, image); failed < 0) {
            return failed;
        }
        RunPlan(plan, way, stream, image, window);
        std::copy(window.begin() + static_cast<std::ptrdiff_t>(offset),
                  window.begin() + static_cast<std::ptrdiff_t>(inWindowEnd), range.begin());
    } else if (offset < inWindowEnd) {
        std::uint64_t segmentStart = 0;  // output offset where the segment starts
        for (const Segment& segment : plan.Segments) {
            const std::uint64_t from = std::max(offset, segmentStart);
            const std::uint64_t to = std::min(inWindowEnd, segmentStart + segment.Length);
            if (from < to) {
                const std::uint64_t into = from - segmentStart;
                const std::span<std::uint8_t> part = range.subspan(from - offset, to - from);
                if (const int failed = read(segment.SourceOffset + into, part); failed < 0) {
                    return failed;
                }
                stream.Apply(part.data(), part.size(), segment.KeyPosition + into);
            }
            segmentStart += segment.Length;
        }
    }
    const std::uint64_t plainFrom = std::max(offset, w);
    if (plainFrom < end) {
        return read(plainFrom, range.subspan(plainFrom - offset));
    }
    return 0;
}

}  // namespace quarnix
