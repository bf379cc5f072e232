#include "link/protocol/TcpWriteSteps.h"

#include "link/protocol/Framing.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/TcpProtocol.h"

using namespace TcpProtocol;

TcpWriteSteps::Outcome TcpWriteSteps::Feed(std::string_view received)
{
    Outcome out;
    if (over_)
        return out;
    const int step = ++step_;
    const int lastStep = 2 + kWriteBlockCount;
    const bool accepted = step <= lastStep && Framing::ReplyContains(received, "OK") &&
                          received.size() < static_cast<size_t>(kWriteAnswerLimit);
    if (!accepted) {
        over_ = true;
        out.result = Result::Failed;
        out.message = step == 2 ? Msg::kPasswordIncorrect : "";
        return out;
    }
    if (step <= 2) {
        out.logLines.emplace_back(received);
        out.logLines.emplace_back(step == 1 ? TcpMsg::kKvCheckOk : TcpMsg::kPwdCheckOk);
        return out;
    }
    out.logLines.push_back(Ordinal(step - 2) + TcpMsg::kWriteBlockOk);
    if (step == lastStep) {
        over_ = true;
        out.logLines.emplace_back(TcpMsg::kAllWriteBlocksOk);
        out.result = Result::Finished;
        out.message = Msg::kWriteOk;
    }
    return out;
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
