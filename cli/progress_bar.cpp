// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress_bar.h"

#include <unistd.h>

#include <algorithm>
#include <string>

namespace quarnix::cli {
namespace {

constexpr auto ShowAfter = std::chrono::milliseconds(500);
constexpr auto RedrawEvery = std::chrono::milliseconds(100);
constexpr int BarWidth = 30;

void WriteError(const std::string& text) {
    // Best effort: a bar that cannot be drawn is no reason to stop.
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
}

}  // namespace

std::string ProgressLine(const char* phaseName, std::uint64_t done, std::uint64_t total) {
    const double fraction =
        total == 0 ? 1.0 : std::min(1.0, static_cast<double>(done) / static_cast<double>(total));
    const int filled = static_cast<int>(fraction * BarWidth);
    std::string line = phaseName;
    line += " [";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(BarWidth - filled), '-');
    line += "] ";
    const std::string percent = std::to_string(static_cast<int>(fraction * 100));
    line.append(3 - std::min<std::size_t>(3, percent.size()), ' ');
    line += percent;
    line += "%  ";
    line += std::to_string(done >> 20);
    line += '/';
    line += std::to_string(total >> 20);
    line += " MiB";
    return line;
}

void ProgressBar::Start(bool encrypting) {
    encrypting_ = encrypting;
    shown_ = false;
    started_ = Clock::now();
    drawn_ = {};
}

void ProgressBar::Update(WorkPhase phase, std::uint64_t done, std::uint64_t total) {
    if (!enabled_) {
        return;
    }
    const auto now = Clock::now();
    // The flush gets its line at once: it may last long and reports only once.
    const bool flushing = phase == WorkPhase::Flush;
    if (!flushing &&
        (now - started_ < ShowAfter || (shown_ && now - drawn_ < RedrawEvery && done < total))) {
        return;
    }
    const char* name = phase == WorkPhase::BackupCopy ? "备份" : encrypting_ ? "加密" : "解密";
    // Built piece by piece: GCC 12 warns wrongly about a chain of + here.
    std::string text = "\r";
    text +=
        phase == WorkPhase::Flush ? std::string("正在写入磁盘…") : ProgressLine(name, done, total);
    text += "\033[K";
    WriteError(text);
    shown_ = true;
    drawn_ = now;
}

void ProgressBar::Finish() {
    if (shown_) {
        WriteError("\r\033[K");
        shown_ = false;
    }
}

}  // namespace quarnix::cli
