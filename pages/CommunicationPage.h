#pragma once

class QWidget;
struct TPageContext;

// The unit's way onto the network: the APN names, dial-up login, server addresses and ports and the
// connection limits ("Communication"); the heart beat, ping failures, awake time and server destination
// captions ("Data Transfer/Logging/Timers"); the restart period, init command table and time servers
// ("General Settings").
void BuildCommunicationPage(TPageContext& ctx, QWidget* generalSheet, QWidget* timersSheet,
                            QWidget* communicationSheet);
