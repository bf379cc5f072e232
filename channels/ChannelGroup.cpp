#include "channels/ChannelGroup.h"

#include "channels/CommandText.h"
#include "channels/LevelPicture.h"
#include "channels/WordEdit.h"
#include "image/ImageStore.h"
#include "pages/Bind.h"
#include "pages/OptionFields.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/RadioGroup.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <initializer_list>

namespace
{

constexpr auto kStep = TRedraw::ChannelPages;
constexpr auto kNoStep = TRedraw::StepCount;
constexpr int kAlarmTextSlot = 32;
constexpr int kCommandSlot = 21;
constexpr uint32_t kMaxAlarmDelay = 3600;
constexpr uint32_t kMaxSupplyLevel = 2500; // 25 V
const std::vector<std::string> kOffOn = {"Off", "On"};
constexpr int kNumberWidth = 80;
// The high level's limit: millivolts up to 2.5 V, or scaled units as far as the signed word goes.
constexpr int kMaxMillivolts = 2500;
constexpr const char* kDefaultHysteresis = "60";

// One row's control, built, bound and registered, as its own type.
template <class T> T* Make(TPageContext& ctx, QWidget* parent, const TRow& row)
{
    TPageBuilder(ctx).Build(parent, row);
    return ctx.Get<T>(row.name);
}

QGroupBox* NamedBox(TPageContext& ctx, QWidget* parent, const char* name, const char* caption)
{
    auto* box = new QGroupBox(caption, parent);
    if (*name) {
        box->setObjectName(name);
        ctx.AddControl(box);
    }
    return box;
}

// The levels are shown as "Analogue Values" says: millivolts or the channel's scaled unit.
TWordRange LevelRange(const ImageStore& image)
{
    const bool scaled = ReadChoice(image, OptionFields::kADValRadioGroup) != 0;
    return {kSignedWord.min, scaled ? kSignedWord.max : kMaxMillivolts};
}

QWidget* WithUnit(QWidget* parent, QWidget* field, const char* unit)
{
    auto* line = new QWidget(parent);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    field->setMaximumWidth(kNumberWidth);
    layout->addWidget(field);
    layout->addWidget(new QLabel(unit, line));
    layout->addStretch(1);
    return line;
}

} // namespace

TChannelGroup::TChannelGroup(TPageContext& ctx, const TChannel& channel, QWidget* parent)
    : QGroupBox(FromLatin1(channel.Caption()), parent), ctx_(ctx), c_(channel)
{
    if (*c_.channelBox) {
        setObjectName(c_.channelBox);
        ctx_.AddControl(this);
    }
    Build();
    BindEditors();
    ctx_.Redraw.Add(kStep, [this] { ShowPage(); });
}

void TChannelGroup::Build()
{
    auto* grid = new QGridLayout(this);
    int columns = 0;
    auto column = [grid, &columns](std::initializer_list<QWidget*> boxes) {
        auto* stack = new QVBoxLayout;
        for (QWidget* box : boxes)
            if (box)
                stack->addWidget(box);
        if (stack->isEmpty()) {
            delete stack;
            return;
        }
        stack->addStretch(1);
        grid->setColumnStretch(columns, 1);
        grid->addLayout(stack, 1, columns++);
    };
    QWidget* texts = AlarmTexts();
    column({PortBox(), AlarmChoice(), SpecialBox()});
    column({AnalogueBox()});
    column({SmsBox(), InternetBox()});
    column({DelayBox(), RestoreBox(), SupplyLevel()});
    grid->addWidget(texts, 0, 0, 1, columns);
    if (QWidget* commands = CommandBox())
        grid->addWidget(commands, 2, 0, 1, columns);
}

QWidget* TChannelGroup::AlarmTexts()
{
    auto* texts = new QWidget(this);
    auto* form = new QFormLayout(texts);
    form->setContentsMargins(0, 0, 0, 0);
    const bool supply = c_.kind == TChannelKind::PowerIn;
    std::vector<TRow> rows = {{c_.Named("IO", "alarmText"),
                               supply ? "Alarm message" : "Open --> Close(N.O) Alarm message",
                               TextField{{c_.alarmText, kAlarmTextSlot}}, TRedraw::AlarmTexts}};
    if (c_.alarmText2)
        rows.push_back({c_.Named("IO", "alarmText2"), "Close --> Open(N.C) Alarm message",
                        TextField{{c_.alarmText2, kAlarmTextSlot}}, TRedraw::AlarmTexts});
    for (const TRow& row : rows)
        form->addRow(FromLatin1(row.caption), TPageBuilder(ctx_).Build(texts, row));
    return texts;
}

