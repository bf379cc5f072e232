#pragma once

#include <QGroupBox>

class TRadioGroup;
struct TPageContext;

// The "Internal Serial" group of the communication page: the unit's two internal serial links, one byte
// each, baud index in the high half and format index in the low half (175: MCU <--> Port, 176: Module <--> MCU).
// The group is hidden and disabled, as on the unit's own tool; the settings still travel with the image.
class TInternalSerial : public QGroupBox {
    Q_OBJECT
public:
    TInternalSerial(TPageContext& ctx, QWidget* parent = nullptr);

    void BaudRatePCClick();
    void ParityPCClick();
    void BaudRateTC35Click();
    void ParityTC35Click();
    // Shows bytes 176 and 175; 255 ("not set") leaves the groups as they are.
    void ShowSerialSettings();

    TRadioGroup* BaudRatePC;
    TRadioGroup* ParityPC;
    TRadioGroup* BaudRateTC35;
    TRadioGroup* ParityTC35;
    TRadioGroup* FlowControlTC35;

private:
    void StoreNibble(int address, TRadioGroup* group, int half);
    void ShowLink(int address, TRadioGroup* baud, TRadioGroup* parity);

    TPageContext& ctx_;
    // Set while the decoder moves the groups: showing a value writes nothing back.
    bool showing_ = false;
};
