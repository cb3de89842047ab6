// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A one-line progress bar on standard error, for work on one file that lasts
// longer than about half a second, and only when standard error is a terminal.

#include <chrono>
#include <cstdint>
#include <string>

#include "engine/commands.h"

namespace quarnix::cli {

class ProgressBar {
  public:
    using Clock = std::chrono::steady_clock;

    // `enabled`: standard error is a terminal.
    explicit ProgressBar(bool enabled) : enabled_(enabled) {}

    // A new file's work begins; `encrypting` names the rewrite phase.
    void Start(bool encrypting);
    // The engine's progress callback.
    void Update(WorkPhase phase, std::uint64_t done, std::uint64_t total);
    // Clears the bar, so that the file's message line stands alone.
    void Finish();

  private:
    bool enabled_;
    bool encrypting_ = true;
    bool shown_ = false;
    Clock::time_point started_{};
    Clock::time_point drawn_{};
};

// The bar's text: phase, bar, percentage and megabytes, e.g.
// "加密 [##########----------]  50%  512/1024 MiB".
std::string ProgressLine(const char* phaseName, std::uint64_t done, std::uint64_t total);

}  // namespace quarnix::cli
