#include "platform/SaveTarget.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// The kernel's rule for links in shared folders: in a sticky folder that others may write, only a link of the
// user's own or of the folder's owner is followed.
SaveResult MayFollow(const std::string& link, const struct stat& linkStat)
{
    struct stat folder {
    };
    if (::stat(FolderOf(link).c_str(), &folder) != 0)
        return SaveResult::Of(errno);
    const bool shared = (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
    if (!shared || linkStat.st_uid == ::geteuid() || linkStat.st_uid == folder.st_uid)
        return {};
    return {EACCES, "the symbolic link " + link +
                        " belongs to another user, in a folder that others may write, so the save does not follow it"};
}

} // namespace

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

SaveResult SaveTarget(const std::string& path, std::string& target)
{
    constexpr int kMaxLinks = 40; // as the system follows them
    target = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st {
        };
        if (::lstat(target.c_str(), &st) != 0)
            return errno == ENOENT ? SaveResult{} : SaveResult::Of(errno);
        if (!S_ISLNK(st.st_mode))
            return {};
        if (SaveResult guard = MayFollow(target, st); guard.Failed())
            return guard;
        char text[PATH_MAX];
        const ssize_t n = ::readlink(target.c_str(), text, sizeof text);
        if (n < 0)
            return SaveResult::Of(errno);
        if (n == 0)
            return SaveResult::Of(ENOENT);
        if (static_cast<size_t>(n) == sizeof text)
            return SaveResult::Of(ENAMETOOLONG);
        const std::string next(text, static_cast<size_t>(n));
        const size_t slash = target.rfind('/');
        target = next.front() == '/' || slash == std::string::npos ? next : target.substr(0, slash + 1) + next;
    }
    return SaveResult::Of(ELOOP);
}
