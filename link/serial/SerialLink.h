#pragma once

#include "link/protocol/BusyGuard.h"
#include "link/protocol/Timing.h"
#include "link/serial/SendHelpers.h"
#include "link/serial/SerialTransfer.h"
#include "link/serial/UnitTimers.h"

#include <functional>

class ImageStore;
class LinkHost;
class LinkPort;

// The serial side of the device link as the main window holds it: the send helpers, the transfers and the
// timer and hardware-type commands, behind the busy guard. The click handlers here are the ones the main
// window's buttons and actions call; each is refused with a status message while another operation, serial
// or TCP, holds the guard.
class SerialLink
{
  public:
    // busy: the guard the TCP transfer takes too.
    SerialLink(LinkPort& port, LinkHost& host, ImageStore& store, LinkBusy& busy);
    // A link on its own guards itself.
    SerialLink(LinkPort& port, LinkHost& host, ImageStore& store);
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

  private:
    LinkBusy ownBusy_;

  public:
    LinkTiming Timing; // may be replaced while the link is idle
    LinkBusy& Busy;
    SerialSender Sender;
    UnitTimers Timers;
    SerialTransfer Transfer;

    void ReadEEPROMExecuteClick();
    void WriteEEPROMExecuteClick();
    void readLogValuesClick();
    void SetSWTButtonClick();
    void ReadSWTButtonClick();

    // For the port's Open/Close: true, with the busy message in the status bar, while an operation that needs
    // the port holds the guard; the caller then leaves the port as it is.
    bool RefuseWhileBusy();

    // Runs op under the busy guard; false (and the busy message in the status bar) when the link is held.
    // What op raises (a charDelay or pause text that is no number, above all) passes on to the caller's handler
    // guard, whose message box shows it; the guard is released all the same. The transfers catch their port
    // errors themselves.
    bool RunGuarded(const char* what, const std::function<void()>& op);

  private:
    LinkHost& host_;
};
