#include "link/serial/ScriptRunner.h"

#include "link/protocol/LinkHost.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/TermTiming.h"
#include "link/serial/DirectCommands.h"
#include "link/serial/LinkPort.h"
#include "link/serial/SendHelpers.h"
#include "platform/Convert.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <fstream>
#include <iterator>

namespace ScriptLines
{

bool IsModeSwitch(std::string_view line)
{
    return line == Protocol::kEscapeToCommandMode || line == "+++";
}

SendForm SendFormOf(const std::string& line)
{
    if (IsModeSwitch(line))
        return {line, false};
    if (line == kEscape)
        return {"\x1b", false};
    return {line, true};
}

std::optional<int> PauseValue(std::string_view line)
{
    if (line.find("T:") == std::string_view::npos)
        return std::nullopt;
    return line.size() > 2 ? AtoiSaturated(line.substr(2)) : 0;
}

std::vector<std::string> Split(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

std::optional<std::vector<std::string>> ReadLines(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return std::nullopt;
    return Split(text);
}

} // namespace ScriptLines

ScriptRunner::ScriptRunner(SerialSender& sender, LinkHost& host, DirectCommands& commands, const TermTiming& timing,
                           ScriptList& list)
    : sender_(sender), host_(host), commands_(commands), timing_(timing), list_(list)
{
}

void ScriptRunner::Run()
{
    if (!sender_.Port().Connected()) {
        host_.SetStatusText(Msg::kPortClosed);
        return;
    }
    for (int i = 0; i < list_.Count(); ++i) {
        list_.Select(i);
        if (!RunLine(list_.Shown()))
            return;
        if (RepaintTerminal)
            RepaintTerminal();
        // Read after the line: a "T:" line's value governs the pause that follows it.
        timing_.Wait(StrToInt(list_.PauseText()));
    }
}

bool ScriptRunner::RunLine(const std::string& line)
{
    if (auto pause = ScriptLines::PauseValue(line)) {
        list_.SetPause(*pause);
        return true;
    }
    if (line == ScriptLines::kSetRtc)
        return commands_.SetRTCButtonClick();
    const std::string text = ScriptLines::IsModeSwitch(line) ? line : line + Protocol::kCR;
    return sender_.SendComString(text) != SendOutcome::PortFailed;
}

void ScriptRunner::SendOnce()
{
    const int count = list_.Count();
    const std::string shown = list_.Shown();
    const ScriptLines::SendForm form = ScriptLines::SendFormOf(shown);
    sender_.SendComString(form.withCr ? form.text + Protocol::kCR : form.text);
    list_.Remember(shown, count);
}

void ScriptRunner::Add(const std::string& text)
{
    list_.Remember(text, list_.Count());
}

bool ScriptRunner::LoadFile(const std::string& path)
{
    const auto lines = ScriptLines::ReadLines(path);
    if (!lines)
        return false;
    list_.Replace(*lines);
    return true;
}
