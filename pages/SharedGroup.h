#pragma once

#include <string>

class QGroupBox;
class QLayout;
class QWidget;
struct TPageContext;

// A titled group that several builders fill, each with a part of its own: the first builder to ask makes
// it, registers it under its name and places it (on a tab sheet's column, or inside a parent group); a later
// builder gets the same group. Parts stack in the order they are added. An empty name makes a group of one
// builder only, placed but not registered.
QGroupBox* SharedGroup(TPageContext& ctx, const std::string& name, const std::string& caption, QWidget* tabSheet,
                       int column);
QGroupBox* SharedGroup(TPageContext& ctx, const std::string& name, const std::string& caption, QGroupBox* parent);

// The titled group around a whole page (TSheet::Frame), registered under its name by the first builder that
// asks for it.
QGroupBox* SheetFrame(TPageContext& ctx, QWidget* tabSheet, const std::string& name, const std::string& caption);

// A frameless widget at the bottom of the group, for one builder's controls: the layout on it, no margins.
QLayout* AddPartTo(QGroupBox* group, QLayout* layoutOfPart);
template <class Layout> Layout* NewPart(QGroupBox* group)
{
    auto* layout = new Layout;
    AddPartTo(group, layout);
    return layout;
}

// The groups that more than one builder fills, and the frames of the pages.
namespace SharedGroups
{
inline constexpr const char* kGeneralFrame = "GroupBox32";          // "General Settings"
inline constexpr const char* kCommunicationFrame = "GroupBox68";    // "Communication Settings"
inline constexpr const char* kTransferFrame = "TransferFrame";      // "Data transfer/logging and Timer Settings"
inline constexpr const char* kUnitId = "UnitIdGroup";               // "Unit ID added to messages"
inline constexpr const char* kMiscellaneous = "MiscellaneousGroup"; // "Miscellaneous"
inline constexpr const char* kGnss = "GnssGroup";                   // "GNSS"
inline constexpr const char* kClockSync = "ClockSyncGroup";         // "Real Time Clock Sync"
inline constexpr const char* kConnected = "ConnectedGroup";         // "Connected to ISP or Server"
inline constexpr const char* kDialUp = "DialUpGroup";               // "ISP Dial up Login"
inline constexpr const char* kHeartBeat = "GroupBox110";            // "Heart Beat package"
inline constexpr const char* kPing = "PingGroup";                   // "Ping Sending "
inline constexpr const char* kTimerGroups[] = {"GroupBox66", "SWT2Group", "SWT3Group", "SWT4Group", "SWT5Group"};
} // namespace SharedGroups
