#include "AppTestSupport.h"

#include "channels/ChannelTypes.h"
#include "image/ChannelTypeTable.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace
{

void PutHardwareNumber(TForm1& form, uint8_t high, uint8_t low)
{
    form.Image.LoadPlain(185, std::string{static_cast<char>(high), static_cast<char>(low)});
}

void Put(TForm1& form, int address, uint8_t value)
{
    form.Image.LoadPlain(address, std::string(1, static_cast<char>(value)));
}

// The user picks an item of channel n's type list and leaves the list.
void Pick(TForm1& form, int n, int item)
{
    QComboBox* list = form.ChannelTypes->List(n);
    list->setCurrentIndex(item);
    emit list->activated(item);
    form.PageContext.Exits.at("IO" + std::to_string(n) + "_ComboBox")();
}

TRadioGroup* ModemType(TForm1& form)
{
    return form.PageContext.Get<TRadioGroup>("ModemTypeRadioG");
}

} // namespace

class VariantWindow : public ::testing::Test
{
  protected:
    TTempIni ini;
    TForm1 form{OptionsWith(ini)};
};

// The hardware number shows as the article number and chooses the variant; an erased number keeps the
// variant; a variant named in lower case, as a unit may answer, is the same variant.
TEST_F(VariantWindow, DecodeShowsTheArticleNumberAndChoosesTheVariant)
{
    QComboBox* list = form.ChannelTypes->List(1);
    const struct {
        uint8_t high, low;
        const char* article;
        const char* variant;
        int items;
    } cases[] = {{0x14, 0xC6, "75318", "TARN", 9},
                 {0xFF, 0xFF, "70000", "TARN", 9},
                 {0x00, 0x63, "799", "TARN", 9},
                 {0x14, 0xDE, "75342", "MOSS", 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.article);
        PutHardwareNumber(form, c.high, c.low);
        form.DecodeModemType();
        EXPECT_EQ(form.Label74->text(), c.article);
        EXPECT_EQ(form.Variant.modemType, c.variant);
        EXPECT_EQ(ModemType(form)->ItemIndex(), c.items == 9 ? 0 : 1);
        EXPECT_EQ(list->count(), c.items);
        EXPECT_EQ(list->currentIndex(), -1) << "a relabel leaves no choice";
    }
    EXPECT_EQ(list->placeholderText(), "Select Ch1");
    EXPECT_EQ(form.PageContext.Get<QLabel>("Label196")->text(), "Log Bank 7 / Ch7 (IO7):");
    for (int k = 7; k <= 10; ++k)
        EXPECT_TRUE(form.ChannelTypes->Dips().Switch(k)->isEnabled()) << "MOSS, switch " << k;
    Put(form, 187, 0xFF);
    form.ImageToControls(); // switches 9 and 10 "ON"

    form.Variant.modemType = "tarn";
    form.ApplyModemTypeLabels();
    EXPECT_EQ(form.Image.ReadImageByte(187), 0xFC) << "TARN has no switches 9 and 10: moved \"OFF\" and stored so";
    EXPECT_TRUE(form.Image.Image.Marked(187));
    EXPECT_EQ(ModemType(form)->ItemIndex(), 0);
    EXPECT_EQ(list->count(), 9);
    for (const auto& [k, enabled] : {std::pair{7, true}, {8, true}, {9, false}, {10, false}})
        EXPECT_EQ(form.ChannelTypes->Dips().Switch(k)->isEnabled(), enabled) << "TARN, switch " << k;
}

TEST_F(VariantWindow, EncodeWritesTheVariantsNumberMarked)
{
    form.Variant.modemType = "MOSS";
    form.EncodeModemType();
    EXPECT_EQ(form.Image.ReadImageNumber(185, 2), 0x14DEu);
    EXPECT_TRUE(form.Image.Image.Marked(185));
    EXPECT_EQ(form.Variant.hwNumber, "5342");
}

TEST_F(VariantWindow, FinishImageReadMarksTheImageAndSetsThePickers)
{
    form.TabSheet2->setEnabled(false);
    form.Image.ImageLoaded = 0;
    PutHardwareNumber(form, 0x14, 0xDE); // MOSS
    Put(form, 1019, 0x05);               // channels 1 and 3 logged, 4 not
    Put(form, 1020, 0x00);               // all wired to the left word
    Put(form, 1021, 0x80);               // rates by frequency
    Put(form, 188, 0x04);                // DIP 3 "ON": channel 3 matches no type
    Put(form, kChannelTypeAddress + 2, 0xC8);

    form.FinishImageRead();
    EXPECT_EQ(form.Image.ImageLoaded, 1);
    EXPECT_TRUE(form.TabSheet2->isEnabled());
    EXPECT_EQ(form.Variant.modemType, "MOSS");
    EXPECT_EQ(form.Variant.channelType[2], 0xC8) << "a code no list offers is kept as stored";
    EXPECT_TRUE(form.PageContext.Get<TCheckBox>("Freq1CheckBox")->Checked());
    EXPECT_TRUE(form.PageContext.Get<TCheckBox>("freqOrDiff")->Checked());
    EXPECT_EQ(form.ChannelTypes->List(1)->currentText(), "Pulse Input Freq calc");
    EXPECT_EQ(form.ChannelTypes->List(3)->currentIndex(), -1);
    EXPECT_EQ(form.ChannelTypes->List(4)->currentText(), "Select Ch4");
}

