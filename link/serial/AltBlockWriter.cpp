#include "link/serial/AltBlockWriter.h"

#include "image/ImageStore.h"
#include "link/protocol/Framing.h"
#include "link/protocol/LinkHost.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/ReceiveLog.h"
#include "link/protocol/TermTiming.h"
#include "link/protocol/TrafficText.h"
#include "link/serial/LinkPort.h"
#include "link/serial/ReplyWait.h"
#include "link/serial/SerialLink.h"
#include "link/serial/SerialSession.h"
#include "link/serial/TermPageHost.h"
#include "platform/Convert.h"

namespace
{
constexpr const char* kWriteBlockAltPrefix = "KVWXB=";
constexpr uint8_t kNumberOffset = 20; // area and block numbers travel as number + 20
constexpr int kProgressTotal = Protocol::kWriteProgressTotal;

std::string UpToZero(const std::string& bytes)
{
    return bytes.substr(0, bytes.find('\0'));
}
} // namespace

AltBlockWriter::AltBlockWriter(SerialLink& link, LinkHost& host, TermPageHost& pageHost, ImageStore& store,
                               const TermTiming& timing)
    : link_(link), host_(host), pageHost_(pageHost), store_(store), timing_(timing)
{
}

uint16_t AltBlockWriter::CalcBlockCrc(std::string_view bytes)
{
    const uint16_t crc = Framing::CrcX25(bytes);
    return static_cast<uint16_t>((crc << 8) | (crc >> 8));
}

void AltBlockWriter::Log(const std::string& line)
{
    if (AddLogLine)
        AddLogLine(line);
}

std::string AltBlockWriter::ReadPanel(const AltBlockParams& params, Plan& plan) const
{
    try {
        plan.Area = static_cast<uint8_t>(StrToInt(params.AreaNo) & 0xFF);
        plan.Blocks = StrToInt(params.Blocks);
        plan.Size = StrToInt(params.Size);
    } catch (const EConvertError& e) {
        return e.what();
    }
    // The CRC buffer of a block holds at most kMaxBlockSize data bytes.
    if (plan.Size < 1 || plan.Size > kMaxBlockSize)
        return "ERROR: Block size must be 1.." + std::to_string(kMaxBlockSize) + "!";
    if (plan.Blocks < 1)
        return "ERROR: Number of blocks must be at least 1!";

    std::string value = params.Value;
    // "(v)" is how a freshly edited cell reads: the value without its marks.
    if (value.size() > 1 && value.front() == '(')
        value = value.substr(1, value.size() - 2);
    plan.Fill = value.empty();
    plan.Byte = plan.Fill ? 0xFF : static_cast<uint8_t>(value.front());
    return "";
}

void AltBlockWriter::Button3Click(const AltBlockParams& params)
{
    SerialSender& sender = link_.Sender;
    LinkPort& port = sender.Port();
    if (!host_.CommitPendingEdits())
        return;
    pageHost_.SetIOCheckBoxClick();
    host_.StampConfigToolNr();
    host_.ResetProgress(kProgressTotal);
    host_.SetStatusText("");
    if (!store_.ImageLoaded) {
        host_.SetStatusText(Msg::kReadFirst);
        if (port.Connected())
            port.ClearBuffer(true, true);
        return;
    }
    Plan plan;
    if (std::string refusal = ReadPanel(params, plan); !refusal.empty()) {
        host_.SetStatusText(refusal);
        return;
    }

    Totals totals;
    // A bad character delay stops the write here, before the window shows or the terminal is detached.
    FallbackDelay fallback(sender);
    SerialSession session = Session();
    std::string message = Msg::kCommFailure;
    if (port.Connected()) {
        host_.StartProgress(TransferDirection::Write, kProgressTotal);
        host_.SetProgressStep(host_.Options().timers ? Msg::kStepInvokeWriteTimers : Msg::kStepInvoke);
        host_.DetachTerminal();
        try {
            port.ClearBuffer(true, true);
            message = Transfer(session, plan, totals);
        } catch (const std::exception& e) {
            host_.ShowPortError(e.what());
            message = Msg::kCommFailure;
        }
    }
    session.Restore(message);
    // The log area is emptied whatever the outcome: the user asked for it with the write.
    if (host_.Options().clearLog)
        session.ClearLogArea();
    host_.ShowProgressResult(message, Msg::kWriteOk, link_.Timing.ResultHoldMs, nullptr);
    host_.CloseProgress();
    host_.AttachTerminal();
    Log("Total: ");
    Log("OK: " + std::to_string(totals.Acknowledged));
    Log("ERROR: " + std::to_string(totals.Failed));
    if (port.Connected()) {
        try {
            port.ClearBuffer(true, true);
        } catch (const std::exception& e) {
            host_.ShowPortError(e.what());
        }
    }
}

