// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What an earlier run on a file left behind when it was killed or the power
// failed, found and settled before the next run's work begins: run records
// beside the file (record_settle.h), and hidden temporary files of the file or
// of its backups that no running command holds. Only what this user or the
// file's owner made is acted on, and a visible file is never touched.

#include <string>
#include <vector>

#include "engine/files/record_settle.h"

namespace quarnix {

WorkResult SettleLeftovers(const SettleContext& context,
                           const std::vector<std::string>& backupPaths, Settlement* settlement);

}  // namespace quarnix
