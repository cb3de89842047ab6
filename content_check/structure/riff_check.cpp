// SPDX-License-Identifier: GPL-3.0-or-later
// RIFF (WAV, AVI, WebP, MIDI and others): chunks of a four-character code
// and a length, padded to even lengths, nested in lists, within the RIFF
// chunk's length. A WAV's format chunk states rates and alignments that
// follow from each other.

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::size_t ChunksRead = 256;

bool FourCc(Bytes b, std::size_t at) {
    for (std::size_t i = 0; i < 4; ++i) {
        if (b[at + i] < 0x20 || b[at + i] > 0x7e) {
            return false;
        }
    }
    return true;
}

// The chunks of a list from `at` to `end`; false on a violation.
bool Chunks(const FileView& file, std::uint64_t at, std::uint64_t end, bool wave, int depth,
            Finding& finding) {
    bool odd = false;     // the chunk before had an odd length
    bool format = false;  // a WAV's format chunk was seen
    for (std::size_t n = 0; n < ChunksRead && at + 8 <= end && at < file.Head().size(); ++n) {
        auto top = file.At(at, 8);
        if (!top) {
            return true;
        }
        if (!FourCc(*top, 0)) {
            // Some writers leave out the pad byte after an odd length.
            const auto unpadded = odd ? file.At(at - 1, 8) : std::nullopt;
            if (!unpadded || !FourCc(*unpadded, 0)) {
                return false;
            }
            top = unpadded;
            --at;
        }
        const std::uint64_t length = Le32(*top, 4);
        odd = (length & 1) != 0;
        const std::uint64_t next = at + 8 + length + (length & 1);
        const bool isFormat = wave && depth == 0 && HasAt(*top, 0, "fmt ");
        // A WAV's sound comes after its format, whose chunk is short.
        if (wave && depth == 0 && HasAt(*top, 0, "data") && !format) {
            return false;
        }
        if (isFormat && (length < 14 || length > 1024)) {
            return false;
        }
        format = format || isFormat;
        if (at + 8 + length > end) {
            return true;  // a chunk cut short: streamed or truncated files have them
        }
        if (wave && HasAt(*top, 0, "fmt ") && length >= 16) {
            if (const auto fmt = file.At(at + 8, 16)) {
                const std::uint64_t channels = Le16(*fmt, 2), rate = Le32(*fmt, 4);
                const std::uint64_t byteRate = Le32(*fmt, 8), align = Le16(*fmt, 12);
                const std::uint64_t bits = Le16(*fmt, 14);
                if (Le16(*fmt, 0) == 1 && (channels == 0 || byteRate != rate * align ||
                                           align != channels * ((bits + 7) / 8))) {
                    return false;
                }
                if (Le16(*fmt, 0) == 1) {
                    // Channels, rates and alignment follow from each other.
                    finding.Check(at + 10, at + 22);
                }
            }
        }
        if ((HasAt(*top, 0, "LIST") || HasAt(*top, 0, "RIFF")) && depth < 4 && length >= 4) {
            if (!Chunks(file, at + 12, at + 8 + length, wave, depth + 1, finding)) {
                return false;
            }
        }
        at = next;
    }
    // A WAV walked through to its end has a format chunk.
    return !(wave && depth == 0 && !format && at + 8 > end);
}

}  // namespace

bool LooksLikeRiff(const FileView& file) {
    return file.Head().size() >= 12 && HasAt(file.Head(), 0, "RIFF") && FourCc(file.Head(), 8);
}

Finding CheckRiff(const FileView& file) {
    const Bytes b = file.Head();
    const bool wave = HasAt(b, 8, "WAVE");
    Finding finding = FindingFor(wave                  ? "audio/x-wav"
                                 : HasAt(b, 8, "AVI ") ? "video/x-msvideo"
                                 : HasAt(b, 8, "WEBP") ? "image/webp"
                                                       : "application/x-riff");
    const std::uint64_t length = Le32(b, 4);
    // Some writers leave the length 0 or all ones, or stop short of it.
    const std::uint64_t end = std::min(file.Length(), 8 + length);
    finding.Check(0, 4);
    if (!Chunks(file, 12, end < 12 ? file.Length() : end, wave, 0, finding)) {
        return finding.Break("chunk");
    }
    finding.State = Integrity::Intact;
    return finding;
}

}  // namespace quarnix::structure
