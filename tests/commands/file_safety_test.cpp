// SPDX-License-Identifier: GPL-3.0-or-later
// A file keeps who may read it and what others wrote to it. Other users are
// played, as root, by a child process with their user and group ids; other
// programs act at a chosen call of the file work.

#include <acl/libacl.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sys/acl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <utility>

#include "engine/files/forwarding_file_ops.h"
#include "engine/files/temp_file.h"
#include "engine/text_codec.h"
#include "file_fixture.h"

namespace quarnix::test {
namespace {

constexpr uid_t Alice = 5001;
constexpr uid_t Bob = 5003;
constexpr uid_t Carol = 5004;
constexpr gid_t Secret = 6001;
constexpr gid_t Staff = 6002;  // Alice's own group
constexpr gid_t Bobs = 6003;

// Runs `work` in a child process as `user` with primary group `group` and
// the supplementary `groups`; answers what it returned.
int RunAs(uid_t user, gid_t group, const std::vector<gid_t>& groups,
          const std::function<int()>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(groups.size(), groups.data()) != 0 ||
            ::setresgid(group, group, group) != 0 || ::setresuid(user, user, user) != 0) {
            ::_exit(99);
        }
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The command's outcome kind as an exit status.
int RunCommand(bool encrypt, const CryptRequest& request) {
    return static_cast<int>((encrypt ? EncryptCommand(request) : DecryptCommand(request)).Kind);
}

constexpr int Done = static_cast<int>(OutcomeKind::Done);

// Encrypts as `user` in group `group`; answers the outcome's kind, its
// message in *message.
int EncryptAs(uid_t user, gid_t group, const CryptRequest& request, std::string* message) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const int kind = RunAs(user, group, {}, [&] {
        const CommandOutcome said = EncryptCommand(request);
        const std::string text = Utf16ToUtf8(said.Message);
        (void)!::write(fds[1], text.data(), text.size());
        return static_cast<int>(said.Kind);
    });
    ::close(fds[1]);
    message->assign(1 << 16, '\0');
    const ssize_t read = ::read(fds[0], message->data(), message->size());
    message->resize(static_cast<std::size_t>(std::max<ssize_t>(read, 0)));
    ::close(fds[0]);
    return kind;
}

std::string AclText(const std::string& path) {
    const acl_t acl = ::acl_get_file(path.c_str(), ACL_TYPE_ACCESS);
    char* text = ::acl_to_any_text(acl, nullptr, ',', 0);
    std::string result = text != nullptr ? text : "";
    ::acl_free(text);
    ::acl_free(acl);
    return result;
}

struct stat StatOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

unsigned FlagsOf(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    int flags = 0;
    ::ioctl(fd, FS_IOC_GETFLAGS, &flags);
    ::close(fd);
    return static_cast<unsigned>(flags);
}

bool SetFlags(const std::string& path, unsigned flags) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    int value = static_cast<int>(flags);
    const bool set = ::ioctl(fd, FS_IOC_SETFLAGS, &value) == 0;
    ::close(fd);
    return set;
}

class OtherUsers : public FileFixture {
  protected:
    void SetUp() override {
        FileFixture::SetUp();
        if (::geteuid() != 0) {
            GTEST_SKIP() << "other users are played as root";
        }
        ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
    }

    void MakeFile(const std::string& name, uid_t user, gid_t group, mode_t mode) {
        WriteBytes(name, plain_);
        ASSERT_EQ(::chown(name.c_str(), user, group), 0);
        ASSERT_EQ(::chmod(name.c_str(), mode), 0);
    }

    const Bytes plain_ = Pattern(30000);
};

// The backup never reaches readers the file did not have.
TEST_F(OtherUsers, BackupTakesTheFilesGroupOrNoGroupAtAll) {
    struct Case {
        std::vector<gid_t> aliceGroups;
        gid_t backupGroup;
        mode_t backupMode;
    };
    for (const Case& c : {Case{{Staff, Secret}, Secret, 0640}, Case{{Staff}, Staff, 0600}}) {
        MakeFile("f.doc", Alice, Secret, 0640);
        CryptRequest request = Request("f.doc", Level::Secret);
        request.MarkFile = false;
        ASSERT_EQ(RunAs(Alice, Staff, c.aliceGroups, [&] { return RunCommand(true, request); }),
                  Done);
        const struct stat backup = StatOf("f.doc.备份");
        EXPECT_EQ(backup.st_gid, c.backupGroup);
        EXPECT_EQ(backup.st_mode & 07777, c.backupMode);
        EXPECT_EQ(ReadBytes("f.doc.备份"), plain_);
        ClearFolder();
    }
}

