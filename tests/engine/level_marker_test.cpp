// SPDX-License-Identifier: GPL-3.0-or-later
// The level marker put into and taken out of file paths.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/format/level_marker.h"

namespace quarnix {
namespace {

// Code units spelled out, so that the source file's encoding cannot hide a slip.
const std::u16string SecretMark = u"(\u79D8\u5BC6).";     // (秘密).
const std::u16string SecretterMark = u"(\u673A\u5BC6).";  // (机密).
const std::u16string TopSecretMark = u"(\u7EDD\u5BC6).";  // (绝密).

TEST(LevelMarker, IsFiveCodeUnitsPerLevel) {
    EXPECT_EQ(LevelMarker(Level::Secret), SecretMark);
    EXPECT_EQ(LevelMarker(Level::Secretter), SecretterMark);
    EXPECT_EQ(LevelMarker(Level::TopSecret), TopSecretMark);
}

struct MarkCase {
    const char* name;
    std::u16string path;
    Level level;
    std::u16string marked;
};

TEST(MarkFileName, PutsTheMarkerInPlaceOfTheLastDot) {
    const std::vector<MarkCase> cases = {
        {"report.doc", u"/home/li/report.doc", Level::Secret,
         u"/home/li/report" + SecretMark + u"doc"},
        {"several dots", u"/tmp/x.tar.gz", Level::Secretter, u"/tmp/x.tar" + SecretterMark + u"gz"},
        {"only dot first", u"/etc/app/.cfg", Level::TopSecret,
         u"/etc/app/" + TopSecretMark + u"cfg"},
        {"no dot", u"/home/li/readme", Level::Secret, u"/home/li/readme"},
        {"dot in a folder only", u"/home/li/old.data/readme", Level::Secret,
         u"/home/li/old" + SecretMark + u"data/readme"},
        {"ends in a dot", u"notes.", Level::Secret, u"notes" + SecretMark},
        {"drive and backslashes", u"C:\\Docs\\plan.final.doc", Level::Secret,
         u"C:\\Docs\\plan.final" + SecretMark + u"doc"},
        {"marked again", u"a" + SecretMark + u"doc", Level::Secret,
         u"a(\u79D8\u5BC6)" + SecretMark + u"doc"},
        {"marked at another level", u"a" + SecretMark + u"doc", Level::Secretter,
         u"a(\u79D8\u5BC6)" + SecretterMark + u"doc"},
        // A placeholder-shaped text earlier in the path takes the marker; the one
        // put at the last dot stays.
        {"placeholder text already in the path", u"/d/q)]}{[(.r/a.doc", Level::Secret,
         u"/d/q" + SecretMark + u"r/a)]}{[(.doc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MarkFileName(c.path, c.level), c.marked);
    }
}

TEST(UnmarkFileName, ReplacesTheFirstMarkerOfTheLevelWithADot) {
    const std::vector<MarkCase> cases = {
        {"report.doc", u"/home/li/report" + SecretMark + u"doc", Level::Secret,
         u"/home/li/report.doc"},
        {"x.tar.gz", u"/tmp/x.tar" + SecretterMark + u"gz", Level::Secretter, u"/tmp/x.tar.gz"},
        {".cfg", u"/etc/app/" + TopSecretMark + u"cfg", Level::TopSecret, u"/etc/app/.cfg"},
        {"another level's marker stays", u"a" + SecretterMark + u"doc", Level::Secret,
         u"a" + SecretterMark + u"doc"},
        {"no marker", u"/home/li/readme", Level::Secret, u"/home/li/readme"},
        // "(秘密)(秘密).doc": the first full marker is the one before the extension.
        {"marked twice", u"a(\u79D8\u5BC6)" + SecretMark + u"doc", Level::Secret,
         u"a" + SecretMark + u"doc"},
        {"Secret then Secretter, undo Secretter", u"a(\u79D8\u5BC6)" + SecretterMark + u"doc",
         Level::Secretter, u"a" + SecretMark + u"doc"},
        {"marker in a folder name wins", u"/d/x" + SecretMark + u"y/a" + SecretMark + u"doc",
         Level::Secret, u"/d/x.y/a" + SecretMark + u"doc"},
        {"parenthesised text without the dot", u"a(\u79D8\u5BC6)doc", Level::Secret,
         u"a(\u79D8\u5BC6)doc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(UnmarkFileName(c.path, c.level), c.marked);
    }
}

TEST(MarkedLevel, IsTheLevelOfTheMarkerFoundLastInTheName) {
    const struct {
        const char* name;
        std::u16string path;
        std::optional<Level> level;
        std::u16string withoutMarkers;
    } cases[] = {
        {"one marker", u"/d/x.tar" + TopSecretMark + u"gz", Level::TopSecret, u"x.tar.gz"},
        {"Secret then Secretter", u"/d/a(\u79D8\u5BC6)" + SecretterMark + u"doc", Level::Secretter,
         u"a.doc"},
        {"a marker of each level in the name", u"a" + SecretterMark + u"b" + SecretMark + u"c",
         Level::Secret, u"a.b.c"},
        {"the same level twice: as a decryption finds it",
         u"a" + SecretMark + u"b" + SecretMark + u"c", Level::Secret, u"a.b.c"},
        {"only in a folder's name", u"/d" + TopSecretMark + u"x/a.doc", std::nullopt, u"a.doc"},
        {"nothing after the marker", u"memo" + SecretMark, Level::Secret, u"memo."},
        {"no marker", u"/d/readme", std::nullopt, u"readme"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MarkedLevel(c.path), c.level);
        EXPECT_EQ(NameWithoutMarkers(c.path), c.withoutMarkers);
        if (c.level) {
            // The name a decryption at that level gives carries one marker less.
            const std::u16string name = c.path.substr(c.path.rfind(u'/') + 1);
            EXPECT_EQ(NameWithoutMarkers(UnmarkFileName(name, *c.level)), c.withoutMarkers);
        }
    }
}

TEST(LevelMarker, MarkingTwiceIsUndoneOneMarkerAtATime) {
    const std::u16string plain = u"/srv/a.doc";
    std::u16string path = MarkFileName(MarkFileName(plain, Level::Secret), Level::Secret);
    EXPECT_EQ(path, u"/srv/a(\u79D8\u5BC6)(\u79D8\u5BC6).doc");
    path = UnmarkFileName(path, Level::Secret);
    EXPECT_EQ(path, u"/srv/a(\u79D8\u5BC6).doc");
    EXPECT_EQ(UnmarkFileName(path, Level::Secret), plain);

    path = MarkFileName(MarkFileName(plain, Level::Secret), Level::Secretter);
    EXPECT_EQ(path, u"/srv/a(\u79D8\u5BC6)(\u673A\u5BC6).doc");
    EXPECT_EQ(UnmarkFileName(UnmarkFileName(path, Level::Secretter), Level::Secret), plain);
}

TEST(LevelMarker, UnmarkingAtTheSameLevelRestoresPlainPaths) {
    for (Level level : {Level::Secret, Level::Secretter, Level::TopSecret}) {
        for (const std::u16string path :
             {u"/a/b/c.txt", u"/a/b/c.d.e", u"/a/.hidden", u"x.", u"/a/\u6587\u4EF6.doc"}) {
            EXPECT_EQ(UnmarkFileName(MarkFileName(path, level), level), path);
        }
    }
}

}  // namespace
}  // namespace quarnix
