// Whole-file saves: through symbolic links, over files the user protected, and what stays of the old file.
#include "platform/AccessAcl.h"
#include "platform/FileIO.h"
#include "platform/FileReplace.h"

#include "OtherUser.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <fcntl.h>
#include <future>
#include <iostream>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <optional>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace
{
struct SaveCase {
    const char* name;
    mode_t mode;                                            // of "files/a" holding "old"; 0: no such file
    std::vector<std::pair<std::string, std::string>> links; // in "links": name and text ("@" stands for root)
    std::string path;                                       // the save is given, from root
    std::string lands;                                      // where the bytes land, from root ("" when refused)
    int error;
    std::string why = "";               // in the reason given for a refusal
    mode_t linksMode = 0555;            // of "links" while the user saves
    uid_t linksOwner = TOtherUser::kId; // of "links"
    uid_t linkOwner = TOtherUser::kId;  // of each link
};

// What a folder holds: each entry's name, a link with its text.
std::string Listing(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string() +
                        (entry.is_symlink() ? "->" + fs::read_symlink(entry.path()).string() : ""));
    std::sort(names.begin(), names.end());
    std::string all;
    for (const auto& name : names)
        all += name + " ";
    return all;
}

// Whether user, with further groups, may open path for reading.
bool Reads(const fs::path& path, uid_t user, std::vector<gid_t> groups = {})
{
    TOtherUser as(std::move(groups), user);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ::close(fd);
    return fd >= 0;
}

// A user to try a file as, with its further groups; what the system lets it open the file for.
struct Trier {
    uid_t user;
    std::vector<gid_t> groups;
};
enum : int { kReads = 1, kWrites = 2 };

// What each user may open path for, asked from a thread of its own that takes root back first: a save may run
// as another user, which the saving thread kept as its real and saved user.
std::vector<int> Admitted(const std::string& path, const std::vector<Trier>& users)
{
    std::vector<int> admitted;
    std::thread([&] {
        ::syscall(SYS_setresuid, -1, 0, -1);
        ::syscall(SYS_setresgid, -1, 0, -1);
        ::syscall(SYS_setgroups, 0, nullptr);
        for (const auto& [user, groups] : users) {
            TOtherUser as(groups, user);
            int opens = 0;
            for (const int how : {kReads, kWrites}) {
                const int fd = ::open(path.c_str(), (how == kReads ? O_RDONLY : O_WRONLY) | O_CLOEXEC);
                opens |= fd >= 0 ? how : 0;
                ::close(fd);
            }
            admitted.push_back(opens);
        }
    }).join();
    return admitted;
}

// The bytes of path's access ACL as the system keeps them; empty when it has none.
std::string AccessAclOf(const std::string& path)
{
    char acl[256];
    const ssize_t n = ::getxattr(path.c_str(), "system.posix_acl_access", acl, sizeof acl);
    return std::string(acl, static_cast<size_t>(std::max<ssize_t>(n, 0)));
}

// What a save had made when it stopped at each step: the file's owner, group and mode before its first byte,
// the steps in order (each change of protections apart), and what users could open the new file for after
// each of them.
struct StepLog {
    std::vector<std::pair<SaveStep, std::string>> steps;
    struct stat created {
    }, ready{};
    std::string readyAcl;                   // the file's access ACL when its first byte is written
    std::vector<Trier> triers;              // users to try the new file as, until it takes the old one's place
    std::vector<std::vector<int>> admitted; // what it admitted them to, a step a row
};
StepLog* stepLog = nullptr;

void LogStep(SaveStep step, const std::string& file)
{
    if (!stepLog->triers.empty() && step < SaveStep::Renamed)
        stepLog->admitted.push_back(Admitted(file, stepLog->triers));
    if (step == SaveStep::ProtectionChanged)
        return;
    stepLog->steps.emplace_back(step, file);
    if (step == SaveStep::Created)
        ::stat(file.c_str(), &stepLog->created);
    if (step == SaveStep::ReadyToWrite) {
        ::stat(file.c_str(), &stepLog->ready);
        stepLog->readyAcl = AccessAclOf(file);
    }
}

struct WatchedSave : StepLog {
    WatchedSave()
    {
        stepLog = this;
        WatchSaveSteps(LogStep);
    }
    ~WatchedSave() { WatchSaveSteps(nullptr); }
};

struct Umask {
    mode_t old;
    explicit Umask(mode_t mask) : old(::umask(mask)) {}
    ~Umask() { ::umask(old); }
};

ino_t Inode(const fs::path& path)
{
    struct stat st {
    };
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

struct FileSave : ::testing::Test, TTempFiles {
    // A file of the user's own, with its mode.
    static void Own(const fs::path& path, const std::string& bytes, mode_t mode)
    {
        Put(path.string(), bytes);
        TOtherUser::Give(path.string());
        ::chmod(path.c_str(), mode);
    }
    // Saves "new" to file as the user, in the shared group too, or as root.
    static SaveResult SaveNew(const fs::path& file, bool asUser)
    {
        std::optional<TOtherUser> user;
        if (asUser)
            user.emplace(std::vector<gid_t>{TOtherUser::kSharedGroup});
        return ReplaceFile(file.string(), "new");
    }
    static void Link(const std::string& to, const fs::path& at)
    {
        fs::create_symlink(to, at);
        TOtherUser::Give(at.string());
    }
};
} // namespace