// Owner, group, mode with set-id bits, ACL, extended attributes and inode
// flags stay, whether a new file takes the old one's place (its owner) or its
// own inode is rewritten (another user who may write to it).
TEST_F(OtherUsers, EveryLevelKeepsEverythingThatDecidesWhoMayRead) {
    struct Case {
        uid_t runner;
        gid_t runnerGroup;
        mode_t mode;
        bool acl;
        bool hardLinked = false;  // rewritten in place at TopSecret too
    };
    const Case cases[] = {
        {Alice, Staff, 0600, true},  // bob may read and write through the ACL only
        {Alice, Staff, 04755, false},       {Alice, Staff, 02750, false},
        {Bob, Bobs, 0666, false},  // not the owner
        {Alice, Staff, 04755, false, true},
    };
    WriteBytes("probe", plain_);
    const acl_t probe = ::acl_from_text("u::rw-,u:5003:rw-,g::---,m::rw-,o::---");
    const bool kept = ::acl_set_file("probe", ACL_TYPE_ACCESS, probe) == 0 &&
                      ::setxattr("probe", "user.origin", "mail", 4, 0) == 0 &&
                      SetFlags("probe", FS_NODUMP_FL);
    ::acl_free(probe);
    ::unlink("probe");
    if (!kept) {
        GTEST_SKIP() << "the file system keeps no ACL, user attribute or chattr flag";
    }
    for (const Case& c : cases) {
        for (const Level level : {Level::TopSecret, Level::Secret}) {
            MakeFile("f.doc", Alice, Staff, c.mode);
            if (c.hardLinked) {
                ASSERT_EQ(::link("f.doc", "g.doc"), 0);
            }
            if (c.acl) {
                const acl_t acl = ::acl_from_text("u::rw-,u:5003:rw-,g::---,m::rw-,o::---");
                ASSERT_EQ(::acl_set_file("f.doc", ACL_TYPE_ACCESS, acl), 0);
                ::acl_free(acl);
            }
            ASSERT_EQ(::setxattr("f.doc", "user.origin", "mail", 4, 0), 0);
            ASSERT_TRUE(SetFlags("f.doc", FS_NODUMP_FL));
            const struct stat before = StatOf("f.doc");
            const std::string acl = AclText("f.doc");
            CryptRequest request = Request("f.doc", level);
            request.MarkFile = false;
            for (const bool encrypt : {true, false}) {
                ASSERT_EQ(RunAs(c.runner, c.runnerGroup, {},
                                [&] { return RunCommand(encrypt, request); }),
                          Done)
                    << c.mode << (encrypt ? " encrypt" : " decrypt");
                const struct stat after = StatOf("f.doc");
                EXPECT_EQ(after.st_uid, before.st_uid);
                EXPECT_EQ(after.st_gid, before.st_gid);
                EXPECT_EQ(after.st_mode, before.st_mode) << std::oct << after.st_mode;
                EXPECT_EQ(AclText("f.doc"), acl);
                char origin[8] = {};
                EXPECT_EQ(::getxattr("f.doc", "user.origin", origin, sizeof origin), 4);
                EXPECT_EQ(FlagsOf("f.doc") & FS_NODUMP_FL, FS_NODUMP_FL);
            }
            EXPECT_EQ(ReadBytes("f.doc"), plain_);
            ClearFolder();
        }
    }
}

// A backup made through a link in a shared folder stands in that folder, not
// beside the file: there it is its owner's alone, whoever may read the folder.
TEST_F(OtherUsers, ABackupBesideALinkInASharedFolderIsTheOwnersAlone) {
    ASSERT_EQ(::mkdir("home", 0700), 0);
    ASSERT_EQ(::chown("home", Alice, Staff), 0);
    ASSERT_EQ(::mkdir("shared", 01777), 0);
    ASSERT_EQ(::chmod("shared", 01777), 0);
    MakeFile("home/plan.txt", Alice, Staff, 0644);
    MakeFile("shared/notice.txt", Alice, Staff, 0644);
    ASSERT_EQ(::symlink((folder_ + "/home/plan.txt").c_str(), "shared/plan.txt"), 0);
    CryptRequest request = Request("shared/plan.txt", Level::Secret);
    request.MarkFile = false;
    ASSERT_EQ(RunAs(Alice, Staff, {}, [&] { return RunCommand(true, request); }), Done);
    const auto readable = [](const char* path) {
        return RunAs(Carol, Bobs, {}, [&] {
            const int fd = ::open(path, O_RDONLY);
            return fd >= 0 ? 1 : 0;
        });
    };
    EXPECT_EQ(readable("shared/notice.txt"), 1);  // carol reads what the folder shows her
    EXPECT_EQ(readable("home/plan.txt"), 0);
    EXPECT_EQ(readable("shared/plan.txt.备份"), 0);
    EXPECT_EQ(StatOf("shared/plan.txt.备份").st_mode & 077, 0u);
    EXPECT_EQ(StatOf("shared/plan.txt.备份").st_uid, Alice);
    EXPECT_EQ(ReadBytes("shared/plan.txt.备份"), plain_);
}

