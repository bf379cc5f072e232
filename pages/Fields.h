#pragma once

#include <cstdint>
#include <string>

class ImageStore;

// The regular kinds of image field. A field's address stands once, in the table that declares it;
// editors and decoders take the row.

// A text of at most slot - 1 characters followed by one 0 byte.
struct TextSlot {
    int address;
    int slot;
    int MaxLength() const { return slot - 1; }
};

enum class WritePolicy { Always, WhenDifferent };

// An unsigned big-endian number of 1, 2 or 4 bytes with an upper bound.
struct NumberField {
    int address;
    int length;
    uint32_t max;
    WritePolicy policy = WritePolicy::Always;
};

// One switch bit; an active-low switch is on while its bit is clear.
struct BitSwitch {
    int address;
    uint8_t mask;
    bool activeLow = false;
};

// --- text slots ---------------------------------------------------------------------------------------
std::string ReadTextSlot(const ImageStore& image, const TextSlot& field);
// Writes text + one 0 byte (marked) when it differs from the slot's text; the bytes behind the new
// terminator keep their contents. A text longer than the slot allows is cut to fit, so a write never
// leaves its slot. Returns whether it wrote.
bool WriteTextSlot(ImageStore& image, const TextSlot& field, const std::string& text);
// As WriteTextSlot, but writes even an unchanged text.
void WriteTextSlotAlways(ImageStore& image, const TextSlot& field, const std::string& text);

// --- numbers ------------------------------------------------------------------------------------------
uint32_t ReadNumber(const ImageStore& image, const NumberField& field);
// The value a number edit stores: text read as a decimal integer (EConvertError when it is none),
// clamped to 0..max.
struct ClampedNumber {
    uint32_t value;
    bool clamped;
};
ClampedNumber ClampNumberText(const std::string& text, uint32_t max);
// Writes value (marked) as the field's big-endian bytes, always or only when a byte differs.
// Returns whether it wrote.
bool WriteNumber(ImageStore& image, const NumberField& field, uint32_t value);

// --- switches -----------------------------------------------------------------------------------------
bool ReadSwitch(const ImageStore& image, const BitSwitch& field);
// Through SetImageBits: writes and redraws everything only when the bit changes.
void WriteSwitch(ImageStore& image, const BitSwitch& field, bool on);
