#include "PageFixture.h"

#include "pages/Fields.h"
#include "pages/ImageFields.h"
#include "pages/InternalSerial.h"
#include "platform/Convert.h"
#include "platform/ui/RadioGroup.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include <functional>

using namespace std::string_literals;

// Each field kind built from a row, alone on a fresh page: what the unit stored is shown unchanged, and a user's
// edit reaches exactly the field's bytes. Switches, nibbles and the always-written numbers are seen on the
// option, serial and alarm pages.
using Rows = Page;
// A page of its own for each case, so no control of another case shares its bytes.
struct FreshPage : Page {
    void TestBody() override {}
};

TEST(RowKinds, EachShowsUnchangedAndEditsOnlyItsBytes)
{
    const auto exit = [](const char* name) { return [name](Page& t) { t.ctx.Exits.at(name)(); }; };
    struct Case {
        TRow row;
        std::string stored; // bytes at 2000 before
        QString shown;      // what the control shows
        std::function<void(Page&)> edit;
        std::string written; // bytes at 2000 after
    };
    const Case cases[] = {
        {{"Choice", "c", MultiBitChoice{2000, 0x30, {0x00, 0x10, 0x30}}, TRedraw::OptionBits, {"a", "b", "c"}},
         "\x1F"s,
         "1",
         [](Page& t) { t.ctx.Get<TRadioGroup>("Choice")->SetItemIndex(2); },
         "\x3F"s},
        {{"Pick", "p", ComboIndex{2000, 0x0C}, TRedraw::ChannelNames, {"a", "b", "c", "d"}},
         "\x09"s,
         "2",
         [](Page& t) { emit t.ctx.Get<QComboBox>("Pick")->activated(1); },
         "\x05"s},
        {{"Number", "n", NumberField{2000, 2, 65535}, TRedraw::Identity},
         "\x01\x02"s,
         "258",
         [](Page& t) { t.Type("Number", "99999"); },
         "\xFF\xFF"s},
        // A Latin-1 character reaches the image as one byte, the text cut to its slot; Enter commits.
        {{"Text", "t", TextField{{2000, 5}}, TRedraw::UserId},
         "ab\0xy"s,
         "ab",
         [](Page& t) {
             auto* edit = t.ctx.Get<QLineEdit>("Text");
             edit->setText(QString::fromLatin1("\xE9"
                                               "cdefg"));
             QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
             QCoreApplication::sendEvent(edit, &enter);
         },
         "\xE9"
         "cde\0"s},
        {{"Same", "s", TextField{{2000, 5}}, TRedraw::UserId}, "ab\0\xFF\xFF"s, "ab", exit("Same"), "ab\0\xFF\xFF"s},
        // An erased slot shown empty and merely left goes back as the unit had it.
        {{"Erased", "e", TextField{{2000, 5}, ErasedSlot::Empty}, TRedraw::UserId},
         "\xFF\xFF\xFF\xFF\xFF"s,
         "",
         exit("Erased"),
         "\xFF\xFF\xFF\xFF\xFF"s},
        {{"Typed", "e", TextField{{2000, 5}, ErasedSlot::Empty}, TRedraw::UserId},
         "\xFF\xFF\xFF\xFF\xFF"s,
         "",
         [](Page& t) { t.Type("Typed", "ab"); },
         "ab\0\xFF\xFF"s},
        {{"Raw", "r", TextField{{2000, 5}}, TRedraw::UserId},
         "\xFF\xFF\xFF\xFF\xFF"s,
         QString(4, QChar(0xFF)),
         [](Rows&) {},
         "\xFF\xFF\xFF\xFF\xFF"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row.name);
        FreshPage t;
        t.SetUp();
        ImageStore& image = t.image;
        image.WriteImageString(c.stored, 2000, 0);
        QWidget* control = t.Build(c.row);
        t.redraw.ImageToControls();
        QString shown;
        if (auto* group = qobject_cast<TRadioGroup*>(control))
            shown = QString::number(group->ItemIndex());
        else if (auto* box = qobject_cast<QComboBox*>(control))
            shown = QString::number(box->currentIndex());
        else
            shown = qobject_cast<QLineEdit*>(control)->text();
        EXPECT_EQ(shown, c.shown);
        const int n = static_cast<int>(c.written.size());
        EXPECT_EQ(image.Image.Bytes(2000, n), c.stored.substr(0, size_t(n))) << "showing changes no value";

        c.edit(t);
        EXPECT_EQ(image.Image.Bytes(2000, n), c.written);
        EXPECT_EQ(image.Image.AnyMarked(2000, n), c.written != c.stored);
        EXPECT_EQ(image.ReadImageByte(1999), 0xFF);
    }
}

TEST_F(Rows, NamesAndHandlersAreRegisteredOnce)
{
    Build({"Twice", "x", Unbound{Unbound::Edit}});
    EXPECT_THROW(Build({"Twice", "x", Unbound{Unbound::Check}}), std::logic_error);
    EXPECT_THROW(ctx.Get<QLineEdit>("Missing"), std::logic_error);
    EXPECT_THROW(ctx.Get<QComboBox>("Twice"), std::logic_error) << "a control of another kind";
    EXPECT_THROW(ctx.AddExit("ConfigID", [] {}); ctx.AddExit("ConfigID", [] {}), std::logic_error);
    EXPECT_THROW(ctx.RunExits({"NoSuchEdit"}), std::logic_error);
    EXPECT_THROW(commits.Set("NoSuchHandler", [] {}), std::logic_error);
}

