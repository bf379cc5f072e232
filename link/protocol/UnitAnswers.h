#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// Reading the unit's short answers (timers, hardware type) out of the terminal's raw receive copy.
namespace UnitAnswers
{

// Splits text the way the C strtok does: a token is a maximal run of characters outside the delimiter set,
// leading delimiters are skipped, each call goes on after the delimiter that ended the last token, and once
// the text is used up every call yields nothing. Text after a zero byte does not count.
class Tokenizer
{
  public:
    explicit Tokenizer(std::string_view text);
    std::optional<std::string> Next(std::string_view delimiters);
    // Whether the last token found ended at one of its delimiters rather than at the end of the text.
    bool Delimited() const { return delimited_; }

  private:
    std::string_view text_;
    size_t pos_ = 0;
    bool delimited_ = false;
};

// Longest accepted timer period in minutes (a day).
inline constexpr int kMaxTimerPeriod = 1440;

// The answer to "KVSWT?": a first line, then one line per timer of three comma-separated fields, the third
// being the period. The five periods (trimmed decimal text), or nothing when the answer holds no first line,
// a timer line lacks its period or its line end, or a period is no number in 0..1440.
std::optional<std::array<std::string, 5>> ParseTimers(std::string_view answer);

// The answer to "KVRP1": text up to a colon, a word, then the variant word. The word is trimmed of blanks,
// CR and LF; empty when the answer holds too few words. Nothing when the answer holds no text but colons.
std::optional<std::string> ParseHardwareType(std::string_view answer);

// Blanks, CR and LF off both ends.
std::string TrimLineSpace(std::string_view text);

} // namespace UnitAnswers
