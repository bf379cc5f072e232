#include "AppTestSupport.h"
#include "app/ProfileControls.h"
#include "files/ProfileTestSupport.h"
#include "platform/Convert.h"
#include "platform/IniFile.h"
#include "platform/ui/Latin1.h"

#include <QLineEdit>
#include <gtest/gtest.h>

#include <algorithm>

namespace
{

// Puts each value into its control as a user would, in the order of the profile's keys, as the read-back
// does: the channels' choices drag companions along, so the order counts.
void Enter(TPageContext& ctx, const TFakeValues& values)
{
    for (const auto& control : ProfileSaveControls()) {
        if (auto text = values.texts.find(control); text != values.texts.end()) {
            if (auto* box = qobject_cast<QComboBox*>(ctx.Get<QWidget>(control)))
                box->setEditText(FromLatin1(text->second));
            else
                ctx.Get<QLineEdit>(control)->setText(FromLatin1(text->second));
            if (ctx.Exits.count(control))
                ctx.Exits.at(control)();
        } else if (auto check = values.checks.find(control); check != values.checks.end()) {
            ctx.Get<TCheckBox>(control)->SetChecked(check->second);
        } else if (auto index = values.indexes.find(control); index != values.indexes.end()) {
            ctx.Get<TRadioGroup>(control)->SetItemIndex(index->second);
        }
    }
}

// The values of the controls the read-back restores, the rest left as the pages show them.
TFakeValues ReadBackValues()
{
    TFakeValues values;
    const auto read = ProfileReadControls();
    const auto keepRead = [&read](auto& byControl) {
        for (auto it = byControl.begin(); it != byControl.end();)
            it = std::count(read.begin(), read.end(), it->first) ? std::next(it) : byControl.erase(it);
    };
    keepRead(values.texts);
    keepRead(values.checks);
    keepRead(values.indexes);
    return values;
}

class ProfileWindow : public ::testing::Test, protected TWindowRig
{
  protected:
    void Save(TForm1& f)
    {
        dialogs.AnswerFile(true, path);
        f.SaveINIButtonClick();
    }
    void ReadBack(TForm1& f)
    {
        dialogs.AnswerFile(true, path);
        f.ReadINIButtonClick();
    }
    static std::string Image(const TForm1& f) { return f.Image.Image.Bytes(0, 3072); }

