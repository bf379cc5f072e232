#pragma once

#include "platform/FileReplace.h"

#include <string>
#include <sys/stat.h>

// The file a save to path lands in: path itself, or the file at the end of its chain of symbolic links (which
// need not exist yet), each relative link taken from its own folder. In a sticky folder everyone may write,
// a link or a file that another user put there is left alone, as the kernel leaves it alone to links and to
// files opened for creation: following the link would let that user point the save at any file the user may
// write, and replacing or writing the file would hand that user the saved bytes.
SaveResult SaveTarget(const std::string& path, std::string& target);

// The kernel's rule for shared folders, on an entry (a link or a file) whose status is st: in a sticky folder
// that others may write, only the user's own entries and the folder owner's may be followed or written.
SaveResult SharedFolderAllows(const std::string& entry, const struct stat& st);

// The folder holding path, as the system would look it up.
std::string FolderOf(const std::string& path);
