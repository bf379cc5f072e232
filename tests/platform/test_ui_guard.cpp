#include "platform/ui/Dialogs.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/ScriptedDialogs.h"
#include "platform/ui/StatusBar.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include <stdexcept>

TEST(HandlerGuard, ShowsTheMessageOfAFailingHandlerAndGoesOn)
{
    TScriptedDialogs dialogs;
    TScopedDialogs scope(dialogs);
    int before = 0, after = 0;
    bool finished = RunGuarded([&] {
        ++before;
        throw std::invalid_argument("'12x' is not a valid integer value");
        ++after;
    });
    EXPECT_FALSE(finished);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 0);
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Kind, "message");
    EXPECT_EQ(dialogs.Shown[0].Text, "'12x' is not a valid integer value");
    EXPECT_TRUE(RunGuarded([] {}));
    EXPECT_EQ(dialogs.Shown.size(), 1u);
}

TEST(HandlerGuard, AnExceptionOfNoKnownTypeIsShownToo)
{
    TScriptedDialogs dialogs;
    TScopedDialogs scope(dialogs);
    EXPECT_FALSE(RunGuarded([] { throw 42; }));
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"Unknown error"});
}

TEST(HandlerGuard, GuardedConnectionKeepsTheSignalSafeAndPassesArguments)
{
    TScriptedDialogs dialogs;
    TScopedDialogs scope(dialogs);
    QPushButton button;
    button.setCheckable(true);
    std::vector<bool> seen;
    ConnectGuarded(&button, &QPushButton::toggled, &button, [&](bool on) {
        seen.push_back(on);
        if (!on)
            throw std::runtime_error("Range check error");
    });
    int plain = 0;
    ConnectGuarded(&button, &QPushButton::toggled, &button, [&] { ++plain; });
    button.click();
    button.click();
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    EXPECT_EQ(plain, 2);
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"Range check error"});
    EXPECT_FALSE(button.isChecked());
}

TEST(Dialogs, ScopedDialogsAreRestoredAndScriptedAnswersTakenInOrder)
{
    TScriptedDialogs outer, inner;
    TScopedDialogs a(outer);
    {
        TScopedDialogs b(inner);
        EXPECT_EQ(&Dialogs(), &inner);
    }
    EXPECT_EQ(&Dialogs(), &outer);

    outer.AnswerInput(true, "192.168.1.20");
    outer.AnswerInput(false, "ignored");
    std::string host = "127.0.0.1";
    EXPECT_TRUE(Dialogs().InputQuery("Connect", "Host:", host));
    EXPECT_EQ(host, "192.168.1.20");
    EXPECT_FALSE(Dialogs().InputQuery("Connect", "Host:", host));
    EXPECT_EQ(host, "192.168.1.20");
    // Nothing scripted: the question is cancelled.
    EXPECT_FALSE(Dialogs().InputQuery("Connect", "Host:", host));

    outer.AnswerFile(true, "/tmp/unit.kvx");
    std::string name = "proposed.kvx";
    EXPECT_TRUE(Dialogs().SaveFile({"", "KIV hex-file (*.kvx)|*.kvx"}, name));
    EXPECT_EQ(name, "/tmp/unit.kvx");
    EXPECT_EQ(outer.ProposedFileNames, std::vector<std::string>{"proposed.kvx"});
    EXPECT_EQ(outer.Shown.back().Text, "KIV hex-file (*.kvx)|*.kvx");
}

TEST(Dialogs, PipeFiltersBecomeQtFilters)
{
    EXPECT_EQ(QtFileFilter("KIV EEMapp-file(KVX)|*.kvx"), "KIV EEMapp-file(KVX) (*.kvx)");
    EXPECT_EQ(QtFileFilter("KIV hex-file (*.kvx)|*.kvx"), "KIV hex-file (*.kvx)");
    EXPECT_EQ(QtFileFilter("Text-file|*.txt|All|*.*"), "Text-file (*.txt);;All (*.*)");
    EXPECT_EQ(QtFileFilter("Images|*.png;*.bmp"), "Images (*.png *.bmp)");
    EXPECT_EQ(QtFileFilter(""), "");
}

TEST(StatusBar, PanelsCarrySingleByteTextPlain)
{
    TStatusBar bar({422, 400});
    ASSERT_EQ(bar.PanelCount(), 2);
    bar.SetPanelText(0, "EEPROM Read OK!");
    bar.SetPanelText(1, std::string("Caf\xE9 <b>x</b>"));
    bar.SetPanelText(2, "nowhere");
    EXPECT_EQ(bar.PanelText(0), "EEPROM Read OK!");
    EXPECT_EQ(bar.PanelText(1), std::string("Caf\xE9 <b>x</b>"));
    EXPECT_EQ(bar.PanelText(2), "");
    auto* panel = bar.findChild<QLabel*>("Panel1");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->textFormat(), Qt::PlainText);
}
