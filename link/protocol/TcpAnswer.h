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
// same way: the line-end bytes that come in the same read after the "OK" line belong to the answer, and so does the
// byte that completes its last line end when it comes in a later read, before anything else. Each line-end byte is
// judged by what the unit has shown of it in the transfer: one it has ended a line with alone is never the first
// of a pair, so nothing is awaited after it; one it has only used in pairs still awaits its pair's second byte.
// Line ends alone do not begin an answer.
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
    // The answer has stopped coming: it is judged on what came. Line ends alone are no answer to judge.
    void Close();
    // The next command's answer follows; a late byte of this one's last line end is still taken as this one's.
    void StartNext();
    // Its command is still the last one out: once it passed, every byte that comes is its own, until StartNext.
    void KeepWhatFollows() { keepsAll_ = true; }
    bool KeepsWhatFollows() const { return keepsAll_ && state_ == State::Accepted; }
    // An answer that passed takes what is still its own; once anything else comes, the next answer starts.
    // Returns how many bytes it took.
    size_t TakeOwnRest(std::string_view bytes);
    // The first byte after StartNext: true when it is the byte the answer before still missed from its last line
    // end (it is that answer's then). Any other byte ends the wait for it, and shows that line end was one byte.
    bool TakesLateByte(char c);

    State Result() const { return state_; }
    bool Decided() const { return state_ != State::Open; }
    // It holds something besides line ends.
    bool Begun() const { return begun_; }
    // Begun, and the bytes so far end a line: the unit has most likely said all it will.
    bool AtLineEnd() const { return begun_ && IsLineEnd(text_.back()); }
    const std::string& Text() const { return text_; }

  private:
    void TakeByte(char c);
    // Learns from the text's line ends which bytes the unit ends a line with alone; returns the byte that ends the
    // text where it may still be the first of a pair, else '\0'.
    char ReadLineEnds();

    size_t limit_;
    std::string text_;
    State state_ = State::Open;
    bool begun_ = false;
    bool okSeen_ = false;
    bool textEnded_ = false;     // a zero byte came: nothing after it counts
    char lateByte_ = '\0';       // the byte the answer before still awaits at the start of this one
    unsigned char loneEnds_ = 0; // the line-end bytes the transfer has shown ending a line alone (CR 1, LF 2)
    bool keepsAll_ = false;
};
