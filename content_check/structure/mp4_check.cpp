// SPDX-License-Identifier: GPL-3.0-or-later
// MP4 and its relatives (mov, m4a, 3gp, heic): a chain of boxes, each a
// length and a four-character type, that runs to the end of the file; the
// boxes of containers fill them exactly, and the sample tables hold as many
// entries as their boxes have room for.

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::size_t BoxesRead = 512;

bool Container(Bytes type) {
    for (const std::string_view name :
         {"moov", "trak", "mdia", "minf", "stbl", "edts", "dinf", "mvex", "moof", "traf", "mfra"}) {
        if (HasAt(type, 0, name)) {
            return true;
        }
    }
    return false;
}

bool TypeCharacters(Bytes type) {
    for (const std::uint8_t c : type) {
        if (c < 0x20 || c > 0x7e) {
            return false;
        }
    }
    return true;
}

class Mp4Check {
  public:
    explicit Mp4Check(const FileView& file) : file_(file) {}
    Finding Run();

  private:
    // The boxes from `at` to `end`; false on a violation.
    bool Boxes(std::uint64_t at, std::uint64_t end, int depth);
    // A sample table's entry count against its box's length.
    bool Table(Bytes type, std::uint64_t at, std::uint64_t length);

    const FileView& file_;
    Finding finding_ = FindingFor("video/mp4");
    std::size_t boxes_ = 0;
};

bool Mp4Check::Table(Bytes type, std::uint64_t at, std::uint64_t length) {
    std::uint64_t entry = 0;
    std::uint64_t fixed = 16;  // header, version and flags, count
    if (HasAt(type, 0, "stco") || HasAt(type, 0, "stss")) {
        entry = 4;
    } else if (HasAt(type, 0, "co64") || HasAt(type, 0, "stts")) {
        entry = 8;
    } else if (HasAt(type, 0, "stsc")) {
        entry = 12;
    } else {
        return true;
    }
    const auto head = file_.At(at + 8, 8);
    if (!head || (*head)[0] != 0) {
        return !head.has_value();
    }
    const std::uint64_t count = Be32(*head, 4);
    if (fixed + count * entry != length) {
        return false;
    }
    finding_.Check(at + 8, at + 9);  // version 0
    finding_.Check(at + 12, at + 16);
    return true;
}

bool Mp4Check::Boxes(std::uint64_t at, std::uint64_t end, int depth) {
    // Past the head, and at the file's end, there is nothing to judge: some
    // writers leave padding or a cut-off box there.
    while (at < end && boxes_ < BoxesRead && at < file_.Head().size()) {
        if (end - at < 8) {
            return depth == 0;  // leftover bytes that cannot be a box
        }
        const auto top = file_.At(at, 16 <= end - at ? 16 : 8);
        if (!top) {
            return true;
        }
        ++boxes_;
        const Bytes type = top->subspan(4, 4);
        std::uint64_t length = Be32(*top, 0);
        std::uint64_t header = 8;
        if (length == 1 && top->size() == 16) {
            length = Be64(*top, 8);
            header = 16;
        } else if (length == 0) {
            length = end - at;  // to the end
        }
        if (depth == 0 && length > end - at) {
            return TypeCharacters(type);
        }
        if (!TypeCharacters(type) || length < header || length > end - at) {
            return false;
        }
        if (Container(type) && depth < 8 && !Boxes(at + header, at + length, depth + 1)) {
            return false;
        }
        if (!Table(type, at, length)) {
            return false;
        }
        at += length;
    }
    return true;
}

Finding Mp4Check::Run() {
    if (!Boxes(0, file_.Length(), 0)) {
        return finding_.Break("box chain");
    }
    finding_.State = Integrity::Intact;
    return finding_;
}

}  // namespace

bool LooksLikeMp4(const FileView& file) {
    const Bytes b = file.Head();
    return b.size() >= 16 && HasAt(b, 4, "ftyp") && Be32(b, 0) >= 16 && Be32(b, 0) <= 4096;
}

Finding CheckMp4(const FileView& file) {
    return Mp4Check(file).Run();
}

}  // namespace quarnix::structure