// What choosing a type sets, from the channel-type table, on an image of outputs with logging off.
TEST_F(VariantWindow, ChoosingATypeSetsWhatItImplies)
{
    struct Bits {
        int address;
        uint8_t mask;
        uint8_t value;
    };
    struct Case {
        const char* variant;
        int n;
        int item;
        std::vector<Bits> bits;
        uint8_t code;
    } const cases[] = {
        // rate by difference: pulse bit and kind bit clear, switch 1 "OFF", an input, logged, logging on
        {"TARN",
         1,
         3,
         {{1021, 0x81, 0x00}, {188, 0x01, 0}, {1020, 0x01, 0}, {160, 0x01, 0}, {1019, 0x01, 0x01}, {1014, 0x80, 0x80}},
         0},
        // an internal sensor leaves the wiring and the direction as they are
        {"TARN", 3, 5, {{1020, 0x04, 0x04}, {188, 0x04, 0x04}, {160, 0x04, 0x04}, {1019, 0x04, 0x04}}, 9},
        {"TARN", 2, 3, {{188, 0x02, 0x02}, {1020, 0x02, 0x02}, {160, 0x02, 0}}, 1},
        {"TARN", 7, 3, {{1020, 0x40, 0}, {160, 0x40, 0x40}, {1019, 0x40, 0x40}}, 7},
        {"TARN", 7, 0, {{1019, 0x40, 0}, {1020, 0x40, 0x40}, {160, 0x40, 0x40}}, 6},
        {"MOSS", 6, 3, {{188, 0x61, 0x60}, {1020, 0x20, 0x20}, {160, 0x20, 0}}, 5},
        {"MOSS", 3, 2, {{1021, 0x84, 0x80}, {188, 0x04, 0}, {1020, 0x04, 0}}, 2},
        {"moss", 7, 3, {{188, 0x80, 0}, {187, 0x03, 0x03}, {1020, 0x40, 0x40}}, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.variant) + " I/O" + std::to_string(c.n) + " item " + std::to_string(c.item));
        form.setDefaultClick();
        for (auto [address, value] : {std::pair{160, 0xFF},
                                      {1019, 0x00},
                                      {1014, 0x00},
                                      {1020, 0x04},
                                      {1021, 0xFF},
                                      {188, 0x04},
                                      {187, 0x00},
                                      {185, 0xFF},
                                      {186, 0xFF}})
            Put(form, address, uint8_t(value));
        form.FinishImageRead();
        form.Variant.modemType = c.variant;
        form.ApplyModemTypeLabels();
        form.Variant.channelType = {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11};

        Pick(form, c.n, c.item);
        for (const Bits& b : c.bits)
            EXPECT_EQ(form.Image.ReadImageByte(b.address) & b.mask, b.value) << "byte " << b.address;
        form.PageContext.Get<QPushButton>("Button5")->click();
        EXPECT_EQ(form.Image.ReadImageByte(kChannelTypeAddress + c.n - 1), c.code);
        EXPECT_EQ(form.Image.ReadImageByte(kChannelTypeAddress + (c.n % 7)), 0x11) << "other channels' codes kept";
    }
}

// Every type chosen through the page is the type the page shows back after the image is read again.
TEST_F(VariantWindow, EveryTypeChosenIsShownBack)
{
    for (auto [high, low] : {std::pair{0x14, 0xC6}, {0x14, 0xDE}}) {
        PutHardwareNumber(form, uint8_t(high), uint8_t(low));
        form.FinishImageRead();
        const THardwareVariant variant = VariantOf(form.Variant.modemType);
        for (int n = 1; n <= 7; ++n)
            for (int item = 1; item <= int(ChannelTypeRows(variant, n).size()); ++item) {
                Pick(form, n, item);
                form.PageContext.Get<QPushButton>("Button5")->click();
                form.FinishImageRead();
                EXPECT_EQ(form.ChannelTypes->List(n)->currentIndex(), item)
                    << form.Variant.modemType << " I/O" << n << " item " << item;
            }
    }
}

// A list without a choice, or one only shown from the image, leaves its channel as it is: a commit after a
// read, and after a switch of the variant, changes no byte.
TEST_F(VariantWindow, UntouchedListsLeaveTheirChannels)
{
    PutHardwareNumber(form, 0x14, 0xC6); // TARN
    Put(form, 1019, 0x7F);
    Put(form, 1014, 0x80);
    Put(form, 166, 0x00); // logging timed and on I/O1 events
    for (int k = 0; k < 7; ++k)
        Put(form, kChannelTypeAddress + k, uint8_t(k == 2 ? 9 : k));
    form.FinishImageRead();
    const std::string read = form.Image.Image.Bytes(0, 3072);
    auto* setButton = form.PageContext.Get<QPushButton>("SetButton1");

    setButton->click();
    EXPECT_EQ(form.Image.Image.Bytes(0, 3072), read);

    ModemType(form)->SetItemIndex(1); // the user switches to MOSS: every list without a choice
    EXPECT_EQ(form.Variant.modemType, "MOSS");
    for (int n = 1; n <= 7; ++n) {
        EXPECT_EQ(form.ChannelTypes->List(n)->currentIndex(), -1);
        form.PageContext.Exits.at("IO" + std::to_string(n) + "_ComboBox")();
    }
    setButton->click();
    EXPECT_EQ(form.Image.Image.Bytes(0, 3072), read) << "the logging bits of byte 1019 and the codes kept";
}