// I/O1's port group only carries its values between the image and the editors: hidden and disabled. The
// direction is shown but never changed here; the initial state is never shown.
QWidget* TChannelGroup::PortBox()
{
    if (c_.kind == TChannelKind::PowerIn)
        return nullptr;
    const bool io1 = c_.kind == TChannelKind::Switchable;
    const std::vector<std::string> kinds = io1 ? std::vector<std::string>{"Digital I/O ON", "Digital I/O OFF"}
                                               : std::vector<std::string>{"Digital I/O", "Analogue Input"};
    const std::vector<TRow> rows = {
        {c_.Named("IO", "selection"), "", Unbound{Unbound::Radio}, kNoStep, kinds, io1},
        {c_.Named("IO", "direction"), "Direction", Unbound{Unbound::Radio}, kNoStep, {"Input", "Output"}, io1},
        {c_.Named("IO", "out"), "Initial State", Unbound{Unbound::Radio}, kNoStep, {"OFF", "ON"}, true},
    };
    QGroupBox* box = TPageBuilder(ctx_).Group(this, c_.portBox, "Port", rows);
    w_.selection = ctx_.Get<TRadioGroup>(rows[0].name);
    w_.direction = ctx_.Get<TRadioGroup>(rows[1].name);
    w_.out = ctx_.Get<TRadioGroup>(rows[2].name);
    for (TRadioGroup* group : {w_.selection, w_.direction, w_.out})
        group->SetColumns(2);
    w_.direction->setEnabled(false);
    if (io1) {
        box->setVisible(false);
        box->setEnabled(false);
    }
    return box;
}

QWidget* TChannelGroup::AlarmChoice()
{
    if (!c_.digitalAlarm)
        return nullptr;
    w_.alarm = Make<TRadioGroup>(ctx_, this,
                                 {c_.Named("IO", "alarmSetting"),
                                  "Digital IO Alarm",
                                  Unbound{Unbound::Radio},
                                  kNoStep,
                                  {"Off", "Open to Close(N.O)", "Close to Open(N.C)", "Both levels"}});
    // I/O1's alarm choice opens when an image first shows the channel as an input.
    w_.alarm->setEnabled(c_.kind != TChannelKind::Switchable);
    return w_.alarm;
}

// I/O2's special function (only I/O2 has one): only the "Capture"/"PWM" choice has a meaning, the unit's; never shown.
QWidget* TChannelGroup::SpecialBox()
{
    if (!c_.specialFunction)
        return nullptr;
    auto* box = new QGroupBox("Special Function", this);
    TPageBuilder builder(ctx_);
    auto* grid = new QGridLayout(box);
    const char* names[] = {"frequency", "LabelFreq", "duty", "LabelDuty"};
    const char* captions[][2] = {{"Frequency", "Hz"}, {"Duty cycle", "%"}};
    for (int k = 0; k < 2; ++k) {
        grid->addWidget(new QLabel(captions[k][0], box), k, 0);
        grid->addWidget(builder.Build(box, {c_.Named("IO", names[2 * k]), "", Unbound{Unbound::Edit}}), k, 1);
        grid->addWidget(new QLabel(captions[k][1], box), k, 2);
        grid->addWidget(builder.Build(box, {c_.Named("IO", names[2 * k + 1]), "", Unbound{Unbound::Label}}), k, 3);
    }
    w_.special = Make<TRadioGroup>(ctx_, box, {"IO2spec", "", Unbound{Unbound::Radio}, kNoStep, {"Capture", "PWM"}});
    grid->addWidget(w_.special, 2, 0, 1, 4);
    box->setVisible(false);
    return box;
}

