#include "link/protocol/TcpAnswer.h"

namespace
{
unsigned char Bit(char lineEnd)
{
    return lineEnd == '\r' ? 1 : 2;
}

char PartnerOf(char lineEnd)
{
    return lineEnd == '\r' ? '\n' : '\r';
}

// Reads a run of line-end bytes as the unit sent them: two different bytes are a pair, any other byte ended its
// line by itself and is marked in alone. Returns the run's last byte where it may still be the first of a pair whose
// second byte is yet to come (the run ends the text so far), else '\0'.
char ReadRun(std::string_view run, bool complete, unsigned char& alone)
{
    for (size_t at = 0; at < run.size(); ++at) {
        if (at + 1 < run.size() && run[at + 1] != run[at])
            ++at;
        else if (at + 1 == run.size() && !complete)
            return run[at];
        else
            alone |= Bit(run[at]);
    }
    return '\0';
}
} // namespace

size_t TcpAnswer::Take(std::string_view bytes)
{
    size_t taken = 0;
    if (!bytes.empty() && TakesLateByte(bytes.front()))
        ++taken;
    while (taken < bytes.size() &&
           (state_ == State::Open || (state_ == State::Accepted && (keepsAll_ || IsLineEnd(bytes[taken])))))
        TakeByte(bytes[taken++]);
    return taken;
}

size_t TcpAnswer::TakeOwnRest(std::string_view bytes)
{
    const size_t taken = Take(bytes);
    if (taken < bytes.size())
        StartNext();
    return taken;
}

bool TcpAnswer::TakesLateByte(char c)
{
    const bool late = lateByte_ != '\0' && c == lateByte_;
    if (lateByte_ != '\0' && !late) // the byte it would have completed ended its line alone
        loneEnds_ |= Bit(PartnerOf(lateByte_));
    lateByte_ = '\0';
    return late;
}

void TcpAnswer::TakeByte(char c)
{
    text_.push_back(c);
    if (state_ == State::Accepted) // the line ends of an answer that passed
        return;
    if (text_.size() >= limit_) {
        state_ = State::Refused;
        return;
    }
    begun_ = begun_ || !IsLineEnd(c);
    if (c == '\0' && !textEnded_) {
        textEnded_ = true;
        if (!okSeen_)
            state_ = State::Refused;
        return;
    }
    if (!textEnded_ && c == 'K' && text_.size() >= 2 && text_[text_.size() - 2] == 'O')
        okSeen_ = true;
    else if (okSeen_ && IsLineEnd(c))
        state_ = State::Accepted;
}

void TcpAnswer::Close()
{
    if (state_ == State::Open && begun_)
        state_ = okSeen_ ? State::Accepted : State::Refused;
}

char TcpAnswer::ReadLineEnds()
{
    char open = '\0';
    for (size_t at = 0; at < text_.size();) {
        if (!IsLineEnd(text_[at])) {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < text_.size() && IsLineEnd(text_[end]))
            ++end;
        // Text after a run completes it; the last run may still await a byte.
        open = ReadRun(std::string_view(text_).substr(at, end - at), end < text_.size(), loneEnds_);
        at = end;
    }
    return open;
}

void TcpAnswer::StartNext()
{
    const char open = ReadLineEnds();
    const bool owesByte = state_ == State::Accepted && open != '\0' && (loneEnds_ & Bit(open)) == 0;
    const unsigned char loneEnds = loneEnds_;
    *this = TcpAnswer(limit_);
    lateByte_ = owesByte ? PartnerOf(open) : '\0';
    loneEnds_ = loneEnds;
}
