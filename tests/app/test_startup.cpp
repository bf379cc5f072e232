#include "AppTestSupport.h"

#include "app/AboutBox.h"
#include "app/ProgramIni.h"
#include "app/WindowGeometry.h"
#include "image/DefaultImage.h"
#include "image/ToolVersion.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ScriptedDialogs.h"
#include "platform/ui/StatusBar.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QToolButton>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <cstdlib>

TEST(StartUp, WithoutAnIniFileTakesEveryDefault)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini, BuildPreferenceControls));

    EXPECT_EQ(form.ComPort1.Port(), "ttyUSB0");
    EXPECT_EQ(form.ComPort1.BaudRate(), br9600);
    EXPECT_EQ(form.ComPort1.DataBits(), dbEight);
    EXPECT_EQ(form.ComPort1.StopBits(), sbOneStopBit);
    EXPECT_EQ(form.ComPort1.Parity().Bits(), prNone);
    EXPECT_EQ(form.ComPort1.FlowControl().FlowControl(), fcNone);
    EXPECT_EQ(form.ComPort1.Buffer().InputSize(), 500000);
    EXPECT_FALSE(form.ComPort1.Connected());
    EXPECT_EQ(form.Button1->text(), "ttyUSB0: CLOSED");

    EXPECT_EQ(form.Control<QLineEdit>("ServerPortEdit")->text(), "3004");
    EXPECT_EQ(form.Control<QLineEdit>("ClientPortEdit")->text(), "2040");
    EXPECT_EQ(form.Control<QLineEdit>("UDPIPEdit")->text(), "000.000.000.000");
    EXPECT_EQ(form.Control<QLineEdit>("UDPportEdit")->text(), "2055");
    EXPECT_FALSE(form.Control<QAbstractButton>("CheckBox14")->isChecked());
    EXPECT_TRUE(form.Control<QAbstractButton>("ShowTS")->isChecked());
    EXPECT_FALSE(form.Control<QAbstractButton>("HexCheckBox")->isChecked());

    // Both pick lists: the 29 built-in names and an empty 30th item.
    for (const char* name : {"InitString", "InitString2"}) {
        auto* box = form.Control<QComboBox>(name);
        ASSERT_EQ(box->count(), 30) << name;
        EXPECT_EQ(box->itemText(0).toStdString(), BuiltInApnNames()[0]);
        EXPECT_FALSE(box->itemText(28).isEmpty());
        EXPECT_TRUE(box->itemText(29).isEmpty());
    }

    // The default image, marked present; nothing above the configuration area.
    EXPECT_EQ(form.Image.ImageLoaded, 1);
    EXPECT_EQ(form.Image.Image.Bytes(0, 3072),
              std::string(DefaultImageBytes().begin(), DefaultImageBytes().end()));
    EXPECT_EQ(form.Image.ReadImageByte(3072), 0xFF);
    EXPECT_EQ(form.Image.ReadImageByte(65535), 0xFF);
    EXPECT_EQ(form.Variant.hwNumber, "0000");

    EXPECT_EQ(form.windowTitle(), MainWindowCaption());
    EXPECT_TRUE(form.windowTitle().startsWith("KIV Corvo Configuration tool : "));
    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet8);
    EXPECT_EQ(form.PageControl1->tabText(form.PageControl1->currentIndex()), "Terminal");
    EXPECT_TRUE(form.RichEdit1->toPlainText().isEmpty());
    EXPECT_FALSE(ini.Exists()); // reading creates nothing
}

TEST(StartUp, TheWindowComesUpWithTheStoredBoundsFittedToTheScreen)
{
    TTempIni ini;
    ini.Put("[Form]\r\nTop=20\r\nLeft=30\r\nHeight=400\r\nWidth=500\r\n");
    TForm1 form(OptionsWith(ini));
    EXPECT_EQ(form.pos(), QPoint(30, 20));
    EXPECT_EQ(form.size(), QSize(500, 400));

    TTempIni lost;
    lost.Put("[Form]\r\nTop=-32000\r\nLeft=-32000\r\nHeight=2147483647\r\nWidth=-5\r\n");
    TForm1 back(OptionsWith(lost));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(back.pos(), back.size()))) << back.x() << "," << back.y();
    EXPECT_GE(back.width(), std::min(kMinWindowWidth, screen.width()));
}