// Runs `meddle` once, when the command locks the file it has just opened.
class MeddlingAtLock : public ForwardingFileOps {
  public:
    explicit MeddlingAtLock(std::function<void()> meddle)
        : ForwardingFileOps(SystemFileOps()), meddle_(std::move(meddle)) {}

  protected:
    std::int64_t Intercept(const FileCall& call, const Forward& forward) override {
        if (call.op == FileOp::Lock && meddle_) {
            std::exchange(meddle_, nullptr)();
        }
        return forward();
    }

  private:
    std::function<void()> meddle_;
};

// Once the file is open, its folder is renamed away and a link to bob's
// folder put in its place, where bob's own link leads back to the file: the
// path still names the file, but the backup, the temporary files and the
// marked name all stay in the file's own folder, none in bob's.
TEST_F(OtherUsers, AFolderSwappedDuringTheWorkRedirectsNothing) {
    ASSERT_EQ(::mkdir("g", 0777), 0);
    ASSERT_EQ(::chmod("g", 0777), 0);
    ASSERT_EQ(::mkdir("bobs", 0755), 0);
    ASSERT_EQ(::chown("bobs", Bob, Bobs), 0);
    ASSERT_EQ(::symlink((folder_ + "/g/away/f.doc").c_str(), "bobs/f.doc"), 0);
    for (const Level level : {Level::Secret, Level::TopSecret}) {
        ASSERT_EQ(::mkdir("g/sub", 0755), 0);
        ASSERT_EQ(::chown("g/sub", Alice, Staff), 0);
        MakeFile("g/sub/f.doc", Alice, Staff, 0644);
        const CryptRequest request = Request("g/sub/f.doc", level);
        const int outcome = RunAs(Alice, Staff, {}, [&] {
            MeddlingAtLock files([&] {
                if (::rename("g/sub", "g/away") != 0 ||
                    ::symlink((folder_ + "/bobs").c_str(), "g/sub") != 0) {
                    ::_exit(98);
                }
            });
            return static_cast<int>(EncryptCommand(request, {}, &files).Kind);
        });
        EXPECT_EQ(outcome, Done);
        EXPECT_EQ(FolderNames("bobs"), std::set<std::string>{"f.doc"});
        const char* marked = level == Level::Secret ? "f(秘密).doc" : "f(绝密).doc";
        EXPECT_EQ(FolderNames("g/away"), (std::set<std::string>{marked, "f.doc.备份"}));
        EXPECT_EQ(ReadBytes("g/away/f.doc.备份"), plain_);
        EXPECT_EQ(ReadBytes(std::string("g/away/") + marked),
                  Transformed(plain_, level, true, u"abc", u"hello"));
        std::filesystem::remove_all("g/away");
        ASSERT_EQ(::unlink("g/sub"), 0);
    }
}

// Makes the window's write over the file fail, and its putting back, and
// every removal: the run record of the window stays for the next run.
class WindowWriteFails : public ForwardingFileOps {
  public:
    WindowWriteFails() : ForwardingFileOps(SystemFileOps()) {}

  protected:
    std::int64_t Intercept(const FileCall& call, const Forward& forward) override {
        const bool windowWrite =
            call.op == FileOp::Pwrite && call.offset == 0 && call.size == 20481;
        return windowWrite || call.op == FileOp::Unlink ? -EIO : forward();
    }
};

std::string RecordIn(const std::string& folder) {
    for (const std::string& name : FolderNames(folder)) {
        if (name.rfind(".quarnix-rec-", 0) == 0) {
            return folder + "/" + name;
        }
    }
    return {};
}

