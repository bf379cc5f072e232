#pragma once

#include <cstdio>
#include <string>

// The unit's command texts and the tool's outcome messages, as the unit and the field engineers know them.
namespace Protocol
{

inline constexpr char kCR = '\r';

inline constexpr const char* kEscapeToCommandMode = "---";
inline constexpr const char* kPrepare = "kvrw1\r";
inline constexpr const char* kPasswordPrefix = "kvpw=";
inline constexpr const char* kReadConfig = "kvrea0\r";
inline constexpr const char* kReadWholeMemory = "kvrea\r";
inline constexpr const char* kWriteBlockPrefix = "KVWEB";
inline constexpr const char* kRestore = "kvrw0\r";
inline constexpr const char* kClearLogArea = "kvspi=0,0\r";
inline constexpr const char* kSetTimerPrefix = "KVSWT=";
inline constexpr const char* kReadTimers = "KVSWT?\r";
inline constexpr const char* kReadHardwareType = "KVRP1\r";
// Byte writes into the unit's configuration memory (the calibration blocks): the prefix and the tool's
// write-enable code.
inline constexpr const char* kByteWritePrefix = "KVWE=";
inline constexpr const char* kWriteEnableCode = "QZ7M4K";

// Reply sizes the tool waits for and takes.
inline constexpr int kPrepareReplySize = 10;
inline constexpr int kShortReplySize = 6;
inline constexpr int kReadTailSize = 6;
inline constexpr int kChecksumSize = 2;

inline constexpr int kBlockSize = 512;
inline constexpr int kBlockCount = 4; // the first 2048 bytes; the unit keeps what it holds above
inline constexpr int kWriteProgressTotal = 3072;

} // namespace Protocol

namespace Msg
{
inline constexpr const char* kReadOk = "EEPROM Read OK!";
inline constexpr const char* kWriteOk = "EEPROM Write OK!";
inline constexpr const char* kCommFailure = "ERROR: Communication failure, KIV device connected?";
inline constexpr const char* kPasswordIncorrect = "ERROR: Password Incorrect";
inline constexpr const char* kReadFailed = "ERROR: EEPROM Read!";
inline constexpr const char* kChecksumFailed = "ERROR: EEPROM Checksum!";
inline constexpr const char* kWriteChecksumFailed = "ERROR: EEPROM Write Checksum!";
inline constexpr const char* kReadFirst = "ERROR: Read EEPROM must be done first!";
inline constexpr const char* kPortClosed = "Communication failure";
inline constexpr const char* kTimersReadOk = "Timers Read OK!";
inline constexpr const char* kTimersReadFailed = "ERROR: Read Timers!";
inline constexpr const char* kModemTypeOk = "Modem Type Read OK!";
inline constexpr const char* kModemTypeFailed = "ERROR: Read Modem Type!";
inline constexpr const char* kDevicePrefix = "Found device: KIV-";
inline constexpr const char* kLinkBusy = "ERROR: Serial link busy, wait until the running operation has ended!";

// Progress window captions are the progress window's own; these are the step lines.
inline constexpr const char* kStepModemType = "Read Modem Type";
inline constexpr const char* kStepInvokeReadTimers = "Invoke KV-Commands and read Timers";
inline constexpr const char* kStepInvokeWriteTimers = "Invoke KV-Commands and write Timers";
inline constexpr const char* kStepInvoke = "Invoke KV-Commands";
inline constexpr const char* kStepPrepare = "Prepare Comm settings";
inline constexpr const char* kStepPassword = "Checking Password";
inline constexpr const char* kStepStartReading = "Start Reading";
inline constexpr const char* kStepRestore = "Restore Comm settings";
inline constexpr const char* kStepClearLog = "Clear Log Area";
inline constexpr const char* kStepBlockWriting = "Block %d: Writing...";
inline constexpr const char* kStepBlockAck = "Block %d: Waiting for ack...";

// A block step line: one of the two formats above with the block's number counted from 1.
inline std::string BlockStep(const char* format, int number)
{
    char text[64];
    std::snprintf(text, sizeof text, format, number);
    return text;
}
} // namespace Msg
