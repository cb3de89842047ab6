// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/format/cipher_keys.h"

namespace quarnix {

std::optional<CipherKeys> MakeCipherKeys(Level level, std::u16string_view password1,
                                         std::u16string_view password2, CipherKeyFailure* failure) {
    CipherKeys keys;
    keys.Level = level;
    keys.Constant = *KeyBytes(KeyConstant);
    KeyError error;
    if (auto bytes = KeyBytes(password1, &error)) {
        keys.Password1 = std::move(*bytes);
    } else {
        if (failure != nullptr) {
            *failure = {1, error};
        }
        return std::nullopt;
    }
    if (level == Level::TopSecret) {
        if (auto bytes = KeyBytes(password2, &error)) {
            keys.Password2 = std::move(*bytes);
        } else {
            if (failure != nullptr) {
                *failure = {2, error};
            }
            return std::nullopt;
        }
    }
    return keys;
}

}  // namespace quarnix
