// SPDX-License-Identifier: GPL-3.0-or-later
#include "format_registry.h"

#include "format_checks.h"
#include "start_signature.h"

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
    {LooksLikeWoff2, CheckWoff2},
    {LooksLikeElf, CheckElf},
    {LooksLikeTar, CheckTar},
    {LooksLikeSqlite, CheckSqlite},
    {LooksLikeRiff, CheckRiff},
    {LooksLikeMp4, CheckMp4},
    {LooksLikeShapefile, CheckShapefile},
    {LooksLikeWasm, CheckWasm},
    {LooksLikeDbase, CheckDbase},
    {LooksLikeZip, CheckZip},
    {LooksLikePdf, CheckPdf},
    {LooksLikeMp3, CheckMp3},
};

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
    // A start that misses a long signature by a character or two is that
    // format, damaged.
    const StartSignature signature = SignatureAtStart(file.Head());
    return signature.Damaged ? FindingFor(signature.Format).Break("signature damaged") : Finding{};
}

}  // namespace quarnix::structure
