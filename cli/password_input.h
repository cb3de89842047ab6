#pragma once
// The passwords of quarnix-cli. On a terminal each is asked twice without
// echo, the second entry playing the role of the window's confirmation box.
// Otherwise standard input holds password 1 on its first line and, at
// TopSecret, password 2 on its second, UTF-8, without confirmation.
// Passwords are never taken from the command line.

#include <optional>
#include <string>

#include "engine/crypt_request.h"

namespace quarnix::cli {

struct Passwords {
    std::u16string Password1;
    std::u16string Password1Confirm;
    std::u16string Password2;
    std::u16string Password2Confirm;
};

// nullopt when a signal interrupted the typing.
std::optional<Passwords> ReadPasswords(Level level);

}  // namespace quarnix::cli
