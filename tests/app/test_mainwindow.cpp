#include "AppTestSupport.h"

#include "cport/ComLed.h"
#include "cport/EComPort.h"
#include "platform/ui/RadioGroup.h"

#include <QLabel>
#include <QTabWidget>
#include <gtest/gtest.h>

TEST(MainWindow, HasTheEightPagesInOrder)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    auto* pages = form.findChild<QTabWidget*>("PageControl1");
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->count(), 8);
    EXPECT_EQ(pages->tabText(0), "General Settings");
    EXPECT_EQ(pages->tabText(7), "Channel Calibration");
}

TEST(MainWindow, StartsWithTheDefaultImage)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    EXPECT_EQ(form.Image.ImageLoaded, 1);
    EXPECT_EQ(form.Image.ReadImageString(0, 41), "Default Profile");
    EXPECT_FALSE(form.Image.Image.AnyMarked(0, 3072));
}

TEST(MainWindow, RedrawShowsTheToolNumberAndTheInternalSerialLinks)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    auto* label = form.findChild<QLabel*>("configToolNr");
    ASSERT_NE(label, nullptr);
    form.Image.WriteImageString("\x02\x1C\x52", 183, 0);
    form.Image.WriteImageString("\x52", 175, 0);
    form.ImageToControls();
    EXPECT_EQ(label->text(), "05.40");
    auto* baud = form.findChild<TRadioGroup*>("BaudRatePC");
    ASSERT_NE(baud, nullptr);
    EXPECT_EQ(baud->Items().at(static_cast<size_t>(baud->ItemIndex())), "9600");
    EXPECT_FALSE(form.Image.Image.AnyMarked(0, 3072)) << "a redraw of an unedited image marks nothing";
}

TEST(MainWindow, TerminalPageCarriesTheSignalLedsOfThePort)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    for (int n = 2; n <= 7; ++n) {
        auto* led = form.findChild<TComLed*>(QString("ComLed%1").arg(n));
        ASSERT_NE(led, nullptr) << n;
        EXPECT_EQ(led->isEnabled(), n != 7) << n;
    }
    EXPECT_EQ(form.findChild<TComLed*>("ComLed2")->LedSignal(), lsCTS);
    EXPECT_EQ(form.findChild<TComLed*>("ComLed6")->LedSignal(), lsRx);
    EXPECT_THROW(form.findChild<TComLed*>("ComLed3")->SetState(lsOn), EComPort) << "a bound lamp follows its line";
}

TEST(MainWindow, LevelCaptionsFollowTheAnalogueValuesChoice)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    auto label = [&form](const char* name) { return form.PageContext.Get<QLabel>(name)->text(); };
    auto* choice = form.PageContext.Get<TRadioGroup>("ADValRadioGroup");
    choice->SetItemIndex(0);
    form.ImageToControls();
    EXPECT_EQ(label("IO7lower"), "Low level [ mV ]");
    form.Image.WriteImageString(std::string("bar\0", 4), 2056, 0); // the unit text of I/O3
    choice->SetItemIndex(1);
    EXPECT_EQ(label("IO3upper"), "High level [ bar ]") << "the choice's own click";
    EXPECT_EQ(label("IO3lower"), "Low level [ bar ]");
    EXPECT_EQ(label("IO2lower"), "Low level [  ]");
}
