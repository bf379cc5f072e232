#pragma once

#include <QGroupBox>

struct TPageContext;

// The "Internal Serial" group of the communication page: the unit's two internal serial links, one byte
// each, baud index in the high half and format index in the low half (175: MCU <--> Port, 176: Module <--> MCU),
// and the flow control of the MCU <--> Port link (bit 0 of option byte 1012).
// The group is hidden and disabled, as on the unit's own tool; the settings still travel with the image.
class TInternalSerial : public QGroupBox
{
    Q_OBJECT
  public:
    TInternalSerial(TPageContext& ctx, QWidget* parent = nullptr);
};
