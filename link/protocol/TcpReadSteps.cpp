#include "link/protocol/TcpReadSteps.h"

#include "link/protocol/Framing.h"
#include "link/protocol/Protocol.h"

using namespace TcpProtocol;

namespace
{
constexpr size_t kClosingIndex = kReadBlockCount;
}

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
    size_t pos = 0;
    while (pos < received.size() && phase_ != Phase::Over) {
        const bool answering = phase_ == Phase::KvAnswer || phase_ == Phase::PasswordAnswer;
        if (answer_.Result() == TcpAnswer::State::Accepted) {
            pos += answer_.TakeOwnRest(received.substr(pos));
        } else if (answering && commandsOut_ <= step_) {
            break; // nothing asked yet: shown, never counted
        } else if (answering) {
            pos += answer_.Take(received.substr(pos));
            if (answer_.Decided())
                pos += AnswerDecided(out, received.substr(pos));
        } else if (phase_ == Phase::Blocks) {
            pos = TakeBlockBytes(received, pos, out);
        } else {
            // All that comes after the last block is the closing reply's, however long.
            blocks_[kClosingIndex].append(received.substr(pos));
            pos = received.size();
        }
    }
    if (phase_ == Phase::Closing && blocks_[kClosingIndex].size() >= static_cast<size_t>(kClosingReplySize))
        TakeClosing(out);
    return out;
}

TcpReadSteps::Outcome TcpReadSteps::Stalled()
{
    Outcome out;
    if (!InsideReply())
        return out;
    if (phase_ == Phase::Blocks) {
        Fail(out, Msg::kReadFailed, true);
    } else if (phase_ == Phase::Closing) {
        TakeClosing(out);
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
    case Phase::Blocks:
        return block_ > 0 || escapePending_ || !blocks_[0].empty();
    case Phase::Closing:
        return true;
    case Phase::Over:
        break;
    }
    return false;
}

size_t TcpReadSteps::AnswerDecided(Outcome& out, std::string_view rest)
{
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
    const size_t taken = answer_.Take(rest);
    out.logLines.push_back(answer_.Text());
    out.logLines.emplace_back(password ? TcpMsg::kPwdCheckOk : TcpMsg::kKvCheckOk);
    // The next command went out before this answer was whole: a later read may begin its reply, but for the byte
    // still missing from this answer's last line end.
    if (nextOut)
        answer_.StartNext();
    phase_ = password ? Phase::Blocks : Phase::PasswordAnswer;
    if (password)
        blocks_ = {};
    return taken;
}

size_t TcpReadSteps::TakeBlockBytes(std::string_view received, size_t pos, Outcome& out)
{
    while (pos < received.size() && phase_ == Phase::Blocks) {
        auto b = static_cast<uint8_t>(received[pos++]);
        // The header is the first six bytes, whatever they are, but for the byte the password answer still missed
        // from its last line end.
        if (block_ == 0 && blocks_[0].empty() && !escapePending_ && answer_.TakesLateByte(static_cast<char>(b)))
            continue;
        if (escapePending_) {
            escapePending_ = false;
            b = static_cast<uint8_t>(b ^ Framing::kEscapeXor);
        } else if (b == Framing::kEscapeMark) {
            escapePending_ = true;
            continue;
        }
        std::string& block = blocks_[static_cast<size_t>(block_)];
        block.push_back(static_cast<char>(b));
        // The header tells at once whether this is the image at all.
        if (block_ == 0 && block.size() == static_cast<size_t>(kReadHeaderSize) &&
            !Framing::ReplyContains(block, "REA=")) {
            ++step_;
            Fail(out, "", false);
        } else if (block.size() == BlockLength(block_)) {
            BlockComplete(out);
        }
    }
    return pos;
}

void TcpReadSteps::BlockComplete(Outcome& out)
{
    ++step_;
    ++block_;
    out.logLines.push_back(Ordinal(block_) + TcpMsg::kReadBlockOk);
    out.progress = kBlockSize * block_;
    if (block_ == kReadBlockCount)
        phase_ = Phase::Closing;
}

void TcpReadSteps::TakeClosing(Outcome& out)
{
    ++step_;
    phase_ = Phase::Over;
    const std::string& closing = blocks_[kClosingIndex];
    out.result = Result::Finished;
    out.reportStatus = true;
    if (!Framing::ReplyContains(closing, "OK") || closing.size() != static_cast<size_t>(kClosingReplySize)) {
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
