// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG: a sequence of marker segments whose lengths and values follow the
// standard's rules, and scans of entropy-coded data in which 0xFF is always
// stuffed or a marker, restart markers count round 0 to 7, and (sequential
// Huffman scans) the data decodes with the file's own tables.

#include <map>

#include "format_checks.h"
#include "jpeg_scan.h"

namespace quarnix::structure {
namespace {

struct Component {
    int Id = 0;
    int H = 1, V = 1;
};

struct Frame {
    int Marker = 0;  // 0 before the SOF marker
    int Precision = 8;
    std::uint64_t Width = 0, Height = 0;
    std::vector<Component> Components;
    int MaxH = 1, MaxV = 1;
};

bool Sequential(int marker) {
    return marker == 0xc0 || marker == 0xc1;
}

std::uint64_t Ceil(std::uint64_t a, std::uint64_t b) {
    return (a + b - 1) / b;
}

class JpegCheck {
  public:
    explicit JpegCheck(Bytes b) : b_(b) {}
    Finding Run();

  private:
    bool Tables(Bytes s, bool huffman);
    bool FrameHeader(int marker, Bytes s);
    // The scan's header at `s`, and its data from `at`; answers where the data ends.
    std::optional<std::size_t> Scan(Bytes s, std::size_t at);

    Bytes b_;
    Finding finding_ = FindingFor("image/jpeg");
    Frame frame_;
    std::map<int, HuffmanTable> huffman_;  // class * 4 + id
    std::uint64_t restart_ = 0;
};

bool JpegCheck::Tables(Bytes s, bool huffman) {
    std::size_t at = 0;
    while (at < s.size()) {
        const int kind = s[at] >> 4, id = s[at] & 15;
        if (!huffman) {
            const std::size_t length = kind == 0 ? 64 : 128;
            if (kind > 1 || id > 3 || at + 1 + length > s.size()) {
                return false;
            }
            at += 1 + length;
            continue;
        }
        if (kind > 1 || id > 3 || at + 17 > s.size()) {
            return false;
        }
        std::size_t count = 0;
        for (std::size_t i = 1; i <= 16; ++i) {
            count += s[at + i];
        }
        if (count > 256 || at + 17 + count > s.size()) {
            return false;
        }
        const auto table = HuffmanTable::Make(s.subspan(at + 1, 16), s.subspan(at + 17, count));
        if (!table) {
            return false;
        }
        huffman_.insert_or_assign(kind * 4 + id, *table);
        at += 17 + count;
    }
    return true;
}

bool JpegCheck::FrameHeader(int marker, Bytes s) {
    if (s.size() < 6 || s.size() != 6 + 3 * std::size_t{s[5]} || s[5] == 0) {
        return false;
    }
    frame_ = Frame{marker, s[0], Be16(s, 1), Be16(s, 3), {}, 1, 1};
    if (frame_.Width == 0 ||
        (Sequential(marker) && frame_.Precision != 8 && frame_.Precision != 12)) {
        return false;
    }
    for (std::size_t i = 0; i < s[5]; ++i) {
        const Bytes c = s.subspan(6 + 3 * i, 3);
        const Component component{c[0], c[1] >> 4, c[1] & 15};
        if (component.H < 1 || component.H > 4 || component.V < 1 || component.V > 4 || c[2] > 3) {
            return false;
        }
        frame_.MaxH = std::max(frame_.MaxH, component.H);
        frame_.MaxV = std::max(frame_.MaxV, component.V);
        frame_.Components.push_back(component);
    }
    return true;
}

std::optional<std::size_t> JpegCheck::Scan(Bytes s, std::size_t at) {
    const std::size_t count = s.empty() ? 0 : s[0];
    if (count < 1 || count > 4 || s.size() != 4 + 2 * count || frame_.Marker == 0) {
        finding_.Break("scan header");
        return std::nullopt;
    }
    std::vector<ScanComponent> components;
    bool decodable = Sequential(frame_.Marker);
    std::uint64_t mcus = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int id = s[1 + 2 * i], dc = s[2 + 2 * i] >> 4, ac = s[2 + 2 * i] & 15;
        const auto c = std::find_if(frame_.Components.begin(), frame_.Components.end(),
                                    [id](const Component& k) { return k.Id == id; });
        if (c == frame_.Components.end() || dc > 3 || ac > 3) {
            finding_.Break("scan component");
            return std::nullopt;
        }
        const auto dcTable = huffman_.find(dc), acTable = huffman_.find(4 + ac);
        decodable = decodable && dcTable != huffman_.end() && acTable != huffman_.end();
        if (decodable) {
            components.push_back(
                {count == 1 ? 1 : c->H * c->V, &dcTable->second, &acTable->second});
        }
        if (count == 1) {  // a scan of one component goes block by block
            mcus = Ceil(Ceil(frame_.Width * static_cast<std::uint64_t>(c->H), frame_.MaxH), 8) *
                   Ceil(Ceil(frame_.Height * static_cast<std::uint64_t>(c->V), frame_.MaxV), 8);
        }
    }
    if (count > 1) {
        mcus = Ceil(frame_.Width, 8 * std::uint64_t(frame_.MaxH)) *
               Ceil(frame_.Height, 8 * std::uint64_t(frame_.MaxV));
    }
    const std::size_t p = 1 + 2 * count;
    if (Sequential(frame_.Marker) && (s[p] != 0 || s[p + 1] != 63 || s[p + 2] != 0)) {
        finding_.Break("spectral selection of a sequential scan");
        return std::nullopt;
    }
    decodable = decodable && frame_.Height > 0;
    // Through the data: stuffed bytes, restart markers in turn, up to a marker.
    std::vector<std::uint8_t> interval;
    int expected = 0;
    std::uint64_t left = mcus;
    const std::size_t first = at;
    while (true) {
        const bool end = at + 1 >= b_.size();
        const bool marker = !end && b_[at] == 0xff && b_[at + 1] != 0;
        if (end || marker) {
            const bool restart = marker && b_[at + 1] >= 0xd0 && b_[at + 1] <= 0xd7;
            if (restart && b_[at + 1] - 0xd0 != expected) {
                finding_.Break("restart marker out of turn");
                return std::nullopt;
            }
            if (decodable) {
                const std::uint64_t want = restart_ > 0 ? std::min(restart_, left) : left;
                const auto outcome = DecodeInterval(interval, !end, components, want,
                                                    frame_.Precision > 8 ? 15 : 11);
                if (outcome == IntervalOutcome::Broken) {
                    finding_.Break("entropy-coded data");
                    return std::nullopt;
                }
                left -= std::min(want, left);
            }
            if (end || !restart) {
                if (!end && decodable) {
                    finding_.Check(first, at);
                }
                return end ? std::nullopt : std::optional(at);
            }
            expected = (expected + 1) % 8;
            interval.clear();
            at += 2;
            continue;
        }
        interval.push_back(b_[at]);
        at += b_[at] == 0xff ? 2 : 1;
    }
}

Finding JpegCheck::Run() {
    finding_.Check(0, 2);
    std::size_t at = 2;
    while (at + 4 <= b_.size()) {
        if (b_[at] != 0xff) {
            return finding_.Break("no marker where one must be");
        }
        while (at + 4 <= b_.size() && b_[at + 1] == 0xff) {
            ++at;  // fill bytes
        }
        const int marker = b_[at + 1];
        if (marker == 0xd9) {
            break;
        }
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) {
            at += 2;
            continue;
        }
        if (marker < 0xc0 || marker == 0xd8) {
            return finding_.Break("reserved marker");
        }
        const std::size_t length = Be16(b_, at + 2);
        if (length < 2) {
            return finding_.Break("segment length");
        }
        if (at + 2 + length > b_.size()) {
            break;
        }
        const Bytes s = b_.subspan(at + 4, length - 2);
        bool fine = true;
        if (marker == 0xdb || marker == 0xc4) {
            fine = Tables(s, marker == 0xc4);
        } else if (marker == 0xdd) {
            fine = length == 4;
            restart_ = fine ? Be16(s, 0) : 0;
        } else if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 &&
                   marker != 0xcc) {
            fine = FrameHeader(marker, s);
        } else if (marker == 0xda) {
            const auto next = Scan(s, at + 2 + length);
            if (!next) {
                break;
            }
            at = *next;
            continue;
        }
        if (!fine) {
            return finding_.Break("marker segment values");
        }
        at += 2 + length;
    }
    if (!finding_.Broken()) {
        finding_.State = Integrity::Intact;
    }
    return finding_;
}

}  // namespace

bool LooksLikeJpeg(const FileView& file) {
    return HasAt(file.Head(), 0, "\xff\xd8\xff");
}

Finding CheckJpeg(const FileView& file) {
    return JpegCheck(file.Head()).Run();
}

}  // namespace quarnix::structure
