#include "platform/FileIO.h"

#include <cerrno>
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
    struct stat old {
    };
    const bool exists = ::stat(path.c_str(), &old) == 0;
    std::string temp;
    int fd = -1;
    if (int error = CreateTemporary(path, temp, fd))
        return error;
    int error = WriteAll(fd, data);
    if (error == 0 && exists && ::fchmod(fd, old.st_mode & 07777) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.c_str());
    return error;
}

std::string SystemErrorText(int error)
{
    return std::strerror(error);
}