// A run record is used only when this user or the file's owner made it: one
// that another user put there would write chosen bytes into the file. Root's
// record for Alice's file is hers, so that her next run settles it.
TEST_F(OtherUsers, ARunRecordOfAnotherUserIsNeverUsed) {
    MakeFile("f.doc", Alice, Staff, 0644);
    CryptRequest request = Request("f.doc", Level::Secret);
    request.MakeBackup = false;
    request.MarkFile = false;
    WindowWriteFails failing;
    const CommandOutcome first = EncryptCommand(request, {}, &failing);
    ASSERT_EQ(first.Kind, OutcomeKind::WriteFailed);
    EXPECT_NE(first.Message.find(u"下次用本程序处理该文件时会先按它完成加密"), std::u16string::npos)
        << Utf16ToUtf8(first.Message);
    const std::string record = RecordIn(".");
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(StatOf(record).st_uid, Alice);
    EXPECT_EQ(StatOf(record).st_mode & 077, 0u);
    const Bytes encrypted = Transformed(plain_, Level::Secret, true, u"abc", u"hello");
    // A power cut tore the window: its first page is new, the rest old.
    Bytes torn = plain_;
    std::copy_n(encrypted.begin(), 4096, torn.begin());
    const Bytes recordBytes = ReadBytes(record);
    for (const uid_t owner : {Bob, Alice}) {
        WriteBytes("f.doc", torn);
        WriteBytes(record, recordBytes);
        ASSERT_EQ(::chown(record.c_str(), owner, Bobs), 0);
        ASSERT_EQ(::chmod(record.c_str(), 0644), 0);  // one that alice may read
        const int outcome = RunAs(Alice, Staff, {}, [&] { return RunCommand(true, request); });
        if (owner == Bob) {
            // Bob's record puts nothing into the file and stays as it was.
            EXPECT_EQ(outcome, Done);
            EXPECT_EQ(ReadBytes(record), recordBytes);
            EXPECT_EQ(ReadBytes("f.doc"), Transformed(torn, Level::Secret, true, u"abc", u"hello"));
        } else {
            // Alice's own record finishes the encryption it was made for.
            EXPECT_EQ(outcome, static_cast<int>(OutcomeKind::EarlierWorkCompleted));
            EXPECT_FALSE(Exists(record));
            EXPECT_EQ(ReadBytes("f.doc"), encrypted);
        }
    }
}

// The next run removes only a temporary file of this program's made for this
// very file, of this user or of the file's owner, that no running command
// holds: never another run's live one, another user's, or another name.
TEST_F(OtherUsers, OnlyStaleTemporariesOfTheFileAreRemoved) {
    MakeFile("f.doc", Alice, Staff, 0644);
    const std::string tag = TempNamePrefix("f.doc");
    const std::map<std::string, uid_t> temps{{tag + "stale1", Alice},
                                             {tag + "live01", Alice},
                                             {tag + "bobs01", Bob},
                                             {".quarnix-other-name", Alice},
                                             {TempNamePrefix("g.doc") + "other1", Alice}};
    for (const auto& [name, owner] : temps) {
        WriteBytes(name, plain_);
        ASSERT_EQ(::chown(name.c_str(), owner, Staff), 0);
        ASSERT_EQ(::chmod(name.c_str(), 0666), 0);  // Bob's too: Alice may write it
    }
    // Another run is writing this one now: it holds it locked.
    const int live = ::open((tag + "live01").c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    ASSERT_EQ(::fcntl(live, F_OFD_SETLK, &lock), 0);
    CryptRequest request = Request("f.doc", Level::Secret);
    request.MakeBackup = false;
    request.MarkFile = false;
    const int outcome = RunAs(Alice, Staff, {}, [&] { return RunCommand(true, request); });
    ::close(live);
    EXPECT_EQ(outcome, Done);
    for (const auto& [name, owner] : temps) {
        EXPECT_EQ(Exists(name), name != tag + "stale1") << name;
    }
}

// A rename that cannot happen is found before anything is written.
// Without the rename, the folder's refusal of the run record is found first
// too, and the message says that the folder is the cause.
TEST_F(OtherUsers, MarkerRenameInAFolderBobMayNotChangeIsRefusedFirst) {
    ASSERT_EQ(::mkdir("ro", 0755), 0);
    ASSERT_EQ(::chown("ro", Alice, Staff), 0);
    MakeFile("ro/f.doc", Alice, Staff, 0666);
    for (const bool mark : {true, false}) {
        CryptRequest request = Request("ro/f.doc", mark ? Level::TopSecret : Level::Secret);
        request.MarkFile = mark;
        request.MakeBackup = false;
        std::string message;
        const int outcome = EncryptAs(Bob, Bobs, request, &message);
        EXPECT_EQ(outcome,
                  static_cast<int>(mark ? OutcomeKind::RenameFailed : OutcomeKind::WriteFailed));
        if (!mark) {
            EXPECT_NE(message.find("文件所在的文件夹“ro”不允许在其中新建文件（没有权限）"),
                      std::string::npos)
                << message;
            EXPECT_NE(message.find("文件“ro/f.doc”未改动。"), std::string::npos) << message;
        }
        EXPECT_EQ(FolderNames("ro"), std::set<std::string>{"f.doc"});
        EXPECT_EQ(ReadBytes("ro/f.doc"), plain_);
    }
}

// A user who does not own the file (a group-writable file in a shared
// folder) may take no lease on it: the work goes on, checks the file's times
// and size right before it writes, and says that it could not watch.
TEST_F(OtherUsers, WithoutALeaseTheWorkGoesOnAndSaysSo) {
    MakeFile("f.doc", Alice, Staff, 0660);
    CryptRequest request = Request("f.doc", Level::Secret);
    request.MakeBackup = false;
    request.MarkFile = false;
    std::string message;
    EXPECT_EQ(EncryptAs(Bob, Staff, request, &message), Done);
    EXPECT_EQ(message.rfind("操作成功！\n注意：", 0), 0u) << message;
    EXPECT_NE(message.find("取得租约"), std::string::npos) << message;
    EXPECT_EQ(ReadBytes("f.doc"), Transformed(plain_, Level::Secret, true, u"abc", u"hello"));
}

class OtherPrograms : public FileFixture {
  protected:
    // Whether this user may take a write lease on a file here.
    static bool LeasesWork() {
        WriteBytes("probe", Pattern(10));
        const int probe = ::open("probe", O_RDONLY);
        const bool leases = ::fcntl(probe, F_SETLEASE, F_WRLCK) == 0;
        ::close(probe);
        ::unlink("probe");
        return leases;
    }

    // The file as last changed long ago, so that any write now changes its times.
    void MakeFile(const std::string& name, const Bytes& content) {
        WriteBytes(name, content);
        const struct timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, name.c_str(), past, 0), 0);
    }
};

