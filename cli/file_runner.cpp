// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_runner.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <utility>

#include "content_check/content_verdict.h"
#include "engine/commands.h"
#include "engine/files/file_ops.h"
#include "engine/format/level_marker.h"
#include "engine/password_advice.h"
#include "engine/path_kind.h"
#include "engine/text_codec.h"
#include "interrupt.h"
#include "local_charset.h"
#include "progress_bar.h"

namespace quarnix::cli {
namespace {

// The path handed to the engine means what the kernel makes of the typed
// one: a relative path gets the working folder in front and nothing more.
// Folding "a/b/../c" as text would name another file where b is a link.
std::string EnginePath(const std::string& typed) {
    if (typed.empty() || typed.front() == '/') {
        return typed;  // no file (the engine answers that it is missing), or absolute
    }
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? typed : folder.string() + "/" + typed;
}

// A line of the report on standard error: the file's name as its bytes are,
// `text` in the locale's character set.
void Report(const std::string& file, const std::string& text) {
    std::cerr << file << LocalText(text) << std::flush;
}

// "FILE：MESSAGE", and for a renamed file "FILE → NEW：MESSAGE", both as typed:
// the marker changes only the last part of the path. Names stay bytes, the
// rest is in the locale's character set.
std::string ReportLine(const std::string& file, const CryptRequest& request, bool encrypt,
                       const CommandOutcome& outcome) {
    const auto lastPart = [](const std::string& path) {
        return path.substr(path.find_last_of('/') + 1);  // the whole path when it has no "/"
    };
    std::string line = file;
    const std::string renamed = Utf16ToUtf8(RenamedPath(request, encrypt));
    if (outcome.Succeeded() && renamed != Utf16ToUtf8(request.FilePath)) {
        line += LocalText(" → ") + file.substr(0, file.size() - lastPart(file).size()) +
                lastPart(renamed);
    }
    return line + LocalText("：" + Utf16ToUtf8(outcome.Message));
}

// The same file named twice in one call (through a link, say) would be worked
// on twice: at 秘密 the second run undoes the first. Answers, for each file, the
// earlier name of the same file, or an empty text.
std::vector<std::string> EarlierNames(const std::vector<std::string>& files) {
    std::map<std::pair<dev_t, ino_t>, std::string> seen;
    std::vector<std::string> earlier(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        struct stat info {};
        if (::stat(files[i].c_str(), &info) != 0) {
            continue;  // the command tells what is wrong with it
        }
        const auto [at, fresh] = seen.emplace(std::make_pair(info.st_dev, info.st_ino), files[i]);
        if (!fresh) {
            earlier[i] = at->second;
        }
    }
    return earlier;
}

// The level `file` is worked at: the one given, else the one its name's
// marker tells; nullopt when neither says.
std::optional<Level> GivenLevel(const RunOptions& options, const std::string& file) {
    return options.Level ? options.Level : MarkedLevel(Utf8ToUtf16(file));
}

}  // namespace

Level PasswordLevel(const RunOptions& options) {
    const bool topSecret = std::any_of(options.Files.begin(), options.Files.end(),
                                       [&options](const std::string& file) {
                                           return GivenLevel(options, file) == Level::TopSecret;
                                       });
    return topSecret ? Level::TopSecret : Level::Secret;
}

int RunFiles(const RunOptions& options, const Passwords& passwords) {
    ProgressBar bar(ProgressBar::StyleFor(STDERR_FILENO));
    CommandHooks hooks;
    hooks.Progress = [&bar](WorkPhase phase, std::uint64_t done, std::uint64_t total) {
        bar.Update(phase, done, total);
    };
    hooks.CancelRequested = [] { return InterruptRequested(); };
    // From here the file will be done: a signal waits until it is reported.
    hooks.Committing = [] { HoldInterrupts(); };
    QString concern;  // why the last file was left untouched
    if (options.CheckContent) {
        hooks.ConfirmContent = [&concern](const ContentPreview& preview) {
            concern = ConcernText(JudgeContent(preview));
            return concern.isEmpty();
        };
    }

    // One request serves every file in turn; it wipes its passwords however
    // the run ends.
    CryptRequest request;
    request.Password1 = passwords.Password1;
    request.Password1Confirm = passwords.Password1Confirm;
    request.Password2 = passwords.Password2;
    request.Password2Confirm = passwords.Password2Confirm;
    request.MakeBackup = options.MakeBackup;
    request.MarkFile = options.MarkFile;
    request.MarkNameOnly = true;
    request.ReplaceBackup = options.ReplaceBackup;

    // The window asks for such a password 2 again; here it is said once.
    if (PasswordLevel(options) == Level::TopSecret) {
        const Password2Advice advice = AdviseOnPassword2(request.Password2, request.Password1);
        if (advice == Password2Advice::SameAsPassword1 || advice == Password2Advice::TooShort) {
            std::cerr << LocalText(advice == Password2Advice::SameAsPassword1
                                       ? std::string("注意：密码2与密码相同，不能增加保护。\n")
                                       : "注意：密码2太短，至少应有 " +
                                             std::to_string(MinimumPassword2Length) +
                                             " 个字符。\n");
        }
    }

    int status = 0;
    const std::vector<std::string> earlierNames = EarlierNames(options.Files);
    for (std::size_t i = 0; i < options.Files.size(); ++i) {
        if (InterruptRequested()) {
            std::cerr << LocalText("已中断：其余 " + std::to_string(options.Files.size() - i) +
                                   " 个文件未处理。\n");
            return 1;
        }
        const std::string& file = options.Files[i];
        if (!earlierNames[i].empty()) {
            std::cerr << file << LocalText("：与前面的“") << earlierNames[i]
                      << LocalText("”是同一个文件，没有再处理一次。\n");
            status = 1;
            continue;
        }
        const std::u16string problem = PathKindText(KindOfPath(SystemFileOps(), file));
        if (!problem.empty()) {
            Report(file, "：" + Utf16ToUtf8(problem) + "\n");
            status = 1;
            continue;
        }
        request.FilePath = Utf8ToUtf16(EnginePath(file));
        std::optional<Level> level = GivenLevel(options, file);
        if (!level && !options.Encrypt) {
            // The one level whose result keeps the name's promise, looked for
            // without changing anything; or the level of an interrupted
            // earlier run, which the command at that level settles first.
            const LevelFound found = FindLevel(request, ResultFits);
            // A file the engine cannot look at: the command says why at any level.
            level = found.Refusal.Kind != OutcomeKind::Done ? std::optional(Level::Secret)
                                                            : found.Level;
        }
        if (!level) {
            Report(file,
                   "：文件名中没有加密等级标记，从内容也看不出是按哪个等级加密的。"
                   "文件未改动；请用 --level 指明加密时的等级。\n");
            status = 1;
            continue;
        }
        request.Level = *level;

        bar.Start(options.Encrypt);
        const CommandOutcome outcome =
            options.Encrypt ? EncryptCommand(request, hooks) : DecryptCommand(request, hooks);
        bar.Finish();
        if (outcome.Kind == OutcomeKind::ContentDeclined) {
            // What this run settled of an interrupted earlier one is said first.
            if (!outcome.Message.empty()) {
                Report(file, "：" + Utf16ToUtf8(outcome.Message) + "\n");
            }
            Report(file, "：" + concern.toStdString() +
                             "文件未改动；确认无误时可加 --force 照常处理。\n");
        } else if (outcome.Kind == OutcomeKind::BackupExists) {
            std::cerr << ReportLine(file, request, options.Encrypt, outcome)
                      << LocalText(
                             "要替换旧备份时可加 --replace-backup，不要备份时可加 --no-backup。\n")
                      << std::flush;
        } else {
            std::cerr << ReportLine(file, request, options.Encrypt, outcome) << '\n' << std::flush;
        }
        if (outcome.Succeeded() && options.Encrypt && options.MarkFile &&
            RenamedPath(request, true) == request.FilePath) {
            Report(file, "：文件名中没有“.”，无法标注加密等级；解密时请用 --level 指明等级。\n");
        }
        ReleaseInterrupts();  // a signal held back meanwhile arrives now
        if (!outcome.Succeeded()) {
            status = 1;
        }
    }
    return InterruptRequested() ? 1 : status;
}

}  // namespace quarnix::cli
