#pragma once

#include <string>

// Steps a terminal applies to each received block before anyone sees it.

// Clears the top bit of every byte.
void ForceSevenBit(std::string& Block);

// Puts a line feed after every carriage return, also after one that already has a line feed behind it.
void AppendLineFeeds(std::string& Block);
