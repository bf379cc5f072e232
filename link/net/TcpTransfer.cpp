#include "link/net/TcpTransfer.h"

#include "image/ImageStore.h"
#include "link/net/ServerView.h"
#include "link/net/TcpLink.h"
#include "link/protocol/LinkHost.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/TcpProtocol.h"
#include "link/protocol/Timing.h"
#include "platform/Clock.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

using namespace TcpProtocol;

TcpTransfer::TcpTransfer(TcpLink& link, LinkHost& host, ImageStore& store, const LinkTiming& timing, LinkBusy& busy)
    : link_(link), host_(host), store_(store), timing_(timing), busy_(busy)
{
    link_.OnChunk = [this](const TcpChunk& chunk) { HandleChunk(chunk); };
    link_.OnConnectionClosed = [this](QTcpSocket* socket) { ConnectionClosed(socket); };
    stallWatch_.setSingleShot(true);
    stallWatch_.setTimerType(Qt::PreciseTimer);
    connect(&stallWatch_, &QTimer::timeout, this, &TcpTransfer::CheckStall);
}

TcpTransfer::~TcpTransfer()
{
    link_.OnChunk = nullptr;
    link_.OnConnectionClosed = nullptr;
}

int TcpTransfer::tcpStep() const
{
    return lastWasRead_ ? readSteps_.Step() : writeSteps_.Step();
}

void TcpTransfer::Begin(bool reading)
{
    ++generation_;
    stallWatch_.stop();
    // As the serial transfers clear their port buffers: a late reply of an earlier transfer, already waiting, is
    // shown but never counted as one of this transfer's.
    tcpReading = false;
    tcpWriting = false;
    socket_ = link_.LinkSocket();
    link_.TakeWaiting(socket_);
    lastWasRead_ = reading;
    tcpReading = reading;
    tcpWriting = !reading;
    if (reading)
        tcpReadDone = false;
    readSteps_ = TcpReadSteps();
    writeSteps_ = TcpWriteSteps();
}

void TcpTransfer::CommandGoesOut()
{
    link_.TakeWaiting(socket_);
    if (tcpReading)
        readSteps_.CommandSent();
    else if (tcpWriting)
        writeSteps_.CommandSent();
}

void TcpTransfer::FormSaveClosed()
{
    stallWatch_.stop();
    tcpReading = false;
    tcpWriting = false;
    readSteps_ = TcpReadSteps();
    writeSteps_ = TcpWriteSteps();
    ReleaseGuardWhenIdle();
}

bool TcpTransfer::TakeGuard()
{
    if (hold_)
        return true; // this transfer's own, its result still on show
    hold_.emplace(busy_, kTcpTransferHold, [this](const std::string& text) { host_.SetStatusText(text); });
    if (*hold_)
        return true;
    hold_.reset();
    return false;
}

void TcpTransfer::ReleaseGuardWhenIdle()
{
    if (Idle())
        hold_.reset();
}

void TcpTransfer::Log(const std::string& line)
{
    link_.View().AddStatusLine(line);
}

void TcpTransfer::LogChunk(const TcpChunk& chunk)
{
    Log(chunk.timeStamp + "TCP:" + chunk.peer + " : Bytes:" + std::to_string(chunk.bytes.size()));
}

void TcpTransfer::End(const std::string& message, const char* okMessage)
{
    stallWatch_.stop();
    tcpReading = false;
    tcpWriting = false;
    ++resultsShown_;
    const unsigned generation = generation_;
    // The result is held while the window runs, and not inside a socket's read handler: the socket would
    // hold back what arrives meanwhile until more came.
    QTimer::singleShot(0, this, [this, generation, message, ok = std::string(okMessage)] {
        host_.ShowProgressResult(message, ok, timing_.ResultHoldMs, nullptr);
        --resultsShown_;
        // A transfer started while this result was on show owns the window now.
        if (generation == generation_ && !tcpReading && !tcpWriting) {
            host_.RestoreMainCaption();
            host_.CloseProgress();
        }
        ReleaseGuardWhenIdle();
    });
}

