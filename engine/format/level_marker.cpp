// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/format/level_marker.h"

namespace quarnix {
namespace {

// Put into the reversed path at its first dot, and found again, read forwards,
// once the path is turned back.
constexpr std::u16string_view ReversedPlaceholder = u".([{}])";
constexpr std::u16string_view Placeholder = u")]}{[(.";

std::u16string Reversed(std::u16string_view text) {
    return {text.rbegin(), text.rend()};
}

void ReplaceFirst(std::u16string& text, std::u16string_view what, std::u16string_view with) {
    const auto at = text.find(what);
    if (at != std::u16string::npos) {
        text.replace(at, what.size(), with);
    }
}

std::size_t LastPartStart(std::u16string_view path) {
    const auto slash = path.find_last_of(u'/');
    return slash == std::u16string_view::npos ? 0 : slash + 1;
}

// The folders of `path` (up to and with its last "/") joined to `rule` applied
// to its last part.
template <typename Rule>
std::u16string OnLastPart(std::u16string_view path, Rule rule) {
    const std::size_t start = LastPartStart(path);
    return std::u16string(path.substr(0, start)) + rule(path.substr(start));
}

constexpr Level Levels[] = {Level::Secret, Level::Secretter, Level::TopSecret};

}  // namespace

std::u16string_view LevelMarker(Level level) {
    switch (level) {
        case Level::Secret:
            return u"(秘密).";
        case Level::Secretter:
            return u"(机密).";
        case Level::TopSecret:
            return u"(绝密).";
    }
    return u"(秘密).";
}

std::u16string MarkFileName(std::u16string_view path, Level level) {
    std::u16string reversed = Reversed(path);
    ReplaceFirst(reversed, u".", ReversedPlaceholder);
    std::u16string marked = Reversed(reversed);
    // The first placeholder-shaped text wins, even one that was in the path
    // before the last dot: that is how existing marked names were made.
    ReplaceFirst(marked, Placeholder, LevelMarker(level));
    return marked;
}

std::optional<std::size_t> FindMarker(std::u16string_view text, Level level) {
    const std::size_t at = text.find(LevelMarker(level));
    return at == std::u16string_view::npos ? std::nullopt : std::optional(at);
}

std::u16string UnmarkFileName(std::u16string_view path, Level level) {
    const auto at = FindMarker(path, level);
    if (!at) {
        return std::u16string(path);
    }
    return std::u16string(path.substr(0, *at)) + u"." +
           std::u16string(path.substr(*at + LevelMarker(level).size()));
}

std::u16string MarkLastPart(std::u16string_view path, Level level) {
    return OnLastPart(path,
                      [level](std::u16string_view name) { return MarkFileName(name, level); });
}

std::u16string UnmarkLastPart(std::u16string_view path, Level level) {
    return OnLastPart(path,
                      [level](std::u16string_view name) { return UnmarkFileName(name, level); });
}

std::optional<Level> MarkedLevel(std::u16string_view path) {
    const std::u16string_view name = path.substr(LastPartStart(path));
    std::optional<Level> carried;
    std::size_t carriedAt = 0;
    for (const Level level : Levels) {
        const auto at = FindMarker(name, level);
        if (at && (!carried || *at > carriedAt)) {
            carried = level;
            carriedAt = *at;
        }
    }
    return carried;
}

std::u16string NameWithoutMarkers(std::u16string_view path) {
    std::u16string name(path.substr(LastPartStart(path)));
    for (auto level = MarkedLevel(name); level; level = MarkedLevel(name)) {
        name = UnmarkFileName(name, *level);
    }
    return name;
}

}  // namespace quarnix
