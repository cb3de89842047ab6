// SPDX-License-Identifier: GPL-3.0-or-later
// The order that makes a command's result survive a power loss, read off the
// recorded calls of real runs: new content is flushed before it gets a name, a
// folder is flushed after a name in it changes, and nothing written is left
// unflushed when the command ends.

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <set>

#include "engine/files/file_io.h"
#include "engine/text_codec.h"
#include "faulty_file_ops.h"
#include "file_fixture.h"

namespace quarnix::test {
namespace {

// Replays a trace and names every break of the order.
class OrderChecker {
  public:
    std::vector<std::string> Check(const std::vector<Call>& trace) {
        for (std::size_t at = 0; at < trace.size(); ++at) {
            const Call& call = trace[at];
            if (call.result < 0) {
                continue;  // changed nothing
            }
            Replay(call, at);
        }
        for (const auto& [fd, file] : open_) {
            NoteIfDirty(file, "still open at the end");
        }
        for (const auto& [folder, at] : unflushedFolders_) {
            problems_.push_back("folder " + folder + " not flushed after call " +
                                std::to_string(at));
        }
        return problems_;
    }

  private:
    struct OpenFile {
        std::set<std::string> names;  // empty for a file made without a name
        bool dataDirty = false;
        bool inodeDirty = false;
        std::size_t opened = 0;
    };

    void Replay(const Call& call, std::size_t at) {
        switch (call.op) {
            case FileOp::Open:
                if ((call.flags & O_DIRECTORY) != 0) {
                    folders_[static_cast<int>(call.result)] = call.path;
                }
                open_[static_cast<int>(call.result)] = OpenFile{{call.path}, false, false, at};
                break;
            case FileOp::OpenUnnamed:
                open_[static_cast<int>(call.result)] = OpenFile{{}, false, false, at};
                break;
            case FileOp::MakeTemp:
                open_[static_cast<int>(call.result)] = OpenFile{{call.path}, false, false, at};
                NameChanged(call.path, at);
                break;
            case FileOp::Close:
                if (const auto it = open_.find(call.fd); it != open_.end()) {
                    NoteIfDirty(it->second, "closed");
                    open_.erase(it);
                }
                folders_.erase(call.fd);
                break;
            case FileOp::Pwrite:
            case FileOp::CopyRange:
            case FileOp::Truncate:
                open_[call.fd].dataDirty = true;
                break;
            case FileOp::Fchmod:
            case FileOp::Fchown:
            case FileOp::SetFlags:
            case FileOp::CopyAccessControl:
            case FileOp::CopyAttributes:
                open_[call.fd].inodeDirty = true;
                break;
            case FileOp::Fdatasync:
                open_[call.fd].dataDirty = false;
                break;
            case FileOp::Fsync:
                open_[call.fd].dataDirty = open_[call.fd].inodeDirty = false;
                if (const auto folder = folders_.find(call.fd); folder != folders_.end()) {
                    unflushedFolders_.erase(folder->second);
                }
                break;
            case FileOp::LinkOpenFile:
                GiveName(open_[call.fd], call.path, at);
                break;
            case FileOp::Link:
                GiveName(FileNamed(call.path), call.other, at);
                NameChanged(call.path, at);
                break;
            case FileOp::Rename:
            case FileOp::RenameNoReplace: {
                OpenFile& file = FileNamed(call.path);
                file.names.erase(call.path);
                GiveName(file, call.other, at);
                NameChanged(call.path, at);
                break;
            }
            case FileOp::RenameExchange: {
                OpenFile& first = FileNamed(call.path);
                OpenFile& second = FileNamed(call.other);
                first.names.erase(call.path);
                second.names.erase(call.other);
                GiveName(first, call.other, at);
                GiveName(second, call.path, at);
                break;
            }
            case FileOp::Unlink:
                FileNamed(call.path).names.erase(call.path);
                NameChanged(call.path, at);
                break;
            default:
                break;
        }
    }

    OpenFile& FileNamed(const std::string& path) {
        for (auto& [fd, file] : open_) {
            if (file.names.count(path) != 0) {
                return file;
            }
        }
        static OpenFile notOpen;  // a file no descriptor of the command holds
        notOpen = {};
        return notOpen;
    }

    void GiveName(OpenFile& file, const std::string& name, std::size_t at) {
        if (file.dataDirty || file.inodeDirty) {
            problems_.push_back("call " + std::to_string(at) + " names " + name +
                                " before its content is on disk");
        }
        file.names.insert(name);
        NameChanged(name, at);
    }

    void NameChanged(const std::string& path, std::size_t at) {
        unflushedFolders_[FolderOf(path)] = at;
    }

    void NoteIfDirty(const OpenFile& file, const char* when) {
        if (!file.names.empty() && (file.dataDirty || file.inodeDirty)) {
            problems_.push_back(*file.names.begin() + " " + when + " with unflushed changes");
        }
    }

