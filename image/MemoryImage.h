#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

// The unit's memory as the tool holds it: 65536 bytes, each with an "edited since the last read, load,
// write or save" mark. Addresses 0..3071 are the configuration area; the rest is the logging area.
class MemoryImage
{
  public:
    static constexpr int kSize = 65536;
    static constexpr int kConfigSize = 3072;

    MemoryImage() { Fill(0xFF); }

    static bool ValidAddress(int address) { return address >= 0 && address < kSize; }

    // Callers check addresses first (ImageStore does); these assert only in debug builds.
    uint8_t Byte(int address) const { return bytes_[static_cast<size_t>(address)]; }
    bool Marked(int address) const { return marks_[static_cast<size_t>(address)]; }
    void Put(int address, uint8_t value, bool mark)
    {
        bytes_[static_cast<size_t>(address)] = value;
        marks_[static_cast<size_t>(address)] = mark;
        if (!hexAsRead_.empty())
            hexAsRead_.erase(address);
        if (address >= kConfigSize)
            StampLogArea();
    }

    // Every byte to value, no marks.
    void Fill(uint8_t value);
    // Bulk load: bytes from address on, written plain (no marks); stops at the image end.
    void LoadPlain(int address, const uint8_t* data, int count);
    // count bytes from address on (clipped at the image end).
    std::string Bytes(int address, int count) const;
    bool AnyMarked(int first, int count) const;

    // A byte's hexadecimal text as a file spelled it ("ff", "0FF"): the hexadecimal table shows it in place of
    // the two digits it computes until the byte is next written. Keep it after loading the byte, as any write
    // (a bulk load too) drops it.
    void KeepHexText(int address, std::string text) { hexAsRead_[address] = std::move(text); }
    const std::string* HexText(int address) const;

    // Changes with every write into the logging area (addresses 3072..65535), so a view built from that area
    // can tell it is still current without reading it again. Stamps are unique across all images: a copy
    // carries the stamp of the bytes it copied.
    uint64_t LogAreaStamp() const { return logStamp_; }

  private:
    void StampLogArea();

    uint64_t logStamp_ = 0;
    std::array<uint8_t, kSize> bytes_{};
    std::array<bool, kSize> marks_{};
    std::map<int, std::string> hexAsRead_; // few entries: only tokens that differ from the computed text
};