    std::string path = ini.Path("unit.kvp");
    TForm1 form{OptionsWith(ini)};
};

TEST_F(ProfileWindow, SaveProposesItsNameRecordsTheControlsAndCorrectsTheLevelsShown)
{
    TFakeValues values;
    values.texts["IO2upperLevel"] = "3000";
    values.texts["DateEdit1"] = "120526";
    TPageContext& ctx = form.PageContext;
    Enter(ctx, values);
    const std::string image = Image(form);
    Save(form);
    ASSERT_TRUE(dialogs.Messages().empty()) << dialogs.Messages()[0];
    ASSERT_EQ(dialogs.ProposedFileNames.size(), 1u);
    const std::string& name = dialogs.ProposedFileNames[0];
    const TProfileControls shown(ctx);
    EXPECT_EQ(name.rfind("KIV_" + shown.Text("ConfigID") + "_" + shown.Text("UserIDText") + "_", 0), 0u) << name;
    EXPECT_EQ(name.substr(name.size() - 12), " 2.14.02.kvp");
    const IniFile file(path);
    EXPECT_EQ(file.ReadString("Main Init Settings", "Reference Date", ""),
              ToLatin1(ctx.Get<QLineEdit>("DateEdit1")->text().remove('-')));
    EXPECT_EQ(file.ReadString("Main Init Settings", "Init AT-Command 1", "-"), shown.Text("ComboBox1"));
    // The level edit shows what the file holds; the image keeps what the edit held before.
    EXPECT_EQ(ctx.Get<QLineEdit>("IO2upperLevel")->text(), "2500");
    EXPECT_EQ(Image(form), image);
}

// What the user entered in one window comes back in another byte for byte, with the window's title; a text
// longer than its field comes in as a user's typing of it would: cut to the field.
TEST_F(ProfileWindow, ReadBackIntoAFreshWindowRestoresTheImage)
{
    const std::string phone2(40, '7');
    TFakeValues entered = ReadBackValues();
    entered.texts["PhoneNr2"] = phone2;
    Enter(form.PageContext, entered);
    Save(form);
    ASSERT_TRUE(dialogs.Messages().empty()) << dialogs.Messages()[0];
    IniFile(path).WriteString("Alarm/Message", "Phone Nr 2", phone2);

    TForm1 target(OptionsWith(ini));
    ReadBack(target);
    ASSERT_TRUE(dialogs.Messages().empty()) << dialogs.Messages()[0];
    EXPECT_EQ(Image(target), Image(form));
    for (const auto& control : ProfileReadControls()) {
        if (auto* edit = qobject_cast<QLineEdit*>(target.PageContext.Get<QWidget>(control))) {
            EXPECT_EQ(edit->text(), form.PageContext.Get<QLineEdit>(control)->text()) << control;
        }
    }
    EXPECT_LT(target.PageContext.Get<QLineEdit>("PhoneNr2")->text().size(), 40);
    EXPECT_EQ(target.windowTitle().toStdString(), path);
}

// The read-back sets the channel choices in the file's order, each as the user's click would: a later choice
// forces its companions over an earlier one, as it would under the user's hand.
TEST_F(ProfileWindow, ReadBackChoosesAsTheUserWouldInTheFilesOrder)
{
    Save(form);
    const std::string alarm = "Digital I/O Alarm(Off(0),H->L(1),L->H(2),Both(3))";
    const std::string direction = "Port Direction(In(0),Out(1))";
    const std::pair<std::string, std::string> keys[] = {
        {"I/O1 Settings", alarm},     // an alarm: an input starting "OFF"
        {"I/O1 Settings", direction}, // then an output: no alarm
        {"I/O1 Settings", "Port Level(Low(0),High(1))"},
        {"I/O2 Settings", alarm},
        {"I/O2 Settings", "Port Selection(Dig I/O(0),Analogue(1))"}, // analogue: no alarm, an input
        {"I/O2 Settings", direction},                                // an output after all
    };
    {
        IniFile file(path);
        for (const auto& [section, key] : keys)
            file.WriteString(section, key, "1");
    }
    ReadBack(form);
    ASSERT_TRUE(dialogs.Messages().empty()) << dialogs.Messages()[0];
    const std::pair<int, int> bits[] = {{150, 0}, {151, 0}, {158, 2}, {160, 3}, {162, 1}};
    for (auto [address, value] : bits)
        EXPECT_EQ(form.Image.ReadImageByte(address) & 3, value) << address;
}

TEST_F(ProfileWindow, AFaultChangesNeitherTheFileNorTheImage)
{
    Enter(form.PageContext, ReadBackValues());
    Save(form);
    ASSERT_TRUE(dialogs.Messages().empty());
    const std::string saved = ini.Read(path);

    // A level that is no number: no file dialog, the old file stays.
    form.PageContext.Get<QLineEdit>("IO5upperLevel")->setText("12a");
    Save(form);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_NE(dialogs.Messages()[0].find("[I/O5 Settings] Analogue Alarm High Level(mV): '12a'"), std::string::npos);
    EXPECT_EQ(ini.Read(path), saved);

    // A scaling constant that is no number, the last key the read-back sets: nothing before it is set.
    std::string bad = saved;
    bad.insert(bad.find("A/D CalP X2=", bad.find("[I/O3 Settings]")) + 12, "x");
    ini.Put(path, bad);
    form.PageContext.Get<QLineEdit>("PhoneNr1")->setText("0170");
    form.PageContext.Exits.at("PhoneNr1")();
    const std::string image = Image(form);
    const QString title = form.windowTitle();
    ReadBack(form);
    ASSERT_EQ(dialogs.Messages().size(), 2u);
    EXPECT_NE(dialogs.Messages()[1].find("[I/O3 Settings] A/D CalP X2: 'x"), std::string::npos);
    EXPECT_EQ(Image(form), image);
    EXPECT_EQ(form.PageContext.Get<QLineEdit>("PhoneNr1")->text(), "0170");
    EXPECT_EQ(form.windowTitle(), title);
}

// The values reach the image as the user's own typing would, held to their ranges; a value that an Exit
// handling refuses half way (a delay no check before has seen) puts the image back, edited marks included.
TEST_F(ProfileWindow, ApplyGoesThroughTheEditsAndAFailureHalfWayPutsTheImageBack)
{
    TPageContext& ctx = form.PageContext;
    ApplyProfile(ctx, {{"delay3Edit", ProfileForm::Text, "5000"},
                       {"delay1Edit", ProfileForm::Text, "-7"},
                       {"RestoreEdit2", ProfileForm::Text, "65535"}});
    EXPECT_EQ(form.Image.Image.Bytes(191, 2), std::string("\x0E\x10"));
    EXPECT_EQ(form.Image.Image.Bytes(171, 2), std::string(2, '\0'));
    EXPECT_EQ(form.Image.Image.Bytes(275, 2), std::string("\x02\x58"));
    EXPECT_EQ(ctx.Get<QLineEdit>("RestoreEdit8")->text(), "600");

    form.Image.UnmarkRange(0, 3072);
    IniFile file(path);
    WriteProfile(file, BuildProfile(TFakeValues(), "2.14.02", "20261205").Entries);
    TProfileRead read = ReadProfile(file);
    ASSERT_FALSE(read.Fault);
    for (auto& v : read.Values)
        if (v.Control == "delay2Edit")
            v.Text = "zz";
    const std::string bytes = Image(form);
    const QString phone = ctx.Get<QLineEdit>("PhoneNr1")->text();
    EXPECT_THROW(ApplyProfile(ctx, read.Values), EConvertError);
    EXPECT_EQ(Image(form), bytes);
    EXPECT_FALSE(form.Image.Image.AnyMarked(0, 3072));
    EXPECT_EQ(ctx.Get<QLineEdit>("PhoneNr1")->text(), phone);
}

} // namespace
