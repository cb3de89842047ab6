// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_line_texts.h"

#include <algorithm>

#include "engine/product.h"

namespace quarnix::cli {
namespace {

// "a", "a 或 b", "a、b 或 c".
std::string Choice(const std::vector<std::string>& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            text += i + 1 == values.size() ? " 或 " : "、";
        }
        text += values[i];
    }
    return text;
}

std::string Named(const CLI::Option* option) {
    return option != nullptr ? option->get_name() : std::string("某个选项");
}

std::string MissingText(const CLI::App& app) {
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_required() && option->count() == 0) {
            return "缺少 " + option->get_name() + "：" + option->get_description() + "。";
        }
    }
    return "缺少必需的参数。";
}

// CLI11 throws ArgumentMismatch for an option given more often than it may
// be, and for one whose value is missing: the last argument then is the
// option itself, with nothing after it.
std::string MismatchText(const CLI::App& app, const std::string& lastArgument) {
    for (const CLI::Option* option : app.get_options()) {
        const int most = std::max(option->get_items_expected_max(), 1);
        if (option->count() > static_cast<std::size_t>(most)) {
            return "选项 " + option->get_name() + " 只能给出一次。";
        }
    }
    for (const CLI::Option* option : app.get_options()) {
        if (!option->get_name().empty() && option->check_name(lastArgument)) {
            return "选项 " + option->get_name() + " 后面缺少它的值。";
        }
    }
    return "某个选项的值的个数不对。";
}

// A flag given a value that is no truth value (--no-mark=maybe).
const CLI::Option* UnconvertedFlag(const CLI::App& app) {
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_expected_max() == 0 && option->count() > 0) {  // a flag
            try {
                option->as<bool>();
            } catch (const CLI::ConversionError&) {
                return option;
            }
        }
    }
    return nullptr;
}

// "a b c".
std::string Joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

std::vector<std::string> UnknownArguments(const CLI::App& app) {
    std::vector<std::string> unknown;
    for (const std::string& argument : app.remaining()) {
        if (argument != "--") {
            unknown.push_back(argument);
        }
    }
    return unknown;
}

}  // namespace

ChineseFormatter::ChineseFormatter(std::string usage) : usage_(std::move(usage)) {}

std::string ChineseFormatter::make_usage(const CLI::App*, std::string) const {
    return usage_;
}

std::string ChineseFormatter::make_group(std::string, bool isPositional,
                                         std::vector<const CLI::Option*> options) const {
    // Headed by the kind of its options, whatever CLI11 calls the group.
    std::string text = isPositional ? "\n位置参数：\n" : "\n选项：\n";
    for (const CLI::Option* option : options) {
        text += make_option(option, isPositional);
    }
    return text;
}

std::string ChineseFormatter::make_option_opts(const CLI::Option* option) const {
    // No value placeholder: the description says what the value is.
    return option->get_expected_max() > 1 ? " ..." : "";  // as many as given
}

CLI::Option* WordOptions::Restrict(CLI::Option* option, std::vector<std::string> words) {
    // No description: the help shows the words in the option's own text.
    option->check(CLI::IsMember(words).description(std::string()));
    options_.emplace_back(option, std::move(words));
    return option;
}

std::string WordOptions::Refusal() const {
    for (const auto& [option, words] : options_) {
        for (const std::string& value : option->results()) {
            if (std::find(words.begin(), words.end(), value) == words.end()) {
                return option->get_name() + " 的值“" + value + "”无效，只能是 " + Choice(words) +
                       "。";
            }
        }
    }
    return std::string();
}

std::string VersionText() {
    return std::string("quarnix-cli ") + quarnix::VersionText;
}

std::string UsageErrorText(const CLI::App& app, const WordOptions& wordOptions,
                           const CLI::ParseError& error, const std::string& lastArgument) {
    const std::vector<std::string> unknown = UnknownArguments(app);
    std::string text;
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
        text = MissingText(app);
    } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        text = MismatchText(app, lastArgument);
    } else if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) {
        text = wordOptions.Refusal();
    } else if (dynamic_cast<const CLI::ConversionError*>(&error) != nullptr) {
        text = "选项 " + Named(UnconvertedFlag(app)) + " 的值无效。";
    } else if (dynamic_cast<const CLI::ExtrasError*>(&error) == nullptr) {
        text = "命令行有误。";
    }
    // Arguments not understood, whatever else went wrong first.
    if (!unknown.empty()) {
        text += (text.empty() ? "" : "\n") + std::string("不认识的选项：") + Joined(unknown) + "。";
        // "-x.txt" may well be a file; "--lev" is a mistyped option.
        const auto dashed = std::find_if(unknown.begin(), unknown.end(), [](const std::string& a) {
            return a.starts_with("-") && !a.starts_with("--");
        });
        if (dashed != unknown.end()) {
            text += "\n文件名以“-”开头时，请写在“--”之后，例如：quarnix-cli encrypt -- " + *dashed;
        }
    }
    return text.empty() ? "命令行有误。" : text;
}

}  // namespace quarnix::cli
