#include "files/KvxFile.h"

#include "image/ByteTables.h"
#include "platform/Convert.h"

#include <optional>

namespace
{

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kWhite = " \t\r\n";
constexpr size_t kTextLines = 6;

struct TToken {
    std::string_view Text;
    int Number = 0; // 1-based, counted over the whole file
    int Line = 0;   // 1-based, counted by line feeds
};

// Hands out the tokens of a text one by one, with where each stands.
class TTokenReader
{
  public:
    explicit TTokenReader(std::string_view text) : text_(text) {}

    std::optional<TToken> Next()
    {
        size_t start = text_.find_first_not_of(kWhite, pos_);
        if (start == std::string_view::npos) {
            CountLines(text_.size());
            pos_ = text_.size();
            return std::nullopt;
        }
        CountLines(start);
        size_t end = text_.find_first_of(kWhite, start);
        if (end == std::string_view::npos)
            end = text_.size();
        pos_ = end;
        return TToken{text_.substr(start, end - start), ++count_, line_};
    }

    int Line() const { return line_; }

  private:
    void CountLines(size_t upTo)
    {
        for (; counted_ < upTo; ++counted_)
            if (text_[counted_] == '\n')
                ++line_;
    }

    std::string_view text_;
    size_t pos_ = 0;
    size_t counted_ = 0;
    int count_ = 0;
    int line_ = 1;
};

// "0x" + token must read as a number that fits a byte: a larger one would lose its high digits unseen.
std::optional<uint8_t> ByteOf(std::string_view token)
{
    if (token.empty())
        return std::nullopt;
    const int value = StrToIntDef("0x" + std::string(token), -1);
    if (value < 0 || value > 0xFF)
        return std::nullopt;
    return static_cast<uint8_t>(value);
}

std::string Where(const TToken& token)
{
    return "KVX-file token " + std::to_string(token.Number) + " (line " + std::to_string(token.Line) + ")";
}

TKvxParse Fault(std::string error)
{
    TKvxParse result;
    result.Error = std::move(error);
    return result;
}

// The version form: a long first word, then the release identifier. Only a warning when it is not ours.
void ReadVersionTrailer(const TToken& word, const TToken& tag, std::string_view versionTag, TKvxContent& content)
{
    content.Status = "Open File OK : KVX-file " + std::string(word.Text) + " " + std::string(tag.Text);
    if (tag.Text.find(versionTag) == std::string_view::npos)
        content.Warning = "KVX-file version mismatch!";
}

// The checksum form: high byte, low byte, each a hexadecimal number of which the low byte counts.
std::optional<std::string> ReadChecksumTrailer(const TToken& high, const TToken& low, TKvxContent& content)
{
    int value[2] = {0, 0};
    const TToken* tokens[2] = {&high, &low};
    for (int i = 0; i < 2; ++i) {
        try {
            value[i] = HexToInt(std::string(tokens[i]->Text)) & 0xFF;
        } catch (const EConvertError& e) {
            return Where(*tokens[i]) + ": " + e.what();
        }
    }
    if (value[0] * 256 + value[1] == KvxChecksum(content.Image)) {
        content.Status = "KVX-file OK : Config file checksum match";
    } else {
        content.Status = "KVX-file ERROR : Config file checksum do not match";
        content.Warning = "KVX-file checksum mismatch!";
    }
    return std::nullopt;
}

} // namespace

std::string FormatKvx(std::string_view image, const std::array<std::string, kKvxTimers>& timers,
                      std::string_view versionTag)
{
    std::string text;
    text.reserve(kKvxImageBytes * 3 + 128);
    for (size_t a = 0; a < kKvxImageBytes && a < image.size(); ++a)
        text.append(ByteTables::PlainText(ByteTable::Hex, static_cast<uint8_t>(image[a]))).append(" ");
    text.append(kCrLf).append("Version ").append(versionTag).append(kCrLf);
    text.append("SWT:").append(kCrLf);
    for (int n = 1; n <= kKvxTimers; ++n)
        text.append("SWT" + std::to_string(n) + "=").append(timers[static_cast<size_t>(n - 1)]).append(kCrLf);
    text.append("END").append(kCrLf);
    return text;
}

uint16_t KvxChecksum(std::string_view image)
{
    uint32_t sum = 0;
    for (char c : image)
        sum += static_cast<uint8_t>(c);
    return static_cast<uint16_t>(0xFFFF - (sum & 0xFFFF));
}

TKvxParse ParseKvx(std::string_view text, std::string_view versionTag)
{
    TTokenReader reader(text);
    TKvxParse result;
    TKvxContent& content = result.Content;
    content.Image.reserve(kKvxImageBytes);
    for (int n = 0; n < kKvxImageBytes; ++n) {
        std::optional<TToken> token = reader.Next();
        if (!token)
            return Fault("KVX-file ends on line " + std::to_string(reader.Line()) + " after " + std::to_string(n) +
                         " of " + std::to_string(kKvxImageBytes) + " bytes");
        std::optional<uint8_t> byte = ByteOf(token->Text);
        if (!byte)
            return Fault(Where(*token) + ": '" + std::string(token->Text) +
                         "' is not a byte of hexadecimal digits (00 to FF)");
        content.Image.push_back(static_cast<char>(*byte));
        if (token->Text != ByteTables::PlainText(ByteTable::Hex, *byte))
            content.HexTexts.emplace(n, token->Text);
    }

    std::optional<TToken> first = reader.Next();
    std::optional<TToken> second = first ? reader.Next() : std::nullopt;
    if (!second) {
        content.Status = "Open File OK : KVX-file Version Unknown";
    } else if (first->Text.size() > 6) {
        ReadVersionTrailer(*first, *second, versionTag, content);
    } else if (auto error = ReadChecksumTrailer(*first, *second, content)) {
        return Fault(*error);
    }
    // A file that ends early gives fewer lines: nothing is made up for the missing ones.
    for (size_t i = 0; i < kTextLines; ++i) {
        std::optional<TToken> line = second ? reader.Next() : std::nullopt;
        if (!line)
            break;
        content.Lines.emplace_back(line->Text);
    }
    result.Ok = true;
    return result;
}
