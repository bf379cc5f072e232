#include "link/serial/SerialTransfer.h"

#include "image/ImageStore.h"
#include "image/MemoryImage.h"
#include "link/protocol/Framing.h"
#include "link/protocol/LinkHost.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/Timing.h"
#include "link/serial/LinkPort.h"
#include "link/serial/ReplyWait.h"
#include "link/serial/SendHelpers.h"
#include "link/serial/SerialSession.h"
#include "link/serial/UnitTimers.h"
#include "platform/Clock.h"

#include <functional>

SerialTransfer::SerialTransfer(SerialSender& sender, UnitTimers& timers, LinkHost& host, ImageStore& store,
                               const LinkTiming& timing)
    : sender_(sender), timers_(timers), host_(host), store_(store), timing_(timing),
      session_(sender, host, timing, [](int ms) { DelayMs(ms); })
{
}

// --- shared steps -------------------------------------------------------------------------------------------

std::string SerialTransfer::EnterTransferMode(bool escapeFirst, int escapeDelayMs, int replyLimitMs)
{
    LinkPort& port = sender_.Port();
    // From here on only the transfer takes the port's received bytes.
    host_.DetachTerminal();
    if (escapeFirst) {
        if (sender_.SendComString(Protocol::kEscapeToCommandMode) != SendOutcome::Sent)
            return Msg::kCommFailure;
        DelayMs(escapeDelayMs);
    }
    port.ClearBuffer(true, true);
    return session_.EnterTransferMode(replyLimitMs, timing_.ReplySettleMs);
}

std::string SerialTransfer::PortFailure(const std::exception& e)
{
    host_.ShowPortError(e.what());
    return Msg::kCommFailure;
}

void SerialTransfer::ShowResult(const std::string& message, const char* okMessage, bool redrawWhileShown)
{
    std::function<void()> redraw;
    if (redrawWhileShown)
        redraw = [this] { host_.ImageToControls(); };
    host_.ShowProgressResult(message, okMessage, timing_.ResultHoldMs, redraw);
}

void SerialTransfer::ClearBuffersIfOpen()
{
    // A closed port has nothing to purge, and the port would only report that as an error.
    if (!sender_.Port().Connected())
        return;
    try {
        sender_.Port().ClearBuffer(true, true);
    } catch (const std::exception& e) {
        host_.ShowPortError(e.what());
    }
}

// --- read ---------------------------------------------------------------------------------------------------

void SerialTransfer::ReadEEPROMExecuteClick()
{
    host_.FocusHelpPanel();
    ReadImage(ReadKind::Config);
}

void SerialTransfer::readLogValuesClick()
{
    ReadImage(ReadKind::Log);
}

void SerialTransfer::ReadImage(ReadKind kind)
{
    const bool log = kind == ReadKind::Log;
    store_.ImageSize = log ? MemoryImage::kSize : MemoryImage::kConfigSize;
    if (log)
        store_.LogCapacity.FillLogCapacityTable();
    else
        store_.LogCapacity.ClearLogCapacityTable();
    host_.ResetProgress(store_.ImageSize);
    host_.SetStatusText("");

    // A bad character delay stops the read here, before the window shows or the terminal is detached.
    FallbackDelay fallback(sender_);
    std::string message = Msg::kCommFailure;
    if (sender_.Port().Connected()) {
        host_.StartProgress(TransferDirection::Read, store_.ImageSize);
        try {
            message = ReadSteps(kind);
        } catch (const std::exception& e) {
            message = PortFailure(e);
        }
    }
    session_.Restore(message);
    ShowResult(message, Msg::kReadOk, log && message == Msg::kReadOk);
    host_.RestoreMainCaption();
    host_.CloseProgress();
    host_.AttachTerminal();
    ClearBuffersIfOpen();
}

std::string SerialTransfer::ReadSteps(ReadKind kind)
{
    LinkPort& port = sender_.Port();
    const bool log = kind == ReadKind::Log;
    const bool withTimers = host_.Options().timers;

    // A question to the unit that did not go out ends the read: the port has said why.
    host_.SetProgressStep(Msg::kStepModemType);
    if (!log && !timers_.ReadModemType())
        return Msg::kCommFailure;
    DelayMs(timing_.ModemTypePauseMs);
    host_.SetProgressStep(withTimers ? Msg::kStepInvokeReadTimers : Msg::kStepInvoke);
    if (withTimers && !log) {
        if (!timers_.ReadSWTButtonClick())
            return Msg::kCommFailure;
        DelayMs(timing_.TimersPauseMs);
    }

    std::string failure = EnterTransferMode(!withTimers, timing_.EscapeBeforeReadMs, timing_.ReadReplyLimitMs);
    if (!failure.empty())
        return failure;

    port.ClearBuffer(true, true);
    DelayMs(timing_.BeforeRequestMs);
    const std::string request = log ? Protocol::kReadWholeMemory : Protocol::kReadConfig;
    const auto accepted = session_.Exchange(request, false, Protocol::kShortReplySize, timing_.ReadReplyLimitMs, 0);
    if (!accepted || !Framing::ReplyContains(*accepted, "REA="))
        return Msg::kCommFailure;

    host_.SetProgressStep(Msg::kStepStartReading);
    ReplyWait::WaitForImageData(port, store_.ImageSize, timing_.DataIdleLimitMs,
                                [this](int count) { host_.SetProgressPosition(count); });
    DelayMs(timing_.AfterDataMs);
    std::string received;
    port.ReadStr(received, port.InputCount());

    auto check = Framing::CheckReadReply(received, store_.ImageSize);
    if (!check.ok)
        return check.message;
    store_.LoadPlain(0, check.image);
    if (!log)
        host_.FinishImageRead();
    return Msg::kReadOk;
}

