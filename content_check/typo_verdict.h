// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a typo's trace in a decryption's result says. A trace that stands out
// clearly (see key_trace.h) and whose removal leaves right content (the
// name's type, or any recognisable content where the name cannot tell) is a
// mistyped character; a clear trace whose removal leaves nothing right is
// the mark of a wrong password or level, which changes far more than one
// character's worth of bytes.

#include <optional>

#include "content_verdict.h"
#include "promised_type.h"

namespace quarnix {

// KeyTypo or ResultUnlikeType when a password's period shows a clear trace,
// ResultUnlikeType when the result is nothing recognisable but comes out so
// once brought into line at a password's period; nullopt otherwise.
// `result`: what See made of the result, when the caller has it already.
std::optional<ContentVerdict> TypoVerdict(const ContentPreview& preview,
                                          const PromisedType& promised,
                                          const SeenContent* result = nullptr);

}  // namespace quarnix
