#include "platform/AccessAcl.h"

#include <cerrno>
#include <cstdint>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace
{

constexpr char kAccessAcl[] = "system.posix_acl_access";
constexpr char kDefaultAcl[] = "system.posix_acl_default";
constexpr uint32_t kVersion = 2;
constexpr size_t kHeaderSize = 4, kEntrySize = 8;
// The entries for the file's owner, its own group, the mask and everyone else.
constexpr uint16_t kFileOwner = 0x01, kFileGroup = 0x04, kMask = 0x10, kOthers = 0x20;

uint32_t Little(std::string_view bytes, size_t at, size_t count)
{
    uint32_t value = 0;
    for (size_t i = count; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool WellFormed(std::string_view acl)
{
    return acl.size() >= kHeaderSize && (acl.size() - kHeaderSize) % kEntrySize == 0 && Little(acl, 0, 4) == kVersion;
}

// Where the entry tagged tag holds its rights; 0 when there is none.
size_t RightsAt(std::string_view acl, uint16_t tag)
{
    if (!WellFormed(acl))
        return 0;
    for (size_t at = kHeaderSize; at < acl.size(); at += kEntrySize)
        if (Little(acl, at, 2) == tag)
            return at + 2;
    return 0;
}

size_t FileGroupRightsAt(std::string_view acl)
{
    return RightsAt(acl, kFileGroup);
}

// Narrows the rights of the entry tagged tag to allowed (rwx in the low three bits).
void Narrow(std::string& acl, uint16_t tag, mode_t allowed)
{
    if (const size_t at = RightsAt(acl, tag))
        acl[at] = static_cast<char>(acl[at] & static_cast<char>(allowed & 07));
}

bool NoAclHere(int error)
{
    return error == ENODATA || error == ENOTSUP || error == EOPNOTSUPP;
}

int ReadAcl(const std::string& path, const char* name, std::string& acl)
{
    acl.clear();
    for (int attempt = 0; attempt < 3; ++attempt) { // the ACL may grow between asking its size and reading it
        const ssize_t size = ::getxattr(path.c_str(), name, nullptr, 0);
        if (size < 0)
            return NoAclHere(errno) ? 0 : errno;
        acl.resize(static_cast<size_t>(size));
        const ssize_t got = ::getxattr(path.c_str(), name, acl.data(), acl.size());
        if (got >= 0) {
            acl.resize(static_cast<size_t>(got));
            return 0;
        }
        acl.clear();
        if (errno != ERANGE)
            return NoAclHere(errno) ? 0 : errno;
    }
    return ERANGE;
}
} // namespace

int ReadAccessAcl(const std::string& path, std::string& acl)
{
    return ReadAcl(path, kAccessAcl, acl);
}

int ReadDefaultAcl(const std::string& folder, std::string& acl)
{
    return ReadAcl(folder, kDefaultAcl, acl);
}

std::string AclForNewFile(std::string acl, mode_t mode)
{
    Narrow(acl, kFileOwner, mode >> 6);
    Narrow(acl, kOthers, mode);
    Narrow(acl, RightsAt(acl, kMask) ? kMask : kFileGroup, mode >> 3);
    return acl;
}

int GiveAccessAcl(int fd, const std::string& acl, bool* taken)
{
    const int done =
        acl.empty() ? ::fremovexattr(fd, kAccessAcl) : ::fsetxattr(fd, kAccessAcl, acl.data(), acl.size(), 0);
    const int error = done == 0 ? 0 : errno;
    if (taken)
        *taken = done == 0;
    return error == 0 || NoAclHere(error) ? 0 : error;
}

mode_t GroupWithinAcl(mode_t mode, std::string_view acl)
{
    if (acl.empty())
        return mode;
    const size_t at = FileGroupRightsAt(acl);
    const mode_t rights = at == 0 ? 0 : static_cast<mode_t>(Little(acl, at, 2) & 07);
    return mode & ~static_cast<mode_t>(S_IRWXG & ~(rights << 3));
}

std::string ForAnotherGroup(std::string acl, mode_t oldGroupRights)
{
    if (const size_t at = FileGroupRightsAt(acl)) {
        acl[at] = 0;
        acl[at + 1] = 0;
    }
    Narrow(acl, kOthers, oldGroupRights);
    return acl;
}
