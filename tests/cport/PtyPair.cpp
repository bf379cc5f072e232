#include "PtyPair.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

TPtyPair::TPtyPair()
{
    char name[128] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&FMaster, &FSlave, name, &raw, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    FSlavePath = name;
    fcntl(FMaster, F_SETFL, fcntl(FMaster, F_GETFL) | O_NONBLOCK);
}

TPtyPair::~TPtyPair()
{
    CloseMaster();
    if (FSlave >= 0)
        close(FSlave);
}

void TPtyPair::CloseMaster()
{
    if (FMaster >= 0)
        close(FMaster);
    FMaster = -1;
}

bool TPtyPair::Send(const std::string& Bytes)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::size_t done = 0;
    while (done < Bytes.size()) {
        const ssize_t n = write(FMaster, Bytes.data() + done, Bytes.size() - done);
        if (n > 0) {
            done += std::size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() > end)
            return false;
        pollfd p{FMaster, POLLOUT, 0};
        poll(&p, 1, 50);
    }
    return true;
}

std::string TPtyPair::Receive(std::size_t Count, int LimitMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(LimitMs);
    std::string got;
    char buf[4096];
    while (got.size() < Count && std::chrono::steady_clock::now() < end) {
        pollfd p{FMaster, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0)
            continue;
        const ssize_t n = read(FMaster, buf, sizeof buf);
        if (n > 0)
            got.append(buf, std::size_t(n));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return got;
}
