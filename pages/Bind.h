#pragma once

#include "pages/Fields.h"
#include "pages/Redraw.h"
#include "pages/Rows.h"

#include <functional>
#include <string>

class ImageStore;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;
class TCheckBox;
class TRadioGroup;
struct TPageContext;

// Sets a widget only when its value differs, so a full redraw repaints what changed and nothing else.
void ShowText(QLineEdit* edit, const std::string& text);
void ShowText(QLabel* label, const std::string& text);
void ShowChecked(TCheckBox* box, bool checked);
void ShowIndex(TRadioGroup* group, int index);
void ShowIndex(QComboBox* box, int index);

// An edit-like control's decoder at its step and its Exit handler, registered under the control's object name,
// run on leaving the control and on Enter (the focus stays). Returns the Exit handler. The building block of
// the editors below and of irregular fields.
std::function<void()> BindEdit(TPageContext& ctx, QWidget* control, TRedraw::Step step, std::function<void()> show,
                               std::function<void()> exit);

// The value a number edit stores: its text converted (conversion error on a bad text) and clamped to
// min..max, the bound written back into the edit, so a stored value out of range is corrected on leaving.
uint32_t NumberEditValue(QLineEdit* edit, const NumberField& field);
void ShowNumber(const ImageStore& image, QLineEdit* edit, const NumberField& field);

// The generic editors: each binds one control to one field row. The control's object name is the
// name its Exit handler is found by (TPageContext::Exits). Returns the Exit handler.

// Text slot: maximum length slot - 1; Exit writes when the text differs, then shows the field again;
// Enter commits without moving the focus.
std::function<void()> BindTextSlot(TPageContext& ctx, QLineEdit* edit, const TextField& field, TRedraw::Step step);
// The same for an editable pick list: the list's edit holds the text, the list itself is what is left.
// stored, when given, turns the typed text into the text stored (a prefix the unit does not want dropped).
using TStoredText = std::string (*)(const std::string& typed);
std::function<void()> BindTextSlot(TPageContext& ctx, QComboBox* box, const TextField& field, TRedraw::Step step,
                                   TStoredText stored = nullptr);
// Number: Exit takes NumberEditValue and writes it by the field's policy; no redraw. Enter commits.
std::function<void()> BindNumber(TPageContext& ctx, QLineEdit* edit, NumberField field, TRedraw::Step step);
// Switch: the click writes the bit through SetImageBits; the decoder sets the box.
void BindSwitch(TPageContext& ctx, TCheckBox* box, BitSwitch field, TRedraw::Step step);
// Multi-bit choice: the click writes the item's pattern (redraw when the byte changes).
void BindChoice(TPageContext& ctx, TRadioGroup* group, MultiBitChoice field, TRedraw::Step step);
// Choice over two bits: the click writes the item's two bits (each a switch write).
void BindPairChoice(TPageContext& ctx, TRadioGroup* group, BitPairChoice field, TRedraw::Step step);
// Nibble: the click writes the item index into its half (always, no redraw).
void BindNibble(TPageContext& ctx, TRadioGroup* group, Nibble field, TRedraw::Step step);
// Scaled number: Exit converts (floating point conversion error), clamps into the edit and writes, every time;
// the decoder shows the stored value with the field's decimals.
std::function<void()> BindScaled(TPageContext& ctx, QLineEdit* edit, ScaledNumber field, TRedraw::Step step);
// Combo index: a pick by the user writes the index when it differs; the decoder sets the index.
void BindComboIndex(TPageContext& ctx, QComboBox* box, ComboIndex field, TRedraw::Step step);
