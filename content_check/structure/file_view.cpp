// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_view.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace quarnix::structure {

std::optional<Bytes> FileView::At(std::uint64_t offset, std::uint64_t size) const {
    if (offset > length_ || size > length_ - offset) {
        return std::nullopt;
    }
    if (offset + size <= head_.size()) {
        return head_.subspan(offset, size);
    }
    for (const Read& earlier : read_so_far_) {
        if (offset >= earlier.Offset && offset + size <= earlier.Offset + earlier.Bytes.size()) {
            return Bytes(earlier.Bytes).subspan(offset - earlier.Offset, size);
        }
    }
    if (!read_) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(size);
    if (!read_(offset, bytes)) {
        return std::nullopt;
    }
    read_so_far_.push_back({offset, std::move(bytes)});
    return Bytes(read_so_far_.back().Bytes);
}

std::optional<Bytes> FileView::UpTo(std::uint64_t offset, std::uint64_t size) const {
    if (offset > length_) {
        return std::nullopt;
    }
    return At(offset, std::min(size, length_ - offset));
}

bool HasAt(Bytes b, std::size_t at, std::string_view text) {
    return at <= b.size() && text.size() <= b.size() - at &&
           std::memcmp(b.data() + at, text.data(), text.size()) == 0;
}

}  // namespace quarnix::structure
