// Saves and access ACLs: what stays of the old file's, what a new file gets from its folder's default one, and
// what each user may open the new file for on the way.
#include "platform/AccessAcl.h"
#include "platform/FileIO.h"
#include "platform/FileReplace.h"

#include "SaveWatch.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <optional>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <tuple>
#include <vector>

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
