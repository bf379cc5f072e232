#include "PageFixture.h"
#include "platform/Convert.h"
#include "platform/ui/RadioGroup.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

using namespace std::string_literals;

// Each field kind built from a row: what the unit stored is shown without a write, and a user's edit
// reaches exactly the field's bytes.
using Rows = Page;

TEST_F(Rows, EachKindShowsWithoutWritingAndEditsOnlyItsBytes)
{
    struct Case {
        TRow row;
        std::string stored;  // bytes at 2000 before
        QString shown;       // what the control shows
        std::function<void(Rows&)> edit;
        std::string written; // bytes at 2000 after
    };
    const Case cases[] = {
        {{"Choice", "c", MultiBitChoice{2000, 0x30, {0x00, 0x10, 0x30}}, TRedraw::OptionBits, {"a", "b", "c"}},
         "\x1F"s,
         "1",
         [](Rows& t) { t.ctx.Get<TRadioGroup>("Choice")->SetItemIndex(2); },
         "\x3F"s},
        {{"Nib", "n", Nibble{2000, true}, TRedraw::SerialSettings, {"0", "1", "2", "3", "4", "5"}},
         "\x52"s,
         "5",
         [](Rows& t) { t.ctx.Get<TRadioGroup>("Nib")->SetItemIndex(3); },
         "\x32"s},
        {{"Hdop", "h", ScaledNumber{2000, 2, 100, 2}, TRedraw::Identity},
         "\x01\x01"s,
         "2.57",
         [](Rows& t) { t.Type("Hdop", "655.359"); },
         "\xFF\xFF"s},
        {{"Level", "l", ScaledNumber{2000, 2, 100, 2, Rounding::Truncate}, TRedraw::ChannelPages},
         "\x00\x00"s,
         "0.00",
         [](Rows& t) { t.Type("Level", "11.57"); },
         "\x04\x85"s},
        {{"Pick", "p", ComboIndex{2000, 0x0C}, TRedraw::ChannelNames, {"a", "b", "c", "d"}},
         "\x09"s,
         "2",
         [](Rows& t) { emit t.ctx.Get<QComboBox>("Pick")->activated(1); },
         "\x05"s},
        {{"Toggle", "t", NumberField{2000, 1, 250, WritePolicy::Always, 1}, TRedraw::LoggedData},
         "\x07"s,
         "7",
         [](Rows& t) { t.Type("Toggle", "-1"); },
         "\x01"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row.name);
        image.WriteImageString(c.stored, 2000, 0);
        QWidget* control = Build(c.row);
        redraw.ImageToControls();
        QString shown;
        if (auto* group = qobject_cast<TRadioGroup*>(control))
            shown = QString::number(group->ItemIndex());
        else if (auto* box = qobject_cast<QComboBox*>(control))
            shown = QString::number(box->currentIndex());
        else
            shown = qobject_cast<QLineEdit*>(control)->text();
        EXPECT_EQ(shown, c.shown);
        EXPECT_FALSE(image.Image.AnyMarked(1990, 20)) << "showing never writes";

        c.edit(*this);
        EXPECT_EQ(image.Image.Bytes(2000, static_cast<int>(c.written.size())), c.written);
        EXPECT_EQ(image.ReadImageByte(1999), 0xFF);
        image.UnmarkRange(1990, 20);
        redraws = 0;
    }
}

TEST_F(Rows, ScaledShowAndCommitKeepTheStoredValueAndRefuseNonNumbers)
{
    Build({"Hdop", "HDOP", ScaledNumber{2000, 2, 100, 2}, TRedraw::Identity});
    for (const std::string& stored : {"\x01\x01"s, "\xFF\xFF"s, "\x00\x28"s}) {
        image.WriteImageString(stored, 2000, 0);
        redraw.ImageToControls();
        ctx.Exits.at("Hdop")();
        EXPECT_FALSE(image.Image.AnyMarked(2000, 2)) << ctx.Get<QLineEdit>("Hdop")->text().toStdString();
    }
    for (const char* bad : {"nan", "inf", "x"})
        EXPECT_THROW(Type("Hdop", bad), EConvertError);
    EXPECT_EQ(image.Image.Bytes(2000, 2), "\x00\x28"s);
}

TEST_F(Rows, NamesAndHandlersAreRegisteredOnce)
{
    Build({"Twice", "x", Unbound{Unbound::Edit}});
    EXPECT_THROW(Build({"Twice", "x", Unbound{Unbound::Check}}), std::logic_error);
    EXPECT_THROW(ctx.Get<QLineEdit>("Missing"), std::logic_error);
    EXPECT_THROW(ctx.Get<QComboBox>("Twice"), std::logic_error) << "a control of another kind";
    EXPECT_THROW(ctx.AddExit("ConfigID", [] {}); ctx.AddExit("ConfigID", [] {}), std::logic_error);
    EXPECT_THROW(commits.Set("NoSuchHandler", [] {}), std::logic_error);
}