bool TcpTransfer::EnterTransferMode(unsigned generation)
{
    host_.SetProgressStep(Msg::kStepInvoke);
    CommandGoesOut();
    link_.SendTcpCommand(kPrepare);
    link_.HandlePendingOnce(); // the answer's step runs here
    if (!AwaitWholeAnswer(generation))
        return false;
    host_.SetProgressStep(Msg::kStepPassword);
    CommandGoesOut();
    if (!Still(generation))
        return false;
    link_.SendTcpCommand(Protocol::kPasswordPrefix + host_.Options().password + Protocol::kCR);
    link_.HandlePendingOnce();
    return AwaitWholeAnswer(generation);
}

bool TcpTransfer::AwaitWholeAnswer(unsigned generation)
{
    while (Still(generation) && InsideReply()) {
        const int left = StallLeftMs();
        if (left <= 0)
            CheckStall();
        else
            link_.WaitForBytesOn(socket_, 1, left);
        link_.HandlePendingOnce();
    }
    return Still(generation);
}

// --- replies that stop coming -------------------------------------------------------------------------------------

bool TcpTransfer::InsideReply() const
{
    if (tcpReading)
        return readSteps_.InsideReply();
    return tcpWriting && writeSteps_.InsideReply();
}

int TcpTransfer::StallLeftMs() const
{
    // Answers 3 on are the blocks' acknowledgements. An answer with "OK" is taken once its line ends, so only
    // one without can be under way at a line end: it is refused after a quiet, without waiting out the whole
    // limit, and the quiet outlasts a pause of the link before a late "OK" line.
    int limit = tcpWriting && writeSteps_.Step() >= 2 ? timing_.TcpAckLimitMs : timing_.TcpReplyLimitMs;
    if (tcpReading ? readSteps_.AnswerAtLineEnd() : tcpWriting && writeSteps_.AnswerAtLineEnd())
        limit = std::min(limit, timing_.TcpAnswerSettleMs);
    return limit - static_cast<int32_t>(NowMs() - lastBytesMs_);
}

void TcpTransfer::WatchForStall()
{
    if (InsideReply())
        stallWatch_.start(std::max(0, StallLeftMs()));
    else
        stallWatch_.stop();
}

void TcpTransfer::CheckStall()
{
    if (!InsideReply())
        return;
    if (StallLeftMs() > 0) {
        WatchForStall(); // bytes came since the watch was set
        return;
    }
    if (tcpReading)
        ReadOutcome(readSteps_.Stalled());
    else
        WriteOutcome(writeSteps_.Stalled());
}

// --- read -----------------------------------------------------------------------------------------------------------

void TcpTransfer::ReadButtonTCPClick()
{
    if (!TakeGuard())
        return;
    if (!link_.ClientActive() && !link_.ServerMode()) {
        host_.SetStatusText(TcpMsg::kNoValidSocket);
        ReleaseGuardWhenIdle();
        return;
    }
    Begin(true);
    const unsigned generation = generation_;
    store_.ImageSize = kConfigSize;
    host_.StartProgress(TransferDirection::Read, store_.ImageSize);

    if (!EnterTransferMode(generation))
        return;
    host_.SetProgressStep(Msg::kStepStartReading);
    host_.SetStatusText("");
    CommandGoesOut();
    if (Still(generation))
        link_.SendTcpCommand(kReadConfig);
}

void TcpTransfer::ReadStep(const TcpChunk& chunk)
{
    LogChunk(chunk);
    ReadOutcome(readSteps_.Feed(chunk.bytes));
}

void TcpTransfer::ReadOutcome(TcpReadSteps::Outcome out)
{
    for (const std::string& line : out.logLines)
        Log(line);
    if (out.progress >= 0)
        host_.SetProgressPosition(out.progress);
    if (out.result == TcpReadSteps::Result::Going) {
        WatchForStall();
        return;
    }
    tcpReadDone = out.checksumCompared;
    if (!out.image.empty()) {
        store_.LoadPlain(0, out.image);
        host_.FinishImageRead();
    }
    if (out.reportStatus)
        host_.SetStatusText(out.message);
    End(out.message, Msg::kReadOk);
}

