#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The ".bin" image file: a fixed 16-byte header, then the 3072 configuration bytes as they are. Written only.
inline constexpr std::array<uint8_t, 16> kBinHeader = {0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11,
                                                       0xDA, 0xC0, 0xBE, 0xBA, 0x55, 0x55, 0x55, 0x55};
inline constexpr int kBinImageBytes = 3072;
inline constexpr int kBinFileSize = static_cast<int>(kBinHeader.size()) + kBinImageBytes;

// The whole file for image bytes 0..3071 (image must hold at least that many).
std::string FormatBin(std::string_view image);
