#include "pages/CommunicationPage.h"

#include "pages/ApnNames.h"
#include "pages/Bind.h"
#include "pages/DestinationLabels.h"
#include "pages/InitCommands.h"
#include "pages/OptionBits.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "pages/SetButton.h"
#include "pages/SharedGroup.h"
#include "pages/Sheet.h"
#include "platform/ui/Latin1.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

// --- fields -------------------------------------------------------------------------------------------------

const TextSlot kPassWord = {839, 20};
constexpr const char* kPasswordMask = "*******";

const TRow kUserName = {"UserName", "", TextField{{798, 41}}, TRedraw::InternetFields};
const TRow kPassWordRow = {"PassWord", "", TextField{kPassWord}, TRedraw::InternetFields};
const TRow kIPEdit1 = {"IPEdit1", "", TextField{{1534, 61}}, TRedraw::InternetFields};
const TRow kIPEdit2 = {"IPEdit2", "", TextField{{1595, 61}}, TRedraw::InternetFields};
const TRow kRPortEdit = {"RPortEdit", "", NumberField{865, 2, 65535, WritePolicy::WhenDifferent},
                         TRedraw::InternetFields};
const TRow kRPort2Edit = {"RPort2Edit", "", NumberField{871, 2, 65535, WritePolicy::WhenDifferent},
                          TRedraw::InternetFields};
// 546, not 540: the unit counts the socket time in its own steps.
const TRow kSocketTime = {"SocketTimeEdit", "", NumberField{772, 2, 546, WritePolicy::WhenDifferent},
                          TRedraw::Connection};
const TRow kPingEdit = {"PingEdit", "", NumberField{774, 2, 65535, WritePolicy::WhenDifferent}, TRedraw::Connection};
const TRow kDisconEdit = {"DisconEdit", "", NumberField{776, 2, 65535, WritePolicy::WhenDifferent},
                          TRedraw::Connection};
const TRow kMaxReConnPeriod = {"MaxReConnPeriod", "", NumberField{987, 1, 255}, TRedraw::Connection};
const TRow kMaxReConnNo = {"MaxReConnNo", "", NumberField{988, 1, 255}, TRedraw::Connection};
const TRow kMaxPingNo = {"MaxPingNo", "", NumberField{989, 1, 255}, TRedraw::Connection};
const TRow kAwakeTime = {"awakeTime", "", NumberField{1009, 2, 540, WritePolicy::WhenDifferent}, TRedraw::LoggedData};

// The number editors the write paths run before they take the bytes, in this order.
constexpr const char* kCommittedNumbers[] = {"awakeTime", "MaxPingNo", "MaxReConnPeriod", "MaxReConnNo"};

// A control whose editor is this page's own: made and registered as the builder makes its controls, its row
// kept for the checks over every table.
QLineEdit* OwnEdit(TPageContext& ctx, const TRow& row)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromStdString(row.name));
    ctx.AddControl(edit);
    ctx.Rows.push_back(row);
    return edit;
}

// The stored password is never shown, and the mask is never stored.
QLineEdit* BuildPassWord(TPageContext& ctx)
{
    QLineEdit* edit = OwnEdit(ctx, kPassWordRow);
    edit->setMaxLength(kPassWord.MaxLength());
    ImageStore& image = ctx.Image;
    BindEdit(
        ctx, edit, kPassWordRow.step, [edit] { ShowText(edit, kPasswordMask); },
        [&image, edit] {
            const std::string text = ToLatin1(edit->text());
            if (text != kPasswordMask && text != ReadTextSlot(image, kPassWord))
                WriteTextSlotAlways(image, kPassWord, text);
        });
    return edit;
}

// A number edit of the row's field with an Exit of its own; the decoder shows the field as every number edit.
template <class Exit> QLineEdit* BindOwnNumber(TPageContext& ctx, const TRow& row, Exit exit)
{
    QLineEdit* edit = OwnEdit(ctx, row);
    const NumberField field = std::get<NumberField>(row.field);
    ImageStore& image = ctx.Image;
    BindEdit(
        ctx, edit, row.step, [&image, edit, field] { ShowNumber(image, edit, field); },
        [edit, field, exit] { exit(edit, field); });
    return edit;
}

