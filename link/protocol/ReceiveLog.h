#pragma once

#include "link/protocol/LocalTime.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How the terminal page's log window records what the unit sends: one time stamp per second of traffic,
// bytes as they came, or every byte as hexadecimal, or control bytes as decimal codes. Pure logic over the
// log's byte text; the page appends what it is told to append.
namespace ReceiveRender
{

// "[4F]": two upper-case hexadecimal digits.
std::string HexByte(uint8_t b);
// "[13]": the decimal code, no leading zeros.
std::string DecimalByte(uint8_t b);
// Bytes 0..32 (control characters and the blank) and 128..255 are the ones shown by code.
bool ShownAsCode(uint8_t b);
// "hh:mm:ss.cc : " (14 characters).
std::string Stamp(const LocalTime& t);

// What a new line adds to a log whose text is text: a line break first when the last line is not empty.
std::string NewLineText(std::string_view text, std::string_view line);

// The unit reports a start with " SYS" (a blank, then SYS) in its banner; the block is read as text up to its
// first zero byte.
bool AsksForEscape(std::string_view block);

} // namespace ReceiveRender

struct ReceiveLogOptions {
    bool ShowTS = true;   // time-stamped log ("Log with Time Stamp ")
    bool Hex = false;     // every byte as hexadecimal ("Show Hex")
    bool ShowAll = false; // control bytes as decimal codes ("Show all char")
};

// What one received block does to the log.
struct ReceiveLogUpdate {
    std::string Append; // bytes to append to the log's text
    bool MarkMoved = false;
    size_t MarkInAppend = 0; // when MarkMoved: the new mark's offset inside Append (may equal its size)
};

// The state of the log between blocks: the second of the last block and the mark the view keeps in sight.
class ReceiveLog
{
  public:
    // text: the log's text before this block.
    ReceiveLogUpdate OnBlock(std::string_view text, std::string_view block, const LocalTime& now,
                             const ReceiveLogOptions& options);

    // rxLogMark: a byte position in the log's text.
    size_t Mark() const { return mark_; }
    void ResetMark() { mark_ = 0; }

  private:
    LocalTime stampTime_; // rxStampTime: only hour, minute, second count
    size_t mark_ = 0;
};
