#pragma once

#include "channels/ChannelTable.h"

#include <QLabel>

// The level diagram beside an analogue alarm choice: which level raises the alarm and whether a message
// follows the return to normal. Pictures by index: 0 low, 1 high, 2 both levels, 3 supply low; 7, 8, 9, 10
// the same with the restore message; -1 none.
class TLevelPicture : public QLabel
{
    Q_OBJECT
  public:
    explicit TLevelPicture(QWidget* parent = nullptr);

    int ImageIndex() const { return index_; }
    void SetImageIndex(int index);

  private:
    int index_ = -1;
};

// The picture for an alarm choice ("Off" = 0) with or without the restore message.
int LevelPictureIndex(TChannelKind kind, int alarmIndex, bool restoreAlert);
