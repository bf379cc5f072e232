#pragma once

#include <stdexcept>

// Port error codes; the message of each stands in ComErrorMessage.
namespace ComErr
{
constexpr int Open = 1, Write = 2, Read = 3, InvalidAsync = 4, Purge = 5, AsyncCheck = 6, SetState = 7, Timeouts = 8,
              Setup = 9, ClearError = 10, ModemStatus = 11, Escape = 12, Transmit = 13, ConnChangeProp = 14,
              EnumPorts = 15, Store = 16, Load = 17, Link = 18, LedState = 19, ThreadCreated = 20, WaitFailed = 21,
              HasLink = 22, Registry = 23;
}

// The text of a port error code (1..23); an empty text for any other value.
const char* ComErrorMessage(int Code);

// The one exception of the serial components. WinCode holds the system error number (errno) behind the
// failure, -1 when there is none.
class EComPort : public std::runtime_error
{
  public:
    EComPort(int ACode, int AWinCode);
    explicit EComPort(int ACode);

    int WinCode;
    int Code;
};
