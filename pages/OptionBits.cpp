#include "pages/OptionBits.h"

#include "image/ImageStore.h"
#include "pages/OptionFields.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "pages/SharedGroup.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/RadioGroup.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

using namespace OptionFields;
using G = TOptionBits::Group;

namespace
{

enum Sheet { General, Communication, Transfer };
constexpr G kTop = G::Count;

// Where each group stands: on a sheet's column, or inside its parent group after the parent's rows. The
// names are those the help panel answers for.
struct TGroupPlace {
    G id;
    const char* name;
    const char* caption;
    Sheet sheet;
    int column;
    G parent = kTop;
    bool hidden = false;
};

using namespace SharedGroups;
const TGroupPlace kGroups[] = {
    {G::Misc, kMiscellaneous, "Miscellaneous", General, 1},
    {G::SmsAlarm, "", "SMS Alarm Messages", General, 0},
    {G::UnitId, kUnitId, "Unit ID added to messages", General, 0},
    {G::Gnss, kGnss, "GNSS", General, 1},
    {G::Clock, kClockSync, "Real Time Clock Sync", General, 0},
    {G::Analogue, kGeneralFrame, "General Settings", General, 0},
    {G::ActiveProfile, "GroupBox37", "Active Profile", General, 1, kTop, true},
    {G::Connect, kConnected, "Connected to ISP or Server", Communication, 1},
    {G::DialUp, kDialUp, "ISP Dial up Login", Communication, 1},
    {G::Firewall, "GroupBox75", "Firewall", Communication, 1, kTop, true},
    {G::Swt1, kTimerGroups[0], "Data Logging (SWT1)", Transfer, 0},
    {G::Swt2, kTimerGroups[1], "Send interval logged data (SWT2)", Transfer, 0},
    {G::Swt2Packets, "", "Data packets to send ( port 2150 )", Transfer, 0, G::Swt2},
    {G::HeartBeat, kHeartBeat, "Heart Beat package", Transfer, 0},
    {G::Udp, "", "UDP Sending", Transfer, 0, G::HeartBeat},
    {G::Sms, "", "SMS Sending", Transfer, 0, G::HeartBeat},
    {G::Ping, kPing, "Ping Sending ", Transfer, 0, G::HeartBeat},
    {G::Swt3, kTimerGroups[2], "Monitoring data (SWT3)", Transfer, 1},
    {G::Swt3Packets, "GroupBox116", "Data packets to send ( port 2800 )", Transfer, 1, G::Swt3},
    {G::Swt4, kTimerGroups[3], "Monitoring data (SWT4)", Transfer, 1},
    {G::Swt4Period, "", "Periodicity", Transfer, 1, G::Swt4},
    {G::Swt4Packets, "GroupBox106", "Data packets to send ( port 2880 )", Transfer, 1, G::Swt4},
    {G::Swt5, kTimerGroups[4], "Wake up interval low power (SWT5)", Transfer, 1},
    {G::Swt5Period, "", "Periodicity", Transfer, 1, G::Swt5},
};

constexpr size_t Index(G group)
{
    return static_cast<size_t>(group);
}

void SetHandler(QWidget* widget, std::function<void()> handler)
{
    if (auto* box = qobject_cast<TCheckBox*>(widget))
        box->SetOnClick(std::move(handler));
    else if (auto* group = qobject_cast<TRadioGroup*>(widget))
        group->SetOnClick(std::move(handler));
}

} // namespace

std::vector<std::string> TOptionHooks::Unconnected() const
{
    const std::pair<const char*, bool> hooks[] = {
        {"ShowHelpText", bool(ShowHelpText)},         {"UserNameEnabled", bool(UserNameEnabled)},
        {"UserIDLocked", bool(UserIDLocked)},         {"MaxPingEnabled", bool(MaxPingEnabled)},
        {"AwakeTimeCaption", bool(AwakeTimeCaption)}, {"DestinationChosen", bool(DestinationChosen)},
        {"ShowIPLabels", bool(ShowIPLabels)},         {"StartTimeEnabled", bool(StartTimeEnabled)},
        {"LevelCaptions", bool(LevelCaptions)}};
    std::vector<std::string> empty;
    for (const auto& [name, connected] : hooks)
        if (!connected)
            empty.push_back(name);
    return empty;
}

TOptionBits::TOptionBits(TPageContext& ctx, const TSheets& sheets) : ctx_(ctx)
{
    Build(sheets);
    Hold();
    Settle();
}

void TOptionBits::Help(int page, int item) const
{
    Call(Hooks.ShowHelpText, page, item);
}

void TOptionBits::Build(const TSheets& sheets)
{
    const std::vector<TOptionRow> table = Table();
    auto hasRows = [&table](G group) {
        return std::any_of(table.begin(), table.end(), [group](const TOptionRow& r) { return r.group == group; });
    };
    // A group that another builder made keeps its place; the switches go below what it holds. A group's
    // inner groups follow its own switches.
    QWidget* sheetOf[] = {sheets.general, sheets.communication, sheets.transfer};
    std::array<QGroupBox*, Index(G::Count)> boxes{};
    std::array<QVBoxLayout*, Index(G::Count)> parts{};
    for (const TGroupPlace& place : kGroups) {
        QGroupBox* box = place.parent == kTop
                             ? SharedGroup(ctx_, place.name, place.caption, sheetOf[place.sheet], place.column)
                             : SharedGroup(ctx_, place.name, place.caption, boxes[Index(place.parent)]);
        if (place.hidden)
            box->setVisible(false);
        boxes[Index(place.id)] = box;
        if (hasRows(place.id))
            parts[Index(place.id)] = NewPart<QVBoxLayout>(box);
    }

    TPageBuilder builder(ctx_);
    std::map<std::string, QHBoxLayout*> lines;
    for (const TOptionRow& entry : table) {
        QVBoxLayout* part = parts[Index(entry.group)];
        QWidget* widget = builder.Build(part->parentWidget(), entry.row);
        if (!entry.hint.empty())
            widget->setToolTip(FromLatin1(entry.hint));
        if (entry.click)
            SetHandler(widget, [this, click = entry.click] { click(*this); });
        if (entry.then)
            ctx_.Redraw.Add(TRedraw::OptionBits, [this, then = entry.then] { then(*this); });
        QHBoxLayout* line = entry.beside.empty() ? nullptr : lines.at(entry.beside);
        if (!line) {
            line = new QHBoxLayout;
            line->addStretch(1);
            part->addLayout(line);
        }
        line->insertWidget(line->count() - 1, widget);
        lines[entry.row.name] = line;
    }
}

