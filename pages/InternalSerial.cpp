#include "pages/InternalSerial.h"

#include "image/ImageStore.h"
#include "pages/Bind.h"
#include "pages/PageContext.h"
#include "platform/ui/RadioGroup.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

const std::vector<std::string> kBaudItems = {"110",  "300",   "1200",  "2400",  "4800",
                                             "9600", "19200", "38400", "57600", "115200"};
const std::vector<std::string> kFormatItems = {"8O1", "8E1", "8N1", "8O2", "8E2", "8N2", "7O1", "7E1", "7N1", "7O2"};

constexpr int kPortLink = 175;
constexpr int kModemLink = 176;
constexpr int kHighHalf = 1;
constexpr int kLowHalf = 0;

TRadioGroup* MakeGroup(const char* name, const char* caption, const std::vector<std::string>& items, QWidget* parent)
{
    auto* group = new TRadioGroup(caption, parent);
    group->setObjectName(name);
    group->SetItems(items);
    group->SetColumns(2);
    return group;
}

} // namespace

TInternalSerial::TInternalSerial(TPageContext& ctx, QWidget* parent) : QGroupBox("Internal Serial", parent), ctx_(ctx)
{
    setObjectName("InternalSerialGroup");
    auto* port = new QGroupBox("MCU <--> Port", this);
    BaudRatePC = MakeGroup("BaudRatePC", "Baud Rate", kBaudItems, port);
    ParityPC = MakeGroup("ParityPC", "Format", kFormatItems, port);
    auto* modem = new QGroupBox("Module <--> MCU", this);
    BaudRateTC35 = MakeGroup("BaudRateTC35", "Baud Rate", kBaudItems, modem);
    ParityTC35 = MakeGroup("ParityTC35", "Format", kFormatItems, modem);
    FlowControlTC35 = MakeGroup("FlowControlTC35", "Flow Control", {"None", "RTS/CTS"}, modem);
    FlowControlTC35->setEnabled(false);

    auto* portLayout = new QHBoxLayout(port);
    portLayout->addWidget(BaudRatePC);
    portLayout->addWidget(ParityPC);
    auto* modemLayout = new QHBoxLayout(modem);
    modemLayout->addWidget(BaudRateTC35);
    modemLayout->addWidget(ParityTC35);
    modemLayout->addWidget(FlowControlTC35);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(port);
    layout->addWidget(modem);

    BaudRatePC->SetOnClick([this] { BaudRatePCClick(); });
    ParityPC->SetOnClick([this] { ParityPCClick(); });
    BaudRateTC35->SetOnClick([this] { BaudRateTC35Click(); });
    ParityTC35->SetOnClick([this] { ParityTC35Click(); });
    ctx_.Redraw.Add(TRedraw::SerialSettings, [this] { ShowSerialSettings(); });
    setVisible(false);
    setEnabled(false);
}

void TInternalSerial::StoreNibble(int address, TRadioGroup* group, int half)
{
    if (showing_ || group->ItemIndex() < 0)
        return;
    ctx_.Image.SetImageNibble(address, group->ItemIndex(), half);
}

void TInternalSerial::BaudRatePCClick() { StoreNibble(kPortLink, BaudRatePC, kHighHalf); }
void TInternalSerial::ParityPCClick() { StoreNibble(kPortLink, ParityPC, kLowHalf); }
void TInternalSerial::BaudRateTC35Click() { StoreNibble(kModemLink, BaudRateTC35, kHighHalf); }
void TInternalSerial::ParityTC35Click() { StoreNibble(kModemLink, ParityTC35, kLowHalf); }

void TInternalSerial::ShowLink(int address, TRadioGroup* baud, TRadioGroup* parity)
{
    uint8_t b = ctx_.Image.ReadImageByte(address);
    if (b == 0xFF)
        return;
    ShowIndex(baud, b / 16);
    ShowIndex(parity, b % 16);
}

void TInternalSerial::ShowSerialSettings()
{
    showing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{showing_};
    ShowLink(kModemLink, BaudRateTC35, ParityTC35);
    ShowLink(kPortLink, BaudRatePC, ParityPC);
}
