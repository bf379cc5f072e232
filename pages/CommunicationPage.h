#pragma once

class QWidget;
struct TOptionHooks;
struct TPageContext;

// The unit's way onto the network: the APN names, dial-up login, server addresses and ports and the
// connection limits ("Communication"); the heart beat, ping failures, awake time and server destination
// captions ("Data Transfer/Logging/Timers"); the restart period, init command table and time servers
// ("General Settings").
void BuildCommunicationPage(TPageContext& ctx, QWidget* generalSheet, QWidget* timersSheet,
                            QWidget* communicationSheet);

// What the option switches change here: the user name is editable while the unit ID is not the user name,
// the ping failure count and its caption follow "Ping format", the awake time's caption follows "Sleep when
// Send Req is Done", and the destination captions follow the server choices and every redraw.
void FollowOptionSwitches(TPageContext& ctx, TOptionHooks& hooks);
