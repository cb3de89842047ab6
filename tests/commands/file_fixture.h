// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh folder per test, entered as the working folder so that file names
// stay free of the dots a build path may hold, and small file helpers.

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "engine/commands.h"
#include "engine/crypt_request.h"

namespace quarnix::test {

using Bytes = std::vector<std::uint8_t>;

// Deterministic bytes, different for each seed.
Bytes Pattern(std::size_t size, std::uint32_t seed = 1);

void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);
bool Exists(const std::string& path);  // lstat: a dangling link exists too
std::set<std::string> FolderNames(const std::string& folder = ".");
void ClearFolder();  // removes everything in the working folder

// The content the command should leave: the window transformed, the rest as it was.
Bytes Transformed(const Bytes& plain, Level level, bool encrypt, std::u16string_view password1,
                  std::u16string_view password2);

// A request with matching password pairs, backup and marker on.
CryptRequest Request(const std::string& path, Level level, std::u16string password1 = u"abc",
                     std::u16string password2 = u"hello");

class FileFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::string folder_;  // absolute

  private:
    std::string previous_;
};

}  // namespace quarnix::test
