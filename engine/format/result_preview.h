// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Any bytes of a file as a transform would leave it, worked out without
// touching the file. The transform's plan says which input offsets feed each
// output byte, so at TopSecret a few KiB of input give a few KiB of output
// anywhere in the file, whatever its size and rotation.

#include <cstdint>
#include <functional>
#include <span>

#include "cipher.h"

namespace quarnix {

// Fills `bytes` with the input's bytes from `offset` on; answers 0, or a
// negative value that the caller passes on.
using InputReader = std::function<int(std::uint64_t offset, std::span<std::uint8_t> bytes)>;

// Fills `range` with the bytes from `offset` on (offset + range.size() at most
// `fileLength`) of a file of `fileLength` bytes after the transform, reading
// the input through `read`. Bytes beyond the cipher window are copied
// unchanged. Reads range.size() bytes, except where Secretter reverses its
// window, which takes the whole window (at most CipherWindowLimit bytes).
// Answers 0, or the first negative answer of `read`. `stream`, when given, is
// MakeKeyStream(keys, ...) made once for many calls.
int TransformedRange(Direction way, const CipherKeys& keys, std::uint64_t fileLength,
                     std::uint64_t offset, std::span<std::uint8_t> range, const InputReader& read,
                     const KeyStream* stream = nullptr);

// The same under a given plan and key stream (a plan of another rotation, say).
int TransformedRange(const TransformPlan& plan, Direction way, const KeyStream& stream,
                     std::uint64_t offset, std::span<std::uint8_t> range, const InputReader& read);

}  // namespace quarnix
