#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// One answer of the unit to a command over TCP ("kv", the password, a written block), gathered however the
// network cuts it. The answer passes when it holds "OK" (read as a C string) in fewer than `limit` bytes; it is
// whole once the line that holds "OK" has ended. An answer that can no longer pass is refused as soon as that
// shows: at `limit` bytes, or at a zero byte before any "OK". Any other answer only ends when it stops coming
// (Close), as the stream cannot tell a finished refusal from one still on its way; one that has ended a line is
// judged after a short quiet, so a refusal (or an "OK" ended by a bare CR) shows without the whole time limit.
class TcpAnswer
{
  public:
    enum class State { Open, Accepted, Refused };

    explicit TcpAnswer(size_t limit) : limit_(limit) {}

    // Takes bytes until the answer is decided; returns how many it took. What follows belongs to the next reply.
    size_t Take(std::string_view bytes);
    // The answer has stopped coming: it is judged on what came.
    void Close();

    State Result() const { return state_; }
    bool Decided() const { return state_ != State::Open; }
    bool Begun() const { return !text_.empty(); }
    // The bytes so far end a line: the unit has most likely said all it will, so a short quiet may judge it.
    bool AtLineEnd() const { return !text_.empty() && (text_.back() == '\r' || text_.back() == '\n'); }
    const std::string& Text() const { return text_; }

  private:
    void TakeByte(char c);

    size_t limit_;
    std::string text_;
    State state_ = State::Open;
    bool okSeen_ = false;
    bool textEnded_ = false; // a zero byte came: nothing after it counts
};