TEST_F(FileSave, ThroughLinksTheTargetIsReplacedAndAProtectedFileIsRefused)
{
    const SaveCase cases[] = {
        {"plain file", 0640, {}, "files/a", "files/a", 0},
        {"link into another folder", 0640, {{"a", "../files/a"}}, "links/a", "files/a", 0},
        {"link to a link, the last one absolute", 0600, {{"b", "@/files/a"}, {"a", "b"}}, "links/a", "files/a", 0},
        {"link to no file yet", 0, {{"a", "../files/new"}}, "links/a", "files/new", 0},
        {"protected file", 0444, {}, "files/a", "", EACCES},
        {"link to a protected file", 0444, {{"a", "../files/a"}}, "links/a", "", EACCES},
        {"links in a ring", 0, {{"a", "b"}, {"b", "a"}}, "links/a", "", ELOOP},
        {"link to a device",
         0,
         {{"a", "/dev/null"}},
         "links/a",
         "",
         kNotRegularFile,
         "/dev/null is not a regular file"},
        // In a sticky folder everyone may write, only the user's own links and the folder owner's are followed.
        {"own link, shared folder", 0600, {{"a", "../files/a"}}, "links/a", "files/a", 0, "", 01777, 0},
        {"folder owner's link, shared folder", 0600, {{"a", "../files/a"}}, "links/a", "files/a", 0, "", 01777, 0, 0},
        {"another user's link, shared folder",
         0600,
         {{"a", "../files/a"}},
         "links/a",
         "",
         EACCES,
         "links/a belongs to another user",
         01777,
         0,
         TOtherUser::kThird},
        {"another user's link, then the user's",
         0600,
         {{"b", "../files/a"}, {"a", "b"}},
         "links/a",
         "",
         EACCES,
         "links/b belongs to another user",
         01777,
         0,
         TOtherUser::kThird},
        {"another user's link, sticky folder only its owner writes",
         0600,
         {{"a", "../files/a"}},
         "links/a",
         "files/a",
         0,
         "",
         01755,
         TOtherUser::kId,
         TOtherUser::kThird},
    };
    TOtherUser::Give(Dir.string());
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!TOtherUser::Root() && (c.linkOwner != TOtherUser::kId || c.linksOwner != TOtherUser::kId))
            continue; // only root can hand a link to someone else
        const fs::path root = Dir / std::to_string(n++);
        for (const char* folder : {"", "links", "files"}) {
            fs::create_directories(root / folder);
            TOtherUser::Give((root / folder).string());
        }
        if (c.mode != 0)
            Own(root / "files/a", "old", c.mode);
        for (const auto& [name, text] : c.links) {
            Link(text[0] == '@' ? root.string() + text.substr(1) : text, root / "links" / name);
            if (c.linkOwner != TOtherUser::kId && name == c.links.front().first) {
                ASSERT_EQ(::lchown((root / "links" / name).c_str(), c.linkOwner, c.linkOwner), 0);
            }
        }
        const std::string path = (root / c.path).string();
        // The new file is made beside the target: the link's folder may be closed to the user.
        if (c.linksOwner != TOtherUser::kId) {
            ASSERT_EQ(::chown((root / "links").c_str(), c.linksOwner, c.linksOwner), 0);
        }
        ::chmod((root / "links").c_str(), c.linksMode);
        const std::string filesBefore = Listing(root / "files"), linksBefore = Listing(root / "links");
        const ino_t before = c.lands.empty() ? 0 : Inode(root / c.lands);
        struct stat old {
        };
        const bool existed = !c.lands.empty() && ::stat((root / c.lands).c_str(), &old) == 0;

        SaveResult saved;
        WatchedSave watch;
        {
            TOtherUser user;
            ASSERT_TRUE(user.Ordinary()) << "cannot act as an ordinary user";
            saved = ReplaceFile(path, "new");
        }
        ::chmod((root / "links").c_str(), 0755);

        EXPECT_EQ(saved.error, c.error) << saved.reason;
        EXPECT_EQ(saved.reason.empty(), c.error == 0);
        EXPECT_NE(saved.reason.find(c.why), std::string::npos) << saved.reason;
        EXPECT_EQ(Listing(root / "links"), linksBefore); // every link stays as it was
        if (c.lands.empty()) {
            EXPECT_EQ(Listing(root / "files"), filesBefore);
            if (fs::exists(root / "files/a")) {
                EXPECT_EQ(Read((root / "files/a").string()), "old");
            }
            continue;
        }
        EXPECT_EQ(Read((root / c.lands).string()), "new");
        EXPECT_NE(Inode(root / c.lands), before) << "replaced whole, not written into";
        // Synced: the new file, then the folder the rename changed, which need not be the link's.
        ASSERT_EQ(watch.steps.size(), 5u);
        EXPECT_EQ(watch.steps[2], std::make_pair(SaveStep::FileSynced, watch.steps[0].second));
        EXPECT_EQ(watch.steps[4].first, SaveStep::FolderSynced);
        EXPECT_EQ(fs::weakly_canonical(watch.steps[4].second), fs::weakly_canonical(root / c.lands).parent_path());
        EXPECT_EQ(Listing(root / "files"),
                  existed ? filesBefore : filesBefore + fs::path(c.lands).filename().string() + " ");
        struct stat now {
        };
        if (existed) {
            EXPECT_EQ(::stat((root / c.lands).c_str(), &now), 0);
            EXPECT_EQ(now.st_mode & 07777, old.st_mode & 07777);
        }
    }
}

