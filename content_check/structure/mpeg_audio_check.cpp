// SPDX-License-Identifier: GPL-3.0-or-later
// MP3 (MPEG audio): an optional ID3v2 tag of frames with upper-case IDs, then
// audio frames whose headers keep one version, layer and sampling rate, each
// at the offset its predecessor's bit rate and padding give.

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::size_t FramesBeforeJudging = 2;

struct FrameHeader {
    int Version = 0;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    int Layer = 0;    // 3: layer I, 2: layer II, 1: layer III
    int Rate = 0;
    std::uint64_t Length = 0;
};

std::optional<FrameHeader> Header(Bytes b, std::size_t at) {
    if (at + 4 > b.size() || b[at] != 0xff || (b[at + 1] & 0xe0) != 0xe0) {
        return std::nullopt;
    }
    const int version = b[at + 1] >> 3 & 3, layer = b[at + 1] >> 1 & 3;
    const int bitrate = b[at + 2] >> 4, rate = b[at + 2] >> 2 & 3, padding = b[at + 2] >> 1 & 1;
    if (version == 1 || layer == 0 || bitrate == 0 || bitrate == 15 || rate == 3) {
        return std::nullopt;
    }
    static constexpr int kbps[2][3][15] = {
        {{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256}},
        {{0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}}};
    static constexpr int hz[3] = {44100, 48000, 32000};
    const bool one = version == 3;
    const int sampleRate = hz[rate] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const std::uint64_t bits = static_cast<std::uint64_t>(kbps[one][layer - 1][bitrate]) * 1000;
    std::uint64_t length = 0;
    if (layer == 3) {
        length = (12 * bits / static_cast<std::uint64_t>(sampleRate) + padding) * 4;
    } else {
        const std::uint64_t perFrame = layer == 1 && !one ? 72 : 144;
        length = perFrame * bits / static_cast<std::uint64_t>(sampleRate) + padding;
    }
    return FrameHeader{version, layer, rate, length};
}

// An ID3v2 tag's frames (versions 3 and 4): IDs of capitals and digits, up
// to the padding. False on a violation.
bool TagFrames(Bytes b, std::size_t end, int version) {
    std::size_t at = 10;
    while (at + 10 <= end && at + 10 <= b.size() && b[at] != 0) {
        for (std::size_t i = 0; i < 4; ++i) {
            const std::uint8_t c = b[at + i];
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
                return false;
            }
        }
        const std::uint64_t size =
            version == 4 ? (std::uint64_t{b[at + 4]} << 21 | std::uint64_t{b[at + 5]} << 14 |
                            std::uint64_t{b[at + 6]} << 7 | b[at + 7])
                         : Be32(b, at + 4);
        at += 10 + size;
    }
    return true;
}

}  // namespace

bool LooksLikeMp3(const FileView& file) {
    const Bytes b = file.Head();
    if (HasAt(b, 0, "ID3") && b.size() >= 10 && b[3] >= 2 && b[3] <= 4) {
        return true;
    }
    // Without a tag: three frames in a row.
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        const auto frame = Header(b, at);
        if (!frame) {
            return false;
        }
        at += frame->Length;
    }
    return true;
}

Finding CheckMp3(const FileView& file) {
    Finding finding = FindingFor("audio/mpeg");
    const Bytes b = file.Head();
    std::size_t at = 0;
    if (HasAt(b, 0, "ID3")) {
        if (b[5] & 0x0f || (b[6] | b[7] | b[8] | b[9]) & 0x80) {
            return finding.Break("tag header");
        }
        finding.Check(0, 3);
        const std::size_t size =
            std::size_t{b[6]} << 21 | std::size_t{b[7]} << 14 | std::size_t{b[8]} << 7 | b[9];
        const bool unsynchronised = (b[5] & 0x80) != 0;
        if ((b[3] == 3 || b[3] == 4) && !unsynchronised && (b[5] & 0x40) == 0 &&
            !TagFrames(b, 10 + size, b[3])) {
            return finding.Break("tag frame ID");
        }
        at = 10 + size + ((b[5] & 0x10) != 0 ? 10 : 0);
        // Padding and stray zeros may come before the first frame.
        while (at < b.size() && b[at] == 0) {
            ++at;
        }
    }
    std::optional<FrameHeader> first;
    std::size_t frames = 0;
    while (at + 4 <= b.size()) {
        const auto frame = Header(b, at);
        const bool same =
            frame && (!first || (frame->Version == first->Version && frame->Layer == first->Layer &&
                                 frame->Rate == first->Rate));
        if (!same) {
            if (frames >= FramesBeforeJudging && !HasAt(b, at, "TAG") &&
                !HasAt(b, at, "APETAGEX")) {
                return finding.Break("frame header where one must be");
            }
            break;
        }
        first = first.value_or(*frame);
        ++frames;
        at += frame->Length;
    }
    finding.State = Integrity::Intact;
    return finding;
}

}  // namespace quarnix::structure
