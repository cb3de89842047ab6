// SPDX-License-Identifier: GPL-3.0-or-later
#include "format_registry.h"

#include "format_checks.h"

namespace quarnix::structure {
namespace {

struct Format {
    bool (*LooksLike)(const FileView&);
    Finding (*Check)(const FileView&);
};

// Signatures at the start first; ZIP and PDF, which may also be told by
// their ends, last, so that a file with another format's start is that one.
constexpr Format Formats[] = {
    {LooksLikePng, CheckPng},
    {LooksLikeGif, CheckGif},
    {LooksLikeJpeg, CheckJpeg},
    {LooksLikeGzip, CheckGzip},
    {LooksLikeXz, CheckXz},
    {LooksLikeBzip2, CheckBzip2},
    {LooksLikeSevenZip, CheckSevenZipArchive},
    {LooksLikeRar, CheckRar},
    {LooksLikeOle2, CheckOle2},
    {LooksLikeFont, CheckFont},
    {LooksLikeElf, CheckElf},
    {LooksLikeTar, CheckTar},
    {LooksLikeSqlite, CheckSqlite},
    {LooksLikeRiff, CheckRiff},
    {LooksLikeMp4, CheckMp4},
    {LooksLikeDbase, CheckDbase},
    {LooksLikeZip, CheckZip},
    {LooksLikePdf, CheckPdf},
    {LooksLikeMp3, CheckMp3},
};

// Signatures long enough that a start which misses one of them by a
// character or two (one in four at most) is that format, damaged.
struct Signature {
    std::string_view Bytes;
    std::string_view Format;
    std::size_t AnyAt = SIZE_MAX;  // a position whose byte varies (bzip2's block size)
};
constexpr Signature LongSignatures[] = {
    {"\x89PNG\r\n\x1a\n", "image/png"},
    {"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", "application/x-ole-storage"},
    {std::string_view("SQLite format 3\0", 16), "application/vnd.sqlite3"},
    {"7z\xbc\xaf\x27\x1c", "application/x-7z-compressed"},
    {std::string_view("\xfd"
                      "7zXZ\0",
                      6),
     "application/x-xz"},
    {std::string_view("Rar!\x1a\x07\x01\x00", 8), "application/vnd.rar"},
    {"GIF89a", "image/gif"},
    {"BZh9\x31\x41\x59\x26\x53\x59", "application/x-bzip2", 3},
};

Finding DamagedSignature(structure::Bytes head) {
    for (const Signature& signature : LongSignatures) {
        if (head.size() < signature.Bytes.size()) {
            continue;
        }
        std::size_t differ = 0;
        for (std::size_t i = 0; i < signature.Bytes.size(); ++i) {
            differ +=
                i != signature.AnyAt && head[i] != static_cast<std::uint8_t>(signature.Bytes[i])
                    ? 1
                    : 0;
        }
        if (differ > 0 && differ * 4 <= signature.Bytes.size()) {
            return FindingFor(signature.Format).Break("signature damaged");
        }
    }
    return {};
}

}  // namespace

Finding CheckStructure(const FileView& file) {
    if (file.Head().empty()) {
        return {};
    }
    for (const Format& format : Formats) {
        if (!format.LooksLike(file)) {
            continue;
        }
        Finding finding = format.Check(file);
        if (finding.Intact() && CheckedBytes(finding, file.Head().size()) == 0) {
            finding.State = Integrity::Unknown;
        }
        return finding;
    }
    return DamagedSignature(file.Head());
}

}  // namespace quarnix::structure
