#pragma once

#include <span>
#include <string>

class QComboBox;
class QToolButton;
struct TPageContext;

// The access-point names "APN1:" (InitString, 885-934) and "APN2:" (InitString2, 935-984): editable pick lists
// over their 50-byte slots. Their items are the names of the program INI file; "Load File" (SpeedButton10)
// replaces the first list by the lines of a text file. Leaving a list writes its text when it differs.
struct TApnFields {
    QComboBox* apn1;
    QComboBox* apn2;
    QToolButton* loadList;
};
TApnFields BuildApnFields(TPageContext& ctx);

// Appends names to an APN list, each cut to what the list's slot holds: a name picked is a name that fits.
void AddApnNames(QComboBox* box, std::span<const std::string> names);

// SpeedButton10Click: the user picks a text file; its lines replace the items of box and the first one shows.
// Nothing reaches the image until the list is left. A file that cannot be read, or holds no line, raises an
// error with its name; the list stays as it was.
void LoadApnList(QComboBox* box);