// Root may write any file: its save goes through, and a user's file stays that user's, protection and all.
TEST_F(FileSave, RootWritesAProtectedFileAndItKeepsItsOwnerAndMode)
{
    if (!TOtherUser::Root())
        GTEST_SKIP() << "needs root";
    const fs::path file = Dir / "p.kvx";
    Own(file, "old", 0444);
    EXPECT_EQ(ReplaceFile(file.string(), "new").error, 0);
    EXPECT_EQ(Read(file.string()), "new");
    struct stat st {
    };
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(st.st_uid, TOtherUser::kId);
    EXPECT_EQ(st.st_gid, TOtherUser::kId);
}

// Others never see the new file's bytes with rights the old file did not give them, and the file's owner and
// group keep theirs: all is set while it is still empty. A save is done only once its folder is synced.
TEST_F(FileSave, TheNewFileHasTheOldOnesOwnerGroupAndModeBeforeItsFirstByte)
{
    if (!TOtherUser::Root())
        GTEST_SKIP() << "needs root to hand files to other users";
    constexpr uid_t kUser = TOtherUser::kId, kThird = TOtherUser::kThird;
    constexpr gid_t kShared = TOtherUser::kSharedGroup;
    struct Case {
        const char* name;
        uid_t owner; // of the old file; 0: none
        gid_t group;
        mode_t mode;
        bool asUser;
        uid_t keptOwner; // what the new file has
        gid_t keptGroup;
        mode_t keptMode;
        mode_t mask = 0;        // the process's
        gid_t setgidFolder = 0; // the group of the file's folder, which new files take; 0: a plain folder
    } cases[] = {
        {"user's private file", kUser, kUser, 0600, true, kUser, kUser, 0600},
        {"another user's file, shared group", kThird, kShared, 0660, true, kUser, kShared, 0660},
        {"another user's file, a group the user is not in", kThird, kThird, 0666, true, kUser, kUser, 0606},
        {"root saving a user's protected file", kUser, kShared, 0440, false, kUser, kShared, 0440},
        {"user's own file, the team's group", kUser, kShared, 0660, true, kUser, kShared, 0660},
        {"a new file, mask 022", 0, 0, 0, true, kUser, kUser, 0644, 022},
        {"a new file, mask 027", 0, 0, 0, true, kUser, kUser, 0640, 027},
        {"user's file, setgid folder", kUser, kUser, 0640, true, kUser, kUser, 0640, 0, kThird},
        {"another user's file, setgid folder", kThird, kThird, 0666, true, kUser, kShared, 0606, 0, kShared},
    };
    TOtherUser::Give(Dir.string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Umask mask(c.mask); // 0: a mode the process would give every new file
        const fs::path folder = Dir / c.name, file = folder / "unit.kvx";
        fs::create_directory(folder);
        ASSERT_EQ(::chown(folder.c_str(), kUser, c.setgidFolder ? c.setgidFolder : kUser), 0);
        ::chmod(folder.c_str(), c.setgidFolder ? 02775 : 0755);
        if (c.owner != 0) {
            Put(file.string(), "old");
            ASSERT_EQ(::chown(file.c_str(), c.owner, c.group), 0);
            ::chmod(file.c_str(), c.mode);
        }
        WatchedSave watch;
        const SaveResult saved = SaveNew(file, c.asUser);
        ASSERT_EQ(saved.error, 0) << saved.reason;
        EXPECT_EQ(Read(file.string()), "new");
        ASSERT_EQ(watch.steps.size(), 5u);
        // whatever the process's mask would allow, and no more than the old file gave its owner
        EXPECT_EQ(watch.created.st_mode & 07777, (c.owner != 0 ? c.mode : 0600) & 0600);
        EXPECT_EQ(watch.ready.st_uid, c.keptOwner);
        EXPECT_EQ(watch.ready.st_gid, c.keptGroup);
        EXPECT_EQ(watch.ready.st_mode & 07777, c.keptMode);
        EXPECT_EQ(watch.steps[2], std::make_pair(SaveStep::FileSynced, watch.steps[0].second));
        EXPECT_EQ(watch.steps[3], std::make_pair(SaveStep::Renamed, file.string()));
        EXPECT_EQ(watch.steps[4], std::make_pair(SaveStep::FolderSynced, folder.string()));
        struct stat now {
        };
        ASSERT_EQ(::stat(file.c_str(), &now), 0);
        EXPECT_EQ(std::make_tuple(now.st_uid, now.st_gid, now.st_mode & 07777),
                  std::make_tuple(c.keptOwner, c.keptGroup, c.keptMode));
    }
}

