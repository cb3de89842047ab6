// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The passwords of quarnix-cli. They are asked on the terminal the tool runs
// on (/dev/tty), whatever standard input is: each twice without echo, the
// second entry playing the role of the window's confirmation box; when the two
// differ, both are asked again, at most three times in all. Only with
// --password-stdin does standard input hold password 1 on its first line and,
// at TopSecret, password 2 on its second, without confirmation. Typed text is
// in the locale's character set. Passwords are never taken from the command
// line.

#include <optional>
#include <string>

#include "engine/crypt_request.h"

namespace quarnix::cli {

// The passwords as typed; wiped from memory when dropped.
struct Passwords {
    std::u16string Password1;
    std::u16string Password1Confirm;
    std::u16string Password2;
    std::u16string Password2Confirm;

    Passwords() = default;
    Passwords(Passwords&&) = default;
    Passwords& operator=(Passwords&&) = delete;
    Passwords(const Passwords&) = delete;
    Passwords& operator=(const Passwords&) = delete;
    ~Passwords();
};

// Opens the terminal to ask on; -1 when the tool has none.
int OpenPromptTerminal();

// From `terminal` (OpenPromptTerminal), or from standard input when it is -1.
// nullopt when no password could be had: a signal interrupted the typing, a
// line was longer than any password may be or not text of the locale, or the
// confirmation differed three times. The reason has been written to standard
// error then.
std::optional<Passwords> ReadPasswords(Level level, int terminal);

// Overwrites the whole buffer of `text`, its spare capacity included, before
// emptying it (explicit_bzero: the writing is never optimised away).
void Wipe(std::u16string& text);

}  // namespace quarnix::cli
