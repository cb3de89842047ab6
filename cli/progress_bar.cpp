// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress_bar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include "local_charset.h"

namespace quarnix::cli {
namespace {

constexpr auto ShowAfter = std::chrono::milliseconds(500);
constexpr auto RedrawEvery = std::chrono::milliseconds(100);
constexpr int LongestBar = 50;
constexpr int ShortestBar = 10;
constexpr int DefaultColumns = 80;

void WriteError(const std::string& text) {
    // Best effort: a bar that cannot be drawn is no reason to stop.
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
}

// Columns a text of ours takes on a terminal: its Chinese characters (three
// bytes and more in UTF-8) two each, the rest one each.
int Columns(std::string_view utf8) {
    int columns = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            columns += 1;
        } else if (byte >= 0xE0) {
            columns += 2;
        } else if (byte >= 0xC0) {
            columns += 1;
        }  // continuation bytes take nothing
    }
    return columns;
}

// The width of the terminal on standard error, read anew at each drawing so
// that a resized window is followed.
int TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return DefaultColumns;
}

}  // namespace

std::string ProgressLine(const char* phaseName, std::uint64_t done, std::uint64_t total,
                         int columns) {
    const double fraction =
        total == 0 ? 1.0 : std::min(1.0, static_cast<double>(done) / static_cast<double>(total));
    std::string percent = std::to_string(static_cast<int>(fraction * 100));
    percent.insert(0, 3 - std::min<std::size_t>(3, percent.size()), ' ');
    percent += '%';
    std::string counter;
    if (total >= (1u << 20)) {
        counter = "  " + std::to_string(done >> 20) + '/' + std::to_string(total >> 20) + " MiB";
    }
    const std::string name = phaseName;
    // "NAME [" + bar + "] " + percent + counter, short of the last column, so
    // that the terminal never wraps the line.
    const int room = columns - 1 - Columns(name) - 4 - static_cast<int>(percent.size()) -
                     static_cast<int>(counter.size());
    const int width = std::min(LongestBar, room);
    if (width < ShortestBar) {
        return name + " " + percent + counter;
    }
    const int filled = static_cast<int>(fraction * width);
    std::string line = name + " [";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(width - filled), '-');
    return line + "] " + percent + counter;
}

ProgressStyle ProgressBar::StyleFor(int fd) {
    if (::isatty(fd) == 0) {
        return ProgressStyle::None;
    }
    const char* term = std::getenv("TERM");
    if (term == nullptr || *term == '\0' || std::string_view(term) == "dumb") {
        return ProgressStyle::PlainLines;
    }
    return ProgressStyle::Redrawn;
}

void ProgressBar::Start(bool encrypting) {
    encrypting_ = encrypting;
    shown_ = false;
    tenths_ = -1;
    started_ = Clock::now();
    drawn_ = {};
}

void ProgressBar::Update(WorkPhase phase, std::uint64_t done, std::uint64_t total) {
    if (style_ == ProgressStyle::None) {
        return;
    }
    const auto now = Clock::now();
    if (phase != phase_) {
        phase_ = phase;
        tenths_ = -1;
    }
    // The flush gets its line at once: it may last long and reports only once.
    const bool flushing = phase == WorkPhase::Flush;
    if (!flushing && now - started_ < ShowAfter) {
        return;
    }
    const char* name = phase == WorkPhase::BackupCopy ? "备份" : encrypting_ ? "加密" : "解密";
    if (style_ == ProgressStyle::PlainLines) {
        const int tenths = total == 0 ? 10 : static_cast<int>(done * 10 / total);
        if (tenths == tenths_) {
            return;
        }
        tenths_ = tenths;
        WriteError(LocalText(flushing ? std::string("正在写入磁盘…")
                                      : ProgressLine(name, done, total, TerminalColumns())) +
                   "\n");
        return;
    }
    if (!flushing && shown_ && now - drawn_ < RedrawEvery && done < total) {
        return;
    }
    // Built piece by piece: GCC 12 warns wrongly about a chain of + here.
    std::string text = "\r";
    text += LocalText(flushing ? std::string("正在写入磁盘…")
                               : ProgressLine(name, done, total, TerminalColumns()));
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
