#pragma once

#include <QString>

#include <string>

class TForm1;

// What the window's file handlers share: a path as the window shows it and as the file system spells it,
// and how a file fault reaches the user.

// Paths are the file system's bytes; the window shows single-byte text.
QString PathCaption(const std::string& path);
std::string PathText(const std::string& path);

// A name made of image text (Latin-1) as the file system spells it.
std::string LocalFileName(const std::string& latin1Name);

// A file fault leaves everything as it was; the user learns what and why from the status bar and a box.
void ReportFileFault(TForm1& form, const std::string& text);
