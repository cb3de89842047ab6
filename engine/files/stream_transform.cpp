// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/stream_transform.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace quarnix {

WorkResult StreamTransformed(FileOps& files, int source, std::uint64_t fileLength, int target,
                             const std::string& targetFolder, Direction way, const CipherKeys& keys,
                             const PhaseProgress& progress, bool readAgain) {
    const TransformPlan plan = PlanTransform(way, keys, fileLength);
    assert(!plan.Reversed && plan.WindowLength == fileLength);
    const KeyStream stream = MakeKeyStream(keys, plan.WindowLength);
    std::vector<std::uint8_t> buffer(WorkChunkSize);
    std::uint64_t written = 0;
    WriteBehind behind(files, target, !readAgain);
    for (const Segment& segment : plan.Segments) {
        for (std::uint64_t done = 0; done < segment.Length;) {
            if (progress.CancelRequested()) {
                return CancelledWork();
            }
            const auto chunk = static_cast<std::size_t>(
                std::min<std::uint64_t>(segment.Length - done, WorkChunkSize));
            const int read = ReadFully(files, source, buffer.data(), chunk,
                                       static_cast<std::int64_t>(segment.SourceOffset + done));
            if (read < 0) {
                return Failure(OutcomeKind::ReadFailed, FailedStep::ReadFile, read, {});
            }
            if (read > 0) {  // shortened meanwhile
                return ChangedByAnotherProgram();
            }
            stream.Apply(buffer.data(), chunk, segment.KeyPosition + done);
            const int wrote =
                WriteFully(files, target, buffer.data(), chunk, static_cast<std::int64_t>(written));
            if (wrote < 0) {
                return Failure(OutcomeKind::WriteFailed, FailedStep::WriteTemp, wrote,
                               targetFolder);
            }
            behind.Written(static_cast<std::int64_t>(written), static_cast<std::int64_t>(chunk));
            done += chunk;
            written += chunk;
            progress.Report(written);
        }
    }
    if (progress.CancelRequested()) {
        return CancelledWork();
    }
    return std::nullopt;
}

}  // namespace quarnix
