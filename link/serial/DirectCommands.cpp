#include "link/serial/DirectCommands.h"

#include "link/protocol/TermTiming.h"
#include "link/serial/SendHelpers.h"

#include <cstdio>

namespace
{
constexpr char kCtrlZ = 26;

// The unit counts years from 2000.
int UnitYear(const LocalTime& t)
{
    return t.Year % 2000;
}

template <typename... Args> std::string Format(const char* format, Args... args)
{
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}
} // namespace

DirectCommands::DirectCommands(SerialSender& sender, const TermTiming& timing, const LocalClock& clock)
    : sender_(sender), timing_(timing), clock_(clock)
{
}

std::string DirectCommands::ReferenceDateCommand(const LocalTime& t)
{
    return Format("KVSRD=%02d-%02d-%02d\r", UnitYear(t), t.Month, t.Day);
}

std::string DirectCommands::ClockCommand(const LocalTime& t)
{
    return Format("KVSRTC=1:%02d:%02d:%02d\r", t.Hour, t.Minute, t.Second);
}

std::string DirectCommands::ClockAndDateCommand(const LocalTime& t)
{
    return Format("KVSCLK=%02d/%02d/%02d,%02d:%02d:%02d\r", UnitYear(t), t.Month, t.Day, t.Hour, t.Minute, t.Second);
}

bool DirectCommands::Step(const std::string& text)
{
    return sender_.SendComString(text) != SendOutcome::PortFailed;
}

bool DirectCommands::SetRTCButtonClick()
{
    const LocalTime date = clock_();
    if (!Step(ReferenceDateCommand(date)))
        return false;
    timing_.Wait(timing_.RtcDateGapMs);
    LocalTime now = clock_();
    if (!now.SameDate(date)) {
        // Midnight passed during the pause: the unit's day counter starts from the new day.
        if (!Step(ReferenceDateCommand(now)))
            return false;
        timing_.Wait(timing_.RtcDateGapMs);
        now = clock_();
    }
    return Step(ClockCommand(now));
}

void DirectCommands::setRTCDButtonClick()
{
    sender_.SendComString(ClockAndDateCommand(clock_()));
}

void DirectCommands::SpeedButton12Click()
{
    sender_.SendComString("KV&SR\r");
}

void DirectCommands::SpeedButton13Click()
{
    sender_.SendComString("KV&MB\r");
}

void DirectCommands::SpeedButton14Click()
{
    sender_.SendComString("KVESC\r");
}

void DirectCommands::SendSms(const std::string& number, const std::string& text)
{
    // A step that did not go out would leave the module with the next one out of its context.
    if (!Step("KVSC1\r"))
        return;
    timing_.Wait(timing_.SmsModeSwitchMs);
    if (!Step("AT+CMGF=1\r"))
        return;
    timing_.Wait(timing_.SmsStepMs);
    if (!Step("AT+CMGS=\"" + number + "\"\r"))
        return;
    timing_.Wait(timing_.SmsStepMs);
    if (!Step(text))
        return;
    timing_.Wait(timing_.SmsStepMs);
    Step(std::string(1, kCtrlZ));
}
