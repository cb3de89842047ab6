// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The checks of each format family: LooksLike... tells the format by its
// signature (or, for ZIP and PDF, by what their ends hold), Check... checks
// a file that has it.

#include "file_view.h"
#include "finding.h"

namespace quarnix::structure {

bool LooksLikePng(const FileView& file);
Finding CheckPng(const FileView& file);
bool LooksLikeGif(const FileView& file);
Finding CheckGif(const FileView& file);
bool LooksLikeJpeg(const FileView& file);
Finding CheckJpeg(const FileView& file);
bool LooksLikeZip(const FileView& file);
Finding CheckZip(const FileView& file);
bool LooksLikeGzip(const FileView& file);
Finding CheckGzip(const FileView& file);
bool LooksLikeXz(const FileView& file);
Finding CheckXz(const FileView& file);
bool LooksLikeBzip2(const FileView& file);
Finding CheckBzip2(const FileView& file);
bool LooksLikeSevenZip(const FileView& file);
Finding CheckSevenZipArchive(const FileView& file);
bool LooksLikeRar(const FileView& file);
Finding CheckRar(const FileView& file);
bool LooksLikeOle2(const FileView& file);
Finding CheckOle2(const FileView& file);
bool LooksLikePdf(const FileView& file);
Finding CheckPdf(const FileView& file);
bool LooksLikeFont(const FileView& file);
Finding CheckFont(const FileView& file);
bool LooksLikeWoff2(const FileView& file);
Finding CheckWoff2(const FileView& file);
bool LooksLikeElf(const FileView& file);
Finding CheckElf(const FileView& file);
bool LooksLikeTar(const FileView& file);
Finding CheckTar(const FileView& file);
bool LooksLikeSqlite(const FileView& file);
Finding CheckSqlite(const FileView& file);
bool LooksLikeShapefile(const FileView& file);
Finding CheckShapefile(const FileView& file);
bool LooksLikeWasm(const FileView& file);
Finding CheckWasm(const FileView& file);
// A dBase header whose counts fill the file, whatever its fields.
bool HasDbaseHeader(const FileView& file);
bool LooksLikeDbase(const FileView& file);
Finding CheckDbase(const FileView& file);
bool LooksLikeRiff(const FileView& file);
Finding CheckRiff(const FileView& file);
bool LooksLikeMp3(const FileView& file);
Finding CheckMp3(const FileView& file);
bool LooksLikeMp4(const FileView& file);
Finding CheckMp4(const FileView& file);

}  // namespace quarnix::structure
