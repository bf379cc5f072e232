#include "link/protocol/TcpWriteSteps.h"

#include "link/protocol/Framing.h"
#include "link/protocol/Protocol.h"

using namespace TcpProtocol;

TcpWriteSteps::Outcome TcpWriteSteps::Feed(std::string_view received)
{
    Outcome out;
    size_t pos = 0;
    while (pos < received.size() && !over_) {
        if (answer_.Result() == TcpAnswer::State::Accepted) {
            pos += answer_.TakeOwnRest(received.substr(pos));
        } else if (commandsOut_ <= step_) {
            break; // nothing asked yet: shown, never counted
        } else {
            pos += answer_.Take(received.substr(pos));
            if (answer_.Decided())
                pos += AnswerDecided(out, received.substr(pos));
        }
    }
    return out;
}

TcpWriteSteps::Outcome TcpWriteSteps::Stalled()
{
    Outcome out;
    if (InsideReply()) {
        answer_.Close();
        AnswerDecided(out, {});
    }
    return out;
}

void TcpWriteSteps::CommandSent()
{
    ++commandsOut_;
    if (answer_.KeepsWhatFollows())
        answer_.StartNext();
}

size_t TcpWriteSteps::AnswerDecided(Outcome& out, std::string_view rest)
{
    const int step = ++step_;
    if (answer_.Result() != TcpAnswer::State::Accepted) {
        over_ = true;
        out.result = Result::Failed;
        out.message = step == 2 ? Msg::kPasswordIncorrect : "";
        return 0;
    }
    // While the next command is not out, the rest of the read and all after it are this answer's.
    const bool nextOut = commandsOut_ > step;
    if (!nextOut)
        answer_.KeepWhatFollows();
    const size_t taken = answer_.Take(rest);
    if (step <= 2) {
        out.logLines.push_back(answer_.Text());
        out.logLines.emplace_back(step == 1 ? TcpMsg::kKvCheckOk : TcpMsg::kPwdCheckOk);
    } else {
        out.logLines.push_back(Ordinal(step - 2) + TcpMsg::kWriteBlockOk);
    }
    if (nextOut)
        answer_.StartNext();
    if (step == 2 + kWriteBlockCount) {
        over_ = true;
        out.logLines.emplace_back(TcpMsg::kAllWriteBlocksOk);
        out.result = Result::Finished;
        out.message = Msg::kWriteOk;
    }
    return taken;
}

std::string TcpBlockFrame(int block, std::string_view data)
{
    std::string frame = Protocol::kWriteBlockPrefix + std::to_string(block);
    frame += Framing::Escape(data);
    const uint16_t checksum = Framing::BlockChecksum(data);
    Framing::AppendEscaped(frame, Framing::HighByte(checksum));
    Framing::AppendEscaped(frame, Framing::LowByte(checksum));
    return frame;
}
