#pragma once

#include "pages/Fields.h"

#include <cstdint>
#include <string>
#include <vector>

// How a channel's group behaves. I/O1 is digital and can be switched off; I/O2..I/O7 are digital inputs or
// outputs or analogue inputs; I/O8 watches the supply and raises only a low-level alarm.
enum class TChannelKind { Switchable, Mixed, PowerIn };

// Bytes with one bit per channel (channel n owns bit n - 1).
inline constexpr int kKindByte = 158;      // 1: I/O1 switched off, I/O2..I/O7 analogue
inline constexpr int kDirectionByte = 160; // 1: output
inline constexpr int kStateByte = 162;     // initial state of an output, 1: on
inline constexpr int kUdpServer2Byte = 271;
inline constexpr int kCommandBoxByte = 274; // "Send KV-cmd internally"
// One restore delay for every channel, seconds; 65535 (erased) stands for 600.
inline constexpr int kRestoreDelayWord = 275;

// Layout of the alarm bytes: the mode in bits 0-1, the restore delay switch in bit 2 (of the digital alarm
// byte, or of I/O8's analogue alarm byte), the restore alert in bit 4 of the analogue alarm byte.
inline constexpr uint8_t kModeLow = 0x01;
inline constexpr uint8_t kModeHigh = 0x02;
inline constexpr uint8_t kRestoreDelayOn = 0x04;
inline constexpr uint8_t kRestoreAlert = 0x10;

// One channel: its fields in the image and the controls whose names follow no pattern. An address of 0 or
// an empty name: the channel has no such field or control. The recipients byte holds the SMS phone numbers
// 1..5 in bits 0..4, TCP server group A in bit 5, group B in bit 6 and UDP server IP1 in bit 7.
struct TChannel {
    int n;
    TChannelKind kind;
    int recipients;
    int digitalAlarm;
    int analogueAlarm;
    int alarmDelay; // word, seconds
    // Level words: signed millivolts or scaled units on I/O2..I/O7, unsigned hundredths of a volt on I/O8.
    int highLevel;
    int lowLevel;
    int hysteresis;
    int alarmText; // 32-byte slots: on closing (or the supply alarm), on opening
    int alarmText2;
    int command; // 21-byte slots of the unit commands, stored without "KV"
    int command2;
    uint8_t commandBit; // in kCommandBoxByte
    const char* commandBox;
    const char* udpServer2Box;
    const char* restoreSwitch;
    const char* restoreLabel; // "to normal analogue level"
    // Group boxes, by the names the help panel knows them by.
    const char* channelBox;
    const char* portBox;
    const char* smsBox;
    const char* internetBox;
    const char* delayBox;
    const char* restoreBox;
    const char* analogueBox;
    // The two-point calibration of an analogue input: the words Y1, Y2, X1, X2, then the unit text.
    int calibration;
    // I/O2's "Capture"/"PWM" choice, kept in the direction bit.
    bool specialFunction;

    // The mask of the channel in the bytes with one bit per channel.
    uint8_t Bit() const { return static_cast<uint8_t>(1u << (n - 1)); }
    // A control name with the channel number between prefix and suffix: Named("IO", "selection").
    std::string Named(const std::string& prefix, const std::string& suffix = "") const;
    // The calibration word k: 0 Y1, 1 Y2, 2 X1, 3 X2.
    int CalibrationWord(int k) const { return calibration + 2 * k; }
    // The name of the scaled unit, which captions the levels when they are shown scaled.
    TextSlot UnitText() const { return {calibration + 8, 9}; }
    // "Channel n Settings", or the power-in monitor's caption.
    std::string Caption() const;
};

// I/O1..I/O8 in order.
const std::vector<TChannel>& Channels();
