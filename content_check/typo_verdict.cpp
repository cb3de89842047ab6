// SPDX-License-Identifier: GPL-3.0-or-later
#include "typo_verdict.h"

#include <QByteArrayView>

#include "key_trace.h"
#include "structure_look.h"

namespace quarnix {
namespace {

struct FoundTrace {
    int Password = 1;  // 0: either, when both arrays have one period
    std::uint64_t Period = 0;
    KeyTrace Trace;
};

std::optional<FoundTrace> FindTrace(const ContentPreview& preview) {
    const auto clear = [&preview](std::uint64_t period) -> std::optional<KeyTrace> {
        if (period == 0) {
            return std::nullopt;
        }
        const auto p = static_cast<std::size_t>(period);
        if (auto trace = ClearKeyTrace(preview.Result, p)) {
            return trace;
        }
        return ClearDifferenceTrace(preview.Result, p);
    };
    const bool topSecret = preview.Level == Level::TopSecret;
    const bool samePeriod = topSecret && preview.Password2Period == preview.Password1Period;
    if (const auto trace = clear(preview.Password1Period)) {
        return FoundTrace{samePeriod ? 0 : 1, preview.Password1Period, *trace};
    }
    if (topSecret && !samePeriod) {
        if (const auto trace = clear(preview.Password2Period)) {
            return FoundTrace{2, preview.Password2Period, *trace};
        }
    }
    return std::nullopt;
}

// XORs the trace's class back in `bytes`, which start at `offset` of the
// result.
void TakeOut(const FoundTrace& found, std::uint64_t offset, std::span<std::uint8_t> bytes) {
    const std::uint64_t into =
        (found.Trace.Class + found.Period - offset % found.Period) % found.Period;
    for (std::uint64_t j = into; j < bytes.size(); j += found.Period) {
        bytes[j] ^= found.Trace.Xor;
    }
}

// The preview with the trace taken out of the result, also where a look reads
// further into it.
ContentPreview WithoutTrace(const ContentPreview& preview, const FoundTrace& found) {
    ContentPreview repaired = preview;
    TakeOut(found, 0, repaired.Result);
    if (preview.ReadAt) {
        repaired.ReadAt = [&preview, found](PreviewSide side, std::uint64_t offset,
                                            std::span<std::uint8_t> bytes) {
            const bool read = preview.ReadAt(side, offset, bytes);
            if (read && side == PreviewSide::Result) {
                TakeOut(found, offset, bytes);
            }
            return read;
        };
    }
    return repaired;
}

// Whether the result without the trace is right: intact where its format's
// own checks speak, else of the name's type, else anything recognisable.
bool RightWithout(const ContentPreview& preview, const FoundTrace& found,
                  const PromisedType& promised, bool tell) {
    const ContentPreview repaired = WithoutTrace(preview, found);
    const StructureLook look = LookAtStructure(repaired, PreviewSide::Result);
    if (look.Broken || look.Intact) {
        return look.Intact;
    }
    const SeenContent seen =
        See(QByteArrayView(repaired.Result.data(), static_cast<qsizetype>(repaired.Result.size())));
    return tell ? promised.KeptBy(seen) : Recognised(seen);
}

// Whether the result is nothing recognisable, but reads as text, keeps the
// name's promise or is an intact format once the classes of a password's
// period are brought into line: a wrong password of the right length. (A
// signature of a byte or two, which such a change brings about now and then
// in any content, is not enough.)
bool WrongPasswordOfThatLength(const ContentPreview& preview, const PromisedType& promised,
                               bool tell, const SeenContent* result) {
    const auto view = [](const std::vector<std::uint8_t>& bytes) {
        return QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()));
    };
    const auto comesOut = [&](std::uint64_t period) {
        auto bytes = period == 0
                         ? std::nullopt
                         : AlignedToZeroClass(preview.Result, static_cast<std::size_t>(period));
        if (!bytes) {
            return false;
        }
        ContentPreview aligned = preview;
        aligned.Result = std::move(*bytes);
        aligned.ReadAt = nullptr;  // what lies further on was not brought into line
        const SeenContent seen = See(view(aligned.Result));
        return seen.Text || (tell && promised.KeptBy(seen)) ||
               LookAtStructure(aligned, PreviewSide::Result).Intact;
    };
    return !Recognised(result ? *result : See(view(preview.Result))) &&
           (comesOut(preview.Password1Period) ||
            (preview.Level == Level::TopSecret && comesOut(preview.Password2Period)));
}

}  // namespace

std::optional<ContentVerdict> TypoVerdict(const ContentPreview& preview,
                                          const PromisedType& promised, const SeenContent* result) {
    const std::optional<FoundTrace> found = FindTrace(preview);
    const bool tell =
        promised.CanTell(preview.Current.size(), preview.Current.size() >= preview.FileLength);
    if (!found) {
        if (WrongPasswordOfThatLength(preview, promised, tell, result)) {
            return ContentVerdict{ContentConcern::ResultUnlikeType, preview.Level,
                                  tell ? promised.Description() : QString()};
        }
        return std::nullopt;
    }
    const bool right = RightWithout(preview, *found, promised, tell);
    ContentVerdict verdict{right ? ContentConcern::KeyTypo : ContentConcern::ResultUnlikeType,
                           preview.Level, tell ? promised.Description() : QString()};
    if (right) {
        verdict.Password = found->Password;
        verdict.Period = static_cast<int>(found->Period);
    }
    return verdict;
}

}  // namespace quarnix
