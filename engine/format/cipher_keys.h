// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The key arrays one command needs, built from the request's passwords.

#include <optional>
#include <string_view>

#include "engine/format/key_material.h"
#include "engine/format/level.h"

namespace quarnix {

struct CipherKeys {
    quarnix::Level Level = quarnix::Level::Secret;
    KeyArray Constant;   // KeyBytes(KeyConstant)
    KeyArray Password1;  // KeyBytes(password 1)
    KeyArray Password2;  // KeyBytes(password 2); empty below TopSecret
};

// Which password could not become a key array, and why.
struct CipherKeyFailure {
    int Password = 1;  // 1 or 2
    KeyError Error;
};

// Builds the arrays of the level: the key constant, password 1, and password 2
// at TopSecret only (below it password 2 is not read at all).
std::optional<CipherKeys> MakeCipherKeys(Level level, std::u16string_view password1,
                                         std::u16string_view password2,
                                         CipherKeyFailure* failure = nullptr);

}  // namespace quarnix
