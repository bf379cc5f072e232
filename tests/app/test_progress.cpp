#include "app/Saveprogress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

TEST(ProgressWindow, PositionsStayWithinTheBar)
{
    TFormSave save;
    save.StartProgress(TProgressDirection::Read, 3072);
    EXPECT_TRUE(save.isVisible());
    EXPECT_EQ(save.windowTitle(), "Reading in progress...");
    save.SetProgressPosition(1536);
    EXPECT_EQ(save.ProgressBar1->value(), 1536);
    save.SetProgressPosition(4608); // 1.5 times the bytes sent can pass the end: held at the end
    EXPECT_EQ(save.ProgressBar1->value(), 3072);
    save.StartProgress(TProgressDirection::Write, 2048);
    EXPECT_EQ(save.ProgressBar1->value(), 0);
    EXPECT_TRUE(save.UpLImage->isHidden());
    EXPECT_FALSE(save.DwnLImage->isHidden());
}

// The result shows in its colour and large type during the wait, with its mark; then the plain font.
TEST(ProgressWindow, ResultShowsItsWordColourAndMark)
{
    const struct {
        const char* result;
        const char* ok;
        QColor colour;
        const char* word;
        std::vector<const char*> marks; // shown; the others hidden
    } cases[] = {
        {"EEPROM Read OK!", "EEPROM Read OK!", QColor(0, 128, 0), "OK", {"OKImage"}},
        {"ERROR: Password Incorrect", "EEPROM Read OK!", QColor(255, 0, 0), "ERROR", {"AlertImage", "PswdImage"}},
        {"ERROR: EEPROM Checksum!", "EEPROM Write OK!", QColor(255, 0, 0), "ERROR", {"AlertImage", "StopImage"}},
    };
    TFormSave save;
    save.ResultShowMs = 10;
    const QColor plain = save.Label4->palette().color(QPalette::WindowText);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        save.StartProgress(TProgressDirection::Read, 3072);
        QColor during;
        int sizeDuring = 0;
        bool waiting = false;
        QTimer::singleShot(0, &save, [&] {
            during = save.Label4->palette().color(QPalette::WindowText);
            sizeDuring = save.Label4->font().pointSize();
            waiting = save.InResultWait();
        });
        save.ShowProgressResult(c.result, c.ok);
        EXPECT_EQ(during, c.colour);
        EXPECT_EQ(sizeDuring, 15);
        EXPECT_TRUE(waiting);
        EXPECT_FALSE(save.InResultWait());
        EXPECT_EQ(save.Label4->text(), c.word);
        for (QLabel* mark : {save.AlertImage, save.PswdImage, save.StopImage, save.OKImage}) {
            const std::string name = mark->objectName().toStdString();
            EXPECT_EQ(!mark->isHidden(), std::count(c.marks.begin(), c.marks.end(), name) == 1) << name;
        }
        EXPECT_EQ(save.Label4->palette().color(QPalette::WindowText), plain);
        EXPECT_EQ(save.Label4->font().pointSize(), 10);
    }
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
