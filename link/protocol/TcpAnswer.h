#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// One answer of the unit to a command over TCP ("kv", the password, a written block), gathered however the
// network cuts it. The answer passes when it holds "OK" (read as a C string) in fewer than `limit` bytes; it is
// whole once the line that holds "OK" has ended, by a CR or an LF. An answer that can no longer pass is refused
// as soon as that shows: at `limit` bytes, or at a zero byte before any "OK". Any other answer only ends when it
// stops coming (Close), as the stream cannot tell a finished refusal from one still on its way.
// Units end their lines CR LF, LF CR, with a blank line after the last, or with a single CR or LF, not always the
// same way: the line-end bytes that come in the same read after the "OK" line belong to the answer. A byte of its
// last line end that comes later, after the next command went out, opens the next reply; line ends alone do not
// begin an answer, so it does no harm there.
// Units may say more after the "OK" line (a prompt, a status line): while no later command has gone out, all that
// comes after an answer that passed is still that answer's (KeepWhatFollows).
class TcpAnswer
{
  public:
    enum class State { Open, Accepted, Refused };

    explicit TcpAnswer(size_t limit) : limit_(limit) {}

    static bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

    // Takes bytes until the answer is decided and its line ends are in; returns how many it took. What follows
    // belongs to the next reply.
    size_t Take(std::string_view bytes);
    // Takes bytes until the answer is decided, not the line ends after it; returns how many it took.
    size_t TakeUntilDecided(std::string_view bytes);
    // The answer has stopped coming: it is judged on what came. Line ends alone are no answer to judge.
    void Close();
    // The next command's answer follows.
    void StartNext() { *this = TcpAnswer(limit_); }
    // Its command is still the last one out: once it passed, every byte that comes is its own, until StartNext.
    void KeepWhatFollows() { keepsAll_ = true; }
    bool KeepsWhatFollows() const { return keepsAll_ && state_ == State::Accepted; }
    // An answer that passed takes what is still its own; once anything else comes, the next answer starts.
    // Returns how many bytes it took.
    size_t TakeOwnRest(std::string_view bytes);

    State Result() const { return state_; }
    bool Decided() const { return state_ != State::Open; }
    // It holds something besides line ends.
    bool Begun() const { return begun_; }
    // Begun, and the bytes so far end a line: the unit has most likely said all it will.
    bool AtLineEnd() const { return begun_ && IsLineEnd(text_.back()); }
    const std::string& Text() const { return text_; }

  private:
    void TakeByte(char c);

    size_t limit_;
    std::string text_;
    State state_ = State::Open;
    bool begun_ = false;
    bool okSeen_ = false;
    bool textEnded_ = false; // a zero byte came: nothing after it counts
    bool keepsAll_ = false;
};
