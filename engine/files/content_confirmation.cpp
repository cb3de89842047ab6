// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/content_confirmation.h"

#include <algorithm>
#include <optional>

#include "engine/files/file_io.h"
#include "engine/format/level_marker.h"
#include "engine/format/result_preview.h"
#include "engine/format/typo_rotations.h"
#include "engine/text_codec.h"

namespace quarnix {
namespace {

// How many leading bytes the preview shows: all that Secret and Secretter
// change, and as many at TopSecret, where the whole file changes.
std::uint64_t PreviewLength(Level level, std::uint64_t fileLength) {
    if (level == Level::TopSecret) {
        return std::min(fileLength, ContentPreviewLength);
    }
    return CipherWindow(level, fileLength);
}

}  // namespace

WorkResult ConfirmContent(const WorkFile& file, Direction way, const CipherKeys& keys,
                          const CommandHooks& hooks) {
    const std::uint64_t fileLength = file.Length();
    if (!hooks.ConfirmContent || fileLength == 0) {
        return std::nullopt;
    }
    ContentPreview preview;
    preview.Way = way;
    preview.Level = keys.Level;
    preview.FilePath = Utf8ToUtf16(file.Path());
    // The file's own name, without any level's marker, says what the content should be.
    const std::size_t slash = preview.FilePath.rfind(u'/');
    const std::size_t name = slash == std::u16string::npos ? 0 : slash + 1;
    preview.PromisedPath = preview.FilePath.substr(0, name) + NameWithoutMarkers(preview.FilePath);
    preview.FileLength = fileLength;
    const auto length = static_cast<std::size_t>(PreviewLength(keys.Level, fileLength));
    preview.Current.resize(length);
    preview.Result.resize(length);

    bool shortened = false;
    const InputReader read = [&](std::uint64_t offset, std::span<std::uint8_t> bytes) {
        const int answer = ReadFully(file.files(), file.fd(), bytes.data(), bytes.size(),
                                     static_cast<std::int64_t>(offset));
        shortened = shortened || answer > 0;
        return answer > 0 ? -1 : answer;
    };
    // Where the result's input lies in the bytes read already (always at
    // Secret and Secretter), it is not read again.
    const InputReader readAgain = [&](std::uint64_t offset, std::span<std::uint8_t> bytes) {
        if (offset + bytes.size() <= preview.Current.size()) {
            std::copy_n(preview.Current.begin() + static_cast<std::ptrdiff_t>(offset), bytes.size(),
                        bytes.begin());
            return 0;
        }
        return read(offset, bytes);
    };
    preview.Password1Period = keys.Password1.size();
    preview.Password2Period = keys.Password2.size();
    int failed = read(0, preview.Current);
    if (failed == 0) {
        failed = TransformedRange(way, keys, fileLength, 0, preview.Result, readAgain);
    }
    if (failed == 0 && way == Direction::Encrypt) {
        preview.Undone.resize(length);
        failed =
            TransformedRange(Direction::Decrypt, keys, fileLength, 0, preview.Undone, readAgain);
    }
    if (shortened) {
        return ChangedByAnotherProgram();
    }
    if (failed < 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::ReadFile, failed, {});
    }
    std::uint64_t readSoFar = 0;
    const auto withinLimit = [&](std::uint64_t offset, std::size_t size) {
        if (offset > fileLength || size > fileLength - offset ||
            size > ContentPreviewReadLimit - readSoFar) {
            return false;
        }
        readSoFar += size;
        return true;
    };
    // A file that changes under the look only makes the look see less.
    const InputReader input = [&](std::uint64_t at, std::span<std::uint8_t> into) {
        if (at + into.size() <= preview.Current.size()) {
            std::copy_n(preview.Current.begin() + static_cast<std::ptrdiff_t>(at), into.size(),
                        into.begin());
            return 0;
        }
        return ReadFully(file.files(), file.fd(), into.data(), into.size(),
                         static_cast<std::int64_t>(at)) == 0
                   ? 0
                   : -1;
    };
    // The key streams of the two transforms, made at the first read that needs one.
    std::optional<KeyStream> resultStream, undoneStream;
    const auto streamFor = [&keys, fileLength](std::optional<KeyStream>& stream) {
        if (!stream) {
            stream.emplace(MakeKeyStream(keys, CipherWindow(keys.Level, fileLength)));
        }
        return &*stream;
    };
    preview.ReadAt = [&](PreviewSide side, std::uint64_t offset, std::span<std::uint8_t> bytes) {
        if (!withinLimit(offset, bytes.size())) {
            return false;
        }
        switch (side) {
            case PreviewSide::Current:
                return input(offset, bytes) == 0;
            case PreviewSide::Result:
                return TransformedRange(way, keys, fileLength, offset, bytes, input,
                                        streamFor(resultStream)) == 0;
            case PreviewSide::Undone:
                return way == Direction::Encrypt &&
                       TransformedRange(Direction::Decrypt, keys, fileLength, offset, bytes, input,
                                        streamFor(undoneStream)) == 0;
        }
        return false;
    };
    const std::vector<TransformPlan> rotations = way == Direction::Decrypt
                                                     ? OneTypoRotations(keys, fileLength)
                                                     : std::vector<TransformPlan>();
    preview.OtherRotations = rotations.size();
    preview.ReadRotated = [&](std::size_t rotation, std::uint64_t offset,
                              std::span<std::uint8_t> bytes) {
        return rotation < rotations.size() && withinLimit(offset, bytes.size()) &&
               TransformedRange(rotations[rotation], way, *streamFor(resultStream), offset, bytes,
                                input) == 0;
    };
    if (!hooks.ConfirmContent(preview)) {
        return WorkFailure{FailureKind::ContentDeclined, FailedStep::Cancelled, 0, {}, {},
                           FileState::Untouched};
    }
    return std::nullopt;
}

}  // namespace quarnix
