#include "pages/GeneralSetButtons.h"

#include "pages/ImageFields.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "pages/SetButton.h"
#include "pages/SharedGroup.h"
#include "platform/ui/HandlerGuard.h"

#include <QGroupBox>
#include <QLayout>
#include <QPushButton>

#include <string>
#include <vector>

namespace
{

// The Exit handlers a Set button runs, in order; some belong to the channel and communication pages. The SMS
// poll period of the unit's own tool has no control here, so it has nothing pending to commit.
std::vector<std::string> PhoneSetList()
{
    return {"PhoneNr1",       "PhoneNr2",      "PhoneNr3",  "PhoneNr4",   "PhoneNr5",
            "UserIDText",     "SMSlimitEdit",  "TZEdit",    "AlarmOnOff", "GNSSTimeOutEdit",
            "GNSSNumSATEdit", "GNSS_HdopEdit", "MEMSThEdit"};
}

std::vector<std::string> CommunicationSetList()
{
    std::vector<std::string> names = {"IPEdit1",    "IPEdit2",        "RPortEdit", "RPort2Edit",   "PingEdit",
                                      "DisconEdit", "SocketTimeEdit", "ConfigID",  "AlarmChkTime", "IO7outTimeEdit"};
    for (int n = 1; n <= 7; ++n)
        names.push_back("IO" + std::to_string(n) + "_ComboBox");
    return names;
}

} // namespace

void BuildGeneralSetButtons(TPageContext& ctx, QWidget* phoneGroup, QWidget* communicationSheet,
                            const std::array<uint8_t, 7>& channelType)
{
    auto PhoneSetButtonClick = [&ctx] { ctx.RunExits(PhoneSetList()); };
    auto SetButton1Click = [&ctx, &channelType] {
        ctx.RunExits(CommunicationSetList());
        StoreChannelTypes(ctx.Image, channelType);
    };

    phoneGroup->layout()->addWidget(AddSetButton(ctx, phoneGroup, "PhoneSetButton", PhoneSetButtonClick));
    QGroupBox* communication =
        SheetFrame(ctx, communicationSheet, SharedGroups::kCommunicationFrame, "Communication Settings");
    communication->layout()->addWidget(AddSetButton(ctx, communication, "SetButton1", SetButton1Click));
    ctx.Commits.Set("simPinEditExit", [&ctx] { ctx.RunExits({"simPinEdit"}); });
    ctx.Commits.Set("DateEdit1Exit", [&ctx] { ctx.RunExits({"DateEdit1"}); });
}
