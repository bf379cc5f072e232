#include "link/serial/SerialLink.h"

#include "link/protocol/LinkHost.h"

SerialLink::SerialLink(LinkPort& port, LinkHost& host, ImageStore& store, LinkBusy& busy)
    : Busy(busy), Sender(port, host, Timing), Timers(Sender, host, Timing),
      Transfer(Sender, Timers, host, store, Timing), host_(host)
{
}

SerialLink::SerialLink(LinkPort& port, LinkHost& host, ImageStore& store) : SerialLink(port, host, store, ownBusy_) {}

bool SerialLink::RefuseWhileBusy()
{
    if (!Busy.PortBusy())
        return false;
    host_.SetStatusText(BusyScope::Refusal());
    return true;
}

bool SerialLink::RunGuarded(const char* what, const std::function<void()>& op)
{
    BusyScope scope(Busy, what, [this](const std::string& text) { host_.SetStatusText(text); });
    if (!scope)
        return false;
    op();
    return true;
}

void SerialLink::ReadEEPROMExecuteClick()
{
    RunGuarded("read", [this] { Transfer.ReadEEPROMExecuteClick(); });
}

void SerialLink::WriteEEPROMExecuteClick()
{
    RunGuarded("write", [this] { Transfer.WriteEEPROMExecuteClick(); });
}

void SerialLink::readLogValuesClick()
{
    RunGuarded("log read", [this] { Transfer.readLogValuesClick(); });
}

void SerialLink::SetSWTButtonClick()
{
    RunGuarded("set timers", [this] { Timers.SetSWTButtonClick(); });
}

void SerialLink::ReadSWTButtonClick()
{
    RunGuarded("read timers", [this] { Timers.ReadSWTButtonClick(); });
}
