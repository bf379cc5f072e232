#pragma once

#include <string>

// Whole-file reads for the tool's own files (preferences, image files, profiles); their saves are in
// FileReplace.h. The read reports the system's error number (0 on success), so that a caller can name the
// reason to the user.

// Reads the whole file into data. On failure data is left empty.
int ReadWholeFile(const std::string& path, std::string& data);

// The system's text for an error number ("No such file or directory").
std::string SystemErrorText(int error);
