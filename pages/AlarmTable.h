#pragma once

#include <array>
#include <string>

class ImageStore;
class QTableWidget;
class QWidget;
struct TPageContext;

// The unit's alarm history: sixteen records of eight bytes from 2171 on (date word, hour, minute, second,
// status, ID, trials). The tool only shows them.
constexpr int kAlarmRecordCount = 16;

// Columns 1..6 of record r (1..16): ID, "Timestamp", status byte, "Status Info" (bits 0..3, then A/D, H/L
// and R from bits 4, 5, 6), "Sent" (bit 7) and trials.
std::array<std::string, 6> AlarmRecordCells(const ImageStore& image, int record);

// AlarmStringGrid1: the header row and the record numbers set once; the decoder (ShowAlarmTable) fills
// columns 1..6 of rows 1..16 at the alarm table step.
QTableWidget* BuildAlarmGrid(TPageContext& ctx, QWidget* parent);
