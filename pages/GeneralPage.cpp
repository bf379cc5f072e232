#include "pages/GeneralPage.h"

#include "image/ImageStore.h"
#include "pages/GeneralEditors.h"
#include "pages/GeneralFields.h"
#include "pages/GeneralSetButtons.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "pages/SharedGroup.h"
#include "pages/Sheet.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/RadioGroup.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <stdexcept>

namespace
{

constexpr Unbound kEdit{Unbound::Edit};
constexpr Unbound kLabel{Unbound::Label};

// A control bound by hand is built as an unbound row; its row then lists the field, so the checks over
// all tables see its bytes.
void ListField(TPageContext& ctx, const std::string& name, const TField& field, TRedraw::Step step)
{
    for (TRow& row : ctx.Rows)
        if (row.name == name) {
            row.field = field;
            row.step = step;
            return;
        }
    throw std::logic_error("no row " + name);
}

// Status fields the unit fills in: read-only, grey, passed over by the tab key.
void ShowOnly(QLineEdit* edit)
{
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
}

QWidget* Beside(QWidget* parent, std::initializer_list<QWidget*> widgets)
{
    auto* line = new QWidget(parent);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : widgets)
        layout->addWidget(w);
    return line;
}

QFormLayout* FormOf(QGroupBox* group)
{
    return static_cast<QFormLayout*>(group->layout());
}

// This page's part of a group that other builders add their rows to.
QFormLayout* SharedForm(TPageContext& ctx, const char* name, const char* caption, QWidget* sheet, int column)
{
    return NewPart<QFormLayout>(SharedGroup(ctx, name, caption, sheet, column));
}

void UnitIdGroup(TPageContext& ctx, QWidget* sheet)
{
    TPageBuilder builder(ctx);
    QFormLayout* form = SharedForm(ctx, SharedGroups::kUnitId, "Unit ID added to messages", sheet, 0);
    QWidget* part = form->parentWidget();
    auto* id = static_cast<QLineEdit*>(builder.Build(part, {"UserIDText", "", TextField{{0, 41}}, TRedraw::UserId}));
    auto* count = static_cast<QLabel*>(builder.Build(part, {"Label82", "0", kLabel}));
    // The counter follows the text as it is typed and as it is shown.
    QObject::connect(id, &QLineEdit::textChanged, count,
                     [count](const QString& text) { count->setNum(static_cast<int>(text.size())); });
    form->addRow(Beside(part, {id, count}));
}

QGroupBox* PhoneGroup(TPageContext& ctx, TGeneralPage* page)
{
    std::vector<TRow> rows = {
        {"PhoneNrSmsCentral", "", TextField{{2338, 16}, ErasedSlot::Empty}, TRedraw::SmsSettings, {}, true}};
    for (int k = 1; k <= 5; ++k)
        rows.push_back({"PhoneNr" + std::to_string(k), "Number " + std::to_string(k), kEdit});
    auto* group = TPageBuilder(ctx).Group(nullptr, "", "Phone numbers to SMSAlarm reciptients", rows);
    auto* centre = ctx.Get<QLineEdit>("PhoneNrSmsCentral");
    ShowOnly(centre);
    centre->setToolTip("Can not be changed here, use KV-Commands");
    auto shown = [page](int k, const std::string& text) { emit page->PhoneNumberShown(k, FromLatin1(text)); };
    for (int k = 1; k <= 5; ++k) {
        const std::string name = "PhoneNr" + std::to_string(k);
        BindPhoneNumber(ctx, ctx.Get<QLineEdit>(name), k, shown);
        ListField(ctx, name, TextField{PhoneSlot(k)}, TRedraw::PhoneNumbers);
    }
    return group;
}