namespace
{
// A small disk of its own at folder (root may mount one), gone at the end; Fill leaves no room on it.
struct TSmallDisk {
    fs::path at;
    bool mounted;
    TSmallDisk(const fs::path& folder, size_t bytes) : at(folder)
    {
        fs::create_directories(folder);
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        mounted = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~TSmallDisk()
    {
        if (mounted)
            ::umount2(at.c_str(), MNT_DETACH);
    }
    void Fill(size_t bytes) const
    {
        const int fd = ::open((at / "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const std::string block(4096, 'f');
        for (size_t n = 0; n <= bytes / block.size() && ::write(fd, block.data(), block.size()) > 0; ++n) {
        }
        ::close(fd);
    }
};
} // namespace

// A file the user may write whose folder the user may not change is written in place, as desktop editors do:
// its owner, mode and links stay. A full disk or a file size limit refuses it before its first byte, and another
// user's file in a shared sticky folder is not written at all: the file stays as it was. Without the sticky bit
// the folder lets anyone replace the file, and the save does.
TEST_F(FileSave, AWritableFileInAFolderTheUserMayNotChangeIsWrittenInPlace)
{
    constexpr rlim_t kNoLimit = RLIM_INFINITY;
    struct Case {
        const char* name;
        mode_t folderMode;
        uid_t fileOwner;
        rlim_t sizeLimit; // the file size limit while the user saves
        int error;        // 0: saved
        std::string why = "";
        bool usersFolder = true; // else root's
        bool asUser = true;      // else root saves
        size_t bytes = 64;       // saved
        size_t disk = 0;         // a small disk of that size, full, holds the folder; 0: none
        bool replaced = false;   // by a new file, the folder being the user's to change
    } cases[] = {
        {"folder closed to the user", 0555, TOtherUser::kId, kNoLimit, 0},
        {"another user's file in a shared sticky folder", 01777, TOtherUser::kThird, kNoLimit, EACCES,
         "unit.kvx belongs to another user, in a folder that others may write", false},
        {"another user's file in a shared sticky folder, root saving", 01777, TOtherUser::kThird, kNoLimit, EACCES,
         "unit.kvx belongs to another user, in a folder that others may write", false, false},
        {"the folder owner's file in a shared sticky folder", 01777, 0, kNoLimit, 0, "", false},
        {"another user's file in a folder everyone may write, not sticky", 0777, TOtherUser::kThird, kNoLimit, 0, "",
         false, true, 64, 0, true},
        {"a file size limit below the new size", 0555, TOtherUser::kId, 5, EFBIG, "File too large"},
        {"a full disk", 0755, TOtherUser::kId, kNoLimit, ENOSPC, "No space left", false, true, 65536, 262144},
    };
    TOtherUser::Give(Dir.string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!TOtherUser::Root() && (c.fileOwner != TOtherUser::kId || !c.asUser || c.disk))
            continue;
        const fs::path folder = Dir / c.name, file = folder / "unit.kvx";
        std::optional<TSmallDisk> disk;
        if (c.disk && !disk.emplace(folder, c.disk).mounted) {
            std::cerr << c.name << ": left out, no small disk can be mounted here\n";
            continue;
        }
        const std::string old = "old bytes, more of them than the new file has: " + std::string(80, 'o');
        Own(file, old, 0664);
        if (TOtherUser::Root()) {
            ASSERT_EQ(::lchown(file.c_str(), c.fileOwner, TOtherUser::kSharedGroup), 0);
        }
        ::chmod(file.c_str(), 0664);
        if (c.usersFolder)
            TOtherUser::Give(folder.string());
        ::chmod(folder.c_str(), c.folderMode);
        if (disk)
            disk->Fill(c.disk);
        const ino_t before = Inode(file);
        const std::string listed = Listing(folder), data(c.bytes, 'n');
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY}, limited{c.sizeLimit, RLIM_INFINITY};
        const auto oldSignal = ::signal(SIGXFSZ, SIG_IGN);
        SaveResult saved;
        WatchedSave watch;
        {
            std::optional<TOtherUser> user;
            if (c.asUser)
                user.emplace(std::vector<gid_t>{TOtherUser::kSharedGroup});
            ::setrlimit(RLIMIT_FSIZE, &limited);
            saved = ReplaceFile(file.string(), data);
            ::setrlimit(RLIMIT_FSIZE, &unlimited);
        }
        ::signal(SIGXFSZ, oldSignal);
        ::chmod(folder.c_str(), 0755);
        EXPECT_EQ(Inode(file) != before, c.replaced);
        EXPECT_EQ(Listing(folder), listed);
        EXPECT_EQ(saved.error, c.error) << saved.reason;
        EXPECT_NE(saved.reason.find(c.why), std::string::npos) << saved.reason;
        EXPECT_EQ(saved.reason.find("incomplete"), std::string::npos) << saved.reason;
        EXPECT_EQ(Read(file.string()), c.error == 0 ? data : old);
        if (c.error == 0) {
            EXPECT_EQ(watch.steps.back(), c.replaced ? std::make_pair(SaveStep::FolderSynced, folder.string())
                                                     : std::make_pair(SaveStep::FileSynced, file.string()));
        }
    }
}

namespace
{
// Someone who may change the folder swaps the file for a pipe while a save is under way, once it has looked.
struct PipeSwap {
    std::string at;
    bool reader = false; // someone reads the pipe
    int readerFd = -1;
} pipeSwap;

void SwapForPipe(SaveStep step, const std::string&)
{
    if (step != SaveStep::Created)
        return;
    const long user = ::geteuid();
    ::syscall(SYS_setresuid, -1, 0, -1); // as the folder's owner, root
    ::unlink(pipeSwap.at.c_str());
    ::mkfifo(pipeSwap.at.c_str(), 0666);
    ::chmod(pipeSwap.at.c_str(), 0666);
    if (pipeSwap.reader)
        pipeSwap.readerFd = ::open(pipeSwap.at.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ::syscall(SYS_setresuid, -1, user, -1);
}
} // namespace

// Only a regular file is written: a pipe under the name is refused at once, with or without a reader, and gets
// no byte, even when it takes the file's place after the save looked at it.
TEST_F(FileSave, APipeUnderTheNameIsRefusedAtOnceAndGetsNoByte)
{
    struct Case {
        const char* name;
        bool swapped; // else the pipe is there from the start
        bool reader;
        mode_t folderMode = 0555; // while the user saves
    } cases[] = {
        {"a pipe under the name, folder closed to the user", false, false},
        {"a pipe under the name, folder the user may change", false, false, 0755},
        {"a pipe in the file's place once the save looked, a reader waiting", true, true},
        {"a pipe in the file's place once the save looked, no reader", true, false},
    };
    TOtherUser::Give(Dir.string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.swapped && !TOtherUser::Root())
            continue; // only root can stand in for the folder's owner
        const fs::path folder = Dir / c.name, file = folder / "unit.kvx";
        fs::create_directory(folder);
        pipeSwap = {file.string(), c.reader};
        if (c.swapped) {
            Put(file.string(), "old");
            ::chown(file.c_str(), 0, TOtherUser::kSharedGroup);
            ::chmod(file.c_str(), 0664);
            ::chmod(folder.c_str(), 01777);
            WatchSaveSteps(SwapForPipe);
        } else {
            ASSERT_EQ(::mkfifo(file.c_str(), 0666), 0);
            TOtherUser::Give(file.string());
            TOtherUser::Give(folder.string());
            ::chmod(folder.c_str(), c.folderMode);
        }
        auto save = std::async(std::launch::async, [&] {
            TOtherUser user({TOtherUser::kSharedGroup});
            return ReplaceFile(file.string(), "new");
        });
        if (save.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
            ADD_FAILURE() << "the save waits on the pipe";
            ::close(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)); // lets it go
        }
        const SaveResult saved = save.get();
        WatchSaveSteps(nullptr);
        char got[8];
        EXPECT_LE(pipeSwap.readerFd < 0 ? 0 : ::read(pipeSwap.readerFd, got, sizeof got), 0);
        ::close(pipeSwap.readerFd);
        ::chmod(folder.c_str(), 0755);
        EXPECT_EQ(saved.error, kNotRegularFile);
        EXPECT_NE(saved.reason.find(file.string() + " is not a regular file"), std::string::npos) << saved.reason;
        EXPECT_EQ(fs::status(file).type(), fs::file_type::fifo);
        EXPECT_EQ(Listing(folder), "unit.kvx ");
    }
}

