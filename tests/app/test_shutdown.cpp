#include "AppTestSupport.h"
#include "cport/CportTestSupport.h"

#include "app/ProgramIni.h"
#include "app/Saveprogress.h"
#include "link/ui/TerminalPage.h"
#include "platform/FileIO.h"
#include "platform/IniFile.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ScriptedDialogs.h"

#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace
{

// Records the shut-down steps in order, each noting whether the INI file had already been written.
struct Recorder {
    std::vector<std::string> steps;
    TTempIni* ini = nullptr;
    std::string before;
    std::string Written() const { return ini->Bytes() != before ? " after ini" : ""; }
    void Hook(TForm1& form)
    {
        before = ini->Bytes();
        form.OnDeactivateSockets = [this] { steps.push_back("sockets" + Written()); };
        form.OnSendComString = [this](const std::string& s) { steps.push_back("send " + s + Written()); };
        form.OnQuit = [this](int code) { steps.push_back("quit " + std::to_string(code)); };
    }
};

} // namespace

// Closing writes the APN names read at start-up back; Exit closes the sockets first, writes no APN names and
// ends the loop. Either sends "kve1" once, before the file is written, and leaves the port keys alone.
TEST(ShutDown, CloseAndExitWriteTheWindowOnceAndOnlyCloseTheApnNames)
{
    for (bool viaExit : {false, true}) {
        SCOPED_TRACE(viaExit ? "Exit" : "close");
        TTempIni ini;
        ini.Put("[User APN]\r\nAPN1=my.private.apn\r\nAPN30=last.one\r\n");
        Recorder rec{{}, &ini, {}};
        {
            TForm1 form(OptionsWith(ini));
            rec.Hook(form);
            form.Control<QLineEdit>("ServerPortEdit")->setText("5000");
            form.Control<QAbstractButton>("CheckBox14")->setChecked(true);
            form.move(40, 50);
            form.resize(1000, 700);
            int closed = 0;
            QObject::connect(&form, &TForm1::Closed, [&] { ++closed; });
            form.show();
            if (viaExit)
                form.FileExit->trigger();
            EXPECT_EQ(form.close(), !viaExit) << "after Exit the loop's end closes the window without a second send";
            EXPECT_EQ(closed, viaExit ? 0 : 1);
        }
        using Steps = std::vector<std::string>;
        EXPECT_EQ(rec.steps, viaExit ? Steps({"sockets", "send kve1\r", "quit 0"}) : Steps({"send kve1\r"}));
        EXPECT_EQ(ini.Bytes().find("[Comport Settings]"), std::string::npos);
        IniFile back(ini.path);
        EXPECT_EQ(back.ReadString("KIV Server", "Server Port", ""), "5000");
        EXPECT_EQ(back.ReadString("Terminal", "Show LOG Window", ""), "1");
        const int bounds[] = {back.ReadInteger("Form", "Left", 0), back.ReadInteger("Form", "Top", 0),
                              back.ReadInteger("Form", "Width", 0), back.ReadInteger("Form", "Height", 0)};
        EXPECT_EQ(std::vector<int>(std::begin(bounds), std::end(bounds)), (std::vector<int>{40, 50, 1000, 700}));
        EXPECT_EQ(back.ReadString("User APN", "APN1", ""), "my.private.apn");
        EXPECT_EQ(back.ReadString("User APN", "APN2", "missing"), viaExit ? "missing" : BuiltInApnNames()[1]);
        EXPECT_EQ(back.ReadString("User APN", "APN30", ""), "last.one");
    }
}

// A transfer, or the progress window's wait showing its result, refuses close and Exit: nothing is sent,
// written or ended.
TEST(ShutDown, ClosingOrExitingWhileATransferRunsIsRefused)
{
    TWindowRig rig;
    Recorder rec{{}, &rig.ini, {}};
    TForm1 form(OptionsWith(rig.ini));
    rec.Hook(form);
    bool running = true;
    form.OnTransferRunning = [&] { return running; };
    form.show();
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    form.FileExitExecute();
    EXPECT_TRUE(rec.steps.empty());
    EXPECT_FALSE(rig.ini.Exists());
    EXPECT_EQ(rig.dialogs.Messages().size(), 2u);

    running = false;
    form.FormSave->ResultShowMs = 30;
    bool closedDuringWait = true;
    QTimer::singleShot(0, &form, [&] { closedDuringWait = form.close(); });
    form.FormSave->ShowProgressResult("EEPROM Read OK!", "EEPROM Read OK!");
    EXPECT_FALSE(closedDuringWait);
    EXPECT_EQ(rig.dialogs.Messages().size(), 3u);

    EXPECT_TRUE(form.close());
    EXPECT_EQ(rec.steps, std::vector<std::string>{"send kve1\r"});
    EXPECT_TRUE(rig.ini.Exists());
}

