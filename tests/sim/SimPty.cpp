#include "sim/SimPty.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

SimPty::SimPty(int baud) : baud_(baud)
{
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0 || pipe(wake_) != 0)
        throw std::runtime_error("openpty failed");
    slavePath_ = name;
    termios tio{};
    tcgetattr(slave_, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave_, TCSANOW, &tio);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    thread_ = std::thread([this] { Run(); });
}

SimPty::~SimPty()
{
    stop_ = true;
    char c = 0;
    (void)!write(wake_[1], &c, 1);
    thread_.join();
    for (int fd : {master_, slave_, wake_[0], wake_[1]})
        if (fd >= 0)
            close(fd);
}

void SimPty::Run()
{
    char buffer[4096];
    while (!StopRequested()) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(fds, 2, 100) <= 0 || !(fds[0].revents & POLLIN))
            continue;
        ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        std::string answer;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            answer = unit_.Feed(std::string_view(buffer, static_cast<size_t>(n)));
        }
        received_ += static_cast<uint64_t>(n);
        if (!WriteAll(answer))
            return;
    }
}

bool SimPty::Pause(int ms)
{
    using clock = std::chrono::steady_clock;
    const auto end = clock::now() + std::chrono::milliseconds(ms);
    while (clock::now() < end) {
        if (StopRequested())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool SimPty::WriteAll(const std::string& bytes)
{
    using clock = std::chrono::steady_clock;
    auto start = clock::now();
    size_t done = 0;
    size_t paced = 0; // bytes written since the pacing started, or since the pause
    const size_t pauseAt = pauseAfter_.load();
    bool pausePending = pauseMs_.load() > 0 && bytes.size() > pauseAt;
    while (done < bytes.size()) {
        if (StopRequested())
            return false;
        if (pausePending && done == pauseAt) {
            if (!Pause(pauseMs_.load()))
                return false;
            pausePending = false;
            start = clock::now();
            paced = 0;
        }
        size_t chunk = bytes.size() - done;
        if (pausePending)
            chunk = std::min(chunk, pauseAt - done);
        if (baud_ > 0) {
            // Never more than the line could have carried by now (plus one small burst).
            const double elapsed = std::chrono::duration<double>(clock::now() - start).count();
            const auto allowed = static_cast<size_t>(elapsed * baud_ / 10.0) + 16;
            if (allowed <= paced) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            chunk = std::min(chunk, allowed - paced);
        }
        ssize_t n = write(master_, bytes.data() + done, chunk);
        if (n > 0) {
            done += static_cast<size_t>(n);
            paced += static_cast<size_t>(n);
            continue;
        }
        // The slave's input is full until the port reads: wait for room.
        pollfd fds[2] = {{master_, POLLOUT, 0}, {wake_[0], POLLIN, 0}};
        poll(fds, 2, 100);
    }
    return true;
}
