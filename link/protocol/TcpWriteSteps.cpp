#include "link/protocol/TcpWriteSteps.h"

#include "link/protocol/Framing.h"
#include "link/protocol/Protocol.h"

using namespace TcpProtocol;

TcpWriteSteps::Outcome TcpWriteSteps::Feed(std::string_view received)
{
    Outcome out;
    size_t pos = 0;
    while (pos < received.size() && !over_) {
        pos += answer_.Take(received.substr(pos));
        if (answer_.Decided())
            AnswerDecided(out);
    }
    return out;
}

TcpWriteSteps::Outcome TcpWriteSteps::Stalled()
{
    Outcome out;
    if (InsideReply()) {
        answer_.Close();
        AnswerDecided(out);
    }
    return out;
}

void TcpWriteSteps::AnswerDecided(Outcome& out)
{
    const int step = ++step_;
    const TcpAnswer answer = answer_;
    answer_.StartNext();
    if (answer.Result() != TcpAnswer::State::Accepted) {
        over_ = true;
        out.result = Result::Failed;
        out.message = step == 2 ? Msg::kPasswordIncorrect : "";
        return;
    }
    if (step <= 2) {
        out.logLines.push_back(answer.Text());
        out.logLines.emplace_back(step == 1 ? TcpMsg::kKvCheckOk : TcpMsg::kPwdCheckOk);
        return;
    }
    out.logLines.push_back(Ordinal(step - 2) + TcpMsg::kWriteBlockOk);
    if (step == 2 + kWriteBlockCount) {
        over_ = true;
        out.logLines.emplace_back(TcpMsg::kAllWriteBlocksOk);
        out.result = Result::Finished;
        out.message = Msg::kWriteOk;
    }
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
