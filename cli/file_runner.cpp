#include "file_runner.h"

#include <unistd.h>

#include <iostream>

#include "engine/commands.h"
#include "engine/level_marker.h"
#include "engine/text_codec.h"
#include "interrupt.h"
#include "progress_bar.h"

namespace quarnix::cli {
namespace {

// "FILE：MESSAGE", and for a renamed file "FILE → NEW：MESSAGE".
std::string ReportLine(const RunOptions& options, const std::string& file,
                       const CryptRequest& request, const CommandOutcome& outcome) {
    std::string line = file;
    if (outcome.Succeeded() && request.MarkFile) {
        const std::u16string renamed = options.Encrypt
                                           ? MarkFileName(request.FilePath, request.Level)
                                           : UnmarkFileName(request.FilePath, request.Level);
        if (renamed != request.FilePath) {
            line += " → " + Utf16ToUtf8(renamed);
        }
    }
    return line + "：" + Utf16ToUtf8(outcome.Message);
}

}  // namespace

int RunFiles(const RunOptions& options, const Passwords& passwords) {
    ProgressBar bar(::isatty(STDERR_FILENO) != 0);
    CommandHooks hooks;
    hooks.Progress = [&bar](WorkPhase phase, std::uint64_t done, std::uint64_t total) {
        bar.Update(phase, done, total);
    };
    hooks.CancelRequested = [] { return InterruptRequested(); };

    int status = 0;
    for (std::size_t i = 0; i < options.Files.size(); ++i) {
        if (InterruptRequested()) {
            std::cerr << "已中断：其余 " << options.Files.size() - i << " 个文件未处理。\n";
            return 1;
        }
        const std::string& file = options.Files[i];
        CryptRequest request;
        request.FilePath = Utf8ToUtf16(file);
        request.Level = options.Level;
        request.Password1 = passwords.Password1;
        request.Password1Confirm = passwords.Password1Confirm;
        request.Password2 = passwords.Password2;
        request.Password2Confirm = passwords.Password2Confirm;
        request.MakeBackup = options.MakeBackup;
        request.MarkFile = options.MarkFile;

        bar.Start(options.Encrypt);
        const CommandOutcome outcome =
            options.Encrypt ? EncryptCommand(request, hooks) : DecryptCommand(request, hooks);
        bar.Finish();
        std::cerr << ReportLine(options, file, request, outcome) << '\n' << std::flush;
        if (!outcome.Succeeded()) {
            status = 1;
        }
    }
    return InterruptRequested() ? 1 : status;
}

}  // namespace quarnix::cli