TEST(StartUp, ReadsAnIniFileWrittenWithCrLfByAnotherProgram)
{
    TTempIni ini;
    std::string text = "[comport settings]\r\n"
                       "Port=ttyS1\r\n"
                       "Baudrate=$0D\r\n"
                       "Data bits=0x2\r\n"
                       "Stop bits=2\r\n"
                       "Parity=2\r\n"
                       "Flow control=3\r\n"
                       "[KIV Server]\r\n"
                       "Server Port=4000\r\n"
                       "Remote TCP Port=2041\r\n"
                       "Remote UDP IP Add=192.168.001.010\r\n"
                       "Remote UDP Port=0x10\r\n"
                       "[Terminal]\r\n"
                       "Show LOG Window=1\r\n"
                       "Log Time Stamp=0\r\n"
                       "Show Hex=1\r\n"
                       "[User APN]\r\n"
                       "APN1=my.own.apn\r\n"
                       "APN2=\r\n";
    ini.Put(text);
    TForm1 form(OptionsWith(ini, BuildPreferenceControls));

    EXPECT_EQ(form.ComPort1.Port(), "ttyS1");
    EXPECT_EQ(form.ComPort1.BaudRate(), br115200); // "$0D" = 13
    EXPECT_EQ(form.ComPort1.DataBits(), dbSeven);  // "0x2"
    EXPECT_EQ(form.ComPort1.StopBits(), sbTwoStopBits);
    EXPECT_EQ(form.ComPort1.Parity().Bits(), prEven);
    // The custom preset keeps the design flags: no flow control, DTR and RTS enabled.
    EXPECT_EQ(form.ComPort1.FlowControl().ControlDTR(), dtrEnable);
    EXPECT_EQ(form.ComPort1.FlowControl().ControlRTS(), rtsEnable);
    EXPECT_FALSE(form.ComPort1.FlowControl().OutCTSFlow());
    EXPECT_EQ(form.Button1->text(), "ttyS1: CLOSED");

    EXPECT_EQ(form.Control<QLineEdit>("ServerPortEdit")->text(), "4000");
    EXPECT_EQ(form.Control<QLineEdit>("UDPIPEdit")->text(), "192.168.001.010");
    EXPECT_EQ(form.Control<QLineEdit>("UDPportEdit")->text(), "0x10"); // a text key stays as written
    EXPECT_TRUE(form.Control<QAbstractButton>("CheckBox14")->isChecked());
    EXPECT_FALSE(form.Control<QAbstractButton>("ShowTS")->isChecked());
    // "Show Hex" comes after "Log Time Stamp": checked, though ShowTS has just disabled it.
    auto* hex = form.Control<QAbstractButton>("HexCheckBox");
    EXPECT_TRUE(hex->isChecked());
    EXPECT_FALSE(hex->isEnabled());

    auto* apn = form.Control<QComboBox>("InitString");
    EXPECT_EQ(apn->itemText(0), "my.own.apn");
    EXPECT_EQ(apn->itemText(1), "");
    EXPECT_EQ(apn->itemText(2).toStdString(), BuiltInApnNames()[2]);
    EXPECT_EQ(form.Control<QComboBox>("InitString2")->count(), 30);
}

TEST(StartUp, PortSettingsOutOfRangeTakeTheirDefaults)
{
    TTempIni ini;
    ini.Put("[Comport Settings]\nBaudrate=16\nData bits=-1\nStop bits=3\nParity=99\nFlow control=4\n");
    TForm1 form(OptionsWith(ini));
    EXPECT_EQ(form.ComPort1.BaudRate(), br9600);
    EXPECT_EQ(form.ComPort1.DataBits(), dbEight);
    EXPECT_EQ(form.ComPort1.StopBits(), sbOneStopBit);
    EXPECT_EQ(form.ComPort1.Parity().Bits(), prNone);
    EXPECT_EQ(form.ComPort1.FlowControl().FlowControl(), fcNone);
    EXPECT_EQ(form.Prefs.Port.BaudRate, 7);
    EXPECT_EQ(form.Prefs.Port.FlowControl, 2);
}

TEST(StartUp, AFailingStepIsShownAndTheRestStillRuns)
{
    TScriptedDialogs dialogs;
    TScopedDialogs scope(dialogs);
    TTempIni ini;
    int decoded = 0;
    TForm1 form(OptionsWith(ini, [&](TForm1& f) {
        f.Redraw.Add(TRedraw::PhoneNumbers, [&] {
            if (++decoded == 1)
                throw std::runtime_error("Range check error");
        });
    }));
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"Range check error"});
    EXPECT_EQ(decoded, 2); // the all-0xFF redraw failed, the default image's redraw ran
    EXPECT_EQ(form.Image.ImageLoaded, 1);
    EXPECT_EQ(form.PageContext.Get<QTableWidget>("AlarmStringGrid1")->rowCount(), 18);
}

