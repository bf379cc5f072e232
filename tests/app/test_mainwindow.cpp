#include "app/TForm1.h"

#include <QTabWidget>
#include <gtest/gtest.h>

TEST(MainWindow, HasTheEightPagesInOrder)
{
    TForm1 form;
    auto* pages = form.findChild<QTabWidget*>("PageControl1");
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->count(), 8);
    EXPECT_EQ(pages->tabText(0), "General Settings");
    EXPECT_EQ(pages->tabText(7), "Channel Calibration");
}

TEST(MainWindow, StartsWithTheDefaultImage)
{
    TForm1 form;
    EXPECT_EQ(form.Image.ImageLoaded, 1);
    EXPECT_EQ(form.Image.ReadImageString(0, 41), "Default Profile");
    EXPECT_FALSE(form.Image.Image.AnyMarked(0, 3072));
}