namespace
{
// An access ACL as the system keeps it: version 2, then tag, rights and id of each entry, little-endian.
enum : uint16_t {
    kOwnerEntry = 1,
    kUserEntry = 2,
    kGroupEntry = 4,
    kNamedGroupEntry = 8,
    kMaskEntry = 0x10,
    kOthersEntry = 0x20
};
std::string Acl(std::vector<std::tuple<uint16_t, uint16_t, uint32_t>> entries, uint32_t version = 2)
{
    const auto little = [](uint32_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>(value >> (8 * i) & 0xFF);
        return out;
    };
    std::string acl = little(version, 4);
    for (const auto& [tag, rights, id] : entries)
        acl += little(tag, 2) + little(rights, 2) + little(id, 4);
    return acl;
}

} // namespace

// Where the file system takes no ACL, the group gets no more than the ACL's entry for it allowed.
TEST(AccessAcl, TheGroupGetsNoMoreThanItsOwnEntry)
{
    const std::string shared = Acl({{kOwnerEntry, 6, ~0u},
                                    {kUserEntry, 6, 7},
                                    {kGroupEntry, 4, ~0u},
                                    {kMaskEntry, 6, ~0u},
                                    {kOthersEntry, 0, ~0u}});
    const struct {
        std::string acl;
        mode_t mode, within;
    } cases[] = {
        {"", 0664, 0664},     // no ACL: the group bits are the group's own
        {shared, 0660, 0640}, // mask rw, the group's own entry r
        {Acl({{kOwnerEntry, 6, ~0u}, {kOthersEntry, 4, ~0u}}), 0664, 0604}, // no entry for the group
        {Acl({{kGroupEntry, 7, ~0u}}, 1), 0670, 0600},                      // a version unknown
        {shared.substr(0, 10), 0660, 0600},                                 // cut short
    };
    for (const auto& c : cases)
        EXPECT_EQ(GroupWithinAcl(c.mode, c.acl), c.within) << std::oct << c.mode;
}

