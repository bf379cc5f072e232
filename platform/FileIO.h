#pragma once

#include <string>
#include <string_view>

// Whole-file reads and writes for the tool's own files (preferences, image files, profiles). Both report the
// system's error number (0 on success), so that a caller can name the reason to the user.

// Reads the whole file into data. On failure data is left empty.
int ReadWholeFile(const std::string& path, std::string& data);

// Writes data to a new file beside path and renames it over path, so that a reader (or a crash, or a full
// disk) sees the old file or the new one, never a part of either. An existing file's permission bits are
// kept. On failure path is as it was and no temporary file is left behind.
int ReplaceFile(const std::string& path, std::string_view data);

// The system's text for an error number ("No such file or directory").
std::string SystemErrorText(int error);
