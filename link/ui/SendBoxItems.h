#pragma once

// The unit commands offered by the terminal's send box, in the order of their descriptions (CommandDescription).
inline constexpr int kSendBoxItemCount = 60;
extern const char* const kSendBoxItems[kSendBoxItemCount];
