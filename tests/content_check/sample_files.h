// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small but real files of common types, made afresh by each test run: what a
// user keeps in the files this program encrypts.

#include <string>
#include <vector>

#include "../commands/file_fixture.h"

namespace quarnix::test {

struct SampleFile {
    std::string Name;  // with the type's usual extension
    Bytes Content;
};

// A PDF with a compressed-looking stream, PNG and JPEG pictures, a .docx (a
// ZIP archive with stored entries), and Chinese text in UTF-8 and in GBK.
std::vector<SampleFile> SampleFiles();

}  // namespace quarnix::test
