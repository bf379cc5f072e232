#include "platform/ui/CheckBox.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/ScriptedDialogs.h"

#include <QRadioButton>
#include <gtest/gtest.h>

#include <stdexcept>

TEST(CheckBox, ClickHandlerRunsOnEveryRealChangeByCodeOrUser)
{
    TCheckBox box("DTR");
    int clicks = 0;
    std::vector<bool> states;
    box.SetOnClick([&] {
        ++clicks;
        states.push_back(box.Checked());
    });
    box.SetChecked(true);
    box.SetChecked(true); // no change, no click
    box.click();          // the user unticks it
    box.SetChecked(false);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(states, (std::vector<bool>{true, false}));
}

TEST(CheckBox, AFailingHandlerIsShownAndTheStateStays)
{
    TScriptedDialogs dialogs;
    TScopedDialogs scope(dialogs);
    TCheckBox box;
    box.SetOnClick([] { throw std::runtime_error("Unable to set DTR"); });
    box.SetChecked(true);
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"Unable to set DTR"});
}

TEST(RadioGroup, IndexIsClampedAndMinusOneChoosesNothing)
{
    TRadioGroup group("Parity");
    EXPECT_EQ(group.ItemIndex(), -1);
    group.SetItemIndex(2); // no items yet
    EXPECT_EQ(group.ItemIndex(), -1);
    group.SetItems({"None", "Odd", "Even"});
    group.SetItemIndex(7);
    EXPECT_EQ(group.ItemIndex(), 2);
    EXPECT_TRUE(group.Button(2)->isChecked());
    group.SetItemIndex(-5);
    EXPECT_EQ(group.ItemIndex(), -1);
    for (int i = 0; i < group.Count(); ++i)
        EXPECT_FALSE(group.Button(i)->isChecked()) << i;
    group.SetItemIndex(1);
    EXPECT_TRUE(group.Button(1)->isChecked());
    EXPECT_FALSE(group.Button(2)->isChecked());
}

TEST(RadioGroup, ClickHandlerRunsOnlyOnARealChange)
{
    TRadioGroup group;
    group.SetItems({"A", "B", "C"});
    std::vector<int> seen;
    group.SetOnClick([&] { seen.push_back(group.ItemIndex()); });
    group.SetItemIndex(0);
    group.SetItemIndex(0);
    group.SetItemIndex(9);  // clamps to 2
    group.SetItemIndex(2);  // already 2
    group.Button(1)->click(); // the user
    group.Button(1)->click(); // already chosen
    group.SetItemIndex(-1);
    group.SetItemIndex(-1);
    EXPECT_EQ(seen, (std::vector<int>{0, 2, 1, -1}));
}

TEST(RadioGroup, NewItemsKeepTheIndexClampedToTheirCount)
{
    TRadioGroup group;
    group.SetItems({"a", "b", "c", "d"});
    group.SetItemIndex(3);
    int clicks = 0;
    group.SetOnClick([&] { ++clicks; });
    group.SetItems({"x", "y", "z", "w", "v"});
    EXPECT_EQ(group.ItemIndex(), 3);
    EXPECT_TRUE(group.Button(3)->isChecked());
    EXPECT_EQ(clicks, 0);
    group.SetItems({"x", "y"});
    EXPECT_EQ(group.ItemIndex(), 1);
    EXPECT_TRUE(group.Button(1)->isChecked());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(group.Items(), (std::vector<std::string>{"x", "y"}));
    group.SetItems({});
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_EQ(group.Button(0), nullptr);
}
