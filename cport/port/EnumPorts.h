#pragma once

#include <string>
#include <vector>

// Replaces Ports with the sorted names of the machine's serial ports (ttyS0, ttyUSB0, ttyACM0...), as
// /sys/class/tty lists the devices; ttyS entries without a UART behind them are left out. Raises EComPort 23
// when the list cannot be read, leaving Ports as it was.
void EnumComPorts(std::vector<std::string>& Ports);

// The same, from a sysfs tree rooted elsewhere.
void EnumComPortsIn(const std::string& SysClassTty, std::vector<std::string>& Ports);
