#pragma once

#include "pages/Fields.h"

#include <array>
#include <cstdint>

// The option fields whose switches do more than write their own bit, and the bits those switches force
// elsewhere. The plain switches stand only in the option table.
namespace OptionFields
{

// --- "General Settings" and "Communication" ---
inline constexpr BitSwitch kConnectBox{771, 0x10};
inline constexpr BitSwitch kServerBox{771, 0x40};
inline constexpr BitSwitch kUNCheckBox{166, 0x40};
// The unit ID sources, at most one ticked: IMEI and hardware number, SIM card ID, IMEI.
inline constexpr std::array<BitSwitch, 3> kUnitIdSources{{{1012, 0x10}, {771, 0x80, true}, {1012, 0x08, true}}};
inline const MultiBitChoice kADValRadioGroup{1015, 0x01, {0x00, 0x01}};

// --- "Data Transfer/Logging/Timers" ---
inline constexpr BitSwitch kSetIOCheckBox{1015, 0x08, true};
// What "Toggle SensFeed(ch30)" sets besides its own bit: a bit of I/O7's bytes 159 and 161.
inline constexpr BitSwitch kSensFeedOn{159, 0x04};
inline constexpr BitSwitch kSensFeedLevel{161, 0x04};
// "Activate and send data" of timers 2, 3 and 4.
inline constexpr std::array<BitSwitch, 3> kSendBoxes{{{1011, 0x02}, {1012, 0x20}, {1014, 0x01}}};
inline constexpr BitSwitch kCheckBox24{1015, 0x40, true}; // "Append Units"
inline constexpr BitSwitch kCheckBox37{1015, 0x04, true}; // "Append Control Char"
inline constexpr BitSwitch kLPCheckBox{1015, 0x10, true};
inline constexpr BitSwitch kSleepSendReq{1013, 0x10, true};
inline constexpr BitSwitch kPingBox{771, 0x20};
// The server of timers 2, 3 and 4: IP1 or IP2.
inline const std::array<MultiBitChoice, 3> kIPSWT{
    {{166, 0x10, {0x00, 0x10}}, {166, 0x20, {0x00, 0x20}}, {1015, 0x02, {0x00, 0x02}}}};
// Packet selections: bit n - 1 selects packet [#n]; SWT3 in 986, SWT4 in 985.
constexpr int PacketByte(int swt)
{
    return swt == 3 ? 986 : 985;
}
inline constexpr uint8_t kPacketUnitId = 0x04; // [#3]
constexpr uint8_t PacketStatusMask(int slot)   // [#4] .. [#7], slot 0 .. 3
{
    return static_cast<uint8_t>(0x08 << slot);
}
inline const MultiBitChoice kStatusPeriodSend{1013, 0x80, {0x00, 0x80}};
inline const BitPairChoice kSleepPeriodSend{{1013, 0x20}, {1014, 0x02}, {0b01, 0b11, 0b10}};

// --- pulse inputs, logging and periodicity ---
// Logging "Off", "On (Timed)", "On (Timed/Event on I/O1)": logging on, then timed only.
inline const BitPairChoice kAnadataLog{{1014, 0x80}, {166, 0x01}, {0b01, 0b11, 0b10}};
// The edge I/O1 counts on, "Low to high", "High to low", "Both": both bits set count both edges too.
inline const BitPairChoice kIO1edge{{166, 0x04}, {166, 0x02}, {0b00, 0b01, 0b10}};
constexpr BitSwitch Logged(int channel) // channel 1 .. 7
{
    return {1019, static_cast<uint8_t>(1 << (channel - 1))};
}
// Channels 1 to 4 count plain pulses while their bit is set ("rate" box clear); 5 to 7 always do.
constexpr BitSwitch PlainPulses(int channel)
{
    return {1021, static_cast<uint8_t>(1 << (channel - 1))};
}
inline constexpr BitSwitch kFreqOrDiff{1021, 0x80};
// Channel n's input wiring: the left (bit clear) or the right (set) word of its choice group's caption.
inline MultiBitChoice ChannelChoice(int channel)
{
    const auto bit = static_cast<uint8_t>(1 << (channel - 1));
    return {1020, bit, {0x00, bit}};
}
// What the rate boxes count, by the difference of counts (0) or by frequency (1): caption and hint.
inline constexpr const char* kRateCaptions[2] = {"Diff", "Freq"};
inline constexpr const char* kRateHints[2] = {"No of Pulses between each log time", "Pulses / min"};
inline const MultiBitChoice kPIPeriodLog{1014, 0x20, {0x00, 0x20}};
inline const MultiBitChoice kPIPeriodSend{1014, 0x08, {0x00, 0x08}};
inline const MultiBitChoice kInfoPeriodSend{1014, 0x10, {0x00, 0x10}};

} // namespace OptionFields
