#include "link/protocol/CalibrationLine.h"

#include "link/protocol/Protocol.h"

namespace
{

void AddPair(std::string& line, int address, unsigned value)
{
    line += ',' + std::to_string(address) + ':' + std::to_string(value);
}

} // namespace

std::string CalibrationLine(int blockAddress, const TCalibrationBlock& block)
{
    std::string line = std::string(Protocol::kByteWritePrefix) + Protocol::kWriteEnableCode;
    int address = blockAddress;
    for (uint16_t word : {block.y1, block.y2, block.x1, block.x2}) {
        AddPair(line, address++, word >> 8);
        AddPair(line, address++, word & 0xFF);
    }
    // The unit's slot holds 8 characters and the terminator; a longer text must not run into the next block.
    const std::string unit = block.unit.substr(0, kCalibrationUnitSlot - 1);
    for (char c : unit)
        AddPair(line, address++, static_cast<uint8_t>(c));
    AddPair(line, address, 0);
    return line + Protocol::kCR;
}