QWidget* TChannelGroup::AnalogueBox()
{
    if (!c_.analogueAlarm)
        return nullptr;
    const bool supply = c_.kind == TChannelKind::PowerIn;
    QGroupBox* box = NamedBox(ctx_, this, c_.analogueBox, "Analogue Input Alarm");
    auto* grid = new QGridLayout(box);
    w_.analogue =
        Make<TRadioGroup>(ctx_, box,
                          {c_.Named("IO", "adSetting"), "Alarm on", Unbound{Unbound::Radio}, kNoStep,
                           supply ? std::vector<std::string>{"Off", "Low level"}
                                  : std::vector<std::string>{"Off", "Low level", "High level", "Both levels"}});
    w_.picture = new TLevelPicture(box);
    w_.picture->setObjectName(QString::fromStdString(c_.Named("AD", "LevButton")));
    ctx_.AddControl(w_.picture);
    grid->addWidget(w_.analogue, 0, 0);
    grid->addWidget(w_.picture, 0, 1);
    if (c_.kind == TChannelKind::Mixed)
        Levels(box, grid);
    if (supply) {
        w_.lowCaption = Make<QLabel>(ctx_, box, {c_.Named("IO", "lower"), "Low level [ V ]", Unbound{Unbound::Label}});
        w_.lowLevel =
            Make<QLineEdit>(ctx_, box,
                            {c_.Named("IO", "lowerLevel"), "",
                             ScaledNumber{c_.lowLevel, 2, 100, -1, Rounding::Truncate, kMaxSupplyLevel}, kStep});
        w_.lowLevel->setMaximumWidth(kNumberWidth);
        grid->addWidget(w_.lowCaption, 1, 0);
        grid->addWidget(w_.lowLevel, 1, 1);
    }
    w_.restoreAlert = Make<TCheckBox>(ctx_, box,
                                      {c_.Named("RestAlertMsg"), "Send Alert Message on Restore ",
                                       BitSwitch{c_.analogueAlarm, kRestoreAlert}, kStep});
    w_.restoreLabel = Make<QLabel>(ctx_, box, {c_.restoreLabel, "to normal analogue level", Unbound{Unbound::Label}});
    const int row = grid->rowCount();
    grid->addWidget(w_.restoreAlert, row, 0, 1, 3);
    grid->addWidget(w_.restoreLabel, row + 1, 0, 1, 3);
    return box;
}

// The high and the low level, each with the hysteresis by which the input returns to normal beside it.
void TChannelGroup::Levels(QGroupBox* box, QGridLayout* grid)
{
    auto label = [this, box](const std::string& name, const char* caption) {
        return Make<QLabel>(ctx_, box, {name, caption, Unbound{Unbound::Label}});
    };
    auto edit = [this, box](const std::string& name) {
        auto* made = Make<QLineEdit>(ctx_, box, {name, "", Unbound{Unbound::Edit}});
        made->setMaximumWidth(kNumberWidth);
        return made;
    };
    w_.highCaption = label(c_.Named("IO", "upper"), "High level [mV]");
    w_.highLevel = edit(c_.Named("IO", "upperLevel"));
    w_.restoreHigh = label(c_.Named("restore", "H"), "");
    w_.lowCaption = label(c_.Named("IO", "lower"), "Low level [mV]");
    w_.lowLevel = edit(c_.Named("IO", "lowerLevel"));
    w_.restoreLow = label(c_.Named("restore", "L"), "");
    w_.hysteresis = edit(c_.Named("hystEdit"));
    const ImageStore& image = ctx_.Image;
    auto levels = [&image] { return LevelRange(image); };
    BindWord(ctx_, w_.highLevel, {c_.highLevel, true}, levels, kStep);
    BindWord(ctx_, w_.lowLevel, {c_.lowLevel, true}, levels, kStep);
    BindWord(
        ctx_, w_.hysteresis, {c_.hysteresis, false}, [] { return kUnsignedWord; }, kStep);

    QWidget* const rows[][3] = {{w_.highCaption, w_.highLevel, w_.restoreHigh},
                                {w_.lowCaption, w_.lowLevel, w_.restoreLow}};
    for (const auto& line : rows) {
        const int row = grid->rowCount();
        for (int k = 0; k < 3; ++k)
            grid->addWidget(line[k], row, k);
    }
    const int row = grid->rowCount();
    grid->addWidget(new QLabel("Hysteresis", box), row, 0);
    grid->addWidget(w_.hysteresis, row, 1);
    for (QLabel* restore : {w_.restoreHigh, w_.restoreLow})
        restore->setVisible(false);
    // The restore labels follow the hysteresis text, also when a redraw sets it.
    QObject::connect(w_.hysteresis, &QLineEdit::textChanged, this, [this] { HystEditChange(); });
    w_.hysteresis->setText(kDefaultHysteresis);
}

QWidget* TChannelGroup::SmsBox()
{
    std::vector<TRow> rows;
    for (int k = 1; k <= 5; ++k)
        rows.push_back({c_.Named("IO", "Phone" + std::to_string(k)), "",
                        BitSwitch{c_.recipients, static_cast<uint8_t>(1u << (k - 1))}, kStep});
    QGroupBox* box = TPageBuilder(ctx_).Group(this, c_.smsBox, "SMS Alarm", rows);
    for (size_t k = 0; k < w_.phones.size(); ++k)
        w_.phones[k] = ctx_.Get<TCheckBox>(rows[k].name);
    return box;
}