QGroupBox* LatestSmsGroup(TPageContext& ctx)
{
    auto* group = TPageBuilder(ctx).Group(
        nullptr, "", "Latest incoming SMS",
        {{"SMSPhoneEdit", "Phone number", TextField{{2382, 20}, ErasedSlot::Empty}, TRedraw::SmsSettings},
         {"SMSTimeEdit", "Date and Time", TextField{{2402, 30}, ErasedSlot::Empty}, TRedraw::SmsSettings}});
    ShowOnly(ctx.Get<QLineEdit>("SMSPhoneEdit"));
    ShowOnly(ctx.Get<QLineEdit>("SMSTimeEdit"));
    group->setVisible(false);
    return group;
}

void MiscellaneousGroup(TPageContext& ctx, QWidget* sheet)
{
    TPageBuilder builder(ctx);
    QFormLayout* form = SharedForm(ctx, SharedGroups::kMiscellaneous, "Miscellaneous", sheet, 1);
    QWidget* part = form->parentWidget();
    builder.AddRows(form, {{"ConfigID", "Configuration ID no:", NumberField{41, 2, 65535, WritePolicy::WhenDifferent},
                            TRedraw::Identity},
                           {"DateEdit1", "Reference Date:", kEdit},
                           {"simPinEdit", "SIM PIN:", kEdit},
                           {"PasswordEdit", "Password:", kEdit},
                           {"XOTAEdit", "XOTA download server address:", TextField{{1758, 256}}, TRedraw::UserId}});
    ctx.Get<QLineEdit>("XOTAEdit")->setReadOnly(true);
    BindReferenceDate(ctx, ctx.Get<QLineEdit>("DateEdit1"));
    BindSimPin(ctx, ctx.Get<QLineEdit>("simPinEdit"));
    ListField(ctx, "simPinEdit", TextField{kSimPinSlot}, TRedraw::UnitIdentity);

    auto* limit = builder.Build(part, {"SMSlimitEdit", "", NumberField{1016, 1, 255}, TRedraw::SmsLimit});
    limit->setMaximumWidth(60);
    form->insertRow(
        0, Beside(part, {new QLabel("10 x", part), limit, new QLabel("Maximum of SMS sent every 24 hour  ", part)}));
    form->insertRow(1, new QLabel("This counter will be cleared at 00:00 hour(midnight) ", part));
}

void GnssGroup(TPageContext& ctx, QWidget* sheet)
{
    TPageBuilder(ctx).AddRows(SharedForm(ctx, SharedGroups::kGnss, "GNSS", sheet, 1),
                              {{"GNSSTimeOutEdit", "Search Timeout:", NumberField{281, 1, 255}, TRedraw::Gnss},
                               {"GNSSNumSATEdit", "Number SAT Accept:", NumberField{282, 1, 255}, TRedraw::Gnss},
                               {"GNSS_HdopEdit", "HDOP Accept level:", kEdit}});
    BindHdop(ctx, ctx.Get<QLineEdit>("GNSS_HdopEdit"));
    ListField(ctx, "GNSS_HdopEdit", kHdopField, TRedraw::Identity);
}

QGroupBox* MemsGroup(TPageContext& ctx)
{
    TPageBuilder builder(ctx);
    auto* group = builder.Group(nullptr, "", "MEMS accelerometer", {});
    auto* threshold = static_cast<QLineEdit*>(builder.Build(group, {"MEMSThEdit", "Threshold:", kEdit}));
    threshold->setText("0");
    auto* state = static_cast<QLabel*>(builder.Build(group, {"Label204", "MEMS sensor disabled", kLabel}));
    FormOf(group)->addRow("Threshold:", Beside(group, {threshold, new QLabel("[mg]", group)}));
    FormOf(group)->addRow(state);
    BindMemsThreshold(ctx, threshold, state);
    ListField(ctx, "MEMSThEdit", ScaledNumber{kMemsThresholdAddress, 1, 1.0 / 16, 0, Rounding::Truncate, 127},
              TRedraw::Gnss);
    return group;
}

