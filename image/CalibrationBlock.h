#pragma once

#include <cstdint>
#include <string>

class ImageStore;

// The two-point calibration of an analogue channel (I/O2..I/O7) as the image keeps it: 17 bytes holding
// Y1, Y2, X1, X2 as 16-bit words, high byte first, then the unit text in a 9-byte slot.
inline constexpr int kCalibrationUnitOffset = 8;
inline constexpr int kCalibrationUnitSlot = 9;

// I/O3..I/O7 lie back to back from 2048; I/O2 lies apart.
constexpr int CalibrationBlockAddress(int channel)
{
    return channel == 2 ? 2486 : 2048 + 17 * (channel - 3);
}

struct TCalibrationBlock {
    uint16_t y1 = 0;
    uint16_t y2 = 0;
    uint16_t x1 = 0;
    uint16_t x2 = 0;
    std::string unit; // at most 8 characters
};

// The block of channel 2..7 as the image holds it.
TCalibrationBlock ReadCalibrationBlock(const ImageStore& image, int channel);
