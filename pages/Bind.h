#pragma once

#include "pages/Fields.h"
#include "pages/Redraw.h"
#include "pages/Rows.h"

#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class TCheckBox;
class TRadioGroup;
struct TPageContext;

// Sets a widget only when its value differs, so a full redraw repaints what changed and nothing else.
void ShowText(QLineEdit* edit, const std::string& text);
void ShowText(QLabel* label, const std::string& text);
void ShowChecked(TCheckBox* box, bool checked);
void ShowIndex(TRadioGroup* group, int index);
void ShowIndex(QComboBox* box, int index);

// An edit of a kind of its own: show is its decoder at step; exit runs when the edit is left and on Enter,
// and is registered under the edit's object name. Returns exit.
std::function<void()> BindEdit(TPageContext& ctx, QLineEdit* edit, TRedraw::Step step, std::function<void()> show,
                               std::function<void()> exit);

// The generic editors: each binds one control to one field row. The control's object name is the
// name its Exit handler is found by (TPageContext::Exits). Returns the Exit handler.

// Text slot: maximum length slot - 1; Exit writes when the text differs, then shows the field again;
// Enter commits without moving the focus.
std::function<void()> BindTextSlot(TPageContext& ctx, QLineEdit* edit, TextSlot field, TRedraw::Step step,
                                   ErasedSlot erased = ErasedSlot::Raw);
// Number: Exit converts (conversion error on a bad text), clamps to 0..max writing the bound back into
// the edit, and writes by the field's policy; no redraw. Enter commits.
std::function<void()> BindNumber(TPageContext& ctx, QLineEdit* edit, NumberField field, TRedraw::Step step);
// Switch: the click writes the bit through SetImageBits; the decoder sets the box.
void BindSwitch(TPageContext& ctx, TCheckBox* box, BitSwitch field, TRedraw::Step step);
// Multi-bit choice: the click writes the item's pattern (redraw when the byte changes).
void BindChoice(TPageContext& ctx, TRadioGroup* group, MultiBitChoice field, TRedraw::Step step);
// Choice over two bits: the click writes the item's two bits (each a switch write).
void BindPairChoice(TPageContext& ctx, TRadioGroup* group, BitPairChoice field, TRedraw::Step step);
// Nibble: the click writes the item index into its half (always, no redraw).
void BindNibble(TPageContext& ctx, TRadioGroup* group, Nibble field, TRedraw::Step step);
// Scaled number: Exit converts (floating point conversion error), clamps into the edit, writes when the
// stored value differs; the decoder shows the stored value with the field's decimals.
std::function<void()> BindScaled(TPageContext& ctx, QLineEdit* edit, ScaledNumber field, TRedraw::Step step);
// Combo index: a pick by the user writes the index when it differs; the decoder sets the index.
void BindComboIndex(TPageContext& ctx, QComboBox* box, ComboIndex field, TRedraw::Step step);
