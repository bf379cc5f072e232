#pragma once

#include <stdexcept>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

// Root may write any file, so a test of what an ordinary user may not do acts as one while it runs as root:
// the calling thread alone takes that user's identity (the raw system calls change one thread's, where the C
// library would change the whole process's) and gets its own back at the end. Not running as root, the test
// is an ordinary user already and nothing changes.
class TOtherUser
{
  public:
    static constexpr uid_t kId = 65534;

    static bool Root() { return ::geteuid() == 0; }
    // Hands a file, folder or link the test made to that user, so that it may work with it as its own.
    static void Give(const std::string& path)
    {
        if (Root() && ::lchown(path.c_str(), kId, kId) != 0)
            throw std::runtime_error("cannot hand " + path + " over");
    }

    // A third user, and groups that neither belongs to unless a test says so.
    static constexpr uid_t kThird = 65533;
    static constexpr gid_t kSharedGroup = 65532;

    // groups: the user's further groups (the thread keeps root's otherwise); id: the user and its group.
    explicit TOtherUser(std::vector<gid_t> groups = {}, uid_t id = kId)
    {
        if (!Root())
            return;
        if (!groups.empty()) {
            rootGroups_.resize(static_cast<size_t>(::getgroups(0, nullptr)));
            ::getgroups(static_cast<int>(rootGroups_.size()), rootGroups_.data());
            groups_ = ::syscall(SYS_setgroups, groups.size(), groups.data()) == 0;
        }
        group_ = ::syscall(SYS_setresgid, -1, id, -1) == 0;
        user_ = group_ && ::syscall(SYS_setresuid, -1, id, -1) == 0;
    }
    ~TOtherUser()
    {
        if (user_)
            ::syscall(SYS_setresuid, -1, 0, -1);
        if (group_)
            ::syscall(SYS_setresgid, -1, 0, -1);
        if (groups_)
            ::syscall(SYS_setgroups, rootGroups_.size(), rootGroups_.data());
    }
    TOtherUser(const TOtherUser&) = delete;
    TOtherUser& operator=(const TOtherUser&) = delete;

    // Whether the thread now acts as a user that file permissions hold for.
    bool Ordinary() const { return ::geteuid() != 0; }

  private:
    std::vector<gid_t> rootGroups_;
    bool groups_ = false;
    bool group_ = false;
    bool user_ = false;
};
