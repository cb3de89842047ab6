// SPDX-License-Identifier: GPL-3.0-or-later
#include "marked_name.h"

#include "engine/format/level_marker.h"

namespace quarnix {
namespace {

struct FoundMarker {
    Level MarkerLevel = Level::Secret;
    std::size_t Position = std::u16string_view::npos;
};

std::u16string_view FileName(std::u16string_view path) {
    const std::size_t slash = path.rfind(u'/');
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::optional<FoundMarker> LastMarker(std::u16string_view name) {
    std::optional<FoundMarker> last;
    for (const Level level : {Level::Secret, Level::Secretter, Level::TopSecret}) {
        const std::size_t at = name.rfind(LevelMarker(level));
        if (at != std::u16string_view::npos && (!last || at > last->Position)) {
            last = FoundMarker{level, at};
        }
    }
    return last;
}

}  // namespace

std::optional<Level> MarkedLevel(std::u16string_view path) {
    const auto found = LastMarker(FileName(path));
    return found ? std::optional(found->MarkerLevel) : std::nullopt;
}

std::u16string NameWithoutMarker(std::u16string_view path) {
    const std::u16string_view name = FileName(path);
    const auto found = LastMarker(name);
    if (!found) {
        return std::u16string(name);
    }
    const std::size_t end = found->Position + LevelMarker(found->MarkerLevel).size();
    return std::u16string(name.substr(0, found->Position)) + u"." +
           std::u16string(name.substr(end));
}

}  // namespace quarnix