// --- write ----------------------------------------------------------------------------------------------------------

void TcpTransfer::WriteButtonTCPClick()
{
    if (!TakeGuard())
        return;
    // The edits reach the image even when nothing can be sent.
    if (!host_.CommitPendingEdits()) {
        ReleaseGuardWhenIdle();
        return;
    }
    if (!link_.ClientActive() && !link_.ServerMode()) {
        host_.SetStatusText(TcpMsg::kNoValidSocket);
        ReleaseGuardWhenIdle();
        return;
    }
    Begin(false);
    const unsigned generation = generation_;
    host_.StartProgress(TransferDirection::Write, store_.ImageSize);

    if (!EnterTransferMode(generation))
        return;
    host_.SetStatusText("");
    for (int block = 0; block < kWriteBlockCount; ++block) {
        // Each answer is judged before the next block goes: a refused block or a cancel ends the write here.
        if (block > 0)
            link_.HandlePendingOnce();
        if (!AwaitWholeAnswer(generation))
            return;
        WriteEEPROMBlockTCP(block);
    }
    link_.HandlePendingOnce();
    AwaitWholeAnswer(generation);
}

void TcpTransfer::WriteEEPROMBlockTCP(int block)
{
    if (!tcpWriting || block < 0 || block >= kWriteBlockCount)
        return;
    host_.SetProgressStep(Msg::BlockStep(Msg::kStepBlockWriting, block + 1));
    Log("Block" + std::to_string(block + 1) + "Writing...");
    std::string data;
    data.reserve(kBlockSize);
    for (int a = kBlockSize * block; a < kBlockSize * (block + 1); ++a) {
        store_.UnmarkRange(a, 1);
        data.push_back(static_cast<char>(store_.ReadImageByte(a)));
        host_.SetProgressPosition(2 * (a + 1));
    }
    const std::string frame = TcpBlockFrame(block, data);
    if (QTcpSocket* connection = link_.FirstConnection())
        Log("Len:" + std::to_string(TcpLink::Pending(connection)));
    CommandGoesOut();
    if (!tcpWriting)
        return;
    link_.SendOnLink(frame);
    host_.SetProgressStep(Msg::BlockStep(Msg::kStepBlockAck, block + 1));
    Log("Block" + std::to_string(block + 1) + "Waiting for ack...");
    link_.WaitForBytes(kAckReplyCount, timing_.TcpAckLimitMs);
}

void TcpTransfer::WriteStep(const TcpChunk& chunk)
{
    LogChunk(chunk);
    WriteOutcome(writeSteps_.Feed(chunk.bytes));
}

void TcpTransfer::WriteOutcome(const TcpWriteSteps::Outcome& out)
{
    for (const std::string& line : out.logLines)
        Log(line);
    if (out.result == TcpWriteSteps::Result::Going) {
        WatchForStall();
        return;
    }
    if (out.result == TcpWriteSteps::Result::Finished)
        host_.SetStatusText(out.message);
    End(out.message, Msg::kWriteOk);
}

// --- socket events ------------------------------------------------------------------------------------------------

void TcpTransfer::HandleChunk(const TcpChunk& chunk)
{
    // Replies count only on the connection the transfer runs on.
    if (!socket_ || chunk.socket != socket_ || !(tcpReading || tcpWriting))
        return;
    lastBytesMs_ = chunk.arrivedMs;
    if (tcpReading)
        ReadStep(chunk);
    else if (tcpWriting)
        WriteStep(chunk);
}

void TcpTransfer::ConnectionClosed(QTcpSocket* socket)
{
    if (!(tcpReading || tcpWriting) || socket != socket_)
        return;
    // The unit hung up: nothing more can come, so the transfer fails now instead of waiting for ever.
    host_.SetStatusText(Msg::kCommFailure);
    End(Msg::kCommFailure, tcpReading ? Msg::kReadOk : Msg::kWriteOk);
}
