#include "link/protocol/TcpReadSteps.h"

#include "link/protocol/Protocol.h"

#include <utility>

using namespace TcpProtocol;

std::vector<TcpReadPlacement> TcpReadSteps::Placements()
{
    std::vector<TcpReadPlacement> placements;
    for (size_t skip = 0; skip <= kMaxLeadingLineEnds; ++skip)
        placements.emplace_back(skip);
    return placements;
}

TcpReadSteps::Outcome TcpReadSteps::Feed(std::string_view received)
{
    Outcome out;
    size_t pos = 0;
    while (pos < received.size() && phase_ != Phase::Over) {
        const bool answering = phase_ == Phase::KvAnswer || phase_ == Phase::PasswordAnswer;
        if (answer_.Result() == TcpAnswer::State::Accepted) {
            pos += answer_.TakeOwnRest(received.substr(pos));
        } else if (answering && commandsOut_ <= step_) {
            break; // nothing asked yet: shown, never counted
        } else if (answering) {
            pos += RequestOut() ? answer_.TakeUntilDecided(received.substr(pos)) : answer_.Take(received.substr(pos));
            if (answer_.Decided())
                pos += AnswerDecided(out, received.substr(pos));
        } else {
            TakeReply(received.substr(pos), out);
            pos = received.size();
        }
    }
    if (phase_ == Phase::Reply) {
        for (TcpReadPlacement& placement : placements_)
            placement.Judge();
        Decide(out);
    }
    return out;
}

TcpReadSteps::Outcome TcpReadSteps::Stalled()
{
    Outcome out;
    if (!InsideReply())
        return out;
    if (phase_ == Phase::Reply) {
        for (TcpReadPlacement& placement : placements_)
            placement.Stall();
        Decide(out);
    } else {
        answer_.Close();
        AnswerDecided(out, {});
    }
    return out;
}

void TcpReadSteps::CommandSent()
{
    ++commandsOut_;
    if (answer_.KeepsWhatFollows())
        answer_.StartNext();
}

bool TcpReadSteps::AnswerAtLineEnd() const
{
    return (phase_ == Phase::KvAnswer || phase_ == Phase::PasswordAnswer) && !answer_.Decided() && answer_.AtLineEnd();
}

bool TcpReadSteps::InsideReply() const
{
    switch (phase_) {
    case Phase::KvAnswer:
    case Phase::PasswordAnswer:
        return answer_.Begun() && !answer_.Decided();
    case Phase::Reply:
        return replyBegun_;
    case Phase::Over:
        break;
    }
    return false;
}

size_t TcpReadSteps::AnswerDecided(Outcome& out, std::string_view rest)
{
    const bool requestOut = RequestOut();
    ++step_;
    const bool password = phase_ == Phase::PasswordAnswer;
    if (answer_.Result() != TcpAnswer::State::Accepted) {
        Fail(out, password ? Msg::kPasswordIncorrect : "", false);
        return 0;
    }
    // While the next command is not out, the rest of the read and all after it are this answer's.
    const bool nextOut = commandsOut_ > step_;
    if (!nextOut)
        answer_.KeepWhatFollows();
    const size_t taken = requestOut ? 0 : answer_.Take(rest);
    out.logLines.push_back(answer_.Text());
    out.logLines.emplace_back(password ? TcpMsg::kPwdCheckOk : TcpMsg::kKvCheckOk);
    if (nextOut)
        answer_.StartNext();
    phase_ = password ? Phase::Reply : Phase::PasswordAnswer;
    return taken;
}

void TcpReadSteps::TakeReply(std::string_view bytes, Outcome& out)
{
    for (TcpReadPlacement& placement : placements_)
        placement.Take(bytes);
    for (const char c : bytes)
        replyBegun_ = replyBegun_ || !TcpAnswer::IsLineEnd(c);
    ReportBlocks(out);
}

void TcpReadSteps::ReportBlocks(Outcome& out)
{
    for (size_t k = 0; k < placements_.size(); ++k)
        if (placements_[k].BlocksDone() > placements_[shown_].BlocksDone())
            shown_ = k;
    while (blocksShown_ < placements_[shown_].BlocksDone()) {
        ++step_;
        ++blocksShown_;
        out.logLines.push_back(Ordinal(blocksShown_) + TcpMsg::kReadBlockOk);
        out.progress = kBlockSize * blocksShown_;
    }
}

void TcpReadSteps::Decide(Outcome& out)
{
    using State = TcpReadPlacement::State;
    for (size_t k = 0; k < placements_.size(); ++k) {
        if (placements_[k].Result() != State::Passed)
            continue;
        // A placement that skips too few bytes finishes first and may pass by chance; one that skips more and may
        // still pass is the unit's if its closing reply comes whole, which this one's then outgrows.
        for (size_t more = k + 1; more < placements_.size(); ++more)
            if (placements_[more].CanStillPass())
                return;
        Finish(out, k);
        return;
    }
    const auto rank = [](const TcpReadPlacement& p) { return std::pair(p.Result(), p.BlocksDone()); };
    size_t furthest = 0;
    for (size_t k = 0; k < placements_.size(); ++k) {
        if (!placements_[k].Final())
            return;
        if (rank(placements_[k]) > rank(placements_[furthest]))
            furthest = k;
    }
    switch (placements_[furthest].Result()) {
    case State::NoHeader:
        shown_ = furthest;
        ++step_;
        Fail(out, "", false);
        break;
    case State::CutShort:
        shown_ = furthest;
        Fail(out, Msg::kReadFailed, true);
        break;
    default:
        Finish(out, furthest);
        break;
    }
}

void TcpReadSteps::Finish(Outcome& out, size_t placement)
{
    using State = TcpReadPlacement::State;
    const TcpReadPlacement& taken = placements_[placement];
    shown_ = placement;
    ++step_;
    phase_ = Phase::Over;
    out.result = Result::Finished;
    out.reportStatus = true;
    if (taken.Result() == State::BadClosing) {
        out.message = Msg::kReadFailed;
        return;
    }
    out.logLines.emplace_back(TcpMsg::kAllReadBlocksOk);
    out.progress = kConfigSize;
    out.checksumCompared = true;
    if (taken.Result() == State::BadChecksum) {
        out.message = Msg::kChecksumFailed;
        return;
    }
    out.logLines.emplace_back(TcpMsg::kChecksumOk);
    out.message = Msg::kReadOk;
    out.image = taken.Image();
}

void TcpReadSteps::Fail(Outcome& out, const std::string& message, bool reportStatus)
{
    phase_ = Phase::Over;
    out.result = Result::Failed;
    out.message = message;
    out.reportStatus = reportStatus;
}