namespace
{
// What a plain program gets for a new file of mode 0666 in folder, as user (with the shared group) or as root:
// its owner, group and mode, and its access ACL.
std::tuple<uid_t, gid_t, mode_t, std::string> PlainCreate(const fs::path& folder, bool asUser)
{
    const fs::path file = folder / "plain";
    {
        std::optional<TOtherUser> user;
        if (asUser)
            user.emplace(std::vector<gid_t>{TOtherUser::kSharedGroup});
        ::close(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    }
    struct stat st {
    };
    ::stat(file.c_str(), &st);
    std::string acl = AccessAclOf(file);
    ::unlink(file.c_str());
    return {st.st_uid, st.st_gid, st.st_mode & 07777, std::move(acl)};
}
} // namespace

// A file shared through an access ACL keeps it over a save, set before its first byte: the named user still
// reads it, its group still does not, nor the group a setgid folder gives it in place of one it could not keep. A
// file without one does not take one from its folder, and a new file gets what its folder's default ACL gives a
// plain new file there, the process's mask left out, from before its first byte. After every step each user may
// open the new file for no more than the old file or the saved one lets it, and the saved file ends as the old one
// was: narrower only where it could not keep its group, whose members then count as others.
TEST_F(FileSave, AnAccessAclStaysWithTheFile)
{
    if (!TOtherUser::Root())
        GTEST_SKIP() << "needs root to act as the users the ACL names";
    constexpr uid_t kUser = TOtherUser::kId, kNamed = TOtherUser::kThird, kMember = 65531, kInNamedGroup = 65529,
                    kOldMember = 65527, kInNoGroup = 65528;
    constexpr gid_t kShared = TOtherUser::kSharedGroup, kNotTheUsers = TOtherUser::kThird, kNamedGroup = 65530;
    // Tried after every step: the owner, a member of the shared group and of the other group, the named user, a
    // member of the named group and a user in no group.
    const std::vector<Trier> triers = {{kUser, {}},  {kMember, {kShared}},           {kOldMember, {kNotTheUsers}},
                                       {kNamed, {}}, {kInNamedGroup, {kNamedGroup}}, {kInNoGroup, {}}};
    // An ACL that names a user: the rights of the owner, that user, the file's group, the mask and all others.
    const auto naming = [kNamed](uint16_t owner, uint16_t user, uint16_t group, uint16_t mask, uint16_t others) {
        return Acl({{kOwnerEntry, owner, ~0u},
                    {kUserEntry, user, kNamed},
                    {kGroupEntry, group, ~0u},
                    {kMaskEntry, mask, ~0u},
                    {kOthersEntry, others, ~0u}});
    };
    const std::string named = naming(6, 4, 0, 4, 0), groupRx = naming(7, 7, 5, 7, 5);
    // ACLs that keep someone out whom the mode's class alone would let in
    const std::string namedKeptOut = naming(6, 0, 4, 4, 4),
                      readOnlyMember = Acl({{kOwnerEntry, 6, ~0u},
                                            {kUserEntry, 4, kMember},
                                            {kGroupEntry, 6, ~0u},
                                            {kMaskEntry, 6, ~0u},
                                            {kOthersEntry, 0, ~0u}}),
                      groupKeptOut = Acl({{kOwnerEntry, 6, ~0u},
                                          {kGroupEntry, 4, ~0u},
                                          {kNamedGroupEntry, 0, kNamedGroup},
                                          {kMaskEntry, 4, ~0u},
                                          {kOthersEntry, 4, ~0u}});
    const struct {
        const char* name;
        std::string acl, folderDefault; // of the old file, of its folder
        bool asUser;
        bool namedReads, memberReads; // the named user, a member of the shared group
        bool exists = true;           // else the save makes the file
        mode_t mask = 022;            // the process's
        gid_t fileGroup = kShared;    // of the old file
        gid_t setgidFolder = 0;       // the group of the file's folder, which new files take; 0: a plain folder
        mode_t mode = 0640;           // of the old file, before its ACL
    } cases[] = {
        {"named user may read, the group may not", named, "", true, true, false},
        {"the same, root saving", named, "", false, true, false},
        {"no ACL, the folder's default one names a user", "", naming(7, 7, 5, 7, 5), true, false, true},
        {"no ACL, the folder's default one lets a user read and write", "", naming(7, 6, 0, 6, 0), true, false, true},
        {"the group may read, a group the user is not in, setgid folder", naming(6, 4, 4, 4, 0), "", true, true, false,
         true, 022, kNotTheUsers, kShared},
        {"a new file, the folder's default ACL names a user, mask 022", "", naming(7, 6, 0, 6, 0), true, true, false,
         false},
        {"a new file, the folder's default ACL gives the group read, mask 077", "",
         Acl({{kOwnerEntry, 6, ~0u}, {kGroupEntry, 4, ~0u}, {kOthersEntry, 0, ~0u}}), true, false, true, false, 077,
         kShared, kShared},
        {"a new file, root saving", "", naming(7, 6, 0, 6, 4), false, true, true, false},
        // defaults that give execute, which a plain create narrows: through the mask, else the group's own entry
        {"a new file, the folder's default ACL names a user, mask rwx, others r-x", "", naming(7, 7, 5, 7, 5), true,
         true, true, false},
        {"a new file, the folder's minimal default ACL gives execute", "",
         Acl({{kOwnerEntry, 7, ~0u}, {kGroupEntry, 5, ~0u}, {kOthersEntry, 5, ~0u}}), true, true, true, false},
        {"a named user ---, others r--", namedKeptOut, "", true, false, true},
        {"a named user ---, others r--, the folder's default gives the group r-x", namedKeptOut, groupRx, true, false,
         true},
        {"a named user r-- in an rw group", readOnlyMember, "", true, false, true},
        {"a named user r-- in an rw group, the folder's default gives the group r-x", readOnlyMember, groupRx, true,
         false, true},
        {"a named group ---, others r--", groupKeptOut, "", true, true, true},
        {"a named group ---, others r--, the folder's default gives the group r-x", groupKeptOut, groupRx, true, true,
         true},
        {"root saving, the owner may only read", naming(4, 4, 0, 4, 0), "", false, true, false},
        {"a named user, setuid and setgid, root saving", named, "", false, true, false, true, 022, kShared, 0, 06640},
        // the old group's members count as others where the file cannot keep it
        {"no ACL, the group ---, others r--, a group the user is not in, setgid folder", "", "", true, false, false,
         true, 022, kNotTheUsers, kShared, 0604},
        {"the group ---, others r--, a group the user is not in, setgid folder", naming(6, 4, 0, 4, 4), "", true, true,
         false, true, 022, kNotTheUsers, kShared},
    };
    ::chmod(Dir.c_str(), 0755);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Umask mask(c.mask);
        const fs::path folder = Dir / c.name, file = folder / "unit.kvx";
        fs::create_directory(folder);
        TOtherUser::Give(folder.string());
        if (c.setgidFolder != 0) {
            ASSERT_EQ(::chown(folder.c_str(), kUser, c.setgidFolder), 0);
            ::chmod(folder.c_str(), 02755);
        }
        if (c.exists) {
            Own(file, "old", c.mode);
            ASSERT_EQ(::chown(file.c_str(), kUser, c.fileGroup), 0);
            ::chmod(file.c_str(), c.mode); // the change of group took the special bits
        }
        if (!c.acl.empty() && ::setxattr(file.c_str(), "system.posix_acl_access", c.acl.data(), c.acl.size(), 0) != 0)
            GTEST_SKIP() << "the test folder's file system takes no access ACLs: " << SystemErrorText(errno);
        if (!c.folderDefault.empty()) {
            ASSERT_EQ(::setxattr(folder.c_str(), "system.posix_acl_default", c.folderDefault.data(),
                                 c.folderDefault.size(), 0),
                      0);
        }
        const std::vector<int> before = Admitted(file, triers);
        struct stat old {
        }, now{};
        ::stat(file.c_str(), &old);
        WatchedSave watch;
        watch.triers = triers;
        const SaveResult saved = SaveNew(file, c.asUser);
        ASSERT_EQ(saved.error, 0) << saved.reason;
        const std::vector<int> after = Admitted(file, triers);
        ASSERT_FALSE(watch.admitted.empty());
        for (size_t step = 0; step < watch.admitted.size(); ++step)
            for (size_t i = 0; i < triers.size(); ++i)
                EXPECT_EQ(watch.admitted[step][i] & ~(before[i] | after[i]), 0)
                    << "step " << step << ", " << triers[i].user;
        // an existing file ends as it was; where it could not keep its group, narrower
        for (size_t i = 0; c.exists && i < triers.size(); ++i)
            EXPECT_EQ(after[i], c.setgidFolder ? after[i] & before[i] : before[i]) << triers[i].user;
        ASSERT_EQ(::stat(file.c_str(), &now), 0);
        EXPECT_TRUE(!c.exists || c.setgidFolder || now.st_mode == old.st_mode) << std::oct << now.st_mode;
        if (!c.exists) { // the file and what it was before its first byte, as a plain new file there
            const auto [uid, gid, mode, acl] = PlainCreate(folder, c.asUser);
            EXPECT_EQ(std::make_tuple(now.st_uid, now.st_gid, now.st_mode & 07777), std::make_tuple(uid, gid, mode));
            EXPECT_EQ(watch.ready.st_mode & 07777, mode);
            EXPECT_EQ(watch.readyAcl, acl);
            EXPECT_EQ(watch.created.st_mode & 077, 0u); // nobody else in until then
        } else if (c.setgidFolder == 0) {
            EXPECT_EQ(watch.readyAcl, c.acl);
        }
        EXPECT_EQ(Reads(file, kNamed), c.namedReads);
        EXPECT_EQ(Reads(file, kMember, {kShared}), c.memberReads);
        EXPECT_TRUE(Reads(file, kUser) || !c.asUser);
    }
}