SerialSession AltBlockWriter::Session() const
{
    return SerialSession(link_.Sender, host_, link_.Timing, timing_.Wait);
}

std::string AltBlockWriter::Transfer(SerialSession& session, const Plan& plan, Totals& totals)
{
    const std::string failure = session.EnterTransferMode(link_.Timing.WriteReplyLimitMs, timing_.AltPasswordSettleMs,
                                                          [this](const std::string& reply) { Log(UpToZero(reply)); });
    if (!failure.empty())
        return failure;

    bool retry = false;
    for (int block = 0; block < plan.Blocks;) {
        link_.Sender.Port().ClearBuffer(true, true);
        timing_.Wait(timing_.AltBlockPauseMs);
        const auto reply = WriteEEPROMBlock_2(plan, block);
        if (!reply)
            return Msg::kCommFailure;
        Log(UpToZero(*reply));
        const std::string name = "Block: " + std::to_string(block + 1);
        if (Framing::ReplyContains(*reply, "OK")) {
            ++totals.Acknowledged;
            Log(name + " OK!");
        } else if (!retry) {
            Log(name + " ERROR! Retry!");
            retry = true;
            continue; // the same block once more
        } else {
            ++totals.Failed;
            Log(name + " ERROR!");
        }
        retry = false;
        ++block;
    }
    return totals.Failed == 0 ? Msg::kWriteOk : Msg::kWriteChecksumFailed;
}

std::optional<std::string> AltBlockWriter::WriteEEPROMBlock_2(const Plan& plan, int block)
{
    SerialSender& sender = link_.Sender;
    LinkPort& port = sender.Port();
    port.ClearBuffer(true, true);
    host_.SetProgressStep(Msg::BlockStep(Msg::kStepBlockWriting, block + 1));
    Log("Block: " + std::to_string(block + 1));

    std::string command = kWriteBlockAltPrefix;
    command.push_back(static_cast<char>(static_cast<uint8_t>(plan.Area + kNumberOffset)));
    command.push_back(static_cast<char>(static_cast<uint8_t>(block + kNumberOffset)));
    if (sender.SendComStringRaw(command) != SendOutcome::Sent)
        return std::nullopt;
    Log(TrafficText::RenderBytes(command, false));

    std::string data;     // the raw bytes that count for the CRC
    std::string readable; // what went out, as the log shows it
    const long long first = static_cast<long long>(plan.Size) * block;
    const long long total = static_cast<long long>(plan.Size) * plan.Blocks;
    for (int i = 1; i <= plan.Size; ++i) {
        if (plan.Fill) {
            sender.WriteWhole(std::string(1, '\xFF'));
            timing_.Wait(timing_.AltFillGapMs);
        } else if (Framing::NeedsEscape(plan.Byte)) {
            const auto escaped = static_cast<uint8_t>(plan.Byte ^ Framing::kEscapeXor);
            sender.WriteWhole(std::string(1, static_cast<char>(Framing::kEscapeMark)));
            timing_.Wait(timing_.AltDataGapMs);
            sender.WriteWhole(std::string(1, static_cast<char>(escaped)));
            timing_.Wait(timing_.AltDataGapMs);
            readable += ReceiveRender::DecimalByte(Framing::kEscapeMark) + ReceiveRender::DecimalByte(escaped);
        } else {
            sender.WriteWhole(std::string(1, static_cast<char>(plan.Byte)));
            timing_.Wait(timing_.AltDataGapMs);
            readable += TrafficText::RenderBytes(std::string(1, static_cast<char>(plan.Byte)), false);
        }
        if (!plan.Fill)
            data.push_back(static_cast<char>(plan.Byte));
        host_.SetProgressPosition(static_cast<int>((first + i) * kProgressTotal / total));
    }

    const uint16_t crc = CalcBlockCrc(data);
    Log("::" + std::to_string(crc) + ":" + std::to_string(data.size()));
    Log(UpToZero(data));
    Log(readable);
    sender.EscapeSendChksum(Framing::HighByte(crc));
    sender.EscapeSendChksum(Framing::LowByte(crc));
    Log(ReceiveRender::DecimalByte(Framing::HighByte(crc)) + ReceiveRender::DecimalByte(Framing::LowByte(crc)));

    // Every frame byte must be on the line before the purge, or a slow line would lose the frame's tail.
    port.DrainOutput(link_.Timing.DrainStallLimitMs);
    port.ClearBuffer(true, true);
    sender.WriteWhole(std::string(1, Protocol::kCR));
    host_.SetProgressStep(Msg::BlockStep(Msg::kStepBlockAck, block + 1));
    timing_.Wait(link_.Timing.AckPauseMs);

    ReplyWait::WaitForReply(port, Protocol::kShortReplySize, timing_.AltAckLimitMs);
    std::string reply;
    port.ReadStr(reply, Protocol::kShortReplySize);
    port.ClearBuffer(true, true);
    return reply;
}
