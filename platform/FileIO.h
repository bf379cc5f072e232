#pragma once

#include <string>
#include <string_view>

// Whole-file reads and writes for the tool's own files (preferences, image files, profiles). Both report the
// system's error number (0 on success), so that a caller can name the reason to the user.

// Reads the whole file into data. On failure data is left empty.
int ReadWholeFile(const std::string& path, std::string& data);

// Writes data to a new file beside path and renames it over path, so that a reader (or a crash, or a full
// disk) sees the old file or the new one, never a part of either. Through a symbolic link the link's target
// is replaced that way (the new file made beside the target) and the link stays. An existing file the user may
// not write is refused (EACCES); otherwise its permission bits are kept, and its owner where the system lets
// us. On failure the file is as it was and no temporary file is left behind.
int ReplaceFile(const std::string& path, std::string_view data);

// The system's text for an error number ("No such file or directory").
std::string SystemErrorText(int error);
