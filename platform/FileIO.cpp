#include "platform/FileIO.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

int WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
}

// The new file takes the old one's owner where the system lets us give it (root saving a user's file), then its
// permission bits (a change of owner may clear some).
int KeepOwnerAndMode(int fd, const struct stat& old)
{
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        errno != EPERM)
        return errno;
    return ::fchmod(fd, old.st_mode & 07777) != 0 ? errno : 0;
}

// Opens a file of a name no one else uses, beside path; fd < 0 and the error number on failure.
int CreateTemporary(const std::string& path, std::string& temp, int& fd)
{
    fd = -1;
    for (int i = 0; i < 100; ++i) {
        temp = path + ".~" + std::to_string(::getpid()) + "-" + std::to_string(i);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// The file a save to path lands in: path itself, or the file at the end of its chain of symbolic links (which
// need not exist yet), each relative link taken from its own folder.
int SaveTarget(const std::string& path, std::string& target)
{
    constexpr int kMaxLinks = 40; // as the system follows them
    target = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st {
        };
        if (::lstat(target.c_str(), &st) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode))
            return 0;
        char text[PATH_MAX];
        const ssize_t n = ::readlink(target.c_str(), text, sizeof text);
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOENT;
        if (static_cast<size_t>(n) == sizeof text)
            return ENAMETOOLONG;
        const std::string next(text, static_cast<size_t>(n));
        const size_t slash = target.rfind('/');
        target = next.front() == '/' || slash == std::string::npos ? next : target.substr(0, slash + 1) + next;
    }
    return ELOOP;
}

} // namespace

int ReadWholeFile(const std::string& path, std::string& data)
{
    data.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    char buf[65536];
    int error = 0;
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        if (n <= 0)
            break;
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    if (error != 0)
        data.clear();
    return error;
}

int ReplaceFile(const std::string& path, std::string_view data)
{
    // Through a symbolic link the target is replaced and the link stays.
    std::string target;
    if (int error = SaveTarget(path, target))
        return error;
    struct stat old {
    };
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // The rename needs only the folder's rights: a file its owner protected is refused here, as a write into it
    // would be (root may write any file).
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return errno;
    std::string temp;
    int fd = -1;
    if (int error = CreateTemporary(target, temp, fd))
        return error;
    int error = WriteAll(fd, data);
    if (error == 0 && exists)
        error = KeepOwnerAndMode(fd, old);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.c_str());
    return error;
}

std::string SystemErrorText(int error)
{
    return std::strerror(error);
}
