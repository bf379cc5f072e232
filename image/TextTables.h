#pragma once

#include <string>

// Names of the serial port's baud-rate settings by ordinal (0..15); empty for custom, 128000, 256000.
const std::string& BaudRateName(int index);

constexpr int kCommandDescriptionCount = 60;
// Description of the terminal command box item (0..59), "&&" stored doubled as a label expects it;
// empty outside the table.
const std::string& CommandDescription(int index);
// The same text as a reader sees it: "&&" shown as "&".
std::string CommandDescriptionShown(int index);
