#include "platform/FileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int OnlyRegular(int fd, struct stat& st)
{
    if (::fstat(fd, &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return kNotRegularFile;
    const int flags = ::fcntl(fd, F_GETFL);
    return flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ? errno : 0;
}

int ReadWholeFile(const std::string& path, std::string& data)
{
    data.clear();
    // The open does not wait: a pipe put under the name would hold it until another program wrote to it.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st {
    };
    if (int error = OnlyRegular(fd, st)) {
        ::close(fd);
        return error;
    }
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

std::string SystemErrorText(int error)
{
    if (error == kNotRegularFile)
        return "not a regular file (a pipe, a device or a socket)";
    return std::strerror(error);
}
