#include "image/CalibrationBlock.h"

#include "image/ImageStore.h"

TCalibrationBlock ReadCalibrationBlock(const ImageStore& image, int channel)
{
    const int a = CalibrationBlockAddress(channel);
    TCalibrationBlock block;
    block.y1 = static_cast<uint16_t>(image.ReadImageNumber(a, 2));
    block.y2 = static_cast<uint16_t>(image.ReadImageNumber(a + 2, 2));
    block.x1 = static_cast<uint16_t>(image.ReadImageNumber(a + 4, 2));
    block.x2 = static_cast<uint16_t>(image.ReadImageNumber(a + 6, 2));
    block.unit = image.ReadImageString(a + kCalibrationUnitOffset, kCalibrationUnitSlot);
    return block;
}
