// SPDX-License-Identifier: GPL-3.0-or-later
#include "magic_reach.h"

#include <QFile>
#include <QStandardPaths>
#include <algorithm>

namespace quarnix {
namespace {

// The layout of a compiled magic file (shared-mime-info's "magic"):
//   "MIME-Magic\0\n", then for each type a section
//   "[priority:type]\n" and one line per rule:
//   [indent]">"start-offset"="value-length(2 bytes, big-endian)value
//   ["&"mask]["~"word-size]["+"range-length]"\n"
constexpr char Header[] = "MIME-Magic\0\n";
constexpr qsizetype HeaderLength = sizeof Header - 1;

class Reader {
  public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}

    bool AtEnd() const { return at_ >= bytes_.size(); }
    char Peek() const { return AtEnd() ? '\0' : bytes_[at_]; }
    bool Take(char expected) {
        if (Peek() != expected || AtEnd()) {
            return false;
        }
        ++at_;
        return true;
    }
    // Decimal digits; nullopt when there are none.
    std::optional<std::uint64_t> Number() {
        std::uint64_t value = 0;
        const qsizetype start = at_;
        while (!AtEnd() && Peek() >= '0' && Peek() <= '9' && value < (1ULL << 40)) {
            value = value * 10 + static_cast<std::uint64_t>(Peek() - '0');
            ++at_;
        }
        return at_ > start ? std::optional(value) : std::nullopt;
    }
    std::optional<std::uint64_t> BigEndian16() {
        if (at_ + 2 > bytes_.size()) {
            return std::nullopt;
        }
        const auto high = static_cast<std::uint8_t>(bytes_[at_]);
        const auto low = static_cast<std::uint8_t>(bytes_[at_ + 1]);
        at_ += 2;
        return std::uint64_t{high} << 8 | low;
    }
    bool Skip(std::uint64_t count) {
        if (count > static_cast<std::uint64_t>(bytes_.size() - at_)) {
            return false;
        }
        at_ += static_cast<qsizetype>(count);
        return true;
    }
    // The text up to `end`, which is taken too.
    std::optional<QByteArray> Until(char end) {
        const qsizetype found = bytes_.indexOf(end, at_);
        if (found < 0) {
            return std::nullopt;
        }
        QByteArray text = bytes_.mid(at_, found - at_);
        at_ = found + 1;
        return text;
    }

  private:
    const QByteArray& bytes_;
    qsizetype at_ = HeaderLength;
};

// One rule line; the bytes from the file's start that it looks at.
std::optional<std::uint64_t> RuleReach(Reader& reader) {
    reader.Number();  // the indent, when there is one
    if (!reader.Take('>')) {
        return std::nullopt;
    }
    const auto offset = reader.Number();
    if (!offset || !reader.Take('=')) {
        return std::nullopt;
    }
    const auto length = reader.BigEndian16();
    if (!length || !reader.Skip(*length)) {
        return std::nullopt;
    }
    if (reader.Take('&') && !reader.Skip(*length)) {
        return std::nullopt;
    }
    if (reader.Take('~') && !reader.Number()) {
        return std::nullopt;
    }
    std::uint64_t range = 1;
    if (reader.Take('+')) {
        const auto given = reader.Number();
        if (!given) {
            return std::nullopt;
        }
        range = std::max<std::uint64_t>(*given, 1);
    }
    if (!reader.Take('\n')) {
        return std::nullopt;
    }
    return *offset + range - 1 + *length;
}

}  // namespace

const MagicReach& MagicReach::Installed() {
    static const MagicReach installed = [] {
        MagicReach reach;
        const QStringList files = QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                            QStringLiteral("mime/magic"));
        for (const QString& path : files) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly)) {
                reach.Add(file.readAll());
            }
        }
        return reach;
    }();
    return installed;
}

void MagicReach::Add(const QByteArray& magicFile) {
    if (!magicFile.startsWith(QByteArray(Header, HeaderLength))) {
        return;
    }
    Reader reader(magicFile);
    while (!reader.AtEnd()) {
        if (!reader.Take('[')) {
            return;
        }
        const auto section = reader.Until('\n');
        const qsizetype colon = section ? section->indexOf(':') : -1;
        if (colon < 0 || !section->endsWith(']')) {
            return;
        }
        const QString type =
            QString::fromUtf8(section->mid(colon + 1, section->size() - colon - 2));
        std::uint64_t reach = 0;
        while (!reader.AtEnd() && reader.Peek() != '[') {
            const auto rule = RuleReach(reader);
            if (!rule) {
                // This type's rules are not all known: no preview can hold them.
                reach_[type] = UINT64_MAX;
                return;
            }
            reach = std::max(reach, *rule);
        }
        // A type may have sections of several priorities, here or in another file.
        reach_[type] = std::max(reach_.value(type, 0), reach);
    }
}

std::optional<std::uint64_t> MagicReach::Reach(const QString& type) const {
    const auto found = reach_.constFind(type);
    return found == reach_.constEnd() ? std::nullopt : std::optional(*found);
}

}  // namespace quarnix
