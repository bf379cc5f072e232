#pragma once

#include "pages/Redraw.h"

#include <functional>
#include <string>

class ImageStore;
class QLineEdit;
struct TPageContext;

// A 16-bit big-endian word of the image shown as a signed or an unsigned decimal: the analogue levels, the
// hysteresis and the calibration points.
struct TWordField {
    int address;
    bool isSigned;
};

struct TWordRange {
    int min;
    int max;
};
inline constexpr TWordRange kSignedWord{-32768, 32767};
inline constexpr TWordRange kUnsignedWord{0, 65535};

std::string WordText(const ImageStore& image, const TWordField& field);

// The value a word edit stores: an empty text stands for 0, a text that is no number raises EConvertError,
// and a value outside the range becomes its nearest bound, so a word never wraps into another value.
struct TClampedWord {
    int value;
    bool clamped;
};
TClampedWord WordFromText(const std::string& text, TWordRange range);

// A word edit: the decoder shows the word at step; leaving the edit or pressing Enter stores its value every
// time, and an empty text or a value beyond the range shows what was stored. The range is asked at each exit,
// so a limit that follows a setting holds at once.
void BindWord(TPageContext& ctx, QLineEdit* edit, TWordField field, std::function<TWordRange()> range,
              TRedraw::Step step);
