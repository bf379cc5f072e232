#pragma once

#include "pages/Fields.h"
#include "pages/Redraw.h"

#include <string>

class QLineEdit;
struct TPageContext;

// The unit command as the image keeps it: without its "KV" prefix, in any letter case. A single character
// is never taken for a prefix.
std::string StripCommandPrefix(const std::string& text);

// A text edit that stores its text, cut to the slot, every time it is left, changed or not, and then shows
// the slot. stored, when given, turns the text into what is stored; Enter commits when commitOnEnter.
void BindTextAlways(TPageContext& ctx, QLineEdit* edit, TextSlot slot, TRedraw::Step step, bool commitOnEnter,
                    std::string (*stored)(const std::string&) = nullptr);

// A unit command edit: stored without its prefix, at every exit; no key commits it.
void BindCommandText(TPageContext& ctx, QLineEdit* edit, TextSlot slot);