// The UDP selection is never shown; its boxes still carry their bits between the image and the files.
QWidget* TChannelGroup::InternetBox()
{
    QGroupBox* box = NamedBox(ctx_, this, c_.internetBox, "INTERNET Alarm(port 2200)");
    auto* stack = new QVBoxLayout(box);
    TPageBuilder builder(ctx_);
    stack->addWidget(
        builder.Group(box, "", "TCP Server Selection",
                      {{c_.Named("IP1CheckBox"), "IP1 or IP2 (IP Group A)*", BitSwitch{c_.recipients, 0x20}, kStep},
                       {c_.Named("IP2CheckBox"), "IP3 or IP4 (IP Group B)*", BitSwitch{c_.recipients, 0x40}, kStep}}));
    QGroupBox* udp =
        builder.Group(box, "", "UDP Server Selection",
                      {{c_.Named("IP1CheckBox", "2"), "IP1", BitSwitch{c_.recipients, 0x80}, kStep, {}, true},
                       {c_.udpServer2Box, "IP2", BitSwitch{kUdpServer2Byte, c_.Bit()}, kStep, {}, true}});
    udp->setVisible(false);
    stack->addWidget(udp);
    return box;
}

QWidget* TChannelGroup::DelayBox()
{
    QGroupBox* box = NamedBox(ctx_, this, c_.delayBox, "Alarm delay");
    w_.delay = Make<QLineEdit>(ctx_, box,
                               {c_.Named("delay", "Edit"), "", NumberField{c_.alarmDelay, 2, kMaxAlarmDelay}, kStep});
    (new QVBoxLayout(box))->addWidget(WithUnit(box, w_.delay, "[sec]"));
    return box;
}

QWidget* TChannelGroup::RestoreBox()
{
    QGroupBox* box = NamedBox(ctx_, this, c_.restoreBox, "Restore delay");
    if (c_.kind == TChannelKind::PowerIn) {
        // Shown by the decoder only while the supply alarm is on.
        w_.restoreSwitch =
            Make<TRadioGroup>(ctx_, box, {c_.restoreSwitch, "", Unbound{Unbound::Radio}, kNoStep, kOffOn});
        w_.restoreSwitch->SetOnClick([&image = ctx_.Image, field = RestoreSwitchField(), group = w_.restoreSwitch] {
            WriteChoice(image, field, group->ItemIndex());
        });
    } else {
        w_.restoreSwitch = Make<TRadioGroup>(ctx_, box, {c_.restoreSwitch, "", RestoreSwitchField(), kStep, kOffOn});
    }
    w_.restoreSwitch->SetColumns(2);
    w_.restore = Make<QLineEdit>(ctx_, box, {c_.Named("RestoreEdit"), "", Unbound{Unbound::Edit}});
    auto* stack = new QVBoxLayout(box);
    stack->addWidget(w_.restoreSwitch);
    stack->addWidget(WithUnit(box, w_.restore, "[sec]"));
    return box;
}

QWidget* TChannelGroup::CommandBox()
{
    if (!c_.command)
        return nullptr;
    std::vector<TRow> rows = {{c_.Named("IO", "kvcmdText"), "Open-->Close(N.O) Msg cmd", Unbound{Unbound::Edit}}};
    std::vector<int> addresses = {c_.command};
    if (c_.command2) {
        rows.push_back({c_.Named("IO", "kvcmdText2"), "Close-->Open(N.C) Msg cmd", Unbound{Unbound::Edit}});
        addresses.push_back(c_.command2);
    }
    rows.push_back({c_.commandBox, "Send KV-cmd internally", BitSwitch{kCommandBoxByte, c_.commandBit}, kStep});
    QGroupBox* box = TPageBuilder(ctx_).Group(this, "", "KV-cmd sending", rows);
    for (size_t i = 0; i < addresses.size(); ++i)
        BindCommandText(ctx_, ctx_.Get<QLineEdit>(rows[i].name), TextSlot{addresses[i], kCommandSlot});
    return box;
}

QWidget* TChannelGroup::SupplyLevel()
{
    if (c_.kind != TChannelKind::PowerIn)
        return nullptr;
    w_.supplyLevel = Make<QLineEdit>(ctx_, this, {"PowerInLev", "", Unbound{Unbound::Edit}});
    w_.supplyLevel->setReadOnly(true);
    auto* line = new QWidget(this);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel("Power In Low Level:", line));
    layout->addWidget(WithUnit(line, w_.supplyLevel, "[V]"));
    return line;
}
