#include "image/ImageStore.h"

#include "image/DefaultImage.h"
#include "image/ImageErrors.h"
#include "platform/Convert.h"

void ImageStore::CheckRange(int address, int count) const
{
    if (!MemoryImage::ValidAddress(address) || count < 0 || address + count > MemoryImage::kSize)
        throw ERangeError();
}

uint8_t ImageStore::ReadImageByte(int address) const
{
    CheckRange(address, 1);
    return Image.Byte(address);
}

std::string ImageStore::ReadImageString(int address, int slot) const
{
    CheckRange(address, 1);
    std::string result;
    for (int a = address; a < address + slot - 1 && a < MemoryImage::kSize; ++a) {
        uint8_t b = Image.Byte(a);
        if (b == 0)
            break;
        result.push_back(static_cast<char>(b));
    }
    return result;
}

void ImageStore::PutByte(int address, uint8_t value, uint8_t flag)
{
    CurCol = ByteTables::ColOf(address);
    CurRow = ByteTables::RowOf(address);
    Image.Put(address, value, flag != 0);
    // The conversion into the other tables happens at once, so nothing stays pending.
    CellEdited = 0;
}

void ImageStore::WriteImageString(const std::string& data, int address, uint8_t flag, int slot)
{
    int count = static_cast<int>(data.size());
    if (slot >= 0 && count > slot)
        count = slot;
    if (count == 0)
        return;
    CheckRange(address, count);
    for (int i = 0; i < count; ++i)
        PutByte(address + i, static_cast<uint8_t>(data[static_cast<size_t>(i)]), flag);
}

void ImageStore::SetImageBits(int address, int mode, uint8_t maskA, uint8_t maskB, uint8_t maskC)
{
    uint8_t old = ReadImageByte(address);
    if (mode < 0 || mode > 7)
        mode = 7;
    uint8_t value = old;
    const uint8_t masks[3] = {maskA, maskB, maskC};
    for (int i = 0; i < 3; ++i)
        value = (mode >> i) & 1 ? static_cast<uint8_t>(value | masks[i]) : static_cast<uint8_t>(value & ~masks[i]);
    if (value == old)
        return;
    WriteImageString(std::string(1, static_cast<char>(value)), address, 1);
    Redraw();
}

void ImageStore::SetImageNibble(int address, int value, int half)
{
    uint8_t b = ReadImageByte(address);
    uint8_t v = static_cast<uint8_t>(value & 0x0F);
    b = half == 0 ? static_cast<uint8_t>((b & 0xF0) | v) : static_cast<uint8_t>((b & 0x0F) | (v << 4));
    WriteImageString(std::string(1, static_cast<char>(b)), address, 1);
}

uint32_t ImageStore::ReadImageNumber(int address, int length) const
{
    CheckRange(address, length);
    uint32_t value = 0;
    for (int i = 0; i < length; ++i)
        value = (value << 8) | Image.Byte(address + i);
    return value;
}

void ImageStore::WriteImageNumber(uint32_t value, int address, int length, uint8_t flag)
{
    std::string bytes(static_cast<size_t>(length), '\0');
    for (int i = length - 1; i >= 0; --i, value >>= 8)
        bytes[static_cast<size_t>(i)] = static_cast<char>(value & 0xFF);
    WriteImageString(bytes, address, flag);
}

void ImageStore::LoadPlain(int address, const std::string& bytes)
{
    CheckRange(address, static_cast<int>(bytes.size()));
    Image.LoadPlain(address, reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
}

void ImageStore::UnmarkRange(int address, int count)
{
    CheckRange(address, count);
    for (int a = address; a < address + count; ++a)
        if (Image.Marked(a))
            PutByte(a, Image.Byte(a), 0);
}

// The default is its table. Showing it moves controls, and a moved control runs its handler, which may write
// (a moved I/O1 log box switches logging on): a showing whose handlers wrote is done again from the table,
// until one leaves it as it is, so the pages end showing the table with every state their handlers set.
void ImageStore::setDefaultClick()
{
    constexpr int kShowings = 4;
    const auto& table = DefaultImageBytes();
    const auto load = [this, &table] { Image.LoadPlain(0, table.data(), static_cast<int>(table.size())); };
    for (int showing = 0; showing < kShowings; ++showing) {
        load();
        Redraw();
        if (!Image.AnyMarked(0, MemoryImage::kConfigSize))
            break;
    }
    load();
    ImageLoaded = 1;
}

void ImageStore::Redraw() const
{
    if (OnRedraw)
        OnRedraw();
}

void ImageStore::SetEditText(ByteTable table, int col, int row, const std::string& value)
{
    CurCol = col;
    CurRow = row;
    CellEdited = 1;
    editTable_ = table;
    editText_ = value;
}

void ImageStore::SelectCell(ByteTable table, int col, int row)
{
    if (CellEdited != 1 || table != editTable_ || (col == CurCol && row == CurRow))
        return;
    int address = ByteTables::AddressOf(CurCol, CurRow);
    std::string text = ByteTables::StripMark(editText_);
    if (address < 0 || text.empty()) {
        // An emptied cell (or one outside the image) is no byte: drop the edit, the byte shows again.
        CellEdited = 0;
        return;
    }
    int value = 0;
    if (table == ByteTable::Ascii) {
        value = static_cast<uint8_t>(text[0]);
    } else {
        try {
            value = table == ByteTable::Hex ? HexToInt(text) : StrToInt(text);
            if (value < 0 || value > 255)
                throw EConvertError("'" + (table == ByteTable::Hex ? "0x" + text : text) +
                                    "' is not a valid integer value");
        } catch (const EConvertError& e) {
            if (OnStatus)
                OnStatus(std::string("Error: ") + e.what());
            return;
        }
    }
    Image.Put(address, static_cast<uint8_t>(value), true);
    CellEdited = 0;
    if (table != ByteTable::Ascii)
        Redraw();
}