// A port: an empty text stands for 0; leaving it refreshes the destination captions, written or not.
QLineEdit* BuildPort(TPageContext& ctx, const TRow& row)
{
    return BindOwnNumber(ctx, row, [&ctx](QLineEdit* edit, const NumberField& field) {
        if (edit->text().isEmpty())
            edit->setText("0");
        WriteNumber(ctx.Image, field, NumberEditValue(edit, field));
        ShowIPLabels(ctx);
    });
}

// The heart beat period: 0 switches it off, and the shortest period the unit keeps is 2, so a 1 becomes 2.
QLineEdit* BuildPingEdit(TPageContext& ctx)
{
    ImageStore& image = ctx.Image;
    return BindOwnNumber(ctx, kPingEdit, [&image](QLineEdit* edit, const NumberField& field) {
        uint32_t value = NumberEditValue(edit, field);
        if (value == 1) {
            value = 2;
            edit->setText("2");
        }
        WriteNumber(image, field, value);
    });
}

// --- layout -------------------------------------------------------------------------------------------------

// One line of a form: the caption (named when the help panel or an option switch needs the label), the
// control, and what stands behind it (a unit, a remark, a button).
struct TLine {
    const char* caption;
    QWidget* field;
    const char* labelName = nullptr;
    QWidget* after = nullptr;
};

QLabel* Unit(const char* text)
{
    return new QLabel(text);
}

void AddLines(TPageContext& ctx, QFormLayout* form, const std::vector<TLine>& lines)
{
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    for (const TLine& line : lines) {
        auto* label = new QLabel(line.caption);
        if (line.labelName) {
            label->setObjectName(line.labelName);
            ctx.AddControl(label);
        }
        label->setBuddy(line.field);
        QWidget* field = line.field;
        if (line.after) {
            field = new QWidget;
            auto* row = new QHBoxLayout(field);
            row->setContentsMargins(0, 0, 0, 0);
            row->addWidget(line.field, 1);
            row->addWidget(line.after);
        }
        form->addRow(label, field);
    }
}

// The lines as this page's part of a group that other builders fill too.
QGroupBox* AddToShared(TPageContext& ctx, QGroupBox* group, const std::vector<TLine>& lines)
{
    AddLines(ctx, NewPart<QFormLayout>(group), lines);
    return group;
}

// "IP Address 1" / "IP Address 2": each caption over its control.
QGroupBox* ServerGroup(const char* caption, QLineEdit* address, QLineEdit* port)
{
    auto* group = new QGroupBox(caption);
    auto* column = new QVBoxLayout(group);
    column->addWidget(new QLabel("IP Address(URL or IP)"));
    column->addWidget(address);
    column->addWidget(new QLabel("Port:"));
    column->addWidget(port);
    return group;
}

QGroupBox* RemoteServerGroup(TPageContext& ctx)
{
    TPageBuilder build(ctx);
    auto* group = new QGroupBox("Remote Server");
    auto* row = new QHBoxLayout(group);
    row->addWidget(ServerGroup("IP Address 1", static_cast<QLineEdit*>(build.Build(nullptr, kIPEdit1)),
                               BuildPort(ctx, kRPortEdit)));
    row->addWidget(ServerGroup("IP Address 2", static_cast<QLineEdit*>(build.Build(nullptr, kIPEdit2)),
                               BuildPort(ctx, kRPort2Edit)));
    return group;
}

void DialUpGroup(TPageContext& ctx, QWidget* sheet)
{
    TPageBuilder build(ctx);
    const TApnFields apn = BuildApnFields(ctx);
    AddToShared(ctx, SharedGroup(ctx, SharedGroups::kDialUp, "ISP Dial up Login", sheet, 1),
                {{"APN1:", apn.apn1, "Label6", apn.loadList},
                 {"APN2:", apn.apn2, "Label117"},
                 {"ISP User Name", build.Build(nullptr, kUserName)},
                 {"ISP Password", BuildPassWord(ctx)}});
}

