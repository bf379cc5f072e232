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

void UnitTimers::SetSWTButtonClick()
{
    if (!sender_.Port().Connected())
        return;
    sender_.Port().ClearBuffer(true, true);
    sender_.SendComString(Protocol::kEscapeToCommandMode);
    DelayMs(timing_.EscapeBeforeCommandMs);
    for (int n = 1; n <= 5; ++n) {
        sender_.SendComString(std::string(Protocol::kSetTimerPrefix) + std::to_string(n) + ",00:00," +
                              host_.TimerText(n) + Protocol::kCR);
        DelayMs(timing_.TimerSetGapMs);
    }
}

void UnitTimers::Ask(const char* command)
{
    host_.ClearMemo4();
    sender_.Port().ClearBuffer(true, true);
    sender_.SendComString(Protocol::kEscapeToCommandMode);
    DelayMs(timing_.EscapeBeforeCommandMs);
    sender_.SendComString(command);
    DelayMs(timing_.AnswerPauseMs);
}

void UnitTimers::ReadSWTButtonClick()
{
    if (!sender_.Port().Connected())
        return;
    Ask(Protocol::kReadTimers);
    const std::string answer = host_.Memo4Text();
    if (answer == "0")
        return;
    auto periods = UnitAnswers::ParseTimers(answer);
    if (!periods) {
        host_.SetStatusText(Msg::kTimersReadFailed);
        return;
    }
    for (int n = 1; n <= 5; ++n)
        host_.SetTimerText(n, (*periods)[static_cast<size_t>(n - 1)]);
    host_.SetStatusText(Msg::kTimersReadOk);
}

void UnitTimers::ReadModemType()
{
    if (sender_.Port().Connected()) {
        Ask(Protocol::kReadHardwareType);
        const std::string answer = host_.Memo4Text();
        if (answer != "0") {
            if (auto word = UnitAnswers::ParseHardwareType(answer)) {
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
}
