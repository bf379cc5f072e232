#include "pages/AlarmTable.h"

#include "image/ImageStore.h"
#include "pages/PageContext.h"
#include "pages/TimeText.h"
#include "platform/ui/Latin1.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>

namespace
{

constexpr int kAlarmTableStart = 2171;
constexpr int kRecordSize = 8;

std::string StatusInfo(uint8_t status)
{
    std::string info = std::to_string(status & 0x0F);
    info += status & 0x10 ? 'A' : 'D';
    info += status & 0x20 ? 'H' : 'L';
    if (status & 0x40)
        info += 'R';
    return info;
}

void ShowCell(QTableWidget* grid, int row, int column, const std::string& text)
{
    const QString shown = FromLatin1(text);
    QTableWidgetItem* item = grid->item(row, column);
    if (!item)
        grid->setItem(row, column, new QTableWidgetItem(shown));
    else if (item->text() != shown)
        item->setText(shown);
}

void ShowAlarmTable(const ImageStore& image, QTableWidget* grid)
{
    for (int r = 1; r <= kAlarmRecordCount; ++r) {
        const auto cells = AlarmRecordCells(image, r);
        for (int c = 1; c <= 6; ++c)
            ShowCell(grid, r, c, cells[static_cast<size_t>(c - 1)]);
    }
}

} // namespace

std::array<std::string, 6> AlarmRecordCells(const ImageStore& image, int record)
{
    const int a = kAlarmTableStart + kRecordSize * (record - 1);
    const uint8_t status = image.ReadImageByte(a + 5);
    return {std::to_string(image.ReadImageByte(a + 6)),
            std::to_string(image.ReadImageNumber(a, 2)) + ":" +
                ClockText(image.ReadImageByte(a + 2), image.ReadImageByte(a + 3), image.ReadImageByte(a + 4)),
            std::to_string(status),
            StatusInfo(status),
            status & 0x80 ? "YES" : "NO",
            std::to_string(image.ReadImageByte(a + 7))};
}

QTableWidget* BuildAlarmGrid(TPageContext& ctx, QWidget* parent)
{
    auto* grid = new QTableWidget(parent);
    grid->setObjectName("AlarmStringGrid1");
    // The first row and column are the grid's own headings, as fixed cells.
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setColumnCount(7);
    grid->setRowCount(kAlarmRecordCount + 2);
    const int widths[] = {45, 44, 97, 43, 64, 43, 41};
    const char* headers[] = {"Alarm", "ID", "Timestamp", "Status", "Status Info", "Sent", "Trials"};
    // The widest text a column can hold, so that no cell is cut whatever the desktop's font.
    const char* widest[] = {"Alarm", "255", "65535:00:00:00", "Status", "Status Info", "Sent", "Trials"};
    const QFontMetrics metrics = grid->fontMetrics();
    for (int c = 0; c < 7; ++c) {
        grid->setColumnWidth(c, std::max(widths[c], metrics.horizontalAdvance(widest[c]) + 12));
        grid->setItem(0, c, new QTableWidgetItem(headers[c]));
    }
    grid->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    for (int r = 1; r <= kAlarmRecordCount; ++r)
        grid->setItem(r, 0, new QTableWidgetItem(QString::number(r)));
    ctx.AddControl(grid);
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(TRedraw::AlarmTable, [&image, grid] { ShowAlarmTable(image, grid); });
    return grid;
}