namespace
{
// From here on every read of an extended attribute by this process fails with error, as a file system that cannot
// read its ACLs answers. False where the system lets no process filter its own calls.
bool AclReadsFail(int error)
{
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_getxattr, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (static_cast<unsigned>(error) & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}
} // namespace

// A folder whose default ACL cannot be read stops no save of a new file, which keeps what its create gave it: no
// more than a plain create there gets, and its owner's alone. An old file whose own ACL cannot be read still
// refuses the save, and stays as it was.
TEST_F(FileSave, AFolderAclThatCannotBeReadStopsNoNewFile)
{
    enum Ended { Saved, RefusedWithTheError, Otherwise, NoFilter };
    for (const int error : {EIO, EACCES, EPERM}) {
        for (const bool exists : {false, true}) {
            SCOPED_TRACE(testing::Message() << SystemErrorText(error) << (exists ? ", over a file" : ", a new file"));
            const fs::path folder = Dir / (std::to_string(error) + (exists ? "old" : "new")),
                           file = folder / "unit.kvx";
            fs::create_directory(folder);
            if (exists)
                Put(file.string(), "old");
            const pid_t child = ::fork();
            if (child == 0) {
                if (!AclReadsFail(error))
                    ::_exit(NoFilter);
                const SaveResult saved = ReplaceFile(file.string(), "new");
                ::_exit(!saved.Failed() ? Saved : saved.error == error ? RefusedWithTheError : Otherwise);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status));
            if (WEXITSTATUS(status) == NoFilter)
                GTEST_SKIP() << "this system lets no process filter its own calls";
            EXPECT_EQ(WEXITSTATUS(status), exists ? RefusedWithTheError : Saved);
            EXPECT_EQ(Read(file.string()), exists ? "old" : "new");
            EXPECT_EQ(Listing(folder), "unit.kvx ");
            struct stat st {
            };
            ASSERT_EQ(::stat(file.c_str(), &st), 0);
            if (!exists) {
                EXPECT_EQ(st.st_mode & 077, 0u) << std::oct << st.st_mode;
                EXPECT_EQ(st.st_mode & ~std::get<2>(PlainCreate(folder, false)) & 07777, 0u) << std::oct << st.st_mode;
            }
        }
    }
}

// A file size limit below the new file's size fails the save with its reason and leaves no temporary file, in a
// process where SIGXFSZ has its default effect of ending it: nothing is written past the limit.
TEST_F(FileSave, AFileSizeLimitFailsTheSaveAndTheProcessRuns)
{
    TOtherUser::Give(Dir.string());
    for (const mode_t folderMode : {0755, 0555}) { // a new file beside the old one; the old one written in place
        SCOPED_TRACE(folderMode);
        const fs::path folder = Dir / std::to_string(folderMode), file = folder / "unit.kvx";
        Own(file, "old", 0644);
        TOtherUser::Give(folder.string());
        ::chmod(folder.c_str(), folderMode);
        const pid_t child = ::fork();
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_DFL);
            const rlimit limit{16, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            TOtherUser user;
            const SaveResult saved = ReplaceFile(file.string(), std::string(64, 'n'));
            ::_exit(saved.error == EFBIG && saved.reason == SystemErrorText(EFBIG) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::chmod(folder.c_str(), 0755);
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(Listing(folder), "unit.kvx ");
        EXPECT_EQ(Read(file.string()), "old");
    }
}
