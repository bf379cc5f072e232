#include "link/protocol/TcpReadPlacement.h"

#include "link/protocol/Framing.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/TcpAnswer.h"

using namespace TcpProtocol;

namespace
{
constexpr size_t kClosingIndex = kReadBlockCount;
}

size_t TcpReadPlacement::BlockLength() const
{
    if (block_ == 0)
        return kReadHeaderSize + kBlockSize;
    if (block_ == kReadBlockCount - 1)
        return kBlockSize + Protocol::kChecksumSize;
    return kBlockSize;
}

bool TcpReadPlacement::CanStillPass() const
{
    if (state_ == State::Passed)
        return true;
    return state_ == State::Open && (block_ < kReadBlockCount || checksumMatches_);
}

void TcpReadPlacement::Take(std::string_view bytes)
{
    for (const char c : bytes) {
        if (Final())
            return;
        TakeByte(c);
    }
}

void TcpReadPlacement::TakeByte(char c)
{
    if (toSkip_ > 0) {
        --toSkip_;
        if (!TcpAnswer::IsLineEnd(c))
            state_ = State::NoHeader;
        return;
    }
    // All that comes after the last block is the closing reply's, however long, and is not un-escaped.
    if (block_ == kReadBlockCount) {
        blocks_[kClosingIndex].push_back(c);
        return;
    }
    auto b = static_cast<uint8_t>(c);
    if (escapePending_) {
        escapePending_ = false;
        b = static_cast<uint8_t>(b ^ Framing::kEscapeXor);
    } else if (b == Framing::kEscapeMark) {
        escapePending_ = true;
        return;
    }
    std::string& block = blocks_[static_cast<size_t>(block_)];
    block.push_back(static_cast<char>(b));
    if (block_ == 0 && block.size() == static_cast<size_t>(kReadHeaderSize) && !Framing::ReplyContains(block, "REA="))
        state_ = State::NoHeader;
    else if (block.size() == BlockLength())
        BlockComplete();
}

void TcpReadPlacement::BlockComplete()
{
    if (++block_ < kReadBlockCount)
        return;
    const std::string& last = blocks_[kReadBlockCount - 1];
    const auto sent =
        static_cast<uint16_t>(static_cast<uint8_t>(last[kBlockSize]) << 8 | static_cast<uint8_t>(last[kBlockSize + 1]));
    checksumMatches_ = Framing::BlockChecksum(Image()) == sent;
}

std::string TcpReadPlacement::Image() const
{
    std::string image = blocks_[0].substr(kReadHeaderSize, kBlockSize);
    for (int k = 1; k < kReadBlockCount; ++k)
        image += blocks_[static_cast<size_t>(k)].substr(0, kBlockSize);
    return image;
}

void TcpReadPlacement::Judge()
{
    const std::string& closing = blocks_[kClosingIndex];
    if (Final() || closing.size() < static_cast<size_t>(kClosingReplySize))
        return;
    if (closing.size() != static_cast<size_t>(kClosingReplySize) || !Framing::ReplyContains(closing, "OK"))
        state_ = State::BadClosing;
    else
        state_ = checksumMatches_ ? State::Passed : State::BadChecksum;
}

void TcpReadPlacement::Stall()
{
    if (state_ != State::Open)
        return;
    state_ = block_ < kReadBlockCount ? State::CutShort : State::BadClosing;
}
