#pragma once

#include "pages/Fields.h"

#include <cstdint>
#include <string>

class ImageStore;

// The fields of the "General Settings" page that need more than a generic editor. Plain rules over the
// image; the page binds them to its edits.

// --- alarm phone numbers --------------------------------------------------------------------------------
// Number k (1..5): 19-byte slots from 46 on, ending right before the channels' recipient bytes.
TextSlot PhoneSlot(int k);
// Number k as stored: the caption of the "Number k" recipient box of every channel page.
std::string PhoneNumberText(const ImageStore& image, int k);

// --- SIM PIN (1000..1004: at most four characters) ----------------------------------------------------
constexpr TextSlot kSimPinSlot = {1000, 5};

// --- reference date (43..45: year, month, day, one byte each) -------------------------------------------
constexpr int kReferenceDateAddress = 43;
// Six digits, two a byte; a byte of 100 or more shows "00".
std::string ReferenceDateText(const ImageStore& image);
// Stores a typed date, taking its digits only, on every call. Exactly six digits are a date; any other count
// raises EConvertError and writes nothing, so a half-typed date never stores a stray byte.
void WriteReferenceDate(ImageStore& image, const std::string& typed);

// --- GNSS HDOP accept level (279..280, x 100) -----------------------------------------------------------
extern const ScaledNumber kHdopField;
// The stored hundredths for a typed level: truncated to the hundredth (a text that prints as 2.57 stores 257),
// at most 655.35; a level below 0.50 is refused for the unit's default 2.00 (clamped: the edit shows it).
ClampedNumber HdopFromText(const std::string& text);

// --- MEMS threshold (283, steps of 16 mg) ---------------------------------------------------------------
constexpr int kMemsThresholdAddress = 283;
// The threshold in mg the stored step means; 0 (sensor off) for 0 and for 128..255, the erased byte among them.
int MemsThresholdMg(uint8_t stored);
// The step for a typed threshold in mg: 1..2040 mg give mg div 16; 0, above 2040 and below 0 switch the
// sensor off (clamped: the edit shows "0").
ClampedNumber MemsStepFromText(const std::string& text);
// Writes the step, every time.
void WriteMemsStep(ImageStore& image, uint8_t step);

// --- hardware identity, written by the unit only --------------------------------------------------------
// The model number from 2542 (high byte), 2564 and 2565 (low byte), in decimal.
std::string HardwareModelText(const ImageStore& image);
// The serial number text at 2543 (21-byte slot); "N/A" when the slot is empty or erased.
std::string HardwareSerialText(const ImageStore& image);
