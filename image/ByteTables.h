#pragma once

#include "image/MemoryImage.h"

#include <string>

// The three byte tables (character, hexadecimal, decimal; 20 bytes a row, one header row and one
// address column) are views computed from the image on demand: nothing keeps three copies.
enum class ByteTable { Ascii, Hex, Dec };

namespace ByteTables
{

constexpr int kColumns = 21;    // column 0 holds the row's first address
constexpr int kRowCount = 3278; // header row + 3277 rows of 20 bytes
constexpr int kBytesPerRow = 20;

constexpr int ColOf(int address)
{
    return address % kBytesPerRow + 1;
}
constexpr int RowOf(int address)
{
    return address / kBytesPerRow + 1;
}
// The address of a data cell, or -1 for a header cell or a cell past the image end.
int AddressOf(int col, int row);

// Plain text of one byte in a table: the character itself, two upper-case hex digits, or decimal.
std::string PlainText(ByteTable table, uint8_t value);
// The text a cell shows: header texts, the row's address in column 0, "(" + text + ")" for a marked byte,
// empty past the image end. A hexadecimal cell shows a byte's text as its file spelled it while the image keeps
// one (MemoryImage::HexText).
std::string CellText(const MemoryImage& image, ByteTable table, int col, int row);
// The marking rule every reader applies: a text longer than one character that begins with "("
// loses its first and last character.
std::string StripMark(const std::string& text);

} // namespace ByteTables
