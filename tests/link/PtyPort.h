#pragma once

// Interim port over a pseudo-terminal's slave side, until the real serial port is in the tree.

#include "link/LinkPort.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

class PtyPort : public LinkPort {
public:
    explicit PtyPort(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0)
            throw std::runtime_error("open failed");
    }
    ~PtyPort() override { ::close(fd_); }

    bool Open = true;
    bool Connected() const override { return Open; }
    int InputCount() override
    {
        Pull();
        return static_cast<int>(queue_.size());
    }
    void ClearBuffer(bool input, bool) override
    {
        if (!Open)
            throw std::runtime_error("PurgeComm function failed");
        if (input) {
            Pull();
            queue_.clear();
        }
    }
    int WriteStr(const std::string& bytes) override
    {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<size_t>(n);
            else
                usleep(500);
        }
        return static_cast<int>(done);
    }
    int ReadStr(std::string& bytes, int count) override
    {
        Pull();
        bytes = queue_.substr(0, static_cast<size_t>(std::max(0, count)));
        queue_.erase(0, bytes.size());
        return static_cast<int>(bytes.size());
    }
    void DrainOutput() override { tcdrain(fd_); }

    // A terminal stand-in: while set, received bytes go to sink as they arrive (the window keeps running).
    void Attach(std::function<void(const std::string&)> sink)
    {
        sink_ = std::move(sink);
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            Pull();
            if (sink_ && !queue_.empty()) {
                sink_(queue_);
                queue_.clear();
            }
        });
    }
    void Detach()
    {
        notifier_.reset();
        sink_ = nullptr;
    }

private:
    void Pull()
    {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0)
            queue_.append(buffer, static_cast<size_t>(n));
    }

    int fd_ = -1;
    std::string queue_;
    std::function<void(const std::string&)> sink_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
