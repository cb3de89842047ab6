// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Formats that a file's extension names where the shared MIME database
// cannot tell them by content: it does not know the extension (gpkg, shp,
// wasm, rds...), knows it without content rules (dbf), or with rules that
// tell only some of its real files (pyc, gpg). Every file of each
// begins in a way told here, so that content which does not is not of it.

#include <string_view>

#include "file_view.h"

namespace quarnix::structure {

struct NamedFormat {
    std::string_view Format;          // a type name, e.g. "application/vnd.sqlite3"
    bool (*Begins)(const FileView&);  // whether a file begins as one of the format
};

// The format that the extension of `fileName` (in any case) names; nullptr
// for none.
const NamedFormat* FormatNamedBy(std::string_view fileName);

}  // namespace quarnix::structure
