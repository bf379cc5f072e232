#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// An unsigned big-endian number of 1, 2 or 4 bytes with its bounds.
struct NumberField {
    int address;
    int length;
    uint32_t max;
    WritePolicy policy = WritePolicy::Always;
    uint32_t min = 0;
};

// One switch bit; an active-low switch is on while its bit is clear.
struct BitSwitch {
    int address;
    uint8_t mask;
    bool activeLow = false;
};

// A choice among items stored under a mask of one byte: item i is the bit pattern values[i]. A pattern no
// item has shows no item (index -1) and is left as it is until the user picks one.
struct MultiBitChoice {
    int address;
    uint8_t mask;
    std::vector<uint8_t> values;
};

// A choice kept in two bits that may lie in two bytes. Item i stores values[i]: bit 1 of it for the first
// bit, bit 0 for the second. While the first bit is clear the unit does not look at the second, so a pattern no
// item stores shows the one item that stores the same first bit (-1 if there is none or several).
struct BitPairChoice {
    BitSwitch first;
    BitSwitch second;
    std::vector<uint8_t> values;
};

// Four bits of a byte: the high half (high == true) or the low one. The item index is the value.
struct Nibble {
    int address;
    bool high;
};

// A decimal fraction stored as an unsigned big-endian integer: stored = shown x scale (HDOP x 100,
// supply level x 100, MEMS threshold / 16). Input is rounded to the nearest step or truncated, as the field
// was defined, then clamped to the field's range. Shown with that many decimals, or as the shortest text
// (no trailing zeros) when decimals is negative.
enum class Rounding { Nearest, Truncate };
struct ScaledNumber {
    int address;
    int length;
    double scale;
    int decimals;
    Rounding rounding = Rounding::Nearest;
    uint32_t maxStored = 0; // 0: the largest value the bytes hold
};

// A pick list whose item index is stored in the bits of mask (shifted down to bit 0).
struct ComboIndex {
    int address;
    uint8_t mask = 0xFF;
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
ClampedNumber ClampNumberText(const std::string& text, uint32_t max, uint32_t min = 0);
// Writes value (marked) as the field's big-endian bytes, always or only when a byte differs.
// Returns whether it wrote.
bool WriteNumber(ImageStore& image, const NumberField& field, uint32_t value);

// --- switches -----------------------------------------------------------------------------------------
bool ReadSwitch(const ImageStore& image, const BitSwitch& field);
// Through SetImageBits: writes and redraws everything only when the bit changes.
void WriteSwitch(ImageStore& image, const BitSwitch& field, bool on);

// --- multi-bit choices ------------------------------------------------------------------------------------
// The item whose pattern the byte holds, or -1.
int ReadChoice(const ImageStore& image, const MultiBitChoice& field);
// Writes the item's pattern under the mask, marked, redrawing when the byte changes (as SetImageBits).
void WriteChoice(ImageStore& image, const MultiBitChoice& field, int item);

// --- choices over two bits ----------------------------------------------------------------------------------
int ReadPairChoice(const ImageStore& image, const BitPairChoice& field);
// Writes the first bit, then the second, each as a switch (a changed byte redraws).
void WritePairChoice(ImageStore& image, const BitPairChoice& field, int item);

// --- nibbles ----------------------------------------------------------------------------------------------
int ReadNibble(const ImageStore& image, const Nibble& field);
// Always writes, never redraws.
void WriteNibble(ImageStore& image, const Nibble& field, int value);

// --- scaled numbers ---------------------------------------------------------------------------------------
uint32_t ScaledMaxStored(const ScaledNumber& field);
// A stored value as the field shows it; ScaledText shows the value the image holds.
std::string ScaledStoredText(uint32_t stored, const ScaledNumber& field);
std::string ScaledText(const ImageStore& image, const ScaledNumber& field);
// The stored value for a text: EConvertError for no number, NaN or infinity; clamped to 0..max.
ClampedNumber ScaledFromText(const std::string& text, const ScaledNumber& field);

// --- combo indexes ----------------------------------------------------------------------------------------
int ReadComboIndex(const ImageStore& image, const ComboIndex& field);
// Writes the index under the mask, marked, only when the byte changes; no redraw.
void WriteComboIndex(ImageStore& image, const ComboIndex& field, int index);
