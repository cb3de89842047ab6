// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A progress bar on standard error, for work on one file that lasts longer
// than about half a second, and only when standard error is a terminal: one
// line redrawn in place and fitted to the terminal's width, or, on a terminal
// that cannot move its cursor (TERM dumb or unset), a plain line at each tenth
// of the work.

#include <chrono>
#include <cstdint>
#include <string>

#include "engine/work_hooks.h"

namespace quarnix::cli {

enum class ProgressStyle { None, PlainLines, Redrawn };

class ProgressBar {
  public:
    using Clock = std::chrono::steady_clock;

    // None unless `fd` is a terminal; PlainLines when TERM is "dumb" or unset.
    static ProgressStyle StyleFor(int fd);

    explicit ProgressBar(ProgressStyle style) : style_(style) {}

    // A new file's work begins; `encrypting` names the rewrite phase.
    void Start(bool encrypting);
    // The engine's progress callback.
    void Update(WorkPhase phase, std::uint64_t done, std::uint64_t total);
    // Clears a redrawn bar, so that the file's message line stands alone.
    void Finish();

  private:
    ProgressStyle style_;
    bool encrypting_ = true;
    bool shown_ = false;
    WorkPhase phase_ = WorkPhase::Rewrite;
    int tenths_ = -1;  // the last tenth written as a plain line
    Clock::time_point started_{};
    Clock::time_point drawn_{};
};

// The bar's text in at most `columns` columns of a terminal (a Chinese
// character takes two): phase, bar, percentage and, from a MiB of work on,
// megabytes, e.g. "加密 [##########----------]  50%  512/1024 MiB". The bar
// shrinks to fit, and is left out where fewer than ten marks would fit.
std::string ProgressLine(const char* phaseName, std::uint64_t done, std::uint64_t total,
                         int columns);

}  // namespace quarnix::cli
