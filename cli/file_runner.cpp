#include "file_runner.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "engine/commands.h"
#include "engine/format/level_marker.h"
#include "engine/text_codec.h"
#include "interrupt.h"
#include "progress_bar.h"

namespace quarnix::cli {
namespace {

// The path handed to the engine: absolute like the window's, so that the level
// marker lands in the file's own name rather than in a "./" or "../" the user
// typed. Normalised lexically only: a symbolic link keeps its own name.
std::string EnginePath(const std::string& typed) {
    if (typed.empty()) {
        return typed;  // no file: the engine answers that it is missing
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(typed, error);
    return error ? typed : absolute.lexically_normal().string();
}

// The new name as the user would have typed it: the typed path with its last
// part renamed; the whole new path when the marker landed in a folder's name.
std::string TypedRename(const std::string& typed, const std::filesystem::path& path,
                        const std::filesystem::path& renamed) {
    if (renamed.parent_path() != path.parent_path()) {
        return renamed.string();
    }
    return std::filesystem::path(typed).replace_filename(renamed.filename()).string();
}

// "FILE：MESSAGE", and for a renamed file "FILE → NEW：MESSAGE", both as typed.
std::string ReportLine(const RunOptions& options, const std::string& file,
                       const CryptRequest& request, const CommandOutcome& outcome) {
    std::string line = file;
    if (outcome.Succeeded() && request.MarkFile) {
        const std::u16string renamed = options.Encrypt
                                           ? MarkFileName(request.FilePath, request.Level)
                                           : UnmarkFileName(request.FilePath, request.Level);
        if (renamed != request.FilePath) {
            line += " → " + TypedRename(file, Utf16ToUtf8(request.FilePath), Utf16ToUtf8(renamed));
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
        request.FilePath = Utf8ToUtf16(EnginePath(file));
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
