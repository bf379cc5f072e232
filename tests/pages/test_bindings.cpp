#include "image/ImageStore.h"
#include "image/ToolVersion.h"
#include "pages/Bind.h"
#include "pages/ImageFields.h"
#include "pages/InternalSerial.h"
#include "pages/PageContext.h"
#include "platform/Convert.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/RadioGroup.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>
#include <gtest/gtest.h>

#include "PageFixture.h"

TEST_F(Page, TextSlotEditorWritesShowsAndLimitsLength)
{
    QLineEdit* userId = Edit("UserIDText");
    BindTextSlot(ctx, userId, {0, 41}, TRedraw::UserId);
    redraw.ImageToControls();
    EXPECT_EQ(userId->text(), "Default Profile");
    EXPECT_EQ(userId->maxLength(), 40);

    userId->setText(QString::fromLatin1("Station \xE9")); // a Latin-1 character reaches the image as one byte
    ctx.Exits.at("UserIDText")();
    EXPECT_EQ(image.Image.Bytes(0, 10), std::string("Station \xE9\0", 10));
    EXPECT_TRUE(image.Image.Marked(9));
    EXPECT_EQ(redraws, 0) << "a text editor redraws only its own field";

    // Enter commits as leaving does.
    userId->setText("North");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(userId, &enter);
    EXPECT_EQ(image.ReadImageString(0, 41), "North");
}

TEST_F(Page, ErasedSlotShownEmptyOrRaw)
{
    QLineEdit* empty = Edit("EmptyWhenErased");
    QLineEdit* raw = Edit("RawWhenErased");
    BindTextSlot(ctx, empty, {2200, 5}, TRedraw::UserId, ErasedSlot::Empty);
    BindTextSlot(ctx, raw, {2200, 5}, TRedraw::UserId, ErasedSlot::Raw);
    redraw.ImageToControls();
    EXPECT_EQ(empty->text(), "");
    EXPECT_EQ(raw->text(), QString(4, QChar(0xFF)));
}

TEST_F(Page, NumberEditorClampsIntoTheEditAndRaisesOnBadText)
{
    QLineEdit* configId = Edit("ConfigID");
    BindNumber(ctx, configId, {41, 2, 65535}, TRedraw::Identity);
    configId->setText("99999");
    ctx.Exits.at("ConfigID")();
    EXPECT_EQ(configId->text(), "65535");
    EXPECT_EQ(image.Image.Bytes(41, 2), "\xFF\xFF");
    EXPECT_EQ(redraws, 0);

    configId->setText("12a");
    try {
        ctx.Exits.at("ConfigID")();
        ADD_FAILURE() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'12a' is not a valid integer value");
    }
    EXPECT_EQ(configId->text(), "12a") << "the bad text stays for the user to mend";
    EXPECT_EQ(image.Image.Bytes(41, 2), "\xFF\xFF");
}

TEST_F(Page, SwitchClickWritesOnceAndTheEchoWritesNothing)
{
    auto* server = new TCheckBox("Server", &window);
    server->setObjectName("ServerBox");
    auto* other = new TCheckBox("Ping", &window);
    BindSwitch(ctx, server, {771, 0x40}, TRedraw::OptionBits);
    BindSwitch(ctx, other, {771, 0x02}, TRedraw::OptionBits);
    redraw.ImageToControls();
    EXPECT_FALSE(server->Checked());
    EXPECT_TRUE(other->Checked());

    server->SetChecked(true);
    EXPECT_EQ(image.ReadImageByte(771), 0xD7);
    EXPECT_EQ(redraws, 1) << "one change, one redraw; its echoes find their bits in place";
    EXPECT_TRUE(server->Checked());
}

TEST_F(Page, SetButtonRunsItsExitHandlersInOrder)
{
    QLineEdit* a = Edit("PhoneNr1");
    QLineEdit* b = Edit("SMSlimitEdit");
    BindTextSlot(ctx, a, {46, 19}, TRedraw::PhoneNumbers);
    BindNumber(ctx, b, {1016, 1, 255}, TRedraw::SmsLimit);
    commits.Set("PhoneSetButtonClick", [this] { ctx.RunExits({"PhoneNr1", "SMSlimitEdit"}); });
    a->setText("+4612345");
    b->setText("x");
    EXPECT_THROW(commits.Run(), EConvertError);
    EXPECT_EQ(image.ReadImageString(46, 19), "+4612345") << "what ran before the error stays done";
    EXPECT_THROW(ctx.RunExits({"NoSuchEdit"}), std::logic_error);
}

