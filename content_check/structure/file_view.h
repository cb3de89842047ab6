// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Some bytes of a file as a structure check sees them: its first bytes at
// hand, and any other range through a bounded reader.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace quarnix::structure {

using Bytes = std::span<const std::uint8_t>;

class FileView {
  public:
    // Fills `bytes` from `offset` of the file; false when it cannot.
    using Reader = std::function<bool(std::uint64_t offset, std::span<std::uint8_t> bytes)>;

    FileView(Bytes head, std::uint64_t length, Reader read = {})
        : head_(head), length_(length), read_(std::move(read)) {}

    // The first bytes of the file, all that a check may judge without reading.
    Bytes Head() const { return head_; }
    std::uint64_t Length() const { return length_; }
    bool WholeFileInHead() const { return head_.size() >= length_; }

    // The `size` bytes from `offset`: taken from the head where they lie in
    // it, else read; nullopt past the file's end or when the read fails.
    // What is read stays valid as long as the view.
    std::optional<Bytes> At(std::uint64_t offset, std::uint64_t size) const;

    // As At, cut short at the file's end.
    std::optional<Bytes> UpTo(std::uint64_t offset, std::uint64_t size) const;

  private:
    Bytes head_;
    std::uint64_t length_;
    Reader read_;
    struct Read {
        std::uint64_t Offset = 0;
        std::vector<std::uint8_t> Bytes;
    };
    mutable std::deque<Read> read_so_far_;  // a range read once is not read again
};

inline std::uint16_t Le16(Bytes b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
inline std::uint32_t Le32(Bytes b, std::size_t at) {
    return static_cast<std::uint32_t>(Le16(b, at)) | static_cast<std::uint32_t>(Le16(b, at + 2))
                                                         << 16;
}
inline std::uint64_t Le64(Bytes b, std::size_t at) {
    return Le32(b, at) | static_cast<std::uint64_t>(Le32(b, at + 4)) << 32;
}
inline std::uint16_t Be16(Bytes b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}
inline std::uint32_t Be32(Bytes b, std::size_t at) {
    return static_cast<std::uint32_t>(Be16(b, at)) << 16 | Be16(b, at + 2);
}
inline std::uint64_t Be64(Bytes b, std::size_t at) {
    return static_cast<std::uint64_t>(Be32(b, at)) << 32 | Be32(b, at + 4);
}

// Whether `b` holds `text` at `at`.
bool HasAt(Bytes b, std::size_t at, std::string_view text);

}  // namespace quarnix::structure
