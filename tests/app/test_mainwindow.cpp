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
