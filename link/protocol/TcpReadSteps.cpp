#include "link/protocol/TcpReadSteps.h"

#include "link/protocol/Framing.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/TcpProtocol.h"

using namespace TcpProtocol;

size_t TcpReadSteps::BlockLength(int block) const
{
    if (block == 0)
        return kReadHeaderSize + kBlockSize;
    if (block == kReadBlockCount - 1)
        return kBlockSize + Protocol::kChecksumSize;
    return kBlockSize;
}

TcpReadSteps::Outcome TcpReadSteps::Feed(std::string_view received)
{
    Outcome out;
    switch (phase_) {
    case Phase::KvAnswer:
    case Phase::PasswordAnswer:
        TakeAnswer(received, out);
        break;
    case Phase::Blocks: {
        const size_t end = TakeBlockBytes(received, 0, out);
        if (phase_ == Phase::Closing && end < received.size())
            TakeClosing(received.substr(end), out);
        else if (phase_ == Phase::Blocks && (escapePending_ || !blocks_[static_cast<size_t>(block_)].empty()))
            // The read ended inside a block: the unit sent it short. Reading on would take the next block's
            // bytes (or the closing reply) for this one's.
            Fail(out, Msg::kReadFailed, true);
        break;
    }
    case Phase::Closing:
        TakeClosing(received, out);
        break;
    case Phase::Over:
        break;
    }
    return out;
}

void TcpReadSteps::TakeAnswer(std::string_view received, Outcome& out)
{
    ++step_;
    const bool password = phase_ == Phase::PasswordAnswer;
    if (!Framing::ReplyContains(received, "OK") || received.size() >= static_cast<size_t>(kReadAnswerLimit)) {
        Fail(out, password ? Msg::kPasswordIncorrect : "", false);
        return;
    }
    out.logLines.emplace_back(received);
    out.logLines.emplace_back(password ? TcpMsg::kPwdCheckOk : TcpMsg::kKvCheckOk);
    phase_ = password ? Phase::Blocks : Phase::PasswordAnswer;
    if (password)
        blocks_ = {};
}

size_t TcpReadSteps::TakeBlockBytes(std::string_view received, size_t pos, Outcome& out)
{
    while (pos < received.size() && phase_ == Phase::Blocks) {
        auto b = static_cast<uint8_t>(received[pos++]);
        if (escapePending_) {
            escapePending_ = false;
            b = static_cast<uint8_t>(b ^ Framing::kEscapeXor);
        } else if (b == Framing::kEscapeMark) {
            escapePending_ = true;
            continue;
        }
        std::string& block = blocks_[static_cast<size_t>(block_)];
        block.push_back(static_cast<char>(b));
        if (block.size() == BlockLength(block_))
            BlockComplete(out);
    }
    return pos;
}

void TcpReadSteps::BlockComplete(Outcome& out)
{
    ++step_;
    if (block_ == 0 && !Framing::ReplyContains(std::string_view(blocks_[0]).substr(0, kReadHeaderSize), "REA=")) {
        Fail(out, "", false);
        return;
    }
    ++block_;
    out.logLines.push_back(Ordinal(block_) + TcpMsg::kReadBlockOk);
    out.progress = kBlockSize * block_;
    if (block_ == kReadBlockCount)
        phase_ = Phase::Closing;
}

void TcpReadSteps::TakeClosing(std::string_view received, Outcome& out)
{
    ++step_;
    phase_ = Phase::Over;
    blocks_[kReadBlockCount].assign(received);
    out.result = Result::Finished;
    out.reportStatus = true;
    if (!Framing::ReplyContains(received, "OK") || received.size() != static_cast<size_t>(kClosingReplySize)) {
        out.message = Msg::kReadFailed;
        return;
    }
    out.logLines.emplace_back(TcpMsg::kAllReadBlocksOk);
    out.progress = kConfigSize;
    std::string image = blocks_[0].substr(kReadHeaderSize, kBlockSize);
    for (int k = 1; k < kReadBlockCount; ++k)
        image += blocks_[static_cast<size_t>(k)].substr(0, kBlockSize);
    const std::string& last = blocks_[kReadBlockCount - 1];
    const auto sent =
        static_cast<uint16_t>(static_cast<uint8_t>(last[kBlockSize]) << 8 | static_cast<uint8_t>(last[kBlockSize + 1]));
    out.checksumCompared = true;
    if (Framing::BlockChecksum(image) != sent) {
        out.message = Msg::kChecksumFailed;
        return;
    }
    out.logLines.emplace_back(TcpMsg::kChecksumOk);
    out.message = Msg::kReadOk;
    out.image = std::move(image);
}

void TcpReadSteps::Fail(Outcome& out, const std::string& message, bool reportStatus)
{
    phase_ = Phase::Over;
    out.result = Result::Failed;
    out.message = message;
    out.reportStatus = reportStatus;
}
