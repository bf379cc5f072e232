#include "link/serial/SerialSession.h"

#include "link/protocol/Framing.h"
#include "link/protocol/LinkHost.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/Timing.h"
#include "link/serial/LinkPort.h"
#include "link/serial/ReplyWait.h"
#include "link/serial/SendHelpers.h"

#include <utility>

FallbackDelay::FallbackDelay(SerialSender& sender) : sender_(sender)
{
    sender_.SetFallbackCharDelay(sender_.Port().Connected() ? sender_.CharDelay() : 0);
}

FallbackDelay::~FallbackDelay()
{
    sender_.SetFallbackCharDelay(std::nullopt);
}

SerialSession::SerialSession(SerialSender& sender, LinkHost& host, const LinkTiming& timing,
                             std::function<void(int ms)> wait)
    : sender_(sender), host_(host), timing_(timing), wait_(std::move(wait))
{
}

std::optional<std::string> SerialSession::Exchange(const std::string& command, bool raw, int replySize, int limitMs,
                                                   int settleMs)
{
    LinkPort& port = sender_.Port();
    const SendOutcome sent = raw ? sender_.SendComStringRaw(command) : sender_.SendComString(command);
    if (sent != SendOutcome::Sent)
        return std::nullopt;
    ReplyWait::WaitForReply(port, replySize, limitMs);
    wait_(settleMs);
    std::string reply;
    port.ReadStr(reply, replySize);
    return reply;
}

std::string SerialSession::EnterTransferMode(int replyLimitMs, int passwordSettleMs,
                                             const std::function<void(const std::string& reply)>& onPasswordReply)
{
    host_.SetProgressStep(Msg::kStepPrepare);
    wait_(timing_.PrepareMs);
    const auto prepared =
        Exchange(Protocol::kPrepare, false, Protocol::kPrepareReplySize, replyLimitMs, timing_.ReplySettleMs);
    if (!prepared || !Framing::ReplyContains(*prepared, "OK"))
        return Msg::kCommFailure;

    sender_.Port().ClearBuffer(true, true);
    host_.SetProgressStep(Msg::kStepPassword);
    wait_(timing_.PasswordPauseMs);
    // The password goes out as typed: a "[" in it is part of the password, not a byte code.
    const std::string password = Protocol::kPasswordPrefix + host_.Options().password + Protocol::kCR;
    const auto reply = Exchange(password, true, Protocol::kShortReplySize, replyLimitMs, passwordSettleMs);
    if (!reply)
        return Msg::kCommFailure;
    if (onPasswordReply)
        onPasswordReply(*reply);
    return Framing::ReplyContains(*reply, "OK") ? "" : Msg::kPasswordIncorrect;
}

void SerialSession::Restore(const std::string& message)
{
    host_.SetStatusText(message);
    host_.SetProgressStep(Msg::kStepRestore);
    wait_(timing_.RestorePauseMs);
    // On a closed port the sender refuses it, and its "Communication failure" is the line that stays.
    sender_.SendComString(Protocol::kRestore);
}

void SerialSession::ClearLogArea()
{
    wait_(timing_.ClearLogPauseMs);
    host_.SetProgressStep(Msg::kStepClearLog);
    sender_.SendComString(Protocol::kClearLogArea);
    wait_(timing_.ClearLogPauseMs);
}
