#include "pages/InternalSerial.h"

#include "pages/PageBuilder.h"
#include "pages/PageContext.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace
{

const std::vector<std::string> kBaudItems = {"110",  "300",   "1200",  "2400",  "4800",
                                             "9600", "19200", "38400", "57600", "115200"};
const std::vector<std::string> kFormatItems = {"8O1", "8E1", "8N1", "8O2", "8E2", "8N2", "7O1", "7E1", "7N1", "7O2"};

constexpr int kPortLink = 175;
constexpr int kModemLink = 176;
constexpr auto kStep = TRedraw::SerialSettings;

// An erased byte (255) shows nothing; a nibble beyond the last item shows the last one, and showing it
// writes nothing back.
const std::vector<TRow> kPortRows = {
    {"BaudRatePC", "Baud Rate", Nibble{kPortLink, true}, kStep, kBaudItems},
    {"ParityPC", "Format", Nibble{kPortLink, false}, kStep, kFormatItems},
    // An option bit, shown with the other option switches.
    {"FlowControl1",
     "Flow Control",
     MultiBitChoice{1012, 0x01, {0x00, 0x01}},
     TRedraw::OptionBits,
     {"XON/XOFF", "CTS"}},
};
const std::vector<TRow> kModemRows = {
    {"BaudRateTC35", "Baud Rate", Nibble{kModemLink, true}, kStep, kBaudItems},
    {"ParityTC35", "Format", Nibble{kModemLink, false}, kStep, kFormatItems},
    {"FlowControlTC35", "Flow Control", Unbound{Unbound::Radio}, TRedraw::StepCount, {"None", "RTS/CTS"}},
};

QGroupBox* Side(TPageContext& ctx, QWidget* parent, const char* caption, const std::vector<TRow>& rows)
{
    auto* side = new QGroupBox(caption, parent);
    auto* layout = new QHBoxLayout(side);
    TPageBuilder builder(ctx);
    for (const TRow& row : rows)
        layout->addWidget(builder.Build(side, row));
    return side;
}

} // namespace

TInternalSerial::TInternalSerial(TPageContext& ctx, QWidget* parent) : QGroupBox("Internal Serial", parent)
{
    setObjectName("InternalSerialGroup");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Side(ctx, this, "MCU <--> Port", kPortRows));
    layout->addWidget(Side(ctx, this, "Module <--> MCU", kModemRows));
    ctx.Get<QWidget>("FlowControlTC35")->setEnabled(false);
    setVisible(false);
    setEnabled(false);
}
