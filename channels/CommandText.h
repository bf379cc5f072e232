#pragma once

#include "pages/Fields.h"

#include <string>

class QLineEdit;
struct TPageContext;

// The unit command as the image keeps it: without its "KV" prefix, in any letter case. A single character
// is never taken for a prefix.
std::string StripCommandPrefix(const std::string& text);

// A unit command edit: leaving it stores the command without its prefix, always, cut to the slot, and
// shows what was stored; the redraw shows the slot.
void BindCommandText(TPageContext& ctx, QLineEdit* edit, TextSlot slot);
