// SPDX-License-Identifier: GPL-3.0-or-later
#include "look_on_commands.h"

#include <gtest/gtest.h>

#include "../commands/file_fixture.h"

namespace quarnix::test {

ContentConcern LookOnCommands(bool encrypt, const std::string& path, Level level,
                              const std::u16string& one, const std::u16string& two) {
    ContentConcern seen = ContentConcern::None;
    CommandHooks hooks;
    hooks.ConfirmContent = [&seen](const ContentPreview& preview) {
        seen = JudgeContent(preview).Concern;
        return false;
    };
    CryptRequest request = Request(path, level, one, two);
    request.MakeBackup = false;
    request.MarkFile = false;
    const CommandOutcome outcome =
        encrypt ? EncryptCommand(request, hooks) : DecryptCommand(request, hooks);
    EXPECT_EQ(outcome.Kind, OutcomeKind::ContentDeclined) << path;
    return seen;
}

}  // namespace quarnix::test