// Runs `meddle` once, just before call number `index` (from 0) of the flushes
// (Fsync and Fdatasync) or of Pread, on a file system without leases: the
// meddler is a program that opens the file while the work runs.
class MeddlingFileOps : public ForwardingFileOps {
  public:
    MeddlingFileOps(bool atFlush, int index, std::function<void()> meddle)
        : ForwardingFileOps(SystemFileOps()),
          atFlush_(atFlush),
          index_(index),
          meddle_(std::move(meddle)) {}

  protected:
    std::int64_t Intercept(const FileCall& call, const Forward& forward) override {
        if (call.op == FileOp::Lease) {
            return -EINVAL;
        }
        if (call.op == FileOp::Fsync || call.op == FileOp::Fdatasync) {
            Maybe(true);
        } else if (call.op == FileOp::Pread) {
            Maybe(false);
        }
        return forward();
    }

  private:
    void Maybe(bool flush) {
        if (flush == atFlush_ && (flush ? flushes_++ : reads_++) == index_) {
            meddle_();
        }
    }

    bool atFlush_;
    int index_;
    std::function<void()> meddle_;
    int flushes_ = 0;
    int reads_ = 0;
};

// A link that another program points elsewhere between the opening of the
// file and the resolving of its path redirects nothing: neither file changes,
// nor what stands beside the other one.
class SwapsTheLinkWhenResolved : public ForwardingFileOps {
  public:
    SwapsTheLinkWhenResolved() : ForwardingFileOps(SystemFileOps()) {}

  protected:
    std::int64_t Intercept(const FileCall& call, const Forward& forward) override {
        if (call.op == FileOp::RealPath) {
            EXPECT_EQ(::unlink("link.doc"), 0);
            EXPECT_EQ(::symlink("b.doc", "link.doc"), 0);
        }
        return forward();
    }
};

