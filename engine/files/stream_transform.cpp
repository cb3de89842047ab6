// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/stream_transform.h"

#include <algorithm>
#include <cassert>
#include <optional>
#include <vector>

namespace quarnix {

WorkResult StreamTransformed(FileOps& files, std::uint64_t fileLength, const StreamEnds& ends,
                             Direction way, const CipherKeys& keys, const PhaseProgress& progress) {
    const TransformPlan plan = PlanTransform(way, keys, fileLength);
    assert(!plan.Reversed && plan.WindowLength == fileLength);
    const KeyStream stream = MakeKeyStream(keys, plan.WindowLength);
    std::vector<std::uint8_t> buffer(std::min<std::uint64_t>(fileLength, WorkChunkSize));
    std::optional<WriteBehind> behind;
    if (ends.Target >= 0) {
        behind.emplace(files, ends.Target, !ends.ReadAgain);
    }
    // The output goes in chunks aligned to WorkChunkSize, whatever the
    // rotation: a write over a file in place that stops part way then leaves
    // every page of it either old or new.
    for (std::uint64_t written = 0; written < fileLength;) {
        if (progress.CancelRequested()) {
            return CancelledWork();
        }
        const auto chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(fileLength - written, WorkChunkSize));
        std::uint64_t segmentStart = 0;
        for (const Segment& segment : plan.Segments) {
            const std::uint64_t from = std::max(written, segmentStart);
            const std::uint64_t to = std::min(written + chunk, segmentStart + segment.Length);
            if (from < to) {
                std::uint8_t* part = buffer.data() + (from - written);
                const std::uint64_t inSegment = from - segmentStart;
                const int read =
                    ReadFully(files, ends.Source, part, to - from,
                              static_cast<std::int64_t>(ends.SourceOffset + segment.SourceOffset +
                                                        inSegment));
                if (read < 0) {
                    return Failure(FailureKind::ReadFailed, ends.ReadStep, read, {});
                }
                if (read > 0) {  // shortened meanwhile
                    return ChangedByAnotherProgram();
                }
                stream.Apply(part, to - from, segment.KeyPosition + inSegment);
            }
            segmentStart += segment.Length;
        }
        if (ends.Hasher != nullptr) {
            ends.Hasher->Add(std::span(buffer).first(chunk));
        }
        if (ends.Target >= 0) {
            const auto at = static_cast<std::int64_t>(ends.TargetOffset + written);
            if (const int wrote = WriteFully(files, ends.Target, buffer.data(), chunk, at);
                wrote < 0) {
                return Failure(FailureKind::WriteFailed, ends.WriteStep, wrote, ends.TargetFolder);
            }
            behind->Written(at, static_cast<std::int64_t>(chunk));
        }
        written += chunk;
        progress.Report(ends.ProgressBase + written);
    }
    if (ends.Hasher != nullptr) {
        ends.Hasher->Finish();
    }
    if (progress.CancelRequested()) {
        return CancelledWork();
    }
    return std::nullopt;
}

}  // namespace quarnix
