#include "link/protocol/UnitAnswers.h"

#include <algorithm>

namespace UnitAnswers
{

Tokenizer::Tokenizer(std::string_view text) : text_(text.substr(0, std::min(text.find('\0'), text.size()))) {}

std::optional<std::string> Tokenizer::Next(std::string_view delimiters)
{
    delimited_ = false;
    size_t start = text_.find_first_not_of(delimiters, pos_);
    if (start == std::string_view::npos) {
        pos_ = text_.size();
        return std::nullopt;
    }
    size_t end = text_.find_first_of(delimiters, start);
    if (end == std::string_view::npos) {
        pos_ = text_.size();
        return std::string(text_.substr(start));
    }
    pos_ = end + 1;
    delimited_ = true;
    return std::string(text_.substr(start, end - start));
}

std::string TrimLineSpace(std::string_view text)
{
    constexpr std::string_view space = " \r\n";
    size_t first = text.find_first_not_of(space);
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(space);
    return std::string(text.substr(first, last - first + 1));
}

namespace
{
bool IsTimerPeriod(const std::string& text)
{
    const bool digits = std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (text.empty() || text.size() > 4 || !digits)
        return false;
    return std::stoi(text) <= kMaxTimerPeriod;
}
} // namespace

std::optional<std::array<std::string, 5>> ParseTimers(std::string_view answer)
{
    Tokenizer tokens(answer);
    if (!tokens.Next("\r\n"))
        return std::nullopt;
    std::array<std::string, 5> periods;
    for (auto& period : periods) {
        tokens.Next(",");
        tokens.Next(",");
        auto field = tokens.Next("\r\n");
        // An answer read while it still came in ends inside its last number ("1440" read as "14").
        if (!field || !tokens.Delimited())
            return std::nullopt;
        period = TrimLineSpace(*field);
        if (!IsTimerPeriod(period))
            return std::nullopt;
    }
    return periods;
}

std::optional<std::string> ParseHardwareType(std::string_view answer)
{
    Tokenizer tokens(answer);
    if (!tokens.Next(":"))
        return std::nullopt;
    tokens.Next(" ");
    // The word ends at a blank or a line end: the unit ends its answer with CR LF.
    return TrimLineSpace(tokens.Next(" \r\n").value_or(""));
}

} // namespace UnitAnswers
