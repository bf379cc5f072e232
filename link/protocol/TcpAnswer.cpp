#include "link/protocol/TcpAnswer.h"

size_t TcpAnswer::Take(std::string_view bytes)
{
    size_t taken = TakeUntilDecided(bytes);
    while (taken < bytes.size() && state_ == State::Accepted && (keepsAll_ || IsLineEnd(bytes[taken])))
        TakeByte(bytes[taken++]);
    return taken;
}

size_t TcpAnswer::TakeUntilDecided(std::string_view bytes)
{
    size_t taken = 0;
    while (taken < bytes.size() && state_ == State::Open)
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
