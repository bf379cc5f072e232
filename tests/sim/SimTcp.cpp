#include "sim/SimTcp.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
sockaddr_in Loopback(uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void NoDelay(int fd)
{
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}
} // namespace

namespace SimCut
{
std::vector<size_t> AfterFirstByte(const std::string&)
{
    return {1};
}

std::vector<size_t> BeforeLastByte(const std::string& reply)
{
    return {reply.size() - 1};
}

std::vector<size_t> Middle(const std::string& reply)
{
    return {reply.size() / 2};
}

std::vector<size_t> InsideEscapePair(const std::string& reply)
{
    const size_t mark = reply.find('\x7D');
    return mark == std::string::npos ? Middle(reply) : std::vector<size_t>{mark + 1};
}

std::vector<size_t> BeforeOk(const std::string& reply)
{
    const size_t ok = reply.find("OK");
    return ok == std::string::npos ? Middle(reply) : std::vector<size_t>{ok};
}

std::vector<size_t> InsideOk(const std::string& reply)
{
    const size_t ok = reply.find("OK");
    return ok == std::string::npos ? Middle(reply) : std::vector<size_t>{ok + 1};
}

std::vector<size_t> AfterEachLine(const std::string& reply)
{
    std::vector<size_t> cuts;
    for (size_t at = reply.find('\n'); at != std::string::npos; at = reply.find('\n', at + 1))
        cuts.push_back(at + 1);
    return cuts;
}

std::vector<size_t> InsideHeader(const std::string&)
{
    return {3};
}

std::function<std::vector<size_t>(const std::string&)> Every(size_t step)
{
    return [step](const std::string& reply) {
        std::vector<size_t> cuts;
        for (size_t at = step; at < reply.size(); at += step)
            cuts.push_back(at);
        return cuts;
    };
}
} // namespace SimCut

SimTcp::SimTcp(ServerRole)
{
    if (pipe(wake_) != 0)
        throw std::runtime_error("pipe failed");
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("simulated unit cannot listen");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, fd] { Run(fd, 0); });
}

SimTcp::SimTcp(uint16_t toolPort)
{
    if (pipe(wake_) != 0)
        throw std::runtime_error("pipe failed");
    thread_ = std::thread([this, toolPort] { Run(-1, toolPort); });
}

SimTcp::~SimTcp()
{
    stop_ = true;
    Release();
    char c = 0;
    (void)!write(wake_[1], &c, 1);
    thread_.join();
    close(wake_[0]);
    close(wake_[1]);
}

std::string SimTcp::Received()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

int SimTcp::RepliesSent()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return repliesSent_;
}

int SimTcp::PiecesSent()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return piecesSent_;
}

size_t SimTcp::BytesSent()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return bytesSent_;
}

void SimTcp::HangUpAfter(int replies)
{
    std::lock_guard<std::mutex> lock(mutex_);
    hangUpAfter_ = replies;
}

void SimTcp::HoldAfter(int replies)
{
    std::lock_guard<std::mutex> lock(mutex_);
    holdAfter_ = replies;
}

void SimTcp::Release()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        holdAfter_ = -1;
    }
    released_.notify_all();
}

void SimTcp::CutReplies(SimCuts cuts)
{
    std::lock_guard<std::mutex> lock(mutex_);
    cuts_ = std::move(cuts);
}

void SimTcp::Run(int listenFd, uint16_t toolPort)
{
    if (listenFd < 0) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(toolPort);
        if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            Serve(fd);
        else if (fd >= 0)
            close(fd);
        return;
    }
    while (!stop_) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(fds, 2, 100) <= 0 || !(fds[0].revents & POLLIN))
            continue;
        const int fd = accept(listenFd, nullptr, nullptr);
        if (fd >= 0)
            Serve(fd);
    }
    close(listenFd);
}

void SimTcp::Serve(int fd)
{
    NoDelay(fd);
    char buffer[4096];
    bool open = true;
    while (open && !stop_) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(fds, 2, 100) <= 0 || !(fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        std::vector<std::string> replies;
        bool joined = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.append(buffer, static_cast<size_t>(n));
            replies = unit_.FeedReplies(std::string_view(buffer, static_cast<size_t>(n)));
            joined = cuts_.joined;
        }
        if (joined && replies.size() > 1) {
            std::string all;
            for (const std::string& reply : replies)
                all += reply;
            open = SendReply(fd, all, static_cast<int>(replies.size()));
            continue;
        }
        for (const std::string& reply : replies)
            if (!(open = SendReply(fd, reply, 1)))
                break;
    }
    close(fd);
}

bool SimTcp::WaitWhileHeld()
{
    std::unique_lock<std::mutex> lock(mutex_);
    released_.wait(lock, [this] { return stop_ || holdAfter_ < 0 || repliesSent_ < holdAfter_; });
    return !stop_ && (hangUpAfter_ < 0 || repliesSent_ < hangUpAfter_);
}

bool SimTcp::SendReply(int fd, const std::string& reply, int replies)
{
    if (!WaitWhileHeld())
        return false;
    std::vector<size_t> cuts;
    int pauseMs = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool chosen =
            repliesSent_ >= cuts_.firstReply && (cuts_.replies < 0 || repliesSent_ < cuts_.firstReply + cuts_.replies);
        if (cuts_.where && chosen)
            cuts = cuts_.where(reply);
        pauseMs = cuts_.pauseMs;
    }
    cuts.erase(std::remove_if(cuts.begin(), cuts.end(), [&reply](size_t at) { return at == 0 || at >= reply.size(); }),
               cuts.end());
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    cuts.push_back(reply.size());
    size_t from = 0;
    for (size_t cut : cuts) {
        if (from > 0 && pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        if (stop_ || !SendAll(fd, reply.data() + from, cut - from))
            return false;
        from = cut;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    piecesSent_ += static_cast<int>(cuts.size());
    repliesSent_ += replies;
    bytesSent_ += reply.size();
    return true;
}

bool SimTcp::SendAll(int fd, const char* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = send(fd, data + done, size - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}
