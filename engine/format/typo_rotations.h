// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rotations that one mistyped password character brings about.
//
// Secretter rotates its window by the code sum of password 1, TopSecret the
// whole file by password 2's first code times its code sum. A character typed
// otherwise in that password changes the rotation as well as one element of
// its key array, and a decryption then leaves nothing of the file in place:
// no test of the result's bytes can see the typo. Decrypted under the right
// rotation with the typed passwords' key stream, the file comes out whole but
// for one class of positions of the password's period.

#include <vector>

#include "engine/format/cipher.h"

namespace quarnix {

// The decryption plans of the rotations that the keys would give with one
// character of the rotating password typed as any other printable ASCII
// character or the euro sign, apart from the keys' own rotation; none at
// Secret, and none where no typo changes the plan (TopSecret on a file too
// short for any rotation); none that differ from the keys' own by whole
// periods of the key stream. Distinct plans, a few hundred at most.
std::vector<TransformPlan> OneTypoRotations(const CipherKeys& keys, std::uint64_t fileLength);

}  // namespace quarnix