    std::map<int, OpenFile> open_;
    std::map<int, std::string> folders_;                   // descriptors opened on folders
    std::map<std::string, std::size_t> unflushedFolders_;  // folder: its last name change
    std::vector<std::string> problems_;
};

struct OrderCase {
    Level level;
    bool encrypt;
    bool backup;
    bool mark;
    bool unnamedTemp;
    bool hardLinked;
    bool setGroupId = false;  // the file is set-group-id, which a write clears
};

// The kernel clears a file's set-id bits when a user without CAP_FSETID
// writes to it: so does this file system, whoever runs the test.
class ClearsSetIdOnWrite : public FaultyFileOps {
  protected:
    std::int64_t Intercept(const FileCall& call, const Forward& forward) override {
        const std::int64_t answer = FaultyFileOps::Intercept(call, forward);
        struct stat info {};
        if (call.op == FileOp::Pwrite && answer > 0 && ::fstat(call.fd, &info) == 0 &&
            (info.st_mode & 06000) != 0) {
            ::fchmod(call.fd, info.st_mode & 01777);
        }
        return answer;
    }
};

class DurableOrder : public FileFixture, public ::testing::WithParamInterface<OrderCase> {
  protected:
    // Writes f.doc, readable by all (with a second name where the case has
    // one), then runs the case's command on it through `files`, which lacks
    // O_TMPFILE where the case says.
    CommandOutcome RunCase(FaultyFileOps& files, const Bytes& content) {
        const OrderCase& c = GetParam();
        WriteBytes("f.doc", content);
        EXPECT_EQ(::chmod("f.doc", c.setGroupId ? 02644 : 0644), 0);
        if (c.hardLinked) {
            EXPECT_EQ(::link("f.doc", "g.doc"), 0);
        }
        if (!c.unnamedTemp) {
            files.Lacks(FileOp::OpenUnnamed, EOPNOTSUPP);
        }
        CryptRequest request = Request(std::string(folder_) + "/f.doc", c.level);
        request.MakeBackup = c.backup;
        request.MarkFile = c.mark;
        return c.encrypt ? EncryptCommand(request, {}, &files)
                         : DecryptCommand(request, {}, &files);
    }
};

TEST_P(DurableOrder, EveryNameAndEveryEndFollowsItsFlush) {
    const OrderCase& c = GetParam();
    ClearsSetIdOnWrite files;
    // TopSecret streams in chunks of 4 MiB: make it take two.
    const CommandOutcome outcome =
        RunCase(files, Pattern(c.level == Level::TopSecret ? (4u << 20) + 5000 : 30000));
    ASSERT_EQ(outcome.Kind, OutcomeKind::Done) << Utf16ToUtf8(outcome.Message);
    EXPECT_EQ(OrderChecker().Check(files.Trace()), std::vector<std::string>{});
}

// A file this program makes (a temporary file, the backup, the run record)
// is written only while nobody but its owner may read it, though the file it
// copies is readable by all: a kill part way leaves nothing for others.
TEST_P(DurableOrder, NewFilesAreWrittenWhileOwnerOnly) {
    FaultyFileOps files;
    ASSERT_EQ(RunCase(files, Pattern(30000)).Kind, OutcomeKind::Done);
    std::set<int> made;  // descriptors of files this run made
    int writes = 0;
    for (const Call& call : files.Trace()) {
        if (call.result < 0) {
            continue;
        }
        if (call.op == FileOp::OpenUnnamed || call.op == FileOp::MakeTemp ||
            (call.op == FileOp::Open && (call.flags & O_CREAT) != 0)) {
            made.insert(static_cast<int>(call.result));
        } else if (call.op == FileOp::Close) {
            made.erase(call.fd);
        } else if ((call.op == FileOp::Pwrite || call.op == FileOp::CopyRange) &&
                   made.count(call.fd) != 0) {
            ++writes;
            EXPECT_EQ(call.mode & 077, 0u) << "a write into a new file readable by others";
        }
    }
    EXPECT_GE(writes, 1);
}

std::vector<OrderCase> OrderCases() {
    std::vector<OrderCase> cases;
    for (const Level level : {Level::Secret, Level::Secretter, Level::TopSecret}) {
        for (const bool backup : {false, true}) {
            for (const bool mark : {false, true}) {
                for (const bool unnamed : {false, true}) {
                    cases.push_back(
                        {level, level != Level::Secretter, backup, mark, unnamed, false});
                }
                if (level == Level::TopSecret) {
                    cases.push_back({level, false, backup, mark, true, true});
                }
                // The set-group-id bit put back after a write in place wants its flush.
                if (level != Level::Secretter && !backup) {
                    cases.push_back({level, mark, backup, mark, true, true, true});
                }
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Commands, DurableOrder, ::testing::ValuesIn(OrderCases()));

}  // namespace
}  // namespace quarnix::test