TEST_F(OtherPrograms, ALinkSwappedBeforeItIsResolvedRedirectsNothing) {
    for (const Level level : {Level::Secret, Level::TopSecret}) {
        MakeFile("a.doc", Pattern(30000, 1));
        MakeFile("b.doc", Pattern(30000, 2));
        const std::string stale = TempNamePrefix("b.doc") + "abc123";
        WriteBytes(stale, Pattern(100, 3));
        ASSERT_EQ(::symlink("a.doc", "link.doc"), 0);
        SwapsTheLinkWhenResolved files;
        const CommandOutcome outcome = EncryptCommand(Request("link.doc", level), {}, &files);
        EXPECT_EQ(outcome.Kind, OutcomeKind::FileChanged);
        EXPECT_EQ(ReadBytes("a.doc"), Pattern(30000, 1));
        EXPECT_EQ(ReadBytes("b.doc"), Pattern(30000, 2));
        EXPECT_EQ(FolderNames(), (std::set<std::string>{"a.doc", "b.doc", "link.doc", stale}));
        ClearFolder();
    }
}

TEST_F(OtherPrograms, AChangeWhileTheWorkRunsIsKeptAndTheWorkDropped) {
    enum class Meddle {
        EditorSave,      // a new file renamed over the file
        MiddleWrite,     // a write of the same size into the middle
        TimesPutBack,    // the same, then the old modification time put back
        FolderReplaced,  // the folder moved away and a new one with a new file put in its place
    };
    struct Case {
        const char* what;
        Level level;
        bool hardLinked;
        bool backup;
        bool atFlush;
        int index;
        Meddle meddle;
    };
    const Case cases[] = {
        {"editor save during the final flush", Level::TopSecret, false, false, true, 0,
         Meddle::EditorSave},
        {"write into the middle during the rewrite", Level::TopSecret, false, false, false, 1,
         Meddle::MiddleWrite},
        {"write before the copy over a hard-linked file", Level::TopSecret, true, false, true, 0,
         Meddle::MiddleWrite},
        {"write into the window before it is written", Level::Secret, false, false, false, 0,
         Meddle::MiddleWrite},
        {"editor save during the backup's flush", Level::Secretter, false, true, true, 0,
         Meddle::EditorSave},
        {"write with the time put back", Level::Secret, false, false, false, 0,
         Meddle::TimesPutBack},
        {"folder replaced before the window is read", Level::Secret, false, false, false, 0,
         Meddle::FolderReplaced},
    };
    const Bytes old = Pattern((4u << 20) + 5000, 1);
    const Bytes saved = Pattern(1000, 2);
    for (const Case& c : cases) {
        ASSERT_EQ(::mkdir("d", 0755), 0);
        MakeFile("d/f.doc", old);
        if (c.hardLinked) {
            ASSERT_EQ(::link("d/f.doc", "d/g.doc"), 0);
        }
        Bytes left = old;
        MeddlingFileOps files(c.atFlush, c.index, [&] {
            if (c.meddle == Meddle::EditorSave) {
                WriteBytes("d/f.doc.new", saved);
                ASSERT_EQ(::rename("d/f.doc.new", "d/f.doc"), 0);
                left = saved;
            } else if (c.meddle == Meddle::FolderReplaced) {
                ASSERT_EQ(::rename("d", "moved"), 0);
                ASSERT_EQ(::mkdir("d", 0755), 0);
                WriteBytes("d/f.doc", saved);
                left = saved;
            } else {
                const int fd = ::open("d/f.doc", O_WRONLY);
                ASSERT_EQ(::pwrite(fd, saved.data(), 100, 10000), 100);
                if (c.meddle == Meddle::TimesPutBack) {
                    const struct timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
                    ASSERT_EQ(::futimens(fd, past), 0);
                }
                ::close(fd);
                std::copy_n(saved.begin(), 100, left.begin() + 10000);
            }
        });
        CryptRequest request = Request("d/f.doc", c.level);
        request.MakeBackup = c.backup;
        const CommandOutcome outcome = EncryptCommand(request, {}, &files);
        EXPECT_EQ(outcome.Kind, OutcomeKind::FileChanged) << c.what;
        EXPECT_NE(outcome.Message.find(u"在处理期间被其他程序改动或替换。本次处理的结果已放弃，"
                                       u"文件“d/f.doc”保持其他程序留下的样子。"),
                  std::u16string::npos)
            << c.what;
        EXPECT_EQ(ReadBytes("d/f.doc"), left) << c.what;
        const std::set<std::string> names =
            c.hardLinked ? std::set<std::string>{"f.doc", "g.doc"} : std::set<std::string>{"f.doc"};
        EXPECT_EQ(FolderNames("d"), names) << c.what;
        if (c.meddle == Meddle::FolderReplaced) {
            EXPECT_EQ(ReadBytes("moved/f.doc"), old) << c.what;  // the old file, untouched
            EXPECT_EQ(FolderNames("moved"), std::set<std::string>{"f.doc"}) << c.what;
        }
        ClearFolder();
    }
}

