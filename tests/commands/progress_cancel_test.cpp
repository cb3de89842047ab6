// SPDX-License-Identifier: GPL-3.0-or-later
// Progress rises to the total in each phase; a cancel at any phase leaves the
// file byte for byte as it was, with no temporary or partial backup file.

#include <unistd.h>

#include "engine/commands.h"
#include "engine/text_codec.h"
#include "faulty_file_ops.h"
#include "file_fixture.h"

namespace quarnix::test {
namespace {

struct Event {
    WorkPhase phase;
    std::uint64_t done, total;
};

struct ProgressCase {
    Level level;
    bool hardLinked;  // TopSecret goes over a hard-linked file three times: into its record
                      // and hashed, then over the file in place
};

class Progress : public FileFixture, public ::testing::WithParamInterface<ProgressCase> {};

TEST_P(Progress, RisesInEachPhaseAndEndsAtTheTotal) {
    const auto [level, hardLinked] = GetParam();
    const std::size_t size = (9u << 20) + 3;
    WriteBytes("f.doc", Pattern(size));
    if (hardLinked) {
        ASSERT_EQ(::link("f.doc", "g.doc"), 0);
    }
    std::vector<Event> events;
    CommandHooks hooks;
    hooks.Progress = [&](WorkPhase p, std::uint64_t d, std::uint64_t t) {
        events.push_back({p, d, t});
    };
    ASSERT_EQ(EncryptCommand(Request("f.doc", level), hooks).Kind, OutcomeKind::Done);

    // Each flush to disk is reported once, after the bytes it flushes: after
    // the backup, and at TopSecret after the rewrite (and after the record of
    // a hard-linked file, two thirds of the way).
    std::vector<std::size_t> flushesAfter;  // how many other events came before each
    std::erase_if(events, [&, seen = std::size_t{0}](const Event& e) mutable {
        if (e.phase != WorkPhase::Flush) {
            ++seen;
            return false;
        }
        EXPECT_EQ(e.done + e.total, 0u);
        flushesAfter.push_back(seen);
        return true;
    });
    const auto lastOf = [&](WorkPhase phase) {
        std::size_t last = 0;
        for (std::size_t i = 0; i < events.size(); ++i) {
            last = events[i].phase == phase ? i + 1 : last;
        }
        return last;
    };
    std::vector<std::size_t> expectedFlushes{lastOf(WorkPhase::BackupCopy)};
    if (level == Level::TopSecret) {
        if (hardLinked) {
            const auto half = std::find_if(events.begin(), events.end(), [&](const Event& e) {
                return e.phase == WorkPhase::Rewrite && e.done == 2 * std::uint64_t{size};
            });
            expectedFlushes.push_back(static_cast<std::size_t>(half - events.begin()) + 1);
        }
        expectedFlushes.push_back(events.size());
    }
    EXPECT_EQ(flushesAfter, expectedFlushes);

    const std::uint64_t rewritten = level != Level::TopSecret ? 20481
                                    : hardLinked              ? 3 * std::uint64_t{size}
                                                              : size;
    const Event expected[] = {{WorkPhase::BackupCopy, 0, size}, {WorkPhase::Rewrite, 0, rewritten}};
    std::size_t at = 0;
    for (const Event& phase : expected) {
        ASSERT_LT(at, events.size());
        EXPECT_EQ(events[at].phase, phase.phase);
        EXPECT_EQ(events[at].done, 0u);
        std::uint64_t last = 0;
        for (; at < events.size() && events[at].phase == phase.phase; ++at) {
            EXPECT_EQ(events[at].total, phase.total);
            EXPECT_GE(events[at].done, last);
            last = events[at].done;
        }
        EXPECT_EQ(last, phase.total);
    }
    EXPECT_EQ(at, events.size());
}

INSTANTIATE_TEST_SUITE_P(Commands, Progress,
                         ::testing::Values(ProgressCase{Level::Secret, false},
                                           ProgressCase{Level::Secretter, false},
                                           ProgressCase{Level::TopSecret, false},
                                           ProgressCase{Level::TopSecret, true}));

struct CancelCase {
    const char* name;
    Level level;
    bool encrypt;
    WorkPhase phase;  // cancel once this phase reported bytes (or began, for a window)
    bool unnamedTemp;
    // "f.doc" has a second name, "g.doc"; with `onceFlushed` the cancel comes
    // only when the new content stands complete and flushed, just before it
    // gets its recovery name and is copied over the file.
    bool hardLinked = false;
    bool onceFlushed = false;
};

class Cancel : public FileFixture, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(Cancel, LeavesTheFileAsItWasAndNoPartialFile) {
    const CancelCase& c = GetParam();
    const Bytes plain = Pattern((9u << 20) + 3);
    WriteBytes("f.doc", plain);
    if (c.hardLinked) {
        ASSERT_EQ(::link("f.doc", "g.doc"), 0);
    }
    bool cancel = false;
    bool rewriting = false;
    CommandHooks hooks;
    hooks.Progress = [&](WorkPhase p, std::uint64_t done, std::uint64_t) {
        rewriting = rewriting || p == WorkPhase::Rewrite;
        cancel = cancel ||
                 (!c.onceFlushed && p == c.phase && (done > 0 || c.level != Level::TopSecret)) ||
                 (c.onceFlushed && rewriting && p == WorkPhase::Flush);
    };
    hooks.CancelRequested = [&] { return cancel; };
    FaultyFileOps files;
    if (!c.unnamedTemp) {
        files.Lacks(FileOp::OpenUnnamed, EOPNOTSUPP);
    }
    const CryptRequest request = Request("f.doc", c.level);
    const CommandOutcome outcome =
        c.encrypt ? EncryptCommand(request, hooks, &files) : DecryptCommand(request, hooks, &files);

    EXPECT_EQ(outcome.Kind, OutcomeKind::WorkCancelled);
    EXPECT_NE(outcome.Message.find(u"已取消。文件“f.doc”未改动。"), std::u16string::npos);
    EXPECT_EQ(ReadBytes("f.doc"), plain);
    const std::string backup = c.encrypt ? "f.doc.备份" : "f.doc.BAK";
    std::set<std::string> names{"f.doc"};
    if (c.hardLinked) {
        names.insert("g.doc");
        EXPECT_EQ(ReadBytes("g.doc"), plain);
    }
    if (c.phase != WorkPhase::BackupCopy) {
        names.insert(backup);
        EXPECT_EQ(ReadBytes(backup), plain);
    }
    EXPECT_EQ(FolderNames(), names);
}

const CancelCase CancelCases[] = {
    {"BackupCopy", Level::Secret, true, WorkPhase::BackupCopy, true},
    {"BackupCopyNamedTemp", Level::TopSecret, false, WorkPhase::BackupCopy, false},
    {"WindowRewrite", Level::Secretter, true, WorkPhase::Rewrite, true},
    {"TopSecretRewrite", Level::TopSecret, true, WorkPhase::Rewrite, true},
    {"TopSecretRewriteNamedTemp", Level::TopSecret, false, WorkPhase::Rewrite, false},
    {"HardLinkedRewrite", Level::TopSecret, true, WorkPhase::Rewrite, true, true},
    {"HardLinkedComplete", Level::TopSecret, true, WorkPhase::Rewrite, true, true, true},
    {"HardLinkedCompleteNamedTemp", Level::TopSecret, false, WorkPhase::Rewrite, false, true, true},
};

INSTANTIATE_TEST_SUITE_P(Commands, Cancel, ::testing::ValuesIn(CancelCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarnix::test
