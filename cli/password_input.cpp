// SPDX-License-Identifier: GPL-3.0-or-later
#include "password_input.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "engine/format/key_material.h"
#include "engine/outcome_texts.h"
#include "engine/text_codec.h"
#include "interrupt.h"
#include "local_charset.h"

namespace quarnix::cli {
namespace {

// A password of MaxKeyTextLength UTF-16 units takes at most three bytes of
// UTF-8 for each, and a line may end in "\r\n". A longer line is refused once
// this many bytes are read, so that a huge line costs neither time nor memory.
constexpr std::size_t MaxLineBytes = 3 * MaxKeyTextLength + 1;

constexpr int Attempts = 3;

template <typename Text>
void WipeText(Text& text) {
    text.resize(text.capacity());
    ::explicit_bzero(text.data(), text.size() * sizeof(typename Text::value_type));
    text.clear();
}

// Writes one of the tool's texts to `fd` in the locale's character set.
void Say(int fd, std::string_view utf8) {
    const std::string local = LocalText(utf8);
    std::string_view text = local;
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

// Mismatched: a password and its confirmation differed at every attempt.
// NotText: the line is not text in the locale's character set.
enum class Read { Line, Interrupted, TooLong, Mismatched, NotText };

// Waits until `fd` can be read without blocking; false when a signal asks
// the tool to stop, also one that came before the wait began. The signals
// are blocked by the caller and let through only while waiting.
bool WaitForInput(int fd, const sigset_t& unblocked) {
    for (;;) {
        if (InterruptRequested()) {
            return false;
        }
        pollfd input{fd, POLLIN, 0};
        if (::ppoll(&input, 1, nullptr, &unblocked) >= 0) {
            return true;  // data, the end of the input or an error: read tells
        }
        if (errno != EINTR) {
            return true;
        }
    }
}

// One line of `fd` into `line`, without its line end ("\n" or
// "\r\n"); an empty line at the end of the input. Byte by byte, so that
// nothing past the line is consumed: a script may hand the rest of its input
// to the next program. `line` never grows beyond its first buffer, so no copy
// of a password is left behind in freed memory.
Read ReadLine(int fd, std::string& line) {
    WipeText(line);
    line.reserve(MaxLineBytes);
    const sigset_t signals = InterruptSignals();
    sigset_t unblocked;
    ::sigprocmask(SIG_BLOCK, &signals, &unblocked);
    Read read = Read::Line;
    for (;;) {
        if (!WaitForInput(fd, unblocked)) {
            read = Read::Interrupted;
            break;
        }
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || c == '\n') {
            break;
        }
        if (line.size() == MaxLineBytes) {
            read = Read::TooLong;
            break;
        }
        line.push_back(c);
    }
    ::sigprocmask(SIG_SETMASK, &unblocked, nullptr);
    if (read == Read::Line && !line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return read;
}

// Reads a line of `fd` into `password`, replacing (and wiping) what it held;
// `line` is wiped afterwards.
Read ReadPassword(int fd, std::string& line, std::u16string& password) {
    const Read read = ReadLine(fd, line);
    if (read != Read::Line) {
        WipeText(line);
        return read;
    }
    std::string utf8;
    const bool text = TypedToUtf8(line, utf8);
    WipeText(line);
    if (!text) {
        return Read::NotText;
    }
    std::u16string decoded = Utf8ToUtf16(utf8);
    WipeText(utf8);
    password.swap(decoded);
    WipeText(decoded);
    return password.size() > MaxKeyTextLength ? Read::TooLong : Read::Line;
}

// Asks on `terminal` with echo switched off, and switches it on again, also
// when a signal ends or stops the tool meanwhile. Echo goes off before the
// prompt shows, so that nothing typed after the prompt is echoed or
// discarded; typing before the prompt is discarded.
Read AskHidden(int terminal, std::string_view prompt, std::string& line, std::u16string& password) {
    termios visible{};
    const bool canHide = ::tcgetattr(terminal, &visible) == 0;
    const std::string shown = LocalText(prompt);
    if (canHide) {
        termios hidden = visible;
        hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        BeginHiddenPrompt(terminal, visible, hidden, shown);
        ::tcsetattr(terminal, TCSAFLUSH, &hidden);
    }
    Say(terminal, prompt);
    const Read read = ReadPassword(terminal, line, password);
    if (canHide) {
        EndHiddenPrompt();
        ::tcsetattr(terminal, TCSANOW, &visible);
    }
    Say(terminal, "\n");
    return read;
}

struct PasswordPair {
    std::string_view Prompt;
    std::string_view ConfirmPrompt;
    std::u16string* Password;
    std::u16string* Confirm;
    OutcomeKind Mismatch;  // its message asks to type the pair again
    std::string_view Name;
};

// A password and its confirmation, asked again while they differ.
Read AskPair(int terminal, const PasswordPair& pair, std::string& line) {
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        Read read = AskHidden(terminal, pair.Prompt, line, *pair.Password);
        if (read == Read::Line) {
            read = AskHidden(terminal, pair.ConfirmPrompt, line, *pair.Confirm);
        }
        if (read != Read::Line) {
            return read;
        }
        if (*pair.Password == *pair.Confirm) {
            return Read::Line;
        }
        if (attempt < Attempts) {
            Say(terminal, Utf16ToUtf8(FixedOutcome(pair.Mismatch).Message) + "\n");
        }
    }
    return Read::Mismatched;
}

// Says why no file is processed; false.
bool Refuse(Read read, std::string_view name) {
    if (read == Read::Interrupted) {
        Say(STDERR_FILENO, "已取消：没有处理任何文件。\n");
    } else if (read == Read::Mismatched) {
        Say(STDERR_FILENO, "你两次输入的" + std::string(name) + "一直不一致，已试过 " +
                               std::to_string(Attempts) + " 次：没有处理任何文件。\n");
    } else if (read == Read::NotText) {
        Say(STDERR_FILENO,
            std::string(name) +
                "含有当前语言环境的字符集中无效的字节，无法使用。没有处理任何文件。\n");
    } else {
        Say(STDERR_FILENO, std::string(name) + "超过 " + std::to_string(MaxKeyTextLength) +
                               " 个字符，无法使用。没有处理任何文件。\n");
    }
    return false;
}

// --password-stdin. A terminal as standard input gets no prompt but no echo
// either.
Read ReadInputLine(std::string& line, std::u16string& password) {
    return ::isatty(STDIN_FILENO) != 0 ? AskHidden(STDIN_FILENO, "", line, password)
                                       : ReadPassword(STDIN_FILENO, line, password);
}

bool ReadFromInput(Passwords& passwords, bool secondPassword) {
    std::string line;
    Read read = ReadInputLine(line, passwords.Password1);
    if (read != Read::Line) {
        return Refuse(read, "密码");
    }
    passwords.Password1Confirm = passwords.Password1;
    if (secondPassword) {
        read = ReadInputLine(line, passwords.Password2);
        if (read != Read::Line) {
            return Refuse(read, "密码2");
        }
        passwords.Password2Confirm = passwords.Password2;
    }
    return true;
}

bool AskOnTerminal(int terminal, Passwords& passwords, bool secondPassword) {
    const PasswordPair pairs[] = {
        {"密码：", "再次输入密码：", &passwords.Password1, &passwords.Password1Confirm,
         OutcomeKind::Password1Mismatch, "密码"},
        {"密码2：", "再次输入密码2：", &passwords.Password2, &passwords.Password2Confirm,
         OutcomeKind::Password2Mismatch, "密码2"},
    };
    std::string line;
    for (const PasswordPair& pair : pairs) {
        if (pair.Password == &passwords.Password2 && !secondPassword) {
            break;
        }
        if (const Read read = AskPair(terminal, pair, line); read != Read::Line) {
            return Refuse(read, pair.Name);
        }
    }
    return true;
}

}  // namespace

Passwords::~Passwords() {
    Wipe(Password1);
    Wipe(Password1Confirm);
    Wipe(Password2);
    Wipe(Password2Confirm);
}

void Wipe(std::u16string& text) {
    WipeText(text);
}

int OpenPromptTerminal() {
    return ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
}

std::optional<Passwords> ReadPasswords(Level level, int terminal) {
    Passwords passwords;
    const bool secondPassword = level == Level::TopSecret;
    const bool read = terminal < 0 ? ReadFromInput(passwords, secondPassword)
                                   : AskOnTerminal(terminal, passwords, secondPassword);
    if (!read) {
        return std::nullopt;
    }
    return std::optional<Passwords>(std::move(passwords));
}

}  // namespace quarnix::cli
