#pragma once

#include <string>
#include <sys/stat.h>

// Whole-file reads for the tool's own files (preferences, image files, profiles); their saves are in
// FileReplace.h. The read reports the system's error number (0 on success), so that a caller can name the
// reason to the user.

// The error of a read or a save that finds a pipe, a device or a socket under the name: opening one to read or
// write could wait for another program for ever, or hand it the bytes. Outside the system's own numbers.
inline constexpr int kNotRegularFile = 0x10000;

// Reads the whole file into data. On failure data is left empty. Only a regular file is read: anything else is
// refused at once (kNotRegularFile), a directory as the system refuses it.
int ReadWholeFile(const std::string& path, std::string& data);

// For a file opened not to wait (O_NONBLOCK), so that a pipe under the name cannot hold the open: 0 when it is
// a regular file, which then waits for its bytes again as any other; else EISDIR or kNotRegularFile. Judged on
// what the open found, not on what the name showed a moment before. st: what fstat found.
int OnlyRegular(int fd, struct stat& st);

// The system's text for an error number ("No such file or directory"), and ours for kNotRegularFile.
std::string SystemErrorText(int error);
