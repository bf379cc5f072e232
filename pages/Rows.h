#pragma once

#include "pages/Fields.h"
#include "pages/Redraw.h"

#include <string>
#include <variant>
#include <vector>

// A control that stands for no image field (a password sent to the unit, a switch of the transfers): the
// builder makes and names it, the page's own code gives it its meaning.
struct Unbound {
    enum Kind { Edit, Check, Label, Radio, Combo, Button } kind;
};

// Text slots show an erased slot (first byte 0xFF) as its raw characters or as empty. Leaving the control
// writes its text when it differs from the slot's, or every time (the unit's command tables, whose exits
// also drop a prefix and fill an erased slot).
enum class ErasedSlot { Raw, Empty };
struct TextField {
    TextSlot slot;
    ErasedSlot erased = ErasedSlot::Raw;
    WritePolicy write = WritePolicy::WhenDifferent;
};

using TField = std::variant<TextField, NumberField, BitSwitch, MultiBitChoice, BitPairChoice, Nibble, ScaledNumber,
                            ComboIndex, Unbound>;

// One control of a page: the builder creates a widget of the field's kind, names it, gives it its caption,
// binds it to its field (editor, Exit handler, decoder at its redraw step) and lays it out.
// Edits: QLineEdit; switches: TCheckBox; choices (one byte or two bits) and nibbles: TRadioGroup with items; combo
// indexes: QComboBox with items; unbound rows the widget of their kind (QPushButton for a button).
struct TRow {
    std::string name;
    std::string caption;
    TField field;
    TRedraw::Step step = TRedraw::StepCount; // StepCount: no decoder (unbound rows)
    std::vector<std::string> items = {};
    bool hidden = false;
};

// The image bytes a row's field covers, each with the bits it owns there (for the checks over all tables).
struct TFieldBytes {
    int address;
    int count;
    uint8_t mask;
};
std::vector<TFieldBytes> FieldBytes(const TField& field);
