#include "files/BinFile.h"

std::string FormatBin(std::string_view image)
{
    std::string file(kBinHeader.begin(), kBinHeader.end());
    file.append(image.substr(0, kBinImageBytes));
    return file;
}
