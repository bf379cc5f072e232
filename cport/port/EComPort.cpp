#include "cport/port/EComPort.h"

#include <iterator>
#include <string>

namespace
{
const char* const Messages[] = {
    "",
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};

std::string WithSystemCode(int Code, int SysCode)
{
    return std::string(ComErrorMessage(Code)) + " (system error code: " + std::to_string(SysCode) + ")";
}
} // namespace

const char* ComErrorMessage(int Code)
{
    if (Code < 1 || Code >= int(std::size(Messages)))
        return "";
    return Messages[Code];
}

EComPort::EComPort(int ACode, int AWinCode)
    : std::runtime_error(WithSystemCode(ACode, AWinCode)), WinCode(AWinCode), Code(ACode)
{
}

EComPort::EComPort(int ACode) : std::runtime_error(ComErrorMessage(ACode)), WinCode(-1), Code(ACode) {}
