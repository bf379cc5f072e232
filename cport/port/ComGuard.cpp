#include "cport/port/ComGuard.h"

#include <QtGlobal>

#include <mutex>

namespace
{
std::mutex HandlerLock;
TComExceptionHandler Handler;
} // namespace

void SetComExceptionHandler(TComExceptionHandler AHandler)
{
    std::lock_guard<std::mutex> g(HandlerLock);
    Handler = std::move(AHandler);
}

void ReportComException(std::exception_ptr Error)
{
    TComExceptionHandler h;
    {
        std::lock_guard<std::mutex> g(HandlerLock);
        h = Handler;
    }
    if (h) {
        try {
            h(Error);
        } catch (...) {
        }
        return;
    }
    try {
        std::rethrow_exception(Error);
    } catch (const std::exception& e) {
        qWarning("serial port event handler failed: %s", e.what());
    } catch (...) {
        qWarning("serial port event handler failed");
    }
}
