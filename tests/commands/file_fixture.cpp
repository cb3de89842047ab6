// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_fixture.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/format/cipher.h"
#include "engine/text_codec.h"

namespace quarnix::test {

Bytes Pattern(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (auto& byte : bytes) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        byte = static_cast<std::uint8_t>(x);
    }
    return bytes;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return {};
    }
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::set<std::string> FolderNames(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

void ClearFolder() {
    for (const std::string& name : FolderNames()) {
        std::filesystem::remove_all(name);
    }
}

Bytes Transformed(const Bytes& plain, Level level, bool encrypt, std::u16string_view password1,
                  std::u16string_view password2) {
    Bytes result = plain;
    const auto keys = MakeCipherKeys(level, password1, password2);
    const Bytes window = encrypt ? EncryptImage(plain, *keys) : DecryptImage(plain, *keys);
    std::copy(window.begin(), window.end(), result.begin());
    return result;
}

CryptRequest Request(const std::string& path, Level level, std::u16string password1,
                     std::u16string password2) {
    CryptRequest request;
    request.FilePath = Utf8ToUtf16(path);
    request.Level = level;
    request.Password1 = request.Password1Confirm = std::move(password1);
    request.Password2 = request.Password2Confirm = std::move(password2);
    return request;
}

void FileFixture::SetUp() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/quarnix-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    previous_ = std::filesystem::current_path().string();
    std::filesystem::current_path(folder_);
}

void FileFixture::TearDown() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace quarnix::test
