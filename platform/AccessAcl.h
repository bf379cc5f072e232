#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

// A file's access ACL as the system keeps it: the bytes of its "system.posix_acl_access" extended attribute
// (a header of version 2, then entries of a 16-bit tag, 16-bit rights and a 32-bit id, little-endian). Empty
// when the file has none, or its file system takes none.

// Reads path's access ACL; the error number on failure (0 with acl empty when there is none).
int ReadAccessAcl(const std::string& path, std::string& acl);

// Reads the default ACL of folder, the one files made in it start from, the same way.
int ReadDefaultAcl(const std::string& folder, std::string& acl);

// The access ACL the system gives a file made with mode in a folder whose default ACL is defaultAcl: the
// default's entries, with the owner's, the others' and the mask's rights (the file group's, where there is no
// mask) no wider than mode gives them. The process's mask plays no part there.
std::string AclForNewFile(std::string defaultAcl, mode_t mode);

// Gives the open file fd the access ACL acl, or takes away one it got from its folder's default ACL when acl
// is empty. A file system that takes no ACL is left as it is (0); taken, where given, says whether it took it.
// Setting an ACL sets the permission bits of the owner, the group and others from it, in the same call.
int GiveAccessAcl(int fd, const std::string& acl, bool* taken = nullptr);

// mode with its group bits no wider than acl's entry for the file's group: without an ACL the group bits are
// the group's own rights, while with one they are the widest any named user or group holds. An ACL that
// cannot be read gives the group nothing.
mode_t GroupWithinAcl(mode_t mode, std::string_view acl);

// acl for a file that could not keep its group, where the old group's members count as others: no rights left
// for the file's group, and others' no wider than oldGroupRights (rwx in the low three bits), what the old group
// had.
std::string ForAnotherGroup(std::string acl, mode_t oldGroupRights);
