#include "password_input.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "engine/text_codec.h"
#include "interrupt.h"

namespace quarnix::cli {
namespace {

void Say(std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
        if (n <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

// One line of standard input without its line end ("\n" or "\r\n"); an empty
// text at the end of the input. Byte by byte, so that nothing past the line
// is consumed. nullopt when a signal arrived.
std::optional<std::string> ReadLine() {
    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR) {
            if (InterruptRequested()) {
                return std::nullopt;
            }
            continue;
        }
        if (n <= 0 || c == '\n') {
            break;
        }
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

// Asks on the terminal with echo switched off, and switches it on again.
// Echo goes off before the prompt shows, so that nothing typed after the
// prompt is echoed or discarded; typing before the prompt is discarded.
std::optional<std::u16string> AskHidden(std::string_view prompt) {
    termios saved{};
    const bool canHide = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (canHide) {
        termios hidden = saved;
        hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    Say(prompt);
    const auto line = ReadLine();
    if (canHide) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    }
    Say("\n");
    if (!line) {
        return std::nullopt;
    }
    return Utf8ToUtf16(*line);
}

}  // namespace

std::optional<Passwords> ReadPasswords(Level level) {
    Passwords passwords;
    const bool secondPassword = level == Level::TopSecret;
    if (::isatty(STDIN_FILENO) == 0) {
        const auto first = ReadLine();
        const auto second = secondPassword ? ReadLine() : std::optional<std::string>("");
        if (!first || !second) {
            return std::nullopt;
        }
        passwords.Password1 = passwords.Password1Confirm = Utf8ToUtf16(*first);
        passwords.Password2 = passwords.Password2Confirm = Utf8ToUtf16(*second);
        return passwords;
    }
    struct Question {
        std::string_view prompt;
        std::u16string* answer;
    };
    const Question questions[] = {
        {"密码：", &passwords.Password1},
        {"再次输入密码：", &passwords.Password1Confirm},
        {"密码2：", &passwords.Password2},
        {"再次输入密码2：", &passwords.Password2Confirm},
    };
    for (const Question& question : questions) {
        if (question.answer == &passwords.Password2 && !secondPassword) {
            break;
        }
        auto answer = AskHidden(question.prompt);
        if (!answer) {
            return std::nullopt;
        }
        *question.answer = std::move(*answer);
    }
    return passwords;
}

}  // namespace quarnix::cli
