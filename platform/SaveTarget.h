#pragma once

#include "platform/FileReplace.h"

#include <string>

// The file a save to path lands in: path itself, or the file at the end of its chain of symbolic links (which
// need not exist yet), each relative link taken from its own folder. A link that another user put in a
// sticky folder everyone may write is not followed, as the kernel would not follow it either: that would let
// the other user point the save at any file the user may write.
SaveResult SaveTarget(const std::string& path, std::string& target);

// The folder holding path, as the system would look it up.
std::string FolderOf(const std::string& path);
