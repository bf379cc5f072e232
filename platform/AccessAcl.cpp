#include "platform/AccessAcl.h"

#include <cerrno>
#include <cstdint>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace
{

constexpr char kAccessAcl[] = "system.posix_acl_access";
constexpr uint32_t kVersion = 2;
constexpr size_t kHeaderSize = 4, kEntrySize = 8;
constexpr uint16_t kFileGroup = 0x04; // the entry for the file's own group

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

// Where the entry for the file's group holds its rights; 0 when there is none.
size_t FileGroupRightsAt(std::string_view acl)
{
    if (!WellFormed(acl))
        return 0;
    for (size_t at = kHeaderSize; at < acl.size(); at += kEntrySize)
        if (Little(acl, at, 2) == kFileGroup)
            return at + 2;
    return 0;
}

bool NoAclHere(int error)
{
    return error == ENODATA || error == ENOTSUP || error == EOPNOTSUPP;
}

} // namespace

int ReadAccessAcl(const std::string& path, std::string& acl)
{
    acl.clear();
    for (int attempt = 0; attempt < 3; ++attempt) { // the ACL may grow between asking its size and reading it
        const ssize_t size = ::getxattr(path.c_str(), kAccessAcl, nullptr, 0);
        if (size < 0)
            return NoAclHere(errno) ? 0 : errno;
        acl.resize(static_cast<size_t>(size));
        const ssize_t got = ::getxattr(path.c_str(), kAccessAcl, acl.data(), acl.size());
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

int GiveAccessAcl(int fd, const std::string& acl)
{
    const int done =
        acl.empty() ? ::fremovexattr(fd, kAccessAcl) : ::fsetxattr(fd, kAccessAcl, acl.data(), acl.size(), 0);
    return done == 0 || NoAclHere(errno) ? 0 : errno;
}

mode_t GroupWithinAcl(mode_t mode, std::string_view acl)
{
    if (acl.empty())
        return mode;
    const size_t at = FileGroupRightsAt(acl);
    const mode_t rights = at == 0 ? 0 : static_cast<mode_t>(Little(acl, at, 2) & 07);
    return mode & ~static_cast<mode_t>(S_IRWXG & ~(rights << 3));
}

std::string WithoutFileGroupRights(std::string acl)
{
    if (const size_t at = FileGroupRightsAt(acl)) {
        acl[at] = 0;
        acl[at + 1] = 0;
    }
    return acl;
}
