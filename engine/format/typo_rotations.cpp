// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/format/typo_rotations.h"

#include <numeric>
#include <set>
#include <utility>

namespace quarnix {
namespace {

// The codes a typed character may have instead: printable ASCII and the euro sign.
constexpr std::uint8_t FirstTyped = 0x20;
constexpr std::uint8_t LastTyped = 0x7e;
constexpr std::uint8_t EuroSign = 0x80;

template <typename Each>
void ForEachTypedCode(std::uint8_t except, Each each) {
    for (unsigned code = FirstTyped; code <= LastTyped; ++code) {
        if (code != except) {
            each(static_cast<std::uint8_t>(code));
        }
    }
    if (except != EuroSign) {
        each(EuroSign);
    }
}

// The rotation counts that the rotating password gives with one of its
// characters typed otherwise.
std::set<std::int64_t> RotationsOfTypos(const CipherKeys& keys, std::uint64_t fileLength) {
    std::set<std::int64_t> rotations;
    if (keys.Level == Level::Secretter) {
        const std::int32_t sum = CodeSum(keys.Password1);
        // The array ends in its zero element, which no character gives.
        for (std::size_t i = 0; i + 1 < keys.Password1.size(); ++i) {
            ForEachTypedCode(keys.Password1[i], [&](std::uint8_t code) {
                rotations.insert(sum - keys.Password1[i] + code);
            });
        }
    } else if (keys.Level == Level::TopSecret) {
        const KeyArray& two = keys.Password2;
        const std::int32_t sum = CodeSum(two);
        for (std::size_t i = 0; i + 1 < two.size(); ++i) {
            ForEachTypedCode(two[i], [&](std::uint8_t code) {
                const std::uint8_t first = i == 0 ? code : two[0];
                rotations.insert(static_cast<std::int64_t>(
                    RotationOfTopSecret(first, sum - two[i] + code, fileLength)));
            });
        }
    }
    return rotations;
}

std::pair<bool, std::uint64_t> Shape(const TransformPlan& plan) {
    return {plan.Reversed, plan.Segments[0].Length};
}

// The period of the level's whole key stream.
std::uint64_t StreamPeriod(const CipherKeys& keys) {
    std::uint64_t period = std::lcm(keys.Constant.size(), keys.Password1.size());
    return keys.Level == Level::TopSecret ? std::lcm(period, keys.Password2.size()) : period;
}

}  // namespace

std::vector<TransformPlan> OneTypoRotations(const CipherKeys& keys, std::uint64_t fileLength) {
    const TransformPlan own = PlanTransform(Direction::Decrypt, keys, fileLength);
    std::set<std::pair<bool, std::uint64_t>> seen{Shape(own)};
    const auto period = static_cast<std::int64_t>(StreamPeriod(keys));
    std::vector<TransformPlan> plans;
    for (const std::int64_t rotation : RotationsOfTypos(keys, fileLength)) {
        const TransformPlan plan =
            PlanRotation(Direction::Decrypt, keys.Level, own.WindowLength, rotation);
        // A rotation by whole periods of the key stream would only move the
        // result as it is, which shows nothing about a typo.
        const bool wholePeriods = !plan.Reversed && !own.Reversed &&
                                  (static_cast<std::int64_t>(Shape(plan).second) -
                                   static_cast<std::int64_t>(Shape(own).second)) %
                                          period ==
                                      0;
        if (!wholePeriods && seen.insert(Shape(plan)).second) {
            plans.push_back(plan);
        }
    }
    return plans;
}

}  // namespace quarnix
