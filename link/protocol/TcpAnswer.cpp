#include "link/protocol/TcpAnswer.h"

size_t TcpAnswer::Take(std::string_view bytes)
{
    size_t taken = 0;
    while (taken < bytes.size() && state_ == State::Open)
        TakeByte(bytes[taken++]);
    return taken;
}

void TcpAnswer::TakeByte(char c)
{
    text_.push_back(c);
    if (text_.size() >= limit_) {
        state_ = State::Refused;
        return;
    }
    if (c == '\0' && !textEnded_) {
        textEnded_ = true;
        if (!okSeen_)
            state_ = State::Refused;
        return;
    }
    if (!textEnded_ && c == 'K' && text_.size() >= 2 && text_[text_.size() - 2] == 'O')
        okSeen_ = true;
    else if (c == '\n' && okSeen_)
        state_ = State::Accepted;
}

void TcpAnswer::Close()
{
    if (state_ == State::Open)
        state_ = okSeen_ ? State::Accepted : State::Refused;
}
