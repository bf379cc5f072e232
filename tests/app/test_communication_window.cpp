#include "AppTestSupport.h"

#include <QLabel>
#include <gtest/gtest.h>

// The option switches of the other pages reach the communication controls through the window.
TEST(CommunicationWindow, OptionSwitchesReachTheCommunicationControls)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    TPageContext& ctx = form.PageContext;
    const auto enabled = [&](const char* name) { return ctx.Get<QWidget>(name)->isEnabled(); };

    for (bool on : {true, false}) {
        SCOPED_TRACE(on);
        ctx.Get<TCheckBox>("UNCheckBox")->SetChecked(on);
        EXPECT_EQ(enabled("UserName"), !on);
        ctx.Get<TCheckBox>("PingBox")->SetChecked(on);
        EXPECT_EQ(enabled("MaxPingNo"), on);
        EXPECT_EQ(enabled("Label18"), on);
        ctx.Get<TCheckBox>("sleepSendReq")->SetChecked(on);
        EXPECT_EQ(ctx.Get<QLabel>("Label77")->text(), on ? "Max Awake Time:" : "Min Awake Time:");
    }

    const QString address2 = ctx.Get<QLineEdit>("IPEdit2")->text();
    const QString port2 = ctx.Get<QLineEdit>("RPort2Edit")->text();
    ctx.Get<TRadioGroup>("IPSWT3")->SetItemIndex(1);
    EXPECT_EQ(ctx.Get<QLabel>("IPLabel_3")->text(), "IP2:" + address2) << "the port comes with the next redraw";
    form.ImageToControls();
    EXPECT_EQ(ctx.Get<QLabel>("IPLabel_3")->text(), "IP2:" + address2 + " " + port2);
}
