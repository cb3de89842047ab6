// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/format/cipher.h"

#include <algorithm>
#include <cassert>

namespace quarnix {

std::uint64_t CipherWindow(Level level, std::uint64_t fileLength) {
    if (level == Level::TopSecret) {
        return fileLength;
    }
    return std::min(fileLength, CipherWindowLimit);
}

std::int64_t Shift1(const CipherKeys& keys) {
    return CodeSum(keys.Password1);
}

std::uint64_t Shift2(const CipherKeys& keys, std::uint64_t fileLength) {
    return RotationOfTopSecret(FirstCode(keys.Password2), CodeSum(keys.Password2), fileLength);
}

std::uint64_t RotationOfTopSecret(std::uint8_t firstCode, std::int32_t codeSum,
                                  std::uint64_t fileLength) {
    const std::int64_t product = std::int64_t{firstCode} * std::int64_t{codeSum};
    // Strictly less than F - 1; a file of 0 or 1 bytes is never rotated.
    if (fileLength >= 1 && product < static_cast<std::int64_t>(fileLength - 1)) {
        return static_cast<std::uint64_t>(product);
    }
    return 0;
}

TransformPlan PlanTransform(Direction direction, const CipherKeys& keys, std::uint64_t fileLength) {
    const std::uint64_t w = CipherWindow(keys.Level, fileLength);
    switch (keys.Level) {
        case Level::Secret:
            break;
        case Level::Secretter:
            return PlanRotation(direction, keys.Level, w, Shift1(keys));
        case Level::TopSecret:
            return PlanRotation(direction, keys.Level, w,
                                static_cast<std::int64_t>(Shift2(keys, fileLength)));
    }
    return PlanRotation(direction, keys.Level, w, 0);
}

TransformPlan PlanRotation(Direction direction, Level level, std::uint64_t windowLength,
                           std::int64_t rotation) {
    TransformPlan plan;
    const std::uint64_t w = windowLength;
    plan.WindowLength = w;
    if (w == 0) {
        return plan;
    }
    std::uint64_t shift = 0;
    if (level == Level::Secretter) {
        if (rotation < static_cast<std::int64_t>(w - 1)) {
            shift = static_cast<std::uint64_t>(rotation);
        } else {
            plan.Reversed = true;
            return plan;
        }
    } else if (level == Level::TopSecret) {
        shift = static_cast<std::uint64_t>(rotation);
    }
    if (direction == Direction::Encrypt) {
        // Combine, then rotate left: output j is combined input (j + s) mod w.
        plan.Segments = {Segment{shift, w - shift, shift}, Segment{0, shift, 0}};
    } else {
        // Rotate right, then combine: output j is input (j - s) mod w, combined at j.
        plan.Segments = {Segment{w - shift, shift, 0}, Segment{0, w - shift, shift}};
    }
    return plan;
}

KeyStream MakeKeyStream(const CipherKeys& keys, std::uint64_t windowLength) {
    if (keys.Level == Level::TopSecret) {
        return KeyStream({&keys.Constant, &keys.Password1, &keys.Password2}, windowLength);
    }
    return KeyStream({&keys.Constant, &keys.Password1}, windowLength);
}

void RunPlan(const TransformPlan& plan, Direction direction, const KeyStream& stream,
             std::span<const std::uint8_t> image, std::span<std::uint8_t> window) {
    const std::uint64_t w = plan.WindowLength;
    assert(image.size() >= w && window.size() >= w);
    if (plan.Reversed) {
        if (direction == Direction::Encrypt) {
            stream.ApplyTo(image.data(), window.data(), w, 0);
            std::reverse(window.begin(), window.begin() + static_cast<std::ptrdiff_t>(w));
        } else {
            std::reverse_copy(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(w),
                              window.begin());
            stream.Apply(window.data(), w, 0);
        }
        return;
    }
    std::uint8_t* out = window.data();
    for (const Segment& segment : plan.Segments) {
        stream.ApplyTo(image.data() + segment.SourceOffset, out, segment.Length,
                       segment.KeyPosition);
        out += segment.Length;
    }
}

void TransformImage(Direction direction, std::span<const std::uint8_t> image,
                    const CipherKeys& keys, std::span<std::uint8_t> window) {
    const TransformPlan plan = PlanTransform(direction, keys, image.size());
    if (plan.WindowLength > 0) {
        RunPlan(plan, direction, MakeKeyStream(keys, plan.WindowLength), image, window);
    }
}

std::vector<std::uint8_t> EncryptImage(std::span<const std::uint8_t> image,
                                       const CipherKeys& keys) {
    std::vector<std::uint8_t> window(CipherWindow(keys.Level, image.size()));
    TransformImage(Direction::Encrypt, image, keys, window);
    return window;
}

std::vector<std::uint8_t> DecryptImage(std::span<const std::uint8_t> image,
                                       const CipherKeys& keys) {
    std::vector<std::uint8_t> window(CipherWindow(keys.Level, image.size()));
    TransformImage(Direction::Decrypt, image, keys, window);
    return window;
}

}  // namespace quarnix
