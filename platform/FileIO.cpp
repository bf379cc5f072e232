#include "platform/FileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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

std::string SystemErrorText(int error)
{
    return std::strerror(error);
}
