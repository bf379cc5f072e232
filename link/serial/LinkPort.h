#pragma once

#include <string>

// What the link needs of the serial port. The main window's port is bound through ComPortLink; tests
// may bind a recording port. Port errors pass through as the port's own exception (std::exception).
class LinkPort
{
  public:
    virtual ~LinkPort() = default;

    virtual bool Connected() const = 0;
    // Bytes waiting in the receive queue.
    virtual int InputCount() = 0;
    virtual void ClearBuffer(bool input, bool output) = 0;
    virtual int WriteStr(const std::string& bytes) = 0;
    // At most count bytes of what is waiting; fewer (or none) when fewer are there.
    virtual int ReadStr(std::string& bytes, int count) = 0;
    // Returns once every byte written so far has left the line, so a following transmit purge loses none;
    // or when the transmit queue has not shrunk for stallLimitMs (a line held by flow control).
    virtual void DrainOutput(int stallLimitMs) = 0;
};
