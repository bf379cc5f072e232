#pragma once

#include <string>

// The unit's command set as it travels over TCP: "kv" instead of "kvrw1", the read request without its CR,
// no "kvrw0", and the image in 256-byte escaped blocks (twelve read, eight written).
namespace TcpProtocol
{

inline constexpr const char* kPrepare = "kv\r";
inline constexpr const char* kReadConfig = "kvrea0"; // no CR: the unit answers at once

inline constexpr int kBlockSize = 256;
inline constexpr int kReadBlockCount = 12;
inline constexpr int kWriteBlockCount = 8;
inline constexpr int kReadHeaderSize = 6;   // in front of the first block; holds "REA="
inline constexpr int kClosingReplySize = 8; // the reply after the twelfth block, exactly this long
inline constexpr int kConfigSize = kBlockSize * kReadBlockCount;

// An answer to "kv" or the password is refused from this many bytes on (the read's and the write's limit).
inline constexpr int kReadAnswerLimit = 256;
inline constexpr int kWriteAnswerLimit = 512;

// Bytes waiting that end a command's wait and a block's acknowledgement wait.
inline constexpr int kCommandReplyCount = 30;
inline constexpr int kAckReplyCount = 10;

// "1st", "2nd", "3rd", "4th" ... "12th": how the step messages count blocks.
inline std::string Ordinal(int n)
{
    const char* suffix = "th";
    if (n % 100 < 11 || n % 100 > 13) {
        if (n % 10 == 1)
            suffix = "st";
        else if (n % 10 == 2)
            suffix = "nd";
        else if (n % 10 == 3)
            suffix = "rd";
    }
    return std::to_string(n) + suffix;
}

} // namespace TcpProtocol

namespace TcpMsg
{
inline constexpr const char* kNoValidSocket = "ERROR: No Valid Socket Open";
inline constexpr const char* kKvCheckOk = "KV Check OK";
inline constexpr const char* kPwdCheckOk = "Pwd Check OK";
inline constexpr const char* kReadBlockOk = " Read Block Received OK"; // after the ordinal
inline constexpr const char* kAllReadBlocksOk = "All Read Blocks Received OK";
inline constexpr const char* kChecksumOk = "Checksum OK";
inline constexpr const char* kWriteBlockOk = " Block Send/Write OK"; // after the ordinal
inline constexpr const char* kAllWriteBlocksOk = "All Blocks Send/Write OK";
} // namespace TcpMsg
