#include "channels/LevelPicture.h"

#include <QPainter>
#include <QPixmap>

namespace
{

constexpr int kWidth = 64;
constexpr int kHeight = 40;
constexpr int kHighY = 10;
constexpr int kLowY = 30;
constexpr int kWithRestore = 7;

// A level line, and where the restore message is sent, the band the signal must come back through.
void DrawLevel(QPainter& p, int y, int towardsNormal, bool restore)
{
    p.setPen(QPen(Qt::red, 2));
    p.drawLine(2, y, kWidth - 2, y);
    if (restore) {
        p.setPen(QPen(Qt::darkGreen, 1, Qt::DashLine));
        p.drawLine(2, y + towardsNormal, kWidth - 2, y + towardsNormal);
    }
}

} // namespace

TLevelPicture::TLevelPicture(QWidget* parent) : QLabel(parent)
{
    setFixedSize(kWidth, kHeight);
}

void TLevelPicture::SetImageIndex(int index)
{
    if (index == index_)
        return;
    index_ = index;
    if (index < 0) {
        clear();
        return;
    }
    const bool restore = index >= kWithRestore;
    const int level = restore ? index - kWithRestore : index;
    QPixmap picture(kWidth, kHeight);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, kWidth - 1, kHeight - 1);
    p.setPen(QPen(Qt::black, 1));
    const QPoint signal[] = {{2, 20}, {14, 14}, {26, 26}, {38, 6}, {50, 34}, {62, 20}};
    p.drawPolyline(signal, 6);
    if (level == 0 || level == 2 || level == 3)
        DrawLevel(p, kLowY, -5, restore);
    if (level == 1 || level == 2)
        DrawLevel(p, kHighY, 5, restore);
    p.end();
    setPixmap(picture);
}

int LevelPictureIndex(TChannelKind kind, int alarmIndex, bool restoreAlert)
{
    if (alarmIndex <= 0)
        return -1;
    const int picture = kind == TChannelKind::PowerIn ? 3 : alarmIndex - 1;
    return restoreAlert ? picture + kWithRestore : picture;
}
