#pragma once

#include <string>

class QComboBox;
class QGroupBox;
struct TPageContext;

// What an init command stores for a typed text: a leading "AT" (in any case) dropped once, the rest as typed.
// The unit puts the "AT" back itself when it runs the command.
std::string WithoutAtPrefix(const std::string& typed);

// The init command table ("Init AT/KV-Command Table", ComboBox1..ComboBox5, 31-byte slots from 1317) and the
// two time servers ("NTP Servers:", ComboBox6 and ComboBox7, from 1472), which join the clock sync group:
// editable pick lists whose erased slot shows empty. Each fills its entry of the write commit list
// (ComboBox1Exit..ComboBox7Exit).
QGroupBox* BuildInitCommandTable(TPageContext& ctx);
void BuildTimeServers(TPageContext& ctx, QGroupBox* clockSync);
