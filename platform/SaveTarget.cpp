#include "platform/SaveTarget.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

SaveResult SharedFolderAllows(const std::string& entry, const struct stat& st)
{
    struct stat folder {
    };
    if (::stat(FolderOf(entry).c_str(), &folder) != 0)
        return SaveResult::Of(errno);
    const bool shared = (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
    if (!shared || st.st_uid == ::geteuid() || st.st_uid == folder.st_uid)
        return {};
    if (S_ISLNK(st.st_mode))
        return {EACCES,
                "the symbolic link " + entry +
                    " belongs to another user, in a folder that others may write, so the save does not follow it"};
    return {EACCES, "the file " + entry +
                        " belongs to another user, in a folder that others may write, so the save leaves it alone"};
}

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
        if (SaveResult guard = SharedFolderAllows(target, st); guard.Failed() || !S_ISLNK(st.st_mode))
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
