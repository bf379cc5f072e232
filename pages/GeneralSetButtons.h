#pragma once

#include <array>
#include <cstdint>

class QWidget;
struct TPageContext;

// The hidden Set buttons of the general and communication pages (PhoneSetButton, SetButton1) and the
// commit-list entries that run them and the single commits of the SIM PIN and the reference date before a
// write to the unit or a save. phoneGroup: where PhoneSetButton stands.
void BuildGeneralSetButtons(TPageContext& ctx, QWidget* phoneGroup, QWidget* communicationSheet,
                            const std::array<uint8_t, 7>& channelType);