TEST(StartUp, AlarmListHasHeadersAndNumberedRows)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    auto* grid = form.PageContext.Get<QTableWidget>("AlarmStringGrid1");
    EXPECT_TRUE(form.TabSheet7->isAncestorOf(grid));
    ASSERT_EQ(grid->rowCount(), 18);
    ASSERT_EQ(grid->columnCount(), 7);
    const char* headers[] = {"Alarm", "ID", "Timestamp", "Status", "Status Info", "Sent", "Trials"};
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(grid->item(0, c)->text(), headers[c]);
    EXPECT_EQ(grid->item(1, 0)->text(), "1");
    EXPECT_EQ(grid->item(16, 0)->text(), "16");
    EXPECT_EQ(grid->item(17, 0), nullptr);
    EXPECT_GE(grid->columnWidth(2), 97);
}

TEST(MainWindowFrame, ExitAndCutHaveTheirOwnShortCuts)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    EXPECT_EQ(form.FileExit->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(form.EditCut1->shortcut(), QKeySequence("Ctrl+X"));
    EXPECT_EQ(form.EditCopy1->shortcut(), QKeySequence("Ctrl+C"));
    EXPECT_EQ(form.EditPaste1->shortcut(), QKeySequence("Ctrl+V"));
    QList<QKeySequence> taken;
    for (QAction* action : form.findChildren<QAction*>())
        if (!action->shortcut().isEmpty()) {
            EXPECT_FALSE(taken.contains(action->shortcut())) << action->objectName().toStdString();
            taken.append(action->shortcut());
        }
}

TEST(MainWindowFrame, CutWorksOnTheFocusedEditAndEndsNothing)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    auto* edit = form.PageContext.Get<QLineEdit>("PhoneNr1");
    int quits = 0;
    form.OnQuit = [&](int) { ++quits; };
    form.show();
    form.PageControl1->setCurrentWidget(form.TabSheet2);
    QApplication::setActiveWindow(&form);
    edit->setText("+4670");
    edit->setFocus();
    edit->selectAll();
    QApplication::processEvents();
    form.EditCut1->trigger();
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(form.isVisible());
}

TEST(MainWindowFrame, ToolBarAndStatusBarAsDesigned)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    EXPECT_EQ(form.StatusBar1->PanelCount(), 2);
    EXPECT_EQ(form.ReadEEPROMExecute->text(), "READ MEMORY");
    EXPECT_EQ(form.WriteEEPROMExecute->toolTip(), "Write EEPROM, Serial/Datacall");
    EXPECT_EQ(form.SpeedButton3->text(), "Set COM Port");
    EXPECT_EQ(form.ToolButton3->toolTip(), "Open EEMapp-File(KVX)");
    int reads = 0;
    QObject::connect(form.ReadEEPROM, &QAction::triggered, [&] { ++reads; });
    form.ReadEEPROMExecute->click();
    EXPECT_EQ(reads, 1);
    form.SetStatus("EEPROM Read OK!");
    EXPECT_EQ(form.Status(), "EEPROM Read OK!");
}

TEST(AboutBox, ShowsTheSameVersionAsTheCaption)
{
    TAboutBox about;
    EXPECT_EQ(about.windowTitle(), "KIV About Configuration tool");
    QString version = about.Version->text();
    ASSERT_TRUE(version.startsWith("Version "));
    EXPECT_TRUE(MainWindowCaption().endsWith(version.mid(8)));
    EXPECT_TRUE(version.contains(kVersionText));
    EXPECT_EQ(about.Label1->text(), "Configuration Tool");
    EXPECT_TRUE(about.OKButton->isDefault());
}

TEST(AboutBox, OpensModallyFromTheHelpMenuAndClosesWithOk)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    bool wasModal = false;
    QTimer::singleShot(0, form.AboutBox, [&] {
        wasModal = form.AboutBox->isVisible() && form.AboutBox->isModal();
        form.AboutBox->OKButton->click();
    });
    form.HelpAboute->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(form.AboutBox->isVisible());
}
