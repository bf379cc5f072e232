#pragma once

#include <string>

// One guard for the serial link. The waits of a transfer, a script or a direct command keep the window
// running, so a click can start another operation on the same port inside them; the guard refuses it, as
// the main window refuses a port close or a window close while the link is busy.
class LinkBusy {
public:
    bool Busy() const { return holder_ != nullptr; }

private:
    friend class BusyScope;
    const char* holder_ = nullptr;
};

// Takes the guard for one operation. When the link is already held, the scope tests false, the operation
// must not run, and the status text callback (when given) has shown the busy message.
class BusyScope {
public:
    template <typename StatusFn>
    BusyScope(LinkBusy& busy, const char* what, StatusFn&& status) : busy_(busy)
    {
        if (busy_.Busy()) {
            status(Refusal());
            return;
        }
        busy_.holder_ = what;
        acquired_ = true;
    }
    ~BusyScope()
    {
        if (acquired_)
            busy_.holder_ = nullptr;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    explicit operator bool() const { return acquired_; }

    // The status text of a refusal.
    static std::string Refusal();

private:
    LinkBusy& busy_;
    bool acquired_ = false;
};
