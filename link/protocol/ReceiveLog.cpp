#include "link/protocol/ReceiveLog.h"

#include <cstdio>

namespace ReceiveRender
{

std::string HexByte(uint8_t b)
{
    char text[8];
    std::snprintf(text, sizeof text, "[%02X]", b);
    return text;
}

std::string DecimalByte(uint8_t b)
{
    char text[8];
    std::snprintf(text, sizeof text, "[%u]", static_cast<unsigned>(b));
    return text;
}

bool ShownAsCode(uint8_t b)
{
    return b <= 32 || b >= 128;
}

std::string Stamp(const LocalTime& t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%02d : ", t.Hour, t.Minute, t.Second, t.Hundredths);
    return text;
}

std::string NewLineText(std::string_view text, std::string_view line)
{
    const bool atLineStart = text.empty() || text.back() == '\r' || text.back() == '\n';
    std::string added = atLineStart ? std::string() : std::string("\r\n");
    added.append(line);
    return added;
}

bool AsksForEscape(std::string_view block)
{
    const std::string_view text = block.substr(0, block.find('\0'));
    return text.find(" SYS") != std::string_view::npos;
}

} // namespace ReceiveRender

namespace
{
// The stamp's offset of the character the view keeps in sight (the blank after the hundredths).
constexpr size_t kStampMarkOffset = 13;

std::string Rendered(std::string_view block, const ReceiveLogOptions& options)
{
    std::string out;
    out.reserve(block.size());
    for (char c : block) {
        const auto b = static_cast<uint8_t>(c);
        if (options.Hex)
            out += ReceiveRender::HexByte(b);
        else if (options.ShowAll && ReceiveRender::ShownAsCode(b))
            out += ReceiveRender::DecimalByte(b);
        else
            out.push_back(c);
    }
    return out;
}
} // namespace

ReceiveLogUpdate ReceiveLog::OnBlock(std::string_view text, std::string_view block, const LocalTime& now,
                                     const ReceiveLogOptions& options)
{
    const bool sameSecond = now.SameSecond(stampTime_);
    stampTime_ = now;

    ReceiveLogUpdate update;
    if (!options.ShowTS) {
        update.Append = std::string(block);
        update.MarkMoved = true;
        update.MarkInAppend = update.Append.size();
        mark_ = text.size() + update.Append.size();
        return update;
    }

    const bool stamped = !sameSecond && !options.Hex;
    std::string line = stamped ? ReceiveRender::Stamp(now) : std::string();
    line += Rendered(block, options);
    if (sameSecond) {
        update.Append = std::move(line);
        return update;
    }
    update.Append = ReceiveRender::NewLineText(text, line);
    if (stamped) {
        // The stamp begins where the line does, after any line break put in front of it.
        update.MarkMoved = true;
        update.MarkInAppend = update.Append.size() - line.size() + kStampMarkOffset;
        mark_ = text.size() + update.MarkInAppend;
    }
    return update;
}
