// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file format: the passes of each level in both directions.
//
// A level combines the bytes of its window with a key stream (the XOR passes,
// see KeyStream) and, at Secretter and TopSecret, rotates or reverses the
// window. Every transform is described as a TransformPlan: the output window is
// written front to back from at most two runs of the input, each combined with
// the key stream from a given window position. The same plan serves a whole
// image in memory and a file streamed chunk by chunk.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/format/cipher_keys.h"
#include "engine/format/key_stream.h"

namespace quarnix {

enum class Direction { Encrypt, Decrypt };

// Secret and Secretter transform at most this many leading bytes of a file.
inline constexpr std::uint64_t CipherWindowLimit = 20481;

// The number of leading bytes w that a level transforms in a file of this length.
std::uint64_t CipherWindow(Level level, std::uint64_t fileLength);

// Secretter's rotation count: CodeSum of password 1.
std::int64_t Shift1(const CipherKeys& keys);
// TopSecret's rotation count for a file of this length: FirstCode x CodeSum of
// password 2 when that is less than fileLength - 1, else 0.
std::uint64_t Shift2(const CipherKeys& keys, std::uint64_t fileLength);
// The same for a password 2 of this first code and code sum.
std::uint64_t RotationOfTopSecret(std::uint8_t firstCode, std::int32_t codeSum,
                                  std::uint64_t fileLength);

// `Length` output bytes taken from `SourceOffset` of the input and combined
// with the key stream from window position `KeyPosition` on.
struct Segment {
    std::uint64_t SourceOffset = 0;
    std::uint64_t Length = 0;
    std::uint64_t KeyPosition = 0;
};

struct TransformPlan {
    std::uint64_t WindowLength = 0;
    // Secretter with Shift1 >= n: the window is reversed instead of rotated.
    // Only happens for windows of at most CipherWindowLimit bytes.
    bool Reversed = false;
    // Unless reversed: the output window is Segments[0] then Segments[1].
    std::array<Segment, 2> Segments{};
};

TransformPlan PlanTransform(Direction direction, const CipherKeys& keys, std::uint64_t fileLength);

// The plan of a level for a window of `windowLength` bytes whose rotation
// count is `rotation` (Shift1 at Secretter, reversed when it reaches w - 1;
// Shift2 at TopSecret, less than w; none at Secret).
TransformPlan PlanRotation(Direction direction, Level level, std::uint64_t windowLength,
                           std::int64_t rotation);

// The fused XOR passes of the level, for runs of at most `windowLength` bytes.
KeyStream MakeKeyStream(const CipherKeys& keys, std::uint64_t windowLength);

// Writes the transformed window into `window` (plan.WindowLength bytes) from
// the input `image`, which holds at least the plan's window.
void RunPlan(const TransformPlan& plan, Direction direction, const KeyStream& stream,
             std::span<const std::uint8_t> image, std::span<std::uint8_t> window);

// The transformed window of a whole file image (w bytes; the commands write
// them over the start of the file and leave later bytes as they are).
std::vector<std::uint8_t> EncryptImage(std::span<const std::uint8_t> image, const CipherKeys& keys);
std::vector<std::uint8_t> DecryptImage(std::span<const std::uint8_t> image, const CipherKeys& keys);

// The same into a caller's buffer of at least CipherWindow(level, image.size()) bytes.
void TransformImage(Direction direction, std::span<const std::uint8_t> image,
                    const CipherKeys& keys, std::span<std::uint8_t> window);

}  // namespace quarnix
