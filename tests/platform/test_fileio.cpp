// Whole-file saves: through symbolic links, over files the user protected, and what stays of the old file.
#include "platform/FileIO.h"

#include "OtherUser.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
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
    };
    TOtherUser::Give(Dir.string());
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path root = Dir / std::to_string(n++);
        for (const char* folder : {"", "links", "files"}) {
            fs::create_directories(root / folder);
            TOtherUser::Give((root / folder).string());
        }
        if (c.mode != 0)
            Own(root / "files/a", "old", c.mode);
        for (const auto& [name, text] : c.links)
            Link(text[0] == '@' ? root.string() + text.substr(1) : text, root / "links" / name);
        const std::string path = (root / c.path).string();
        // The new file is made beside the target: the link's folder may be closed to the user.
        ::chmod((root / "links").c_str(), 0555);
        const std::string filesBefore = Listing(root / "files"), linksBefore = Listing(root / "links");
        const ino_t before = c.lands.empty() ? 0 : Inode(root / c.lands);
        struct stat old {
        };
        const bool existed = !c.lands.empty() && ::stat((root / c.lands).c_str(), &old) == 0;

        int error = 0;
        {
            TOtherUser user;
            ASSERT_TRUE(user.Ordinary()) << "cannot act as an ordinary user";
            error = ReplaceFile(path, "new");
        }
        ::chmod((root / "links").c_str(), 0755);

        EXPECT_EQ(error, c.error) << SystemErrorText(error);
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
    EXPECT_EQ(ReplaceFile(file.string(), "new"), 0);
    EXPECT_EQ(Read(file.string()), "new");
    struct stat st {
    };
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(st.st_uid, TOtherUser::kId);
    EXPECT_EQ(st.st_gid, TOtherUser::kId);
}