void TOptionBits::Hold()
{
    auto box = [this](const std::string& name) { return ctx_.Get<TCheckBox>(name); };
    auto group = [this](const std::string& name) { return ctx_.Get<TRadioGroup>(name); };
    ConnectBox = box("ConnectBox");
    ServerBox = box("ServerBox");
    UNCheckBox = box("UNCheckBox");
    unitIdSources_ = {box("IMEI_HWnoCheckBox"), box("SIMIDCheckBox"), box("useIMEICheck")};
    ADValRadioGroup = group("ADValRadioGroup");
    SetIOCheckBox = box("SetIOCheckBox");
    sendBoxes_ = {box("pulseSendBox"), box("CheckBox12"), box("CheckBox2")};
    CheckBox24 = box("CheckBox24");
    CheckBox37 = box("CheckBox37");
    Label102 = ctx_.Get<QLabel>("Label102");
    LPCheckBox = box("LPCheckBox");
    wakeUpWhenReq = box("wakeUpWhenReq");
    sleepSendReq = box("sleepSendReq");
    PingBox = box("PingBox");
    IPSWT_ = {group("IPSWT2"), group("IPSWT3"), group("IPSWT4")};
    swt3Packets_ = {box("CheckBox15"), {box("CheckBox16"), box("CheckBox17"), box("CheckBox18"), box("CheckBox19")}};
    swt4Packets_ = {box("CheckBox3"), {box("CheckBox4"), box("CheckBox5"), box("CheckBox6"), box("CheckBox22")}};
    StatusPeriodSend = group("StatusPeriodSend");
    SleepPeriodSend = group("SleepPeriodSend");
    AnadataLog = group("AnadataLog");
    IO1edge = group("IO1edge");
    usePulseVEventCheckBox = box("usePulseVEventCheckBox");
    for (int n = 1; n <= 7; ++n)
        PI_[size_t(n - 1)] = box("PI" + std::to_string(n) + "CheckBox");
    for (int n = 1; n <= 7; ++n)
        Ch_[size_t(n - 1)] = group("Ch" + std::to_string(n) + "RadioGroup");
    for (int n = 1; n <= 4; ++n)
        Freq_[size_t(n - 1)] = box("Freq" + std::to_string(n) + "CheckBox");
    freqOrDiff = box("freqOrDiff");
    Label162 = ctx_.Get<QLabel>("Label162");
    PIPeriodLog = group("PIPeriodLog");
    PIPeriodSend = group("PIPeriodSend");
    InfoPeriodSend = group("InfoPeriodSend");
}

// The state before the first redraw: every switch clear and every choice empty but the rate calculation,
// and the controls that depend on them disabled accordingly.
void TOptionBits::Settle()
{
    for (TRadioGroup* period : {PIPeriodLog, PIPeriodSend, InfoPeriodSend, StatusPeriodSend, SleepPeriodSend})
        period->SetColumns(period->Count());
    for (TRadioGroup* wiring : Ch_)
        wiring->SetColumns(2);
    IO1edge->SetColumns(IO1edge->Count());
    {
        const QSignalBlocker quiet(freqOrDiff);
        freqOrDiff->setChecked(true);
    }
    freqOrDiff->setEnabled(false);
    for (QWidget* dependent : std::initializer_list<QWidget*>{ServerBox, CheckBox37, wakeUpWhenReq, sleepSendReq,
                                                              usePulseVEventCheckBox, IO1edge})
        dependent->setEnabled(false);
}

TOptionBits::TPackets& TOptionBits::Packets(int swt)
{
    return swt == 3 ? swt3Packets_ : swt4Packets_;
}

void TOptionBits::ShowServerBox()
{
    if (ReadSwitch(ctx_.Image, kServerBox))
        ServerBox->setEnabled(true);
}

void TOptionBits::ShowPacketFormat()
{
    const bool units = CheckBox24->Checked();
    const char* format = !units ? "[#21] format" : CheckBox37->Checked() ? "[#32] format" : "[#22] format";
    if (Label102->text() != format)
        Label102->setText(format);
    CheckBox37->setEnabled(units);
}

// The destination captions from the server fields; then the choices that a channel type or a variant may
// have disabled end enabled.
void TOptionBits::ShowDestinations()
{
    Call(Hooks.ShowIPLabels);
    for (TRadioGroup* choice : {AnadataLog, PIPeriodSend, InfoPeriodSend, SleepPeriodSend, PIPeriodLog})
        choice->setEnabled(true);
    for (TRadioGroup* choice : {IPSWT_[0], IPSWT_[1]})
        choice->setEnabled(true);
}
