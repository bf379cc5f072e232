#pragma once

#include <csignal>
#include <sys/resource.h>

// A disk that takes no more than bytes per file, for one scope: a file size limit, which holds for root too.
// Writes past it fail with EFBIG instead of raising SIGXFSZ.
class TFileSizeLimit
{
  public:
    explicit TFileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit tight = old_;
        tight.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &tight);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

  private:
    rlimit old_{};
    void (*oldHandler_)(int);
};
