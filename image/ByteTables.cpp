#include "image/ByteTables.h"

#include <cstdio>

namespace ByteTables
{

int AddressOf(int col, int row)
{
    if (col < 1 || col >= kColumns || row < 1 || row >= kRowCount)
        return -1;
    int address = (row - 1) * kBytesPerRow + (col - 1);
    return address < MemoryImage::kSize ? address : -1;
}

std::string PlainText(ByteTable table, uint8_t value)
{
    char buf[8];
    switch (table) {
    case ByteTable::Ascii:
        return std::string(1, static_cast<char>(value));
    case ByteTable::Hex:
        std::snprintf(buf, sizeof buf, "%02X", value);
        return buf;
    case ByteTable::Dec:
        break;
    }
    return std::to_string(value);
}

std::string CellText(const MemoryImage& image, ByteTable table, int col, int row)
{
    if (row == 0)
        return col == 0 ? std::string() : std::to_string(col - 1);
    if (col == 0)
        return std::to_string((row - 1) * kBytesPerRow);
    int address = AddressOf(col, row);
    if (address < 0)
        return {};
    const std::string* asRead = table == ByteTable::Hex ? image.HexText(address) : nullptr;
    std::string text = asRead ? *asRead : PlainText(table, image.Byte(address));
    return image.Marked(address) ? "(" + text + ")" : text;
}

std::string StripMark(const std::string& text)
{
    if (text.size() > 1 && text.front() == '(')
        return text.substr(1, text.size() - 2);
    return text;
}

} // namespace ByteTables