// Stored nowhere: the time zone switch is shown, its edit (with its captions) and the network sync switch
// are not.
void ClockSyncGroup(TPageContext& ctx, QWidget* sheet)
{
    TPageBuilder(ctx).AddRows(
        SharedForm(ctx, SharedGroups::kClockSync, "Real Time Clock Sync", sheet, 0),
        {{"TZCheckBox", "Auto adjust for TimeZone (UTC+TZ)", Unbound{Unbound::Check}},
         {"Label104", "Time zone: UTC +", kLabel, TRedraw::StepCount, {}, true},
         {"TZEdit", "", kEdit, TRedraw::StepCount, {}, true},
         {"Label105", "[h]", kLabel, TRedraw::StepCount, {}, true},
         {"NTPSyncCheckBox", "Use NTP RTC Sync", Unbound{Unbound::Check}, TRedraw::StepCount, {}, true}});
    ctx.Get<QLineEdit>("TZEdit")->setText("0");
    ctx.AddExit("TZEdit", [] {});
}

QGroupBox* HardwarePanel(TPageContext& ctx)
{
    TPageBuilder builder(ctx);
    auto* panel = builder.Group(nullptr, "", "", {});
    auto* model = static_cast<QLabel*>(builder.Build(panel, {"HWModelLabel", "", kLabel}));
    auto* serial = static_cast<QLabel*>(builder.Build(panel, {"HWSerialLabel", "", kLabel}));
    FormOf(panel)->addRow("HW Model No:", model);
    FormOf(panel)->addRow("HW Serial No:", serial);
    BindHardwareIdentity(ctx, model, serial);
    return panel;
}

// How much of the memory the image stands for: the configuration area alone or with the log area. Hidden: a
// read sets the size it reads, and the log-area read its own; the choice still sizes the ".bin" export and the
// log capacity the logged-data page reckons with.
TRadioGroup* ReadSizeChoice(TPageContext& ctx)
{
    auto* choice = static_cast<TRadioGroup*>(
        TPageBuilder(ctx).Build(nullptr, {"RadioGroup1",
                                          "Read Size EEPROM Storage Area",
                                          Unbound{Unbound::Radio},
                                          TRedraw::StepCount,
                                          {"Config Area (3072 Bytes)  ", "Config + Logging Area (65536 Bytes)"},
                                          true}));
    choice->SetItemIndex(0);
    ImageStore& image = ctx.Image;
    TRedraw& redraw = ctx.Redraw;
    choice->SetOnClick([&image, &redraw, choice] { RadioGroup1Click(image, redraw, choice->ItemIndex()); });
    return choice;
}

} // namespace

void RadioGroup1Click(ImageStore& image, TRedraw& redraw, int itemIndex)
{
    if (itemIndex == 0) {
        image.ImageSize = MemoryImage::kConfigSize;
        image.LogCapacity.ClearLogCapacityTable();
    } else if (itemIndex == 1) {
        image.ImageSize = MemoryImage::kSize;
        image.LogCapacity.FillLogCapacityTable();
    }
    redraw.ImageToControls();
}

TGeneralPage::TGeneralPage(TPageContext& ctx, QWidget* generalSheet, QWidget* communicationSheet,
                           const std::array<uint8_t, 7>& channelType)
    : QObject(generalSheet)
{
    TSheet* sheet = TSheet::Of(generalSheet);
    SheetFrame(ctx, generalSheet, SharedGroups::kGeneralFrame, "General Settings");
    QGroupBox* phones = PhoneGroup(ctx, this);
    UnitIdGroup(ctx, generalSheet);
    sheet->Add(phones, 0);
    sheet->Add(LatestSmsGroup(ctx), 0);
    MiscellaneousGroup(ctx, generalSheet);
    GnssGroup(ctx, generalSheet);
    sheet->Add(MemsGroup(ctx), 1);
    ClockSyncGroup(ctx, generalSheet);
    sheet->Add(HardwarePanel(ctx), 1);
    sheet->Add(ReadSizeChoice(ctx), 1);
    BuildGeneralSetButtons(ctx, phones, communicationSheet, channelType);
}
