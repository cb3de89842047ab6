// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-cli: the encrypt and decrypt commands from a terminal or a script.
//
//   quarnix-cli encrypt|decrypt [--level secret|secretter|topsecret]
//               [--no-backup] [--replace-backup] [--no-mark] [--force]
//               [--password-stdin] FILE...
//
// Exit status: 0 when every file is done, 1 when any file failed or was
// refused, 2 for a usage error or when there is no terminal to ask the
// passwords on and no --password-stdin. Ctrl+C and the other ending signals
// end the tool by that signal, after it has said what became of the files.

#include <unistd.h>

#include <sys/prctl.h>

#include <CLI/CLI.hpp>
#include <QLocale>
#include <iostream>
#include <map>

#include "command_line_texts.h"
#include "engine/product.h"
#include "engine/text_codec.h"
#include "file_runner.h"
#include "interrupt.h"
#include "local_charset.h"
#include "password_input.h"

namespace {

constexpr char Usage[] =
    "用法：quarnix-cli encrypt|decrypt [--level secret|secretter|topsecret] "
    "[--no-backup] [--replace-backup] [--no-mark] [--force] [--password-stdin] FILE...\n";

constexpr char Footer[] =
    "密码不从命令行读取：在终端上不回显地询问，每个密码输入两次，不一致时重新询问，最多三次；\n"
    "即使标准输入被重定向，也在终端上询问。给出 --password-stdin 时从标准输入读取：\n"
    "第 1 行是密码，第 2 行是密码2（仅当有文件按 topsecret 处理时读取）。\n"
    "文件名以“-”开头时，请写在“--”之后：quarnix-cli encrypt -- -x.txt\n"
    "退出状态：0 全部成功，1 有文件失败或被拒绝，2 用法错误或没有终端可询问密码。\n"
    "按 Ctrl+C 时，正在处理的文件保持原样，程序随即因该信号结束；\n"
    "若文件已进入最后写入阶段，则等它完成并报告后再结束。";

// Writes one of the tool's texts in the locale's character set.
void Say(std::ostream& stream, const std::string& utf8) {
    stream << quarnix::cli::LocalText(utf8) << std::flush;
}

// Reads the passwords and works the files; the exit status. The passwords
// are wiped before it returns.
int Run(quarnix::cli::RunOptions options, int terminal) {
    const auto passwords =
        quarnix::cli::ReadPasswords(quarnix::cli::PasswordLevel(options), terminal);
    if (!passwords) {
        return 1;  // the reason is written already
    }
    return quarnix::cli::RunFiles(options, *passwords);
}

}  // namespace

int main(int argc, char** argv) {
    // Passwords and keys live in this process: no core dump, and no other
    // process of this user may read its memory.
    ::prctl(PR_SET_DUMPABLE, 0);
    using quarnix::Level;
    // Every text of the program is Chinese, whatever the system's locale: so
    // are the type names the shared MIME database gives (QMimeType::comment).
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    CLI::App app(quarnix::Utf16ToUtf8(quarnix::ApplicationTitle) + "：就地加密或解密文件",
                 "quarnix-cli");
    app.formatter(std::make_shared<quarnix::cli::ChineseFormatter>(Usage));
    app.set_help_flag("-h,--help", "显示本帮助并退出");
    app.set_version_flag("--version", quarnix::cli::VersionText(), "显示版本号并退出");
    app.footer(Footer);

    std::string task;
    std::string levelName = "secret";
    bool noBackup = false;
    bool replaceBackup = false;
    bool noMark = false;
    bool force = false;
    bool passwordStdin = false;
    std::vector<std::string> files;
    const std::map<std::string, Level> levels{{"secret", Level::Secret},
                                              {"secretter", Level::Secretter},
                                              {"topsecret", Level::TopSecret}};

    quarnix::cli::WordOptions wordOptions;
    wordOptions
        .Restrict(app.add_option("task", task, "encrypt（加密）或 decrypt（解密）"),
                  {"encrypt", "decrypt"})
        ->required();
    CLI::Option* levelOption = wordOptions.Restrict(
        app.add_option("--level", levelName,
                       "加密等级：secret（秘密，默认）、secretter（机密）、topsecret（绝密）；"
                       "解密时不给出则按文件名中的等级标记，没有标记为秘密"),
        {"secret", "secretter", "topsecret"});
    app.add_flag("--no-backup", noBackup, "不做备份（默认在文件旁留一份备份）");
    app.add_flag("--replace-backup", replaceBackup,
                 "备份文件已经存在时替换它（默认不替换，也不处理该文件）");
    app.add_flag("--no-mark", noMark, "不在文件名中加入或去掉等级标记");
    app.add_flag("--force", force,
                 "不看文件内容，照常处理（默认先看内容：像是密码或等级不对、"
                 "文件没有加密或已经加密时不处理该文件）");
    app.add_flag("--password-stdin", passwordStdin,
                 "从标准输入读取密码（第 1 行密码，第 2 行密码2），不在终端上询问");
    app.add_option("FILE", files, "要处理的文件，可以有多个")->required();

    quarnix::cli::UseLocaleCharset();
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        Say(std::cout, app.help());
        return 0;
    } catch (const CLI::CallForVersion& version) {
        std::cout << version.what() << '\n';
        return 0;
    } catch (const CLI::ParseError& error) {
        Say(std::cerr,
            quarnix::cli::UsageErrorText(app, wordOptions, error, argc > 1 ? argv[argc - 1] : "") +
                "\n" + Usage + "详见 quarnix-cli --help。\n");
        return 2;
    }

    const int terminal = passwordStdin ? -1 : quarnix::cli::OpenPromptTerminal();
    if (!passwordStdin && terminal < 0) {
        Say(std::cerr,
            "没有可以询问密码的终端：在脚本中请加 --password-stdin，"
            "从标准输入给出密码（第 1 行密码，第 2 行密码2）。没有处理任何文件。\n" +
                std::string(Usage) + "详见 quarnix-cli --help。\n");
        return 2;
    }
    quarnix::cli::InstallInterruptHandlers();
    quarnix::cli::RunOptions options;
    options.Encrypt = task == "encrypt";
    // Decrypting without --level: each file at the level its name's marker tells.
    options.Level = options.Encrypt || levelOption->count() > 0
                        ? std::optional(levels.at(levelName))
                        : std::nullopt;
    options.MakeBackup = !noBackup;
    options.ReplaceBackup = replaceBackup;
    options.MarkFile = !noMark;
    options.CheckContent = !force;
    options.Files = std::move(files);
    const int status = Run(std::move(options), terminal);
    if (terminal >= 0) {
        ::close(terminal);
    }
    quarnix::cli::EndByInterruptSignal();
    return status;
}
