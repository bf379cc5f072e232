#pragma once

#include "Pump.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal pair: the port opens SlavePath, the test plays the device on the master side.
class TPtyPair
{
  public:
    TPtyPair()
    {
        char name[128] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&FMaster, &FSlave, name, &raw, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        FSlavePath = name;
        fcntl(FMaster, F_SETFL, fcntl(FMaster, F_GETFL) | O_NONBLOCK);
    }
    ~TPtyPair()
    {
        CloseMaster();
        close(FSlave);
    }
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    const std::string& SlavePath() const { return FSlavePath; }
    int Slave() const { return FSlave; }
    void CloseMaster()
    {
        if (FMaster >= 0)
            close(FMaster);
        FMaster = -1;
    }

    // Writes all of Bytes to the master within a generous limit; false when it could not.
    bool Send(const std::string& Bytes)
    {
        std::size_t done = 0;
        bool failed = false;
        Until([&] { return failed || done == Bytes.size(); },
              [&] {
                  const ssize_t n = write(FMaster, Bytes.data() + done, Bytes.size() - done);
                  failed = n < 0 && errno != EAGAIN && errno != EINTR;
                  if (n > 0)
                      done += std::size_t(n);
                  pollfd p{FMaster, POLLOUT, 0};
                  poll(&p, 1, 50);
              },
              20000);
        return done == Bytes.size();
    }
    // Reads from the master until Count bytes came or the limit passed.
    std::string Receive(std::size_t Count, int LimitMs = 10000)
    {
        std::string got;
        char buf[4096];
        Until([&] { return got.size() >= Count; },
              [&] {
                  pollfd p{FMaster, POLLIN, 0};
                  const ssize_t n = poll(&p, 1, 20) > 0 ? read(FMaster, buf, sizeof buf) : 0;
                  got.append(buf, std::size_t(std::max<ssize_t>(n, 0)));
              },
              LimitMs);
        return got;
    }

  private:
    int FMaster = -1, FSlave = -1;
    std::string FSlavePath;
};
