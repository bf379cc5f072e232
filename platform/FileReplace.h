#pragma once

#include <string>
#include <string_view>

// How a save of one of the tool's own files (preferences, image files, profiles) ended.
struct SaveResult {
    int error = 0;      // the system's error number; 0 when the file holds the new bytes, durably
    std::string reason; // what went wrong, for the user: the system's text and what it concerns
    bool Failed() const { return error != 0; }
    // A failure the system's text for error says all about.
    static SaveResult Of(int error);
};

// Writes data to a new file beside path and renames it over path, so that a reader (or a crash, or a full
// disk) sees the old file or the new one, never a part of either; the save counts as done only once the
// folder holding the file has been synced after the rename.
// - The new file is its owner's alone from the moment it exists, whatever its folder's default ACL names,
//   and takes the old file's owner, group, mode and access ACL before its first byte is written (the owner
//   where the system lets us give it, the group where the user belongs to it; a group the new file does not
//   keep, say one a setgid folder gave it, gets none of the old group's rights, and as the old group's members
//   count as others there, others get no more than the old group had, in the mode and in the ACL). No step on
//   the way admits anyone, for reading or for writing, that neither the old file nor the new one admits.
//   Where the file system takes no ACL, the group gets no more than the ACL's entry for it allowed. A file
//   that did not exist ends as a plain new file in its folder would: with what the folder's default ACL
//   gives, where it has one, else with what the process's mask allows. A folder whose default ACL cannot be
//   read stops no save: the new file then keeps what its create gave it.
// - Through a symbolic link the link's target is replaced that way and the link stays. In a sticky folder
//   that everyone may write, a link is followed, and a file replaced or written, only when the user or the
//   folder's owner owns it, as the kernel does: another user's link or file there is refused, root's save
//   too, and nothing changes.
// - Only a regular file is saved over: a pipe, a device or a socket under the name is refused at once.
// - An existing file the user may not write is refused (EACCES). One that the user may write in a folder
//   the user may not change is written in place, as desktop editors do. Room for the new bytes is claimed
//   first, so a full disk or a file size limit refuses the save with the file as it was; a failure after the
//   first byte may leave it incomplete, and the reason says so, naming the file.
// On any other failure the file is as it was and no temporary file is left behind.
SaveResult ReplaceFile(const std::string& path, std::string_view data);

// The steps of a save that others may see. Tests stop a save at one of them to look at what it has made.
// Each sync reports its own step once it has run, naming what it synced: the file or the folder; each change of
// the new file's owner, mode or ACL reports ProtectionChanged, naming the file.
enum class SaveStep { Created, ProtectionChanged, ReadyToWrite, FileSynced, Renamed, FolderSynced };
using SaveStepWatch = void (*)(SaveStep step, const std::string& file);
void WatchSaveSteps(SaveStepWatch watch);
