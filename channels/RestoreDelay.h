#pragma once

#include <vector>

class QLineEdit;
struct TPageContext;

// The restore delay is one word for all channels, shown in every channel's group. Leaving any of its edits
// stores it every time (0..65534; 65535 is the erased word and becomes 600, as the unit reads it) and shows
// the stored text in all of them.
void BindRestoreDelay(TPageContext& ctx, const std::vector<QLineEdit*>& edits);
