// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of quarnix-cli in Chinese: the help text, the check of an
// option's value, the version and every error of the command line. The
// options themselves are declared in main.cpp.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace quarnix::cli {

// The help with Chinese headings and `usage` as its usage line; the value
// placeholders and the "REQUIRED" marks of CLI11 are left out.
class ChineseFormatter : public CLI::Formatter {
  public:
    explicit ChineseFormatter(std::string usage);

    std::string make_usage(const CLI::App* app, std::string name) const override;
    std::string make_group(std::string group, bool isPositional,
                           std::vector<const CLI::Option*> options) const override;
    std::string make_option_opts(const CLI::Option* option) const override;

  private:
    std::string usage_;
};

// The options whose value is one of a few words. CLI11 refuses any other
// value (IsMember); UsageErrorText then names the option, the value and the
// words.
class WordOptions {
  public:
    // Restricts `option` to `words`; answers `option`.
    CLI::Option* Restrict(CLI::Option* option, std::vector<std::string> words);
    // "--level 的值“top”无效，只能是 secret、secretter 或 topsecret。" for the
    // first option given a value outside its words; empty when there is none.
    std::string Refusal() const;

  private:
    std::vector<std::pair<const CLI::Option*, std::vector<std::string>>> options_;
};

// "quarnix-cli" and the version, e.g. "quarnix-cli 3.3.63".
std::string VersionText();

// A command-line error of `app` in Chinese, one or two lines without a final
// line end, told by the error's type and the options' state after the parse;
// `lastArgument` is the command line's last argument. An argument that starts
// with "-" and is no option brings a hint to write file names after "--".
std::string UsageErrorText(const CLI::App& app, const WordOptions& wordOptions,
                           const CLI::ParseError& error, const std::string& lastArgument);

}  // namespace quarnix::cli