// Moved away once its new start is on disk, the file keeps that content and
// the message says so, and that it was not renamed.
TEST_F(OtherPrograms, AFileMovedAwayAfterItsRewriteIsReportedAsTransformed) {
    MakeFile("f.doc", Pattern(30000));
    // Flushes: the run record, its folder, then the window's flush.
    MeddlingFileOps files(true, 2, [] { ASSERT_EQ(::rename("f.doc", "moved.doc"), 0); });
    CryptRequest request = Request("f.doc", Level::Secret);
    request.MakeBackup = false;
    const CommandOutcome outcome = EncryptCommand(request, {}, &files);
    EXPECT_EQ(outcome.Kind, OutcomeKind::FileChanged);
    EXPECT_NE(outcome.Message.find(u"文件“f.doc”的内容已加密，但它在处理期间被其他程序移走或替换，"
                                   u"所以没有改名"),
              std::u16string::npos)
        << Utf16ToUtf8(outcome.Message);
    EXPECT_EQ(ReadBytes("moved.doc"),
              Transformed(Pattern(30000), Level::Secret, true, u"abc", u"hello"));
    EXPECT_EQ(FolderNames(), std::set<std::string>{"moved.doc"});
}

// A program that keeps the file open, here for appending, could write at any
// moment: the file is refused at once, untouched, where a lease can be taken.
TEST_F(OtherPrograms, AProgramThatKeepsTheFileOpenIsRefusedAtOnce) {
    if (!LeasesWork()) {
        GTEST_SKIP() << "no write lease on this file system for this user";
    }
    for (const Level level : {Level::Secret, Level::TopSecret}) {
        ClearFolder();
        MakeFile("f.doc", Pattern(30000));
        int opened[2];
        int release[2];
        ASSERT_EQ(::pipe(opened), 0);
        ASSERT_EQ(::pipe(release), 0);
        const pid_t writer = ::fork();
        if (writer == 0) {
            const int fd = ::open("f.doc", O_WRONLY | O_APPEND);
            char byte = fd >= 0 ? 'y' : 'n';
            (void)!::write(opened[1], &byte, 1);
            (void)!::read(release[0], &byte, 1);
            ::_exit(0);
        }
        char byte = 0;
        ASSERT_EQ(::read(opened[0], &byte, 1), 1);
        ASSERT_EQ(byte, 'y');
        const CommandOutcome outcome = EncryptCommand(Request("f.doc", level));
        (void)!::write(release[1], &byte, 1);
        ::waitpid(writer, nullptr, 0);
        for (const int fd : {opened[0], opened[1], release[0], release[1]}) {
            ::close(fd);
        }
        EXPECT_EQ(outcome.Kind, OutcomeKind::FileOpenElsewhere);
        EXPECT_NE(outcome.Message.find(u"正被其他程序打开"), std::u16string::npos);
        EXPECT_NE(outcome.Message.find(u"文件“f.doc”未改动。"), std::u16string::npos);
        EXPECT_EQ(ReadBytes("f.doc"), Pattern(30000));
        EXPECT_EQ(FolderNames(), std::set<std::string>{"f.doc"});
    }
}

// A program that opens the file once the run has written its record (the run
// stopped there, for longer than lease-break-time, say) makes the kernel take
// the lease back: the work is dropped before its write, however late.
// The moment the lease breaks: once the run record is written, or once the
// new file has taken the old one's name (a program that looked the name up
// just before then opens the old file).
class LeaseBrokenFileOps : public ForwardingFileOps {
  public:
    explicit LeaseBrokenFileOps(FileOp breaksAfter)
        : ForwardingFileOps(SystemFileOps()), breaksAfter_(breaksAfter) {}

  protected:
    std::int64_t Intercept(const FileCall& call, const Forward& forward) override {
        if (call.op == FileOp::LeaseHeld && broken_) {
            return F_UNLCK;
        }
        const std::int64_t answer = forward();
        broken_ = broken_ || (call.op == breaksAfter_ && answer >= 0 &&
                              (call.op != FileOp::LinkOpenFile ||
                               call.path.find(".quarnix-rec-") != std::string::npos));
        return answer;
    }

  private:
    FileOp breaksAfter_;
    bool broken_ = false;
};

