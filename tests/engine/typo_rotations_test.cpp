// SPDX-License-Identifier: GPL-3.0-or-later
// The rotations of one mistyped character: whatever character of the
// rotating password was typed otherwise, the right password's plan is among
// those that the typed password's keys list.

#include <gtest/gtest.h>

#include <string>

#include "engine/format/cipher.h"
#include "engine/format/typo_rotations.h"

namespace quarnix {
namespace {

bool SamePlan(const TransformPlan& a, const TransformPlan& b) {
    return a.WindowLength == b.WindowLength && a.Reversed == b.Reversed &&
           (a.Reversed || a.Segments[0].Length == b.Segments[0].Length);
}

bool Lists(const std::vector<TransformPlan>& plans, const TransformPlan& plan) {
    for (const TransformPlan& listed : plans) {
        if (SamePlan(listed, plan)) {
            return true;
        }
    }
    return false;
}

TEST(OneTypoRotations, ListTheRightRotationForATypoAnywhere) {
    const struct {
        const char* name;
        Level level;
        std::u16string right1, typed1, right2, typed2;
        std::uint64_t fileLength;
    } rows[] = {
        {"Secretter, first character", Level::Secretter, u"Secret1", u"secret1", u"", u"", 30000},
        {"Secretter, middle character", Level::Secretter, u"Secret1", u"Secrwt1", u"", u"", 30000},
        {"Secretter, last character, euro sign", Level::Secretter, u"Secret1", u"Secret\u20ac", u"",
         u"", 30000},
        {"Secretter, a window reversed by the typo", Level::Secretter, u"ab", u"a~", u"", u"", 200},
        {"TopSecret, first character", Level::TopSecret, u"Secret1", u"Secret1", u"Zhang-2026",
         u"zhang-2026", 200000},
        {"TopSecret, last character", Level::TopSecret, u"Secret1", u"Secret1", u"Zhang-2026",
         u"Zhang-202x", 100000},
        {"TopSecret, the typo leaves the file unrotated", Level::TopSecret, u"Secret1", u"Secret1",
         u"Zhang-2026", u"zhang-2026", 80000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto right = MakeCipherKeys(row.level, row.right1, row.right2);
        const auto typed = MakeCipherKeys(row.level, row.typed1, row.typed2);
        ASSERT_TRUE(right && typed);
        const TransformPlan own = PlanTransform(Direction::Decrypt, *typed, row.fileLength);
        const TransformPlan wanted = PlanTransform(Direction::Decrypt, *right, row.fileLength);
        ASSERT_FALSE(SamePlan(own, wanted));
        const std::vector<TransformPlan> plans = OneTypoRotations(*typed, row.fileLength);
        EXPECT_TRUE(Lists(plans, wanted));
        EXPECT_FALSE(Lists(plans, own));
        EXPECT_LE(plans.size(), 400u);
    }
    const auto secret = MakeCipherKeys(Level::Secret, u"Secret1", u"");
    EXPECT_TRUE(OneTypoRotations(*secret, 30000).empty());
}

}  // namespace
}  // namespace quarnix
