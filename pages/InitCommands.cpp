#include "pages/InitCommands.h"

#include "pages/PageContext.h"
#include "pages/PickList.h"
#include "pages/SharedGroup.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace
{

constexpr int kSlot = 31;
constexpr int kFirstCommand = 1317;
constexpr int kFirstServer = kFirstCommand + 5 * kSlot; // 1472
constexpr auto kStep = TRedraw::ChannelNames;           // ShowComboBox1..7

const std::vector<std::string> kModemCommands = {
    "AT&F",
    "AT&V",
    "ATQ0",
    "ATV1",
    "ATE1",
    "ATV1Q0E0",
    "ATX0",
    "ATZ",
    "AT+CFUN?",
    "AT^SUSB?",
    "AT\\Q",
    "AT&C1",
    "AT&D1",
    "AT&S0",
    "ATS0",
    "ATS0=1",
    "AT+IPR=9600",
    "AT^SQPORT?",
    "AT+COPS=0,,,0",
    "AT^SCFG=\"URC/DstIfc\",\"usb0-mdm\"",
    "AT^SCFG=\"GPRS/Auth\",\"1\"",
    "AT^SCFG=\"Radio/Band/Group\",\"1\"",
};

const std::vector<std::string> kTimeServers = {
    "pool.ntp.org",      "0.se.pool.ntp.org", "1.se.pool.ntp.org", "2.se.pool.ntp.org", "3.se.pool.ntp.org",
    "0.de.pool.ntp.org", "1.de.pool.ntp.org", "2.de.pool.ntp.org", "3.de.pool.ntp.org",
};

TRow PickRow(int n, int address, const std::vector<std::string>& items)
{
    // Written on every exit: an erased slot gets its terminator, a stored "AT..." loses its prefix.
    return {"ComboBox" + std::to_string(n), "", TextField{{address, kSlot}, ErasedSlot::Empty, WritePolicy::Always},
            kStep, items};
}

// A caption the help panel answers for.
QLabel* NamedLabel(TPageContext& ctx, const char* text, const char* name)
{
    auto* label = new QLabel(text);
    label->setObjectName(name);
    ctx.AddControl(label);
    return label;
}

// One numbered list line ("1:", "2:", ...) whose Exit is also an entry of the write commit list.
QComboBox* AddPickLine(TPageContext& ctx, QFormLayout* form, QLabel* caption, const TRow& row, TStoredText stored)
{
    QComboBox* box = BuildTextPickList(ctx, row, stored);
    form->addRow(caption, box);
    ctx.Commits.Set(row.name + "Exit", ctx.Exits.at(row.name));
    return box;
}

} // namespace

std::string WithoutAtPrefix(const std::string& typed)
{
    const bool at = typed.size() >= 2 && (typed[0] == 'A' || typed[0] == 'a') && (typed[1] == 'T' || typed[1] == 't');
    return at ? typed.substr(2) : typed;
}

QGroupBox* BuildInitCommandTable(TPageContext& ctx)
{
    auto* group = new QGroupBox("Init AT/KV-Command Table");
    group->setObjectName("GroupBox77");
    ctx.AddControl(group);
    auto* form = new QFormLayout(group);
    for (int k = 1; k <= 5; ++k) {
        QComboBox* box = AddPickLine(ctx, form, new QLabel(QString("%1:").arg(k)),
                                     PickRow(k, kFirstCommand + kSlot * (k - 1), kModemCommands), WithoutAtPrefix);
        // Room for the "AT" that is dropped: the longest command of the list fits once it is gone.
        box->lineEdit()->setMaxLength(kSlot - 1 + 2);
    }
    ctx.Get<QComboBox>("ComboBox1")->setToolTip("AT-cmd string with \"AT\" omitted.");
    return group;
}

void BuildTimeServers(TPageContext& ctx, QGroupBox* clockSync)
{
    auto* form = NewPart<QFormLayout>(clockSync);
    form->addRow(NamedLabel(ctx, "NTP Servers:", "Label214"));
    const char* const captions[] = {"Label53", "Label69"};
    for (int k = 1; k <= 2; ++k)
        AddPickLine(ctx, form, NamedLabel(ctx, k == 1 ? "1:" : "2:", captions[k - 1]),
                    PickRow(5 + k, kFirstServer + kSlot * (k - 1), kTimeServers), nullptr);
}