// --- write --------------------------------------------------------------------------------------------------

void SerialTransfer::WriteEEPROMExecuteClick()
{
    if (!host_.CommitPendingEdits())
        return;
    host_.StampConfigToolNr();
    host_.ResetProgress(Protocol::kWriteProgressTotal);
    host_.SetStatusText("");
    if (!store_.ImageLoaded) {
        host_.SetStatusText(Msg::kReadFirst);
        ClearBuffersIfOpen();
        return;
    }

    // A bad character delay stops the write here, before the window shows or the terminal is detached.
    FallbackDelay fallback(sender_);
    std::string message = Msg::kCommFailure;
    if (sender_.Port().Connected()) {
        host_.StartProgress(TransferDirection::Write, Protocol::kWriteProgressTotal);
        try {
            message = WriteSteps();
        } catch (const std::exception& e) {
            message = PortFailure(e);
        }
    }
    session_.Restore(message);
    // The log area is emptied whatever the outcome: the user asked for it with the write.
    if (host_.Options().clearLog)
        session_.ClearLogArea();
    ShowResult(message, Msg::kWriteOk, false);
    host_.CloseProgress();
    host_.AttachTerminal();
    ClearBuffersIfOpen();
}

std::string SerialTransfer::WriteSteps()
{
    LinkPort& port = sender_.Port();
    const bool withTimers = host_.Options().timers;

    host_.SetProgressStep(withTimers ? Msg::kStepInvokeWriteTimers : Msg::kStepInvoke);
    // Timers that did not all go out end the write: it would report them set.
    if (withTimers) {
        if (!timers_.SetSWTButtonClick())
            return Msg::kCommFailure;
        DelayMs(timing_.TimersPauseMs);
    }
    std::string failure = EnterTransferMode(!withTimers, timing_.EscapeBeforeWriteMs, timing_.WriteReplyLimitMs);
    if (!failure.empty())
        return failure;

    for (int n = 0; n < Protocol::kBlockCount; ++n) {
        if (n > 0)
            port.ClearBuffer(true, true);
        DelayMs(timing_.BlockPauseMs);
        const auto reply = WriteEEPROMBlock(n);
        if (!reply)
            return Msg::kCommFailure;
        // The unit acknowledges its second block with "0" CR on some firmware.
        const bool accepted = Framing::ReplyContains(*reply, "OK") || (n == 1 && Framing::ReplyContains(*reply, "0\r"));
        if (!accepted)
            return Msg::kWriteChecksumFailed;
    }
    return Msg::kWriteOk;
}

std::optional<std::string> SerialTransfer::WriteEEPROMBlock(int n)
{
    LinkPort& port = sender_.Port();
    port.ClearBuffer(true, true);
    host_.SetProgressStep(Msg::BlockStep(Msg::kStepBlockWriting, n + 1));
    if (sender_.SendComString(Protocol::kWriteBlockPrefix + std::to_string(n)) != SendOutcome::Sent)
        return std::nullopt;

    const int first = Protocol::kBlockSize * n;
    std::string raw;
    raw.reserve(Protocol::kBlockSize);
    for (int a = first; a < first + Protocol::kBlockSize; ++a) {
        store_.UnmarkRange(a, 1);
        const uint8_t b = store_.ReadImageByte(a);
        sender_.EscapeSendChksum(b);
        raw.push_back(static_cast<char>(b));
        host_.SetProgressPosition((a + 1) * 3 / 2);
    }
    const uint16_t checksum = Framing::BlockChecksum(raw);
    sender_.EscapeSendChksum(Framing::HighByte(checksum));
    sender_.EscapeSendChksum(Framing::LowByte(checksum));

    // Every frame byte must be on the line before the purge, or a slow line would lose the frame's tail.
    port.DrainOutput(timing_.DrainStallLimitMs);
    port.ClearBuffer(true, true);
    sender_.WriteWhole(std::string(1, Protocol::kCR));
    host_.SetProgressStep(Msg::BlockStep(Msg::kStepBlockAck, n + 1));
    DelayMs(timing_.AckPauseMs);

    ReplyWait::WaitForReply(port, Protocol::kShortReplySize, timing_.AckLimitMs);
    std::string reply;
    port.ReadStr(reply, Protocol::kShortReplySize);
    port.ClearBuffer(true, true);
    return reply;
}
