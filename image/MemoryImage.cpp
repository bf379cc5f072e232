#include "image/MemoryImage.h"

#include <algorithm>
#include <atomic>

void MemoryImage::StampLogArea()
{
    static std::atomic<uint64_t> lastStamp{0};
    logStamp_ = ++lastStamp;
}

void MemoryImage::Fill(uint8_t value)
{
    bytes_.fill(value);
    marks_.fill(false);
    hexAsRead_.clear();
    StampLogArea();
}

void MemoryImage::LoadPlain(int address, const uint8_t* data, int count)
{
    if (address < 0 || address >= kSize || count <= 0)
        return;
    int n = std::min(count, kSize - address);
    std::copy(data, data + n, bytes_.begin() + address);
    std::fill(marks_.begin() + address, marks_.begin() + address + n, false);
    hexAsRead_.erase(hexAsRead_.lower_bound(address), hexAsRead_.lower_bound(address + n));
    if (address + n > kConfigSize)
        StampLogArea();
}

std::string MemoryImage::Bytes(int address, int count) const
{
    if (address < 0 || address >= kSize || count <= 0)
        return {};
    int n = std::min(count, kSize - address);
    return std::string(reinterpret_cast<const char*>(bytes_.data()) + address, static_cast<size_t>(n));
}

bool MemoryImage::AnyMarked(int first, int count) const
{
    int last = std::min(kSize, first + count);
    return std::any_of(marks_.begin() + std::max(0, first), marks_.begin() + std::max(0, last),
                       [](bool m) { return m; });
}

const std::string* MemoryImage::HexText(int address) const
{
    auto it = hexAsRead_.find(address);
    return it == hexAsRead_.end() ? nullptr : &it->second;
}