void ConnectionGroup(TPageContext& ctx, QWidget* sheet)
{
    TPageBuilder build(ctx);
    QWidget* period = build.Build(nullptr, kMaxReConnPeriod);
    period->setToolTip("Progressive time duplication, starting at 10sec");
    QWidget* trials = build.Build(nullptr, kMaxReConnNo);
    trials->setToolTip("If ISP Connected do ISP Disconnection");
    AddToShared(ctx, SharedGroup(ctx, SharedGroups::kConnected, "Connected to ISP or Server", sheet, 1),
                {{"MAX Reconnect Period:", period, "Label90", Unit("[min]")},
                 {"MAX Reconnect trials:", trials, "Label109", Unit("before Restart or Disconnect from ISP")},
                 {"Disconnect Socket if inactive:", build.Build(nullptr, kSocketTime), "Label137", Unit("[min]")}});
}

void HeartBeatGroup(TPageContext& ctx, QWidget* sheet)
{
    TPageBuilder build(ctx);
    QGroupBox* group = AddToShared(ctx, SharedGroup(ctx, SharedGroups::kHeartBeat, "Heart Beat package", sheet, 0),
                                   {{"Send Data every :", BuildPingEdit(ctx), nullptr, Unit("[min]")}});
    AddToShared(ctx, SharedGroup(ctx, SharedGroups::kPing, "Ping Sending ", group),
                {{"No of Ping failures before ISP disconnect:", build.Build(nullptr, kMaxPingNo), "Label18"}});
}

} // namespace

void BuildCommunicationPage(TPageContext& ctx, QWidget* generalSheet, QWidget* timersSheet, QWidget* communicationSheet)
{
    TPageBuilder build(ctx);
    TSheet::Of(communicationSheet)->setObjectName("ScrollBox2");
    SheetFrame(ctx, communicationSheet, SharedGroups::kCommunicationFrame, "Communication Settings");
    TSheet::Of(communicationSheet)->Add(RemoteServerGroup(ctx), 0);
    DialUpGroup(ctx, communicationSheet);
    ConnectionGroup(ctx, communicationSheet);

    BuildDestinationLabels(ctx);
    HeartBeatGroup(ctx, timersSheet);
    AddToShared(ctx,
                SharedGroup(ctx, SharedGroups::kTimerGroups[4], "Wake up interval low power (SWT5)", timersSheet, 1),
                {{"Min Awake Time:", build.Build(nullptr, kAwakeTime), "Label77", Unit("[min]")}});

    AddToShared(ctx, SharedGroup(ctx, SharedGroups::kMiscellaneous, "Miscellaneous", generalSheet, 1),
                {{"Restart if inactive:", build.Build(nullptr, kDisconEdit), nullptr, Unit("[min]")}});
    TSheet::Of(generalSheet)->Add(BuildInitCommandTable(ctx), 0);
    BuildTimeServers(ctx, SharedGroup(ctx, SharedGroups::kClockSync, "Real Time Clock Sync", generalSheet, 0));

    for (const char* name : kCommittedNumbers)
        ctx.Commits.Set(std::string(name) + "Exit", ctx.Exits.at(name));
    // The hidden Set button of the dial-up login.
    AddSetButton(ctx, ctx.Get<QWidget>("UserName")->parentWidget(), "BitBtn9", [&ctx] {
        ctx.RunExits({"InitString", "InitString2", "UserName", "PassWord"});
    });
}

void FollowOptionSwitches(TPageContext& ctx, TOptionHooks& hooks)
{
    auto* userName = ctx.Get<QLineEdit>("UserName");
    hooks.UserNameEnabled = [userName](bool enabled) { userName->setEnabled(enabled); };
    auto* maxPing = ctx.Get<QLineEdit>("MaxPingNo");
    auto* maxPingCaption = ctx.Get<QLabel>("Label18");
    hooks.MaxPingEnabled = [maxPing, maxPingCaption](bool enabled) {
        maxPing->setEnabled(enabled);
        maxPingCaption->setEnabled(enabled);
    };
    auto* awakeCaption = ctx.Get<QLabel>("Label77");
    hooks.AwakeTimeCaption = [awakeCaption](const std::string& caption) { ShowText(awakeCaption, caption); };
    hooks.DestinationChosen = [&ctx](int timer, int item) { ShowChosenDestination(ctx, timer, item); };
    hooks.ShowIPLabels = [&ctx] { ShowIPLabels(ctx); };
}
