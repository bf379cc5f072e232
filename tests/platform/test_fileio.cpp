// Whole-file saves: through symbolic links, over files the user protected, and what stays of the old file.
#include "platform/FileIO.h"
#include "platform/FileReplace.h"

#include "OtherUser.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
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

namespace
{
// What a save had made when it stopped at each step: the file's owner, group and mode before its first byte,
// and the steps in order.
struct StepLog {
    std::vector<std::pair<SaveStep, std::string>> steps;
    struct stat created {
    }, ready{};
};
StepLog* stepLog = nullptr;

void LogStep(SaveStep step, const std::string& file)
{
    stepLog->steps.emplace_back(step, file);
    if (step == SaveStep::Created)
        ::stat(file.c_str(), &stepLog->created);
    if (step == SaveStep::ReadyToWrite)
        ::stat(file.c_str(), &stepLog->ready);
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
} // namespace

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
        uid_t owner;
        gid_t group;
        mode_t mode;
        bool asUser;
        uid_t keptOwner; // what the new file has
        gid_t keptGroup;
        mode_t keptMode;
    } cases[] = {
        {"user's private file", kUser, kUser, 0600, true, kUser, kUser, 0600},
        {"another user's file, shared group", kThird, kShared, 0660, true, kUser, kShared, 0660},
        {"another user's file, a group the user is not in", kThird, kThird, 0666, true, kUser, kUser, 0606},
        {"root saving a user's protected file", kUser, kShared, 0440, false, kUser, kShared, 0440},
    };
    const Umask open(0); // a mode the process would give every new file
    TOtherUser::Give(Dir.string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = Dir / c.name;
        Put(file.string(), "old");
        ASSERT_EQ(::chown(file.c_str(), c.owner, c.group), 0);
        ::chmod(file.c_str(), c.mode);
        WatchedSave watch;
        SaveResult saved;
        {
            std::optional<TOtherUser> user;
            if (c.asUser)
                user.emplace(std::vector<gid_t>{kShared});
            saved = ReplaceFile(file.string(), "new");
        }
        ASSERT_EQ(saved.error, 0) << saved.reason;
        EXPECT_EQ(Read(file.string()), "new");
        ASSERT_EQ(watch.steps.size(), 4u);
        EXPECT_EQ(watch.created.st_mode & 07777, 0600u); // whatever the process's mask would allow
        EXPECT_EQ(watch.ready.st_uid, c.keptOwner);
        EXPECT_EQ(watch.ready.st_gid, c.keptGroup);
        EXPECT_EQ(watch.ready.st_mode & 07777, c.keptMode);
        EXPECT_EQ(watch.steps[2], std::make_pair(SaveStep::Renamed, file.string()));
        EXPECT_EQ(watch.steps[3], std::make_pair(SaveStep::FolderSynced, file.string()));
        struct stat now {
        };
        ASSERT_EQ(::stat(file.c_str(), &now), 0);
        EXPECT_EQ(std::make_tuple(now.st_uid, now.st_gid, now.st_mode & 07777),
                  std::make_tuple(c.keptOwner, c.keptGroup, c.keptMode));
    }
}

// A file the user may write whose folder the user may not change is written in place, as desktop editors do:
// its owner, mode and links stay. Cut short, the save says that the file may now be incomplete.
TEST_F(FileSave, AWritableFileInAFolderTheUserMayNotChangeIsWrittenInPlace)
{
    struct Case {
        const char* name;
        mode_t folderMode;
        uid_t fileOwner;
        rlim_t sizeLimit; // RLIM_INFINITY, or where a write is cut short
        bool saved;
        bool usersFolder = true; // else root's
    } cases[] = {
        {"folder closed to the user", 0555, TOtherUser::kId, RLIM_INFINITY, true},
        {"another user's file in a shared sticky folder", 01777, TOtherUser::kThird, RLIM_INFINITY, true, false},
        {"a write cut short", 0555, TOtherUser::kId, 5, false},
    };
    const std::string data(64, 'n');
    TOtherUser::Give(Dir.string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!TOtherUser::Root() && c.fileOwner != TOtherUser::kId)
            continue;
        const fs::path folder = Dir / c.name, file = folder / "unit.kvx";
        Own(file, "old bytes, more of them than the new file has: " + std::string(80, 'o'), 0664);
        if (TOtherUser::Root()) {
            ASSERT_EQ(::lchown(file.c_str(), c.fileOwner, TOtherUser::kSharedGroup), 0);
        }
        ::chmod(file.c_str(), 0664);
        if (c.usersFolder)
            TOtherUser::Give(folder.string());
        ::chmod(folder.c_str(), c.folderMode);
        const ino_t before = Inode(file);
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY}, limited{c.sizeLimit, RLIM_INFINITY};
        const auto oldSignal = ::signal(SIGXFSZ, SIG_IGN);
        SaveResult saved;
        {
            TOtherUser user({TOtherUser::kSharedGroup});
            ::setrlimit(RLIMIT_FSIZE, &limited);
            saved = ReplaceFile(file.string(), data);
            ::setrlimit(RLIMIT_FSIZE, &unlimited);
        }
        ::signal(SIGXFSZ, oldSignal);
        ::chmod(folder.c_str(), 0755);
        EXPECT_EQ(Inode(file), before);
        EXPECT_EQ(Listing(folder), "unit.kvx ");
        if (c.saved) {
            EXPECT_EQ(saved.error, 0) << saved.reason;
            EXPECT_EQ(Read(file.string()), data);
            continue;
        }
        EXPECT_EQ(saved.error, EFBIG);
        EXPECT_NE(saved.reason.find(file.string() + " was being written in place"), std::string::npos) << saved.reason;
        EXPECT_NE(saved.reason.find("may now be incomplete"), std::string::npos) << saved.reason;
    }
}
