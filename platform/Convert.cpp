#include "platform/Convert.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <optional>

namespace
{

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// Parses digits in the given base; the whole rest of the text must be digits.
std::optional<int64_t> ParseDigits(const std::string& text, size_t pos, int base)
{
    if (pos >= text.size())
        return std::nullopt;
    int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        int d = DigitValue(text[pos]);
        if (d >= base)
            return std::nullopt;
        value = value * base + d;
        if (value > 0xFFFFFFFFLL)
            return std::nullopt;
    }
    return value;
}

std::optional<int> ParseInt(const std::string& text)
{
    size_t pos = text.find_first_not_of(" \t");
    if (pos == std::string::npos)
        return std::nullopt;
    bool negative = false;
    if (text[pos] == '+' || text[pos] == '-') {
        negative = text[pos] == '-';
        ++pos;
    }
    std::optional<int64_t> value;
    if (pos < text.size() && text[pos] == '$') {
        value = ParseDigits(text, pos + 1, 16);
        // Hexadecimal texts may fill all 32 bits, as "$FFFFFFFF" is -1.
        if (value)
            value = static_cast<int32_t>(static_cast<uint32_t>(*value));
    } else if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        value = ParseDigits(text, pos + 2, 16);
        if (value)
            value = static_cast<int32_t>(static_cast<uint32_t>(*value));
    } else {
        value = ParseDigits(text, pos, 10);
        if (value && *value > (negative ? 2147483648LL : 2147483647LL))
            return std::nullopt;
    }
    if (!value)
        return std::nullopt;
    return static_cast<int>(negative ? -*value : *value);
}

} // namespace

int StrToInt(const std::string& text)
{
    if (auto v = ParseInt(text))
        return *v;
    throw EConvertError("'" + text + "' is not a valid integer value");
}

int StrToIntDef(const std::string& text, int fallback)
{
    return ParseInt(text).value_or(fallback);
}

int AtoiSaturated(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    long long magnitude = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        magnitude = std::min<long long>(magnitude * 10 + (text[i] - '0'), 1LL + INT_MAX);
    const long long value = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int HexToInt(const std::string& text)
{
    return StrToInt("0x" + text);
}

double StrToFloat(const std::string& text)
{
    bool ok = false;
    const QString trimmed = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())).trimmed();
    double value = QLocale::system().toDouble(trimmed, &ok);
    if (!ok)
        throw EConvertError("'" + text + "' is not a valid floating point value");
    return value;
}

std::string FloatToStr(double value)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15).toLatin1().toStdString();
}

std::string FloatToStrF(double value, int decimals)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals).toLatin1().toStdString();
}
