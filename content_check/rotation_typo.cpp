// SPDX-License-Identifier: GPL-3.0-or-later
#include "rotation_typo.h"

#include <algorithm>

#include "content_check/structure/start_signature.h"

namespace quarnix {
namespace {

// Signatures this long are met by chance in one of a few hundred rotations
// of content of no format about once in ten million files.
constexpr std::size_t StrongSignature = 4;

}  // namespace

std::optional<StructureLook> FormatUnderTypoRotation(const ContentPreview& preview) {
    if (!preview.ReadRotated || preview.Result.empty()) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> start(
        std::min<std::size_t>(preview.Result.size(), structure::SignatureReach));
    for (std::size_t rotation = 0; rotation < preview.OtherRotations; ++rotation) {
        if (!preview.ReadRotated(rotation, 0, start)) {
            return std::nullopt;  // the look's reads are spent
        }
        const structure::StartSignature signature = structure::SignatureAtStart(start);
        if (signature.Length == 0) {
            continue;
        }
        std::vector<std::uint8_t> head(preview.Result.size());
        if (!preview.ReadRotated(rotation, 0, head)) {
            return std::nullopt;
        }
        const StructureLook look = LookAtStructure(
            preview, head,
            [&preview, rotation](std::uint64_t offset, std::span<std::uint8_t> bytes) {
                return preview.ReadRotated(rotation, offset, bytes);
            });
        const bool strong = signature.Length >= StrongSignature;
        if ((strong && (look.Intact || look.Broken)) ||
            (look.Intact && look.Evidence >= PlainEvidence)) {
            return look;
        }
    }
    return std::nullopt;
}

}  // namespace quarnix