TEST(ShutDown, AFailedWriteIsShownAndTheWindowStillCloses)
{
    TWindowRig rig;
    rig.ini.Put("not a folder"); // a file stands where the INI file's folder would be
    TForm1::TOptions options;
    options.IniPath = rig.ini.path + "/kivconfig.INI";
    TForm1 form(options);
    form.OnQuit = [](int) {};
    form.show();
    EXPECT_TRUE(form.close());
    ASSERT_EQ(rig.dialogs.Messages().size(), 1u);
    EXPECT_EQ(rig.dialogs.Messages()[0], "Unable to write to " + options.IniPath + ": " + SystemErrorText(ENOTDIR));
}

TEST(PortButton, WritesTheSixPortKeysAlsoWhenTheDialogIsCancelled)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    form.ComPort1.SetPort("ttyS4"); // a name the machine need not have: the dialog keeps it
    RunModal([&] { form.SpeedButton3->click(); },
             Pick({{"Combo2", "57600"}, {"Combo5", "Odd"}, {"Combo6", "Hardware"}}, "Button1"));
    EXPECT_EQ(form.Button1->text(), "ttyS4: CLOSED");
    EXPECT_EQ(ini.Bytes(), "[Comport Settings]\r\nPort=ttyS4\r\nBaudrate=12\r\nData bits=3\r\nStop bits=0\r\n"
                           "Parity=1\r\nFlow control=0\r\n");

    // Cancelled: nothing changes on the port, the keys are written again all the same.
    const std::string written = ini.Bytes();
    ini.Put("");
    RunModal([&] { form.SpeedButton3->click(); }, Pick({{"Combo2", "300"}, {"Combo5", "Even"}}, "Button2"));
    EXPECT_EQ(ini.Bytes(), written);

    // The next start configures that port and leaves it closed.
    TForm1 next(OptionsWith(ini));
    EXPECT_EQ(next.ComPort1.Port(), "ttyS4");
    EXPECT_EQ(next.ComPort1.BaudRate(), br57600);
    EXPECT_FALSE(next.ComPort1.Connected());
}

TEST(PortButton, OpenPortShowsItsRateAndTicksBothLinesAndAFailedOpenWarns)
{
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    TWindowRig rig;
    TForm1 form(OptionsWith(rig.ini));

    // A port that cannot be opened: the "COM Port" box with its warning sign.
    form.ComPort1.SetPort("/dev/kiv-no-such-port");
    form.Button1->click();
    ASSERT_EQ(rig.dialogs.Shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.Shown[0].Caption, "COM Port");
    EXPECT_EQ(rig.dialogs.Shown[0].Icon, TMessageIcon::Warning);
    EXPECT_EQ(rig.dialogs.Shown[0].Text.rfind("ERROR: Unable to open com port", 0), 0u) << rig.dialogs.Shown[0].Text;
    EXPECT_FALSE(form.ComPort1.Connected());
    TCheckBox* dtr = form.TermPage->CheckBox7;
    int dtrClicks = 0;
    dtr->SetOnClick([&] { ++dtrClicks; });
    dtr->SetChecked(false); // the user cleared it
    dtrClicks = 0;
    form.ComPort1.SetPort(name);
    form.ComPort1.SetBaudRate(br115200);
    form.ComPort1.Open();
    RunModal([&] { form.SpeedButton3->click(); }, Pick({}, "Button1")); // the user confirms the settings as they are
    EXPECT_EQ(form.Button1->text().toStdString(), std::string(name) + " (115200): OPEN");
    EXPECT_TRUE(dtr->isChecked());
    EXPECT_EQ(dtrClicks, 1);

    // Exit closes the port before the loop ends.
    form.OnQuit = [&](int) { EXPECT_FALSE(form.ComPort1.Connected()); };
    form.FileExitExecute();
    EXPECT_FALSE(form.ComPort1.Connected());
    close(slave);
    close(master);
}
