#include "AppTestSupport.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {

struct ChannelControls {
    TCheckBox* enable[8] = {};
    TRadioGroup* mode[8] = {};
    QComboBox* picker[8] = {};
    TCheckBox* freq[5] = {};
    TCheckBox* freqOrDiff = nullptr;
    TRadioGroup* dip[11] = {};
    TRadioGroup* modemType = nullptr;
    int labelsApplied = 0;

    void Build(TForm1& f)
    {
        QWidget* page = f.TabSheet13;
        for (int n = 1; n <= 7; ++n) {
            enable[n] = f.PageContext.Get<TCheckBox>("PI" + std::to_string(n) + "CheckBox");
            mode[n] = AddControl(page, qPrintable(QString("Ch%1RadioGroup").arg(n)), new TRadioGroup);
            mode[n]->SetItems({"Pulse", "Analogue"});
            picker[n] = AddControl(page, qPrintable(QString("IO%1_ComboBox").arg(n)), new QComboBox);
        }
        for (int n = 1; n <= 4; ++n)
            freq[n] = f.PageContext.Get<TCheckBox>("Freq" + std::to_string(n) + "CheckBox");
        freqOrDiff = f.PageContext.Get<TCheckBox>("freqOrDiff");
        for (int k = 1; k <= 10; ++k) {
            dip[k] = AddControl(page, qPrintable(QString("DIPSW%1_RG").arg(k)), new TRadioGroup);
            dip[k]->SetItems({"OFF", "ON"});
            dip[k]->SetItemIndex(0);
        }
        modemType = AddControl(page, "ModemTypeRadioG", new TRadioGroup);
        modemType->SetItems({"TARN (75318)", "MOSS (75342)"});
        f.OnApplyModemTypeLabels = [this, &f] {
            ++labelsApplied;
            // As the channel pages do: the pick lists of the variant, prompt first.
            for (int n = 1; n <= 7; ++n) {
                picker[n]->clear();
                for (const std::string& item : ChannelTypeItems(VariantOf(f.Variant.modemType), n))
                    picker[n]->addItem(QString::fromStdString(item));
            }
        };
    }
};

void PutHardwareNumber(TForm1& form, uint8_t high, uint8_t low)
{
    form.Image.LoadPlain(185, std::string{static_cast<char>(high), static_cast<char>(low)});
}

} // namespace

TEST(VariantWindow, DecodeShowsTheArticleNumberAndChoosesTheVariant)
{
    TTempIni ini;
    ChannelControls c;
    TForm1 form(OptionsWith(ini, [&](TForm1& f) { c.Build(f); }));

    PutHardwareNumber(form, 0x14, 0xC6);
    form.DecodeModemType();
    EXPECT_EQ(form.Label74->text(), "75318");
    EXPECT_EQ(form.Variant.hwNumber, "5318");
    EXPECT_EQ(form.Variant.modemType, "TARN");
    EXPECT_EQ(c.modemType->ItemIndex(), 0);
    EXPECT_EQ(c.labelsApplied, 1);

    PutHardwareNumber(form, 0xFF, 0xFF);
    form.DecodeModemType();
    EXPECT_EQ(form.Label74->text(), "70000");
    EXPECT_EQ(form.Variant.modemType, "TARN"); // kept
    EXPECT_EQ(c.labelsApplied, 2);

    PutHardwareNumber(form, 0x00, 0x63);
    form.DecodeModemType();
    EXPECT_EQ(form.Label74->text(), "799");
    EXPECT_EQ(form.Variant.hwNumber, "99");
    EXPECT_EQ(c.modemType->ItemIndex(), 0);

    PutHardwareNumber(form, 0x14, 0xDE);
    form.DecodeModemType();
    EXPECT_EQ(form.Variant.modemType, "MOSS");
    EXPECT_EQ(c.modemType->ItemIndex(), 1);
}

TEST(VariantWindow, EncodeWritesTheVariantsNumberMarked)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    form.Variant.modemType = "MOSS";
    form.EncodeModemType();
    EXPECT_EQ(form.Image.ReadImageByte(185), 0x14);
    EXPECT_EQ(form.Image.ReadImageByte(186), 0xDE);
    EXPECT_TRUE(form.Image.Image.Marked(185));
    EXPECT_EQ(form.Variant.hwNumber, "5342");

    // No hardware number and no variant: saved as 0x00 0x00.
    TForm1 fresh(OptionsWith(ini));
    PutHardwareNumber(fresh, 0xFF, 0xFF);
    fresh.DecodeModemType();
    fresh.EncodeModemType();
    EXPECT_EQ(fresh.Image.ReadImageNumber(185, 2), 0u);
}

TEST(VariantWindow, FinishImageReadMarksTheImageAndSetsThePickers)
{
    TTempIni ini;
    ChannelControls c;
    int redraws = 0;
    TForm1 form(OptionsWith(ini, [&](TForm1& f) {
        c.Build(f);
        f.Redraw.Add(TRedraw::ChannelPages, [&] { ++redraws; });
    }));
    form.TabSheet2->setEnabled(false);
    form.Image.ImageLoaded = 0;
    PutHardwareNumber(form, 0x14, 0xDE);       // MOSS
    form.Image.LoadPlain(1019, std::string(1, '\x01')); // channel 1 logged, channel 4 not
    form.Image.LoadPlain(1021, std::string(1, '\x80'));
    c.mode[1]->SetItemIndex(0);                // channel 1: R = 0 -> pulse rule
    redraws = 0;

    form.FinishImageRead();
    EXPECT_EQ(form.Image.ImageLoaded, 1);
    EXPECT_TRUE(form.TabSheet2->isEnabled());
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(form.Variant.modemType, "MOSS");
    EXPECT_TRUE(c.freq[1]->Checked());
    EXPECT_TRUE(c.freqOrDiff->Checked());
    EXPECT_EQ(form.Image.ReadImageByte(1021), 0x80);
    EXPECT_FALSE(form.Image.Image.Marked(1021)) << "boxes set as the image holds them write nothing";
    EXPECT_EQ(c.picker[1]->currentIndex(), 2);
    EXPECT_EQ(c.picker[1]->currentText(), "Pulse Input Freq calc");
    EXPECT_EQ(c.picker[4]->currentIndex(), 0);
    EXPECT_EQ(c.picker[4]->currentText(), "Select Ch4");
}

TEST(VariantWindow, TarnSensorCodeOverridesThePicker)
{
    TTempIni ini;
    ChannelControls c;
    TForm1 form(OptionsWith(ini, [&](TForm1& f) { c.Build(f); }));
    PutHardwareNumber(form, 0x14, 0xC6); // TARN
    form.Image.LoadPlain(1031 + 2, std::string(1, '\x09'));
    form.Image.LoadPlain(1031 + 1, std::string(1, '\x00'));
    form.DecodeModemType();
    c.enable[3]->SetChecked(true);
    c.mode[3]->SetItemIndex(1);
    c.enable[2]->SetChecked(true);
    c.mode[2]->SetItemIndex(0);
    c.dip[2]->SetItemIndex(1);
    c.picker[2]->setCurrentIndex(3);
    form.ShowChannelTypeCombos();
    EXPECT_EQ(form.Variant.channelType[2], 9);
    EXPECT_EQ(c.picker[3]->currentText(), "Int Humidity");
    EXPECT_EQ(c.picker[2]->currentIndex(), 3); // R = 0, D2 = 1: no rule, kept
}
