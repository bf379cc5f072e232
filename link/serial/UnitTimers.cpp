#include "link/serial/UnitTimers.h"

#include "link/protocol/LinkHost.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/Timing.h"
#include "link/protocol/UnitAnswers.h"
#include "link/serial/LinkPort.h"
#include "link/serial/SendHelpers.h"
#include "platform/Clock.h"

#include <algorithm>

UnitTimers::UnitTimers(SerialSender& sender, LinkHost& host, const LinkTiming& timing)
    : sender_(sender), host_(host), timing_(timing)
{
}

bool UnitTimers::Send(const std::string& text)
{
    return sender_.SendComString(text) == SendOutcome::Sent;
}

bool UnitTimers::SetSWTButtonClick()
{
    if (!sender_.Port().Connected())
        return false;
    sender_.Port().ClearBuffer(true, true);
    if (!Send(Protocol::kEscapeToCommandMode))
        return false;
    DelayMs(timing_.EscapeBeforeCommandMs);
    for (int n = 1; n <= 5; ++n) {
        if (!Send(std::string(Protocol::kSetTimerPrefix) + std::to_string(n) + ",00:00," + host_.TimerText(n) +
                  Protocol::kCR))
            return false;
        DelayMs(timing_.TimerSetGapMs);
    }
    return true;
}

std::optional<std::string> UnitTimers::Ask(const char* command)
{
    host_.ClearMemo4();
    sender_.Port().ClearBuffer(true, true);
    if (!Send(Protocol::kEscapeToCommandMode))
        return std::nullopt;
    DelayMs(timing_.EscapeBeforeCommandMs);
    if (!Send(command))
        return std::nullopt;
    DelayMs(timing_.AnswerPauseMs);
    return host_.Memo4Text();
}

bool UnitTimers::ReadSWTButtonClick()
{
    if (!sender_.Port().Connected())
        return false;
    // A question that did not go out has no answer.
    const auto answer = Ask(Protocol::kReadTimers);
    if (answer == "0")
        return true;
    auto periods = UnitAnswers::ParseTimers(answer.value_or(""));
    if (!periods) {
        host_.SetStatusText(Msg::kTimersReadFailed);
        return answer.has_value();
    }
    for (int n = 1; n <= 5; ++n)
        host_.SetTimerText(n, (*periods)[static_cast<size_t>(n - 1)]);
    host_.SetStatusText(Msg::kTimersReadOk);
    return true;
}

bool UnitTimers::ReadModemType()
{
    std::optional<std::string> answer;
    if (sender_.Port().Connected()) {
        answer = Ask(Protocol::kReadHardwareType);
        if (answer != "0") {
            if (auto word = UnitAnswers::ParseHardwareType(answer.value_or(""))) {
                host_.SetModemType(*word);
                std::string upper = *word;
                std::transform(upper.begin(), upper.end(), upper.begin(),
                               [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
                host_.SetDeviceLabel(Msg::kDevicePrefix + upper);
                host_.SetStatusText(Msg::kModemTypeOk);
            } else {
                host_.SetStatusText(Msg::kModemTypeFailed);
            }
        }
    }
    host_.ApplyModemTypeLabels();
    return answer.has_value();
}
