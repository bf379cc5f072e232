#pragma once

#include "pages/Bind.h"
#include "pages/Rows.h"

class QComboBox;
struct TPageContext;

// An editable pick list over the text slot of a TextField row: the user types freely or picks an item, and
// leaving the list stores its text (stored, when given, turns the typed text into the text stored). Typed
// texts never join the list, and the list never completes or recases them: what is typed is what is stored.
// Built, named, registered and bound as the page builder does it; laid out by the caller.
QComboBox* BuildTextPickList(TPageContext& ctx, const TRow& row, TStoredText stored = nullptr);
