#pragma once

#include "link/serial/LinkPort.h"

class TCustomComPort;

// The main window's serial port as the link uses it.
class ComPortLink : public LinkPort
{
  public:
    explicit ComPortLink(TCustomComPort& port) : port_(port) {}

    bool Connected() const override;
    int InputCount() override;
    void ClearBuffer(bool input, bool output) override;
    int WriteStr(const std::string& bytes) override;
    int ReadStr(std::string& bytes, int count) override;
    void DrainOutput(int stallLimitMs) override;

    TCustomComPort& ComPort() const { return port_; }

  private:
    TCustomComPort& port_;
};
