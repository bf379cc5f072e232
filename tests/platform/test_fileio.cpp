// Whole-file saves: through symbolic links, over files the user protected, and what stays of the old file.
#include "platform/FileIO.h"
#include "platform/FileReplace.h"

#include "OtherUser.h"
#include "SaveWatch.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <fcntl.h>
#include <future>
#include <iostream>
#include <optional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <tuple>
#include <vector>

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

ino_t Inode(const fs::path& path)
{
    struct stat st {
    };
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}
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