TEST_F(Page, InternalSerialNibbles)
{
    TInternalSerial serial(ctx);
    auto* BaudRatePC = ctx.Get<TRadioGroup>("BaudRatePC");
    image.WriteImageString("\x52\x22", 175, 0);
    redraw.ImageToControls();
    EXPECT_EQ(BaudRatePC->ItemIndex(), 5); // 9600
    EXPECT_EQ(ctx.Get<TRadioGroup>("ParityPC")->ItemIndex(), 2);   // 8N1
    EXPECT_FALSE(image.Image.AnyMarked(175, 2)) << "showing a value writes nothing back";

    ctx.Get<TRadioGroup>("BaudRateTC35")->SetItemIndex(9); // the user picks 115200
    EXPECT_EQ(image.ReadImageByte(176), 0x92);
    EXPECT_TRUE(image.Image.Marked(176));
    EXPECT_EQ(redraws, 0);
}

TEST_F(Page, InternalSerialErasedByteLeavesTheGroupsAndOutOfRangeKeepsTheByte)
{
    TInternalSerial serial(ctx);
    auto* BaudRatePC = ctx.Get<TRadioGroup>("BaudRatePC");
    ctx.Get<TRadioGroup>("ParityTC35")->SetItemIndex(4);
    image.WriteImageString("\xFF\xA2", 175, 0);
    int before = BaudRatePC->ItemIndex();
    redraw.ImageToControls();
    EXPECT_EQ(BaudRatePC->ItemIndex(), before);
    EXPECT_EQ(ctx.Get<TRadioGroup>("BaudRateTC35")->ItemIndex(), 9) << "a nibble past the list selects the last item";
    EXPECT_EQ(image.ReadImageByte(176), 0xA2) << "and the image keeps what the unit stored";
}

TEST(ImageFields, ToolNumberTextAndStamp)
{
    ImageStore image;
    image.WriteImageString("\x02\x1C", 183, 0);
    EXPECT_EQ(ConfigToolNrText(image), "05.40");
    image.WriteImageString("\xFF\xFF", 183, 0);
    EXPECT_EQ(ConfigToolNrText(image), "00.00");
    StampConfigToolNr(image);
    EXPECT_EQ(image.ReadImageNumber(183, 2), ConfigToolNr);
    EXPECT_TRUE(image.Image.Marked(183) && image.Image.Marked(184));
    char expect[8];
    std::snprintf(expect, sizeof expect, "%02d.%02d", ConfigToolNr / 100, ConfigToolNr % 100);
    EXPECT_EQ(ConfigToolNrText(image), expect);
}

TEST(ImageFields, ChannelTypesAlwaysWritten)
{
    ImageStore image;
    image.WriteImageString(std::string(7, '\x03'), 1031, 0);
    StoreChannelTypes(image, {3, 3, 3, 3, 3, 3, 9});
    EXPECT_EQ(image.Image.Bytes(1031, 7), std::string("\x03\x03\x03\x03\x03\x03\x09"));
    EXPECT_TRUE(image.Image.Marked(1031)) << "written even where unchanged";
    EXPECT_TRUE(image.Image.Marked(1037));
}

TEST(ImageFields, LevelCaptions)
{
    ImageStore image;
    image.setDefaultClick();
    image.WriteImageString(std::string("bar\0", 4), 2056, 1);
    const TextSlot io3{2056, 9}, io2{2494, 9};
    EXPECT_EQ(LevelCaptions(image, 0, io3), TLevelCaptions("High level [ mV ]", "Low level [ mV ]"));
    EXPECT_EQ(LevelCaptions(image, 1, io3), TLevelCaptions("High level [ bar ]", "Low level [ bar ]"));
    EXPECT_EQ(LevelCaptions(image, 1, io2)->first, "High level [  ]"); // empty in the default image
    image.WriteImageString("kilopascal", 2056, 1);
    EXPECT_EQ(LevelCaptions(image, 1, io3)->second, "Low level [ kilopasc ]") << "at most 8 characters";
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

TEST_F(Page, LeavingAnErasedSlotThatShowsEmptyWritesNothing)
{
    QLineEdit* edit = Edit("ErasedText");
    BindTextSlot(ctx, edit, {2200, 5}, TRedraw::UserId, ErasedSlot::Empty);
    redraw.ImageToControls();
    ctx.Exits.at("ErasedText")();
    EXPECT_EQ(image.ReadImageByte(2200), 0xFF) << "an untouched field stays as the unit had it";
    EXPECT_FALSE(image.Image.Marked(2200));
    edit->setText("ab");
    ctx.Exits.at("ErasedText")();
    EXPECT_EQ(image.Image.Bytes(2200, 3), std::string("ab\0", 3));
}
