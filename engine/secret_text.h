// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A password held by the program: its characters live in memory kept out of
// core dumps and wiped when the text is dropped or replaced, never in the
// string object itself, however short the password.

#include <string>
#include <string_view>

#include "engine/format/key_material.h"

namespace quarnix {

class SecretText {
  public:
    SecretText() { text_.reserve(ShortestBuffer); }
    SecretText(std::u16string_view text) : SecretText() { text_.assign(text); }  // NOLINT
    // Copied, never moved: a string moved from would keep short texts inside itself.
    SecretText(const SecretText& other) : SecretText(other.View()) {}
    SecretText& operator=(const SecretText& other) { return *this = other.View(); }
    SecretText& operator=(std::u16string_view text) {
        text_.assign(text);
        return *this;
    }

    std::u16string_view View() const { return text_; }
    operator std::u16string_view() const { return text_; }  // NOLINT
    bool empty() const { return text_.empty(); }
    std::size_t size() const { return text_.size(); }

    friend bool operator==(const SecretText& a, const SecretText& b) {
        return a.View() == b.View();
    }

  private:
    // Longer than any text a string keeps inside itself, so that the
    // characters always go to the wiped memory.
    static constexpr std::size_t ShortestBuffer = 32;
    std::basic_string<char16_t, std::char_traits<char16_t>, WipingAllocator<char16_t>> text_;
};

}  // namespace quarnix
