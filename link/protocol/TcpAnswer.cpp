#include "link/protocol/TcpAnswer.h"

namespace
{
// Whether run, line-end bytes all, reads as CR LF pairs or as LF CR pairs; one not yet complete may still lack the
// second byte of its last pair.
bool Pairs(std::string_view run, bool complete)
{
    for (size_t at = 0; at < run.size(); at += 2) {
        if (run[at] != run.front())
            return false;
        if (at + 1 == run.size())
            return !complete;
        if (run[at + 1] == run.front())
            return false;
    }
    return true;
}

// The run of line-end bytes that ends text (empty when text ends otherwise).
std::string_view LastRun(std::string_view text)
{
    size_t start = text.size();
    while (start > 0 && TcpAnswer::IsLineEnd(text[start - 1]))
        --start;
    return text.substr(start);
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
    singleEnds_ = singleEnds_ || (lateByte_ != '\0' && !late);
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

bool TcpAnswer::ShowsSingleLineEnds() const
{
    for (size_t at = 0; at < text_.size();) {
        if (!IsLineEnd(text_[at])) {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < text_.size() && IsLineEnd(text_[end]))
            ++end;
        // Text after a run completes it; the last run may still await a byte.
        if (!Pairs(std::string_view(text_).substr(at, end - at), end < text_.size()))
            return true;
        at = end;
    }
    return false;
}

void TcpAnswer::StartNext()
{
    const bool singles = singleEnds_ || ShowsSingleLineEnds();
    const std::string_view run = LastRun(text_);
    const bool owesByte = state_ == State::Accepted && !singles && run.size() % 2 != 0;
    const char late = !owesByte ? '\0' : run.back() == '\r' ? '\n' : '\r';
    *this = TcpAnswer(limit_);
    lateByte_ = late;
    singleEnds_ = singles;
}
