#pragma once

#include <array>
#include <cstdint>

// The built-in "Default Profile": a complete configuration area that gives a fresh window a usable image.
const std::array<uint8_t, 3072>& DefaultImageBytes();
