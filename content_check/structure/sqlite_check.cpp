// SPDX-License-Identifier: GPL-3.0-or-later
// SQLite databases: a 100-byte header of fixed and bounded values, then
// b-tree pages whose headers, cell pointers and records fit their page. The
// schema table's b-tree starts on page 1 and names the root page of every
// table and index; those roots are checked too.

#include <set>

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::string_view Magic = std::string_view("SQLite format 3\0", 16);
constexpr std::size_t PagesRead = 64;

// A varint at `at` (at most 9 bytes), which moves past it.
std::optional<std::uint64_t> Varint(Bytes b, std::size_t& at) {
    std::uint64_t value = 0;
    for (int i = 0; i < 9; ++i) {
        if (at >= b.size()) {
            return std::nullopt;
        }
        const std::uint8_t byte = b[at++];
        if (i == 8) {
            return value << 8 | byte;
        }
        value = value << 7 | (byte & 0x7f);
        if ((byte & 0x80) == 0) {
            return value;
        }
    }
    return value;
}

std::uint64_t SerialSize(std::uint64_t type) {
    static constexpr std::uint64_t sizes[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};
    return type < 10 ? sizes[type] : type >= 12 ? (type - 12) / 2 : 0;
}

class SqliteCheck {
  public:
    explicit SqliteCheck(const FileView& file) : file_(file) {}
    Finding Run();

  private:
    // The b-tree page `number`: false when it breaks the rules. Adds the
    // children of an interior page, and on the schema's pages the roots.
    bool Page(std::uint64_t number, bool schema);
    bool Record(Bytes page, std::size_t at, std::uint64_t payload, bool schema);

    const FileView& file_;
    Finding finding_ = FindingFor("application/vnd.sqlite3");
    std::uint64_t page_size_ = 0;
    std::uint64_t usable_ = 0;
    std::uint64_t pages_ = 0;
    std::vector<std::pair<std::uint64_t, bool>> to_visit_;
};

bool SqliteCheck::Record(Bytes page, std::size_t at, std::uint64_t payload, bool schema) {
    // Records too long for their page go on in overflow pages: only the header is checked.
    const std::size_t start = at;
    const auto headerSize = Varint(page, at);
    if (!headerSize || *headerSize > payload) {
        return false;
    }
    if (start + *headerSize > page.size()) {
        return true;  // a header that goes on in an overflow page
    }
    std::uint64_t body = 0;
    std::vector<std::uint64_t> types;
    while (at < start + *headerSize) {
        const auto type = Varint(page, at);
        if (!type || *type == 10 || *type == 11) {
            return false;
        }
        types.push_back(*type);
        body += SerialSize(*type);
    }
    if (at != start + *headerSize || *headerSize + body != payload) {
        return false;
    }
    // The schema's rows: type, name, table name, root page, SQL.
    if (schema && types.size() == 5 && types[3] >= 1 && types[3] <= 6) {
        std::size_t value = start + *headerSize + SerialSize(types[0]) + SerialSize(types[1]) +
                            SerialSize(types[2]);
        std::uint64_t root = 0;
        for (std::uint64_t i = 0; i < SerialSize(types[3]) && value < page.size(); ++i) {
            root = root << 8 | page[value++];
        }
        if (root > pages_ && pages_ > 0) {
            return false;
        }
        if (root > 1) {
            to_visit_.push_back({root, false});
        }
    }
    return true;
}

bool SqliteCheck::Page(std::uint64_t number, bool schema) {
    const std::uint64_t offset = (number - 1) * page_size_;
    const auto bytes = file_.At(offset, page_size_);
    if (!bytes) {
        return true;
    }
    const Bytes page = bytes->first(usable_);
    const std::size_t h = number == 1 ? 100 : 0;
    const std::uint8_t type = page[h];
    if (type != 2 && type != 5 && type != 10 && type != 13) {
        return false;
    }
    const bool leaf = type >= 10, table = type == 5 || type == 13;
    const std::size_t pointers = h + (leaf ? 8 : 12);
    const std::uint64_t cells = Be16(page, h + 3);
    const std::uint64_t content = Be16(page, h + 5) == 0 ? 65536 : Be16(page, h + 5);
    if (page[h + 7] > 60 || pointers + 2 * cells > content || content > usable_) {
        return false;
    }
    for (std::uint64_t i = 0; i < cells; ++i) {
        std::size_t at = Be16(page, pointers + 2 * i);
        if (at < content || at >= usable_) {
            return false;
        }
        if (!leaf) {
            const std::uint64_t child = Be32(page, at);
            if (child == 0 || (pages_ > 0 && child > pages_)) {
                return false;
            }
            to_visit_.push_back({child, schema});
            at += 4;
            if (table) {
                continue;  // an interior table cell holds only a key
            }
        }
        const auto payload = Varint(page, at);
        if (!payload) {
            return false;
        }
        if (table && !Varint(page, at)) {
            return false;
        }
        if (!Record(page, at, *payload, schema)) {
            return false;
        }
    }
    if (!leaf) {
        const std::uint64_t right = Be32(page, h + 8);
        if (right == 0 || (pages_ > 0 && right > pages_)) {
            return false;
        }
        to_visit_.push_back({right, schema});
    }
    return true;
}

Finding SqliteCheck::Run() {
    const auto header = file_.At(0, 100);
    if (!header) {
        return finding_;
    }
    const Bytes h = *header;
    page_size_ = Be16(h, 16) == 1 ? 65536 : Be16(h, 16);
    const bool power = page_size_ >= 512 && (page_size_ & (page_size_ - 1)) == 0;
    if (!power || h[18] < 1 || h[18] > 2 || h[19] < 1 || h[19] > 2 || h[21] != 64 || h[22] != 32 ||
        h[23] != 32 || Be32(h, 44) < 1 || Be32(h, 44) > 4 || Be32(h, 56) < 1 || Be32(h, 56) > 3) {
        return finding_.Break("header values");
    }
    for (std::size_t i = 72; i < 92; ++i) {
        if (h[i] != 0) {
            return finding_.Break("reserved header bytes");
        }
    }
    finding_.Check(0, 16);
    finding_.Check(21, 24);
    finding_.Check(72, 92);
    usable_ = page_size_ - h[20];
    // The page count is valid only when written by a version that keeps it.
    if (Be32(h, 24) == Be32(h, 92)) {
        pages_ = Be32(h, 28);
    }
    to_visit_.push_back({1, true});
    std::set<std::uint64_t> seen;
    while (!to_visit_.empty() && seen.size() < PagesRead) {
        const auto [number, schema] = to_visit_.back();
        to_visit_.pop_back();
        if (!seen.insert(number).second) {
            continue;
        }
        if (!Page(number, schema)) {
            return finding_.Break("b-tree page");
        }
    }
    finding_.State = Integrity::Intact;
    return finding_;
}

}  // namespace

bool LooksLikeSqlite(const FileView& file) {
    return HasAt(file.Head(), 0, Magic);
}

Finding CheckSqlite(const FileView& file) {
    return SqliteCheck(file).Run();
}

}  // namespace quarnix::structure