// The editors behind the bindings: a text never leaves its slot and keeps the old text behind its new
// terminator; a number writes always or only when a byte differs, as its field says.
TEST(FieldEditors, TextsStayInTheirSlotAndNumbersFollowTheirPolicy)
{
    ImageStore store;
    store.setDefaultClick();
    EXPECT_TRUE(WriteTextSlot(store, {0, 41}, "Pump 7"));
    EXPECT_EQ(store.Image.Bytes(0, 16), "Pump 7\0 Profile\0"s);
    WriteTextSlot(store, {291, 15}, std::string(40, 'x'));
    EXPECT_EQ(store.Image.Bytes(291, 16), std::string(14, 'x') + "\0\xFF"s);

    const NumberField always{1009, 2, 65535, WritePolicy::Always};
    const NumberField onChange{1009, 2, 65535, WritePolicy::WhenDifferent};
    EXPECT_FALSE(WriteNumber(store, onChange, 3));
    EXPECT_FALSE(store.Image.Marked(1009));
    EXPECT_TRUE(WriteNumber(store, always, 3));
    EXPECT_TRUE(store.Image.Marked(1009) && store.Image.Marked(1010));
}

TEST(Redraw, StepsRunInOrderAndNestedRedrawTerminates)
{
    TRedraw redraw;
    std::vector<std::string> seen;
    redraw.Add(TRedraw::LevelCaptions, [&] { seen.push_back("captions"); });
    redraw.Add(TRedraw::PhoneNumbers, [&] { seen.push_back("phones"); });
    int passes = 0, bit = 0;
    std::vector<bool> painting;
    redraw.OnOuterPass = [&](bool suspend) { painting.push_back(suspend); };
    // A decoder whose echo changes the image and so redraws again, every time: a bit that keeps flipping.
    redraw.Add(TRedraw::OptionBits, [&] {
        ++passes;
        bit ^= 1;
        redraw.ImageToControls();
    });
    redraw.ImageToControls();
    EXPECT_EQ(passes, TRedraw::kMaxDepth) << "without the image state only the depth limits";
    EXPECT_EQ(redraw.Depth(), 0);
    EXPECT_EQ(seen.front(), "phones");
    EXPECT_EQ(seen.back(), "captions");
    EXPECT_EQ(painting, (std::vector<bool>{true, false}));
    // With it, the cycle is stopped when an image comes back: each is shown once.
    redraw.State = [&] { return std::to_string(bit); };
    redraw.ImageToControls();
    EXPECT_EQ(passes, TRedraw::kMaxDepth + 2);
}

// A serial settings redraw that moves a group runs its nibble editor, which rewrites the byte as shown: a
// nibble past the list shows the last item and stores it; an erased byte leaves the groups as they were.
TEST_F(Page, InternalSerialEchoesItsNibbles)
{
    TInternalSerial serial(ctx);
    auto* pc = ctx.Get<TRadioGroup>("BaudRatePC");
    auto* tc35 = ctx.Get<TRadioGroup>("BaudRateTC35");
    image.WriteImageString("\x52\x22", 175, 0);
    redraw.ImageToControls();
    image.UnmarkRange(0, 3072);
    image.WriteImageString("\xFF\xA2", 175, 0);
    redraw.ImageToControls();
    EXPECT_EQ(pc->ItemIndex(), 5);
    EXPECT_EQ(tc35->ItemIndex(), 9);
    EXPECT_EQ(image.Image.Bytes(175, 2), "\xFF\x92"s) << "10 shows as 9 and is stored so";
    EXPECT_FALSE(image.Image.Marked(175));

    tc35->SetItemIndex(8);
    EXPECT_EQ(image.ReadImageByte(176), 0x82);
    EXPECT_EQ(redraws, 0);
}

// An erased tool number shows as "00.00"; the channel types are written even where unchanged; a level
// caption holds at most 8 characters of the unit text, and no choice shows none.
TEST(ImageFields, ToolNumberChannelTypesAndLevelCaptions)
{
    ImageStore image;
    image.setDefaultClick();
    image.WriteImageString("\xFF\xFF", 183, 0);
    EXPECT_EQ(ConfigToolNrText(image), "00.00");

    image.WriteImageString(std::string(7, '\x03'), 1031, 0);
    StoreChannelTypes(image, {3, 3, 3, 3, 3, 3, 9});
    EXPECT_EQ(image.Image.Bytes(1031, 7), "\x03\x03\x03\x03\x03\x03\x09"s);
    EXPECT_TRUE(image.Image.Marked(1031));

    const TextSlot io3{2056, 9};
    image.WriteImageString("kilopascal", 2056, 1);
    EXPECT_EQ(LevelCaptions(image, 1, io3), TLevelCaptions("High level [ kilopasc ]", "Low level [ kilopasc ]"));
    EXPECT_FALSE(LevelCaptions(image, -1, io3));
}

TEST(Convert, FloatInTheSystemNotation)
{
    EXPECT_DOUBLE_EQ(StrToFloat("2.5"), 2.5);
    EXPECT_EQ(FloatToStr(0.25), "0.25");
    try {
        StrToFloat("2,5x");
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'2,5x' is not a valid floating point value");
    }
}
