#pragma once

// What the tests of saves share: a folder of their own with files handed to the user, saves as the user or as
// root, and what a save had made at each step it took, down to what each user could open the new file for.
#include "platform/FileReplace.h"

#include "OtherUser.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

// What a folder holds: each entry's name, a link with its text.
inline std::string Listing(const fs::path& dir)
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
inline bool Reads(const fs::path& path, uid_t user, std::vector<gid_t> groups = {})
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
inline std::vector<int> Admitted(const std::string& path, const std::vector<Trier>& users)
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
inline std::string AccessAclOf(const std::string& path)
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
inline StepLog* stepLog = nullptr;

inline void LogStep(SaveStep step, const std::string& file)
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
