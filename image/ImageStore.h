#pragma once

#include "image/ByteTables.h"
#include "image/LogCapacity.h"
#include "image/MemoryImage.h"

#include <cstdint>
#include <functional>
#include <string>

// The image with its edit state and the accessors through which every page, transfer and file reads and
// writes it. Owned by the main window; window thread only.
class ImageStore
{
  public:
    // The page redraw (ImageToControls); filled by the page framework. Empty until then.
    std::function<void()> OnRedraw;
    // Panel 0 of the status bar, for the byte-table conversion errors.
    std::function<void(const std::string&)> OnStatus;

    MemoryImage Image;
    TLogCapacity LogCapacity;

    uint8_t CellEdited = 0;
    int CurCol = 0;
    int CurRow = 0;
    int ImageSize = MemoryImage::kConfigSize;
    uint8_t ImageLoaded = 0;

    // --- accessors -----------------------------------------------------------------------------------
    uint8_t ReadImageByte(int address) const;
    // Up to slot - 1 bytes from address on, ending before the first byte 0.
    std::string ReadImageString(int address, int slot) const;
    // Writes data (any bytes) from address on; flag 1 marks the bytes as edited, 0 writes them plain.
    // With slot >= 0 at most slot bytes are written. A write that would leave the image raises ERangeError
    // before any byte is written.
    void WriteImageString(const std::string& data, int address, uint8_t flag, int slot = -1);
    // Sets or clears masks A, B, C by bits 0, 1, 2 of mode (any mode outside 0..7 sets all three);
    // writes, marked, and redraws only when the byte changes.
    void SetImageBits(int address, int mode, uint8_t maskA, uint8_t maskB = 0, uint8_t maskC = 0);
    // Replaces the low (half 0) or high (any other half) four bits; always writes, never redraws.
    void SetImageNibble(int address, int value, int half);
    // Big-endian numbers of 1, 2 or 4 bytes, as every numeric field of the image is stored.
    uint32_t ReadImageNumber(int address, int length) const;
    void WriteImageNumber(uint32_t value, int address, int length, uint8_t flag);

    // --- bulk operations -----------------------------------------------------------------------------
    // Plain load (no marks, no conversion state touched), as a read from the unit or a file load does.
    void LoadPlain(int address, const std::string& bytes);
    // Rewrites each marked byte of [address, address + count) plain, as the write and save paths do
    // for the bytes they take out.
    void UnmarkRange(int address, int count);
    // Restores the built-in default image over 0..3071, shows it and marks an image present; whatever the
    // showing's handlers wrote, the image ends as the default table with no byte marked.
    void setDefaultClick();
    void Redraw() const;

    // --- the byte tables -----------------------------------------------------------------------------
    std::string CellText(ByteTable table, int col, int row) const
    {
        return ByteTables::CellText(Image, table, col, row);
    }
    // A typed cell text: remembered until the cell is left (SelectCell of another cell).
    void SetEditText(ByteTable table, int col, int row, const std::string& value);
    // Leaving the edited cell for (col, row): converts the pending edit into the image, marked.
    // A text that is no number, or a number outside 0..255, is refused: the status bar shows
    // "Error: " + the message and the byte keeps its value (the edit stays pending).
    void SelectCell(ByteTable table, int col, int row);

  private:
    void CheckRange(int address, int count) const;
    void PutByte(int address, uint8_t value, uint8_t flag);

    ByteTable editTable_ = ByteTable::Ascii;
    std::string editText_;
};
