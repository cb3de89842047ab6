// SPDX-License-Identifier: GPL-3.0-or-later
// GIF: a screen descriptor, colour tables of the sizes it says, then blocks
// that each start with a known introducer, data in sub-blocks, and image data
// whose LZW codes never name an entry the table does not have yet.

#include "format_checks.h"

namespace quarnix::structure {
namespace {

class GifCheck {
  public:
    explicit GifCheck(Bytes b) : b_(b) {}
    Finding Run();

  private:
    // Sub-blocks from at_ up to their terminator; false when cut off.
    bool SubBlocks(std::vector<std::uint8_t>* data);
    bool Lzw(const std::vector<std::uint8_t>& data, int minimumSize, std::uint64_t pixels);

    Bytes b_;
    std::size_t at_ = 0;
    Finding finding_ = FindingFor("image/gif");
};

bool GifCheck::SubBlocks(std::vector<std::uint8_t>* data) {
    while (at_ < b_.size()) {
        const std::size_t size = b_[at_];
        if (size == 0) {
            ++at_;
            return true;
        }
        if (at_ + 1 + size > b_.size()) {
            return false;
        }
        if (data != nullptr) {
            data->insert(data->end(), b_.begin() + static_cast<std::ptrdiff_t>(at_ + 1),
                         b_.begin() + static_cast<std::ptrdiff_t>(at_ + 1 + size));
        }
        at_ += 1 + size;
    }
    return false;
}

// Codes never exceed the next free entry; the first code after a clear is a
// colour; the end code comes after exactly the image's pixels. Answers false
// for a violation; data cut short is no violation.
bool GifCheck::Lzw(const std::vector<std::uint8_t>& data, int minimumSize, std::uint64_t pixels) {
    const int clear = 1 << minimumSize, stop = clear + 1;
    int size = minimumSize + 1;
    int next = clear + 2;
    bool first = true;
    std::vector<std::uint32_t> lengths(4097, 1);  // of each entry's string
    int previous = 0;
    std::uint64_t made = 0;
    std::uint64_t bit = 0;
    while (bit + static_cast<std::uint64_t>(size) <= data.size() * 8) {
        int code = 0;
        for (int i = 0; i < size; ++i, ++bit) {
            code |= (data[bit >> 3] >> (bit & 7) & 1) << i;
        }
        if (code == clear) {
            size = minimumSize + 1;
            next = clear + 2;
            first = true;
            continue;
        }
        if (code == stop) {
            return made == pixels;
        }
        if (first ? code >= clear : code > next) {
            return false;
        }
        if (!first && next < 4096) {
            lengths[static_cast<std::size_t>(next)] =
                lengths[static_cast<std::size_t>(previous)] + 1;
            ++next;
            if (next == 1 << size && size < 12) {
                ++size;
            }
        }
        made += code < clear ? 1 : lengths[static_cast<std::size_t>(code)];
        previous = code;
        first = false;
    }
    return true;
}

Finding GifCheck::Run() {
    if (b_.size() < 13) {
        return finding_;
    }
    finding_.Check(0, 4);  // "GIF8", then 7 or 9
    finding_.Check(5, 6);
    at_ = 13;
    if ((b_[10] & 0x80) != 0) {
        at_ += 3u << ((b_[10] & 7) + 1);
    }
    while (at_ < b_.size()) {
        const std::uint8_t introducer = b_[at_];
        if (introducer == 0x3b) {
            break;
        }
        if (introducer == 0x21) {
            if (at_ + 3 > b_.size()) {
                break;
            }
            const std::uint8_t label = b_[at_ + 1];
            const std::uint8_t size = b_[at_ + 2];
            // Graphic control, plain text and application blocks have fixed sizes.
            if ((label == 0xf9 && size != 4) || (label == 0x01 && size != 12) ||
                (label == 0xff && size != 11)) {
                return finding_.Break("extension block size");
            }
            at_ += 2;
            if (!SubBlocks(nullptr)) {
                break;
            }
            continue;
        }
        if (introducer != 0x2c) {
            return finding_.Break("unknown block introducer");
        }
        if (at_ + 11 > b_.size()) {
            break;
        }
        const std::uint64_t pixels = std::uint64_t{Le16(b_, at_ + 5)} * Le16(b_, at_ + 7);
        const std::uint8_t packed = b_[at_ + 9];
        at_ += 10;
        if ((packed & 0x80) != 0) {
            at_ += 3u << ((packed & 7) + 1);
        }
        if (at_ >= b_.size()) {
            break;
        }
        const int minimumSize = b_[at_++];
        if (minimumSize < 2 || minimumSize > 11) {
            return finding_.Break("LZW code size");
        }
        std::vector<std::uint8_t> data;
        const bool whole = SubBlocks(&data);
        if (!Lzw(data, minimumSize, pixels)) {
            return finding_.Break("LZW code past the table");
        }
        if (!whole) {
            break;
        }
    }
    finding_.State = Integrity::Intact;
    return finding_;
}

}  // namespace

bool LooksLikeGif(const FileView& file) {
    return HasAt(file.Head(), 0, "GIF87a") || HasAt(file.Head(), 0, "GIF89a");
}

Finding CheckGif(const FileView& file) {
    return GifCheck(file.Head()).Run();
}

}  // namespace quarnix::structure