TEST_F(OtherPrograms, ALeaseBrokenDuringTheWorkDropsIt) {
    if (!LeasesWork()) {
        GTEST_SKIP() << "no write lease on this file system for this user";
    }
    const struct {
        Level level;
        FileOp breaksAfter;
    } cases[] = {
        {Level::Secret, FileOp::LinkOpenFile},  // the record named
        {Level::TopSecret, FileOp::LinkOpenFile},
        {Level::TopSecret, FileOp::RenameExchange},  // the new file in place
    };
    for (const auto& c : cases) {
        MakeFile("f.doc", Pattern(30000));
        LeaseBrokenFileOps files(c.breaksAfter);
        CryptRequest request = Request("f.doc", c.level);
        request.MakeBackup = false;
        const CommandOutcome outcome = EncryptCommand(request, {}, &files);
        EXPECT_EQ(outcome.Kind, OutcomeKind::FileOpenElsewhere) << FileOpName(c.breaksAfter);
        EXPECT_NE(outcome.Message.find(u"文件“f.doc”未改动。"), std::u16string::npos);
        EXPECT_EQ(ReadBytes("f.doc"), Pattern(30000));
        EXPECT_EQ(FolderNames(), std::set<std::string>{"f.doc"});
        ClearFolder();
    }
}

// Two runs on one file: the second is refused at once, under any of its
// names, and the first goes on to its end.
TEST_F(OtherPrograms, ASecondRunOnTheSameFileIsRefused) {
    for (const Level level : {Level::Secret, Level::TopSecret}) {
        MakeFile("f.doc", Pattern(30000));
        ASSERT_EQ(::link("f.doc", "g.doc"), 0);
        CommandOutcome second;
        MeddlingFileOps files(false, 0, [&] {
            second = EncryptCommand(Request("g.doc", level, u"other", u"other2"));
        });
        EXPECT_EQ(EncryptCommand(Request("f.doc", level), {}, &files).Kind, OutcomeKind::Done);
        EXPECT_EQ(second.Kind, OutcomeKind::FileBusy);
        EXPECT_NE(second.Message.find(u"正被另一个程序锁定"), std::u16string::npos);
        EXPECT_EQ(ReadBytes("g.doc"), Transformed(Pattern(30000), level, true, u"abc", u"hello"));
        EXPECT_EQ(FolderNames(),
                  (std::set<std::string>{level == Level::Secret ? "f(秘密).doc" : "f(绝密).doc",
                                         "g.doc", "f.doc.备份"}));
        ClearFolder();
    }
}

TEST_F(OtherPrograms, AnUnchangeableFileIsRefusedBeforeAnything) {
    for (const unsigned flag : {FS_IMMUTABLE_FL, FS_APPEND_FL}) {
        MakeFile("f.doc", Pattern(3000));
        if (!SetFlags("f.doc", flag)) {
            GTEST_SKIP() << "chattr +i and +a need root and a file system that keeps them";
        }
        const CommandOutcome outcome = EncryptCommand(Request("f.doc", Level::TopSecret));
        SetFlags("f.doc", 0);
        EXPECT_EQ(outcome.Kind, OutcomeKind::FileUnchangeable);
        EXPECT_NE(outcome.Message.find(u"chattr +i 或 +a"), std::u16string::npos);
        EXPECT_EQ(FolderNames(), std::set<std::string>{"f.doc"});
        EXPECT_EQ(ReadBytes("f.doc"), Pattern(3000));
        ClearFolder();
    }
}

TEST_F(OtherPrograms, BackupKeepsTheHolesOfASparseFile) {
    const int fd = ::open("f.doc", O_CREAT | O_WRONLY, 0644);
    const Bytes data = Pattern(1 << 20);
    ASSERT_EQ(::pwrite(fd, data.data(), data.size(), 32 << 20), 1 << 20);
    ASSERT_EQ(::ftruncate(fd, 64 << 20), 0);
    ::close(fd);
    const Bytes plain = ReadBytes("f.doc");
    CryptRequest request = Request("f.doc", Level::Secret);
    request.MarkFile = false;
    ASSERT_EQ(EncryptCommand(request).Kind, OutcomeKind::Done);
    EXPECT_EQ(ReadBytes("f.doc.备份"), plain);
    // 1 MiB of data, and what the cipher window made of the first hole.
    EXPECT_LE(StatOf("f.doc.备份").st_blocks * 512, StatOf("f.doc").st_blocks * 512);
    EXPECT_LT(StatOf("f.doc.备份").st_blocks * 512, 4 << 20);
}

}  // namespace
}  // namespace quarnix::test
