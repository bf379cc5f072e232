#pragma once

#include "image/CalibrationBlock.h"

#include <string>

// The byte-write command that stores one calibration block in the unit's configuration memory:
// "KVWE=" and the write-enable code, then ",address:value" for each byte in decimal (Y1, Y2, X1, X2 high byte
// first, the unit text's characters, its terminating 0), and a CR. The unit answers nothing the tool waits for.
std::string CalibrationLine(int blockAddress, const TCalibrationBlock& block);
