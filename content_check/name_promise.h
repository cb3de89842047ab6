// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a file's name promises its content to be, as far as the content can
// tell: the type the shared MIME database gives the name, where its content
// rules can tell it (PromisedType), else the format that the name's
// extension names and whose start the structure checks tell
// (structure/named_formats.h).

#include "engine/work_hooks.h"
#include "promised_type.h"

namespace quarnix {
namespace structure {
struct NamedFormat;
}

class NamePromise {
  public:
    // The promise of the preview's PromisedPath.
    explicit NamePromise(const ContentPreview& preview);

    bool CanTell() const { return byType_ || named_ != nullptr; }

    // Whether one side of the preview keeps the promise; `seen`: what See
    // made of that side's first bytes.
    bool KeptBy(const ContentPreview& preview, PreviewSide side, const SeenContent& seen) const;

    // The promised type, e.g. "SQLite3 数据库"; empty when it has no name.
    QString Description() const;

    const PromisedType& Type() const { return type_; }

  private:
    PromisedType type_;
    bool byType_ = false;
    const structure::NamedFormat* named_ = nullptr;
};

}  // namespace quarnix
