#pragma once

#include <string>

// The holder name of a TCP image transfer. It holds the guard from its start until its result has gone, and
// leaves the serial port free.
inline constexpr const char* kTcpTransferHold = "TCP transfer";

// One guard for every operation with the unit, over the serial port or over TCP. The waits of a transfer, a
// script or a direct command keep the window running, so a click can start another operation inside them;
// the guard refuses it, as the main window refuses a window close while the guard is held. The window owns
// the one guard; the serial link and the TCP transfer take it.
class LinkBusy
{
  public:
    bool Busy() const { return holder_ != nullptr; }
    // Held by an operation that needs the serial port (anything but a TCP transfer): the port stays open.
    bool PortBusy() const;

  private:
    friend class BusyScope;
    const char* holder_ = nullptr;
};

// Takes the guard for one operation. When the link is already held, the scope tests false, the operation
// must not run, and the status text callback (when given) has shown the busy message.
class BusyScope
{
  public:
    template <typename StatusFn> BusyScope(LinkBusy& busy, const char* what, StatusFn&& status) : busy_(busy)
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
