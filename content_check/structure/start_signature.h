// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed bytes with which the formats the checks know begin: the plainest
// evidence of a format, which bytes of no format hold only by rare chance.

#include <cstddef>
#include <string_view>

#include "file_view.h"

namespace quarnix::structure {

struct StartSignature {
    std::string_view Format;  // a type name of the shared MIME database; empty: none
    std::size_t Length = 0;   // fixed bytes of the signature
    bool Damaged = false;     // held with a character or two off
};

// The longest signature that `head` holds exactly, else one of 6 bytes or
// more that it misses by a character or two (one in four at most), which is
// that format, damaged.
StartSignature SignatureAtStart(Bytes head);

// How many leading bytes SignatureAtStart looks at, at most.
inline constexpr std::size_t SignatureReach = 264;

}  // namespace quarnix::structure
