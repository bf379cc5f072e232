#include "app/Saveprogress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QColor TextColour(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

} // namespace

TEST(ProgressWindow, StartShowsTheDirectionAndAnEmptyBar)
{
    TFormSave save;
    EXPECT_EQ(save.windowTitle(), "Saving in progress");
    save.StartProgress(TProgressDirection::Read, 3072);
    EXPECT_TRUE(save.isVisible());
    EXPECT_EQ(save.windowTitle(), "Reading in progress...");
    EXPECT_EQ(save.ProgressBar1->maximum(), 3072);
    EXPECT_EQ(save.ProgressBar1->value(), 0);
    EXPECT_EQ(save.Label4->text(), "");
    EXPECT_FALSE(save.UpLImage->isHidden());
    EXPECT_TRUE(save.DwnLImage->isHidden());

    save.SetProgressStep("Checking Password");
    EXPECT_EQ(save.Label4->text(), "Checking Password");
    save.SetProgressPosition(1536);
    EXPECT_EQ(save.ProgressBar1->value(), 1536);
    save.SetProgressPosition(4608); // 1.5 times the bytes sent can pass the end: held at the end
    EXPECT_EQ(save.ProgressBar1->value(), 3072);

    save.StartProgress(TProgressDirection::Write, 2048);
    EXPECT_EQ(save.windowTitle(), "Writing in progress...");
    EXPECT_TRUE(save.UpLImage->isHidden());
    EXPECT_FALSE(save.DwnLImage->isHidden());
}

TEST(ProgressWindow, ResultShowsOkInGreenThenThePlainFont)
{
    TFormSave save;
    save.ResultShowMs = 10;
    const QColor plain = TextColour(save.Label4);
    save.StartProgress(TProgressDirection::Read, 3072);
    QColor during;
    int sizeDuring = 0;
    bool waiting = false;
    QTimer::singleShot(0, &save, [&] {
        during = TextColour(save.Label4);
        sizeDuring = save.Label4->font().pointSize();
        waiting = save.InResultWait();
    });
    save.ShowProgressResult("EEPROM Read OK!", "EEPROM Read OK!");
    EXPECT_EQ(during, QColor(0, 128, 0));
    EXPECT_EQ(sizeDuring, 15);
    EXPECT_TRUE(waiting);
    EXPECT_FALSE(save.InResultWait());
    EXPECT_EQ(save.Label4->text(), "OK");
    EXPECT_FALSE(save.OKImage->isHidden());
    EXPECT_TRUE(save.AlertImage->isHidden());
    EXPECT_EQ(TextColour(save.Label4), plain);
    EXPECT_EQ(save.Label4->font().pointSize(), 10);
}

TEST(ProgressWindow, FailuresShowErrorInRedWithTheirMark)
{
    TFormSave save;
    save.ResultShowMs = 0;
    save.StartProgress(TProgressDirection::Read, 3072);
    save.ShowProgressResult("ERROR: Password Incorrect", "EEPROM Read OK!");
    EXPECT_EQ(save.Label4->text(), "ERROR");
    EXPECT_FALSE(save.AlertImage->isHidden());
    EXPECT_FALSE(save.PswdImage->isHidden());
    EXPECT_TRUE(save.StopImage->isHidden());
    EXPECT_TRUE(save.OKImage->isHidden());

    save.StartProgress(TProgressDirection::Write, 2048);
    for (QLabel* mark : {save.AlertImage, save.PswdImage, save.StopImage, save.OKImage})
        EXPECT_TRUE(mark->isHidden()) << mark->objectName().toStdString();
    save.ShowProgressResult("ERROR: EEPROM Checksum!", "EEPROM Write OK!");
    EXPECT_FALSE(save.StopImage->isHidden());
    EXPECT_TRUE(save.PswdImage->isHidden());
    EXPECT_EQ(save.Label4->font().pointSize(), 10);
}

TEST(ProgressWindow, RedDuringAFailure)
{
    TFormSave save;
    save.ResultShowMs = 10;
    QColor during;
    QTimer::singleShot(0, &save, [&] { during = TextColour(save.Label4); });
    save.ShowProgressResult("ERROR: EEPROM Read!", "EEPROM Read OK!");
    EXPECT_EQ(during, QColor(255, 0, 0));
}

TEST(ProgressWindow, ClosingRunsTheResetWhoeverClosesIt)
{
    TFormSave save;
    int resets = 0;
    save.OnClose = [&] { ++resets; };
    save.StartProgress(TProgressDirection::Read, 3072);
    save.close(); // the user's close box
    EXPECT_EQ(resets, 1);
    EXPECT_FALSE(save.isVisible());
    save.CloseProgress(); // hidden already: a transfer on a closed port still ends this way
    EXPECT_EQ(resets, 2);
    // A read on a closed port: bar and status line reset, the window never shown.
    save.ResetProgress(3072);
    save.SetProgressStep("Read Modem Type");
    EXPECT_FALSE(save.isVisible());
}
