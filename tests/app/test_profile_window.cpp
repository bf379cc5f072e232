#include "AppTestSupport.h"
#include "app/ProfileControls.h"
#include "files/ProfileTestSupport.h"
#include "pages/PageBuilder.h"
#include "platform/Convert.h"
#include "platform/IniFile.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/ScriptedDialogs.h"

#include <QLineEdit>
#include <gtest/gtest.h>

#include <set>


namespace {

// The key that records a control, the one the read-back restores it from where there is one.
const TProfileKey& KeyOf(const std::string& control)
{
    const TProfileKey* first = nullptr;
    for (const auto& section : ProfileSections()) {
        for (const auto& key : section.Keys) {
            if (key.Control == control && key.Read != ProfileRead::No)
                return key;
            if (key.Control == control && !first)
                first = &key;
        }
    }
    if (!first)
        throw std::logic_error(control);
    return *first;
}

bool IsRead(const std::string& control)
{
    static const auto read = ProfileReadControls();
    return std::find(read.begin(), read.end(), control) != read.end();
}

// Image bytes that no page binds: the stand-ins the read-back restores keep their values there.
constexpr int kStandInFirst = 2133;
constexpr int kStandInEnd = 2167;

// Stand-ins for the page controls the profile records that no page has built, each of its kind and, where
// the read-back restores it, bound to a field of its own, so that the image shows what the read-back did.
// A name that a page builds never gets one: a page's control the context does not know is a fault of that
// page, not a gap to fill.
void BuildStandIns(TPageContext& ctx, QWidget* parent)
{
    const std::vector<TRow> pageRows = ctx.Rows;
    int address = kStandInFirst;
    const std::vector<std::string> items = {"a", "b", "c", "d"};
    for (const auto& control : ProfileSaveControls()) {
        if (ctx.HasControl(control))
            continue;
        if (parent->window()->findChild<QWidget*>(QString::fromStdString(control))) {
            ADD_FAILURE() << control << " is built but not registered";
            continue;
        }
        const TProfileKey& key = KeyOf(control);
        const bool read = IsRead(control);
        TRow row{control, control, Unbound{Unbound::Edit}, TRedraw::ChannelPages, items};
        if (key.Form == ProfileForm::Check) {
            row.field = read ? TField(BitSwitch{address++, 0x01}) : TField(Unbound{Unbound::Check});
        } else if (key.Form == ProfileForm::Index) {
            row.field = read ? TField(MultiBitChoice{address++, 0x0F, {0, 1, 2, 3}}) : TField(Unbound{Unbound::Radio});
        } else if (read && key.Read != ProfileRead::Yes) {
            row.field = NumberField{address, 2, 65535};
            address += 2;
        } else if (read) {
            row.field = TextField{TextSlot{address, 9}};
            address += 9;
        } else if (control.rfind("ComboBox", 0) == 0) {
            row.field = Unbound{Unbound::Combo};
        }
        if (auto* box = qobject_cast<QComboBox*>(TPageBuilder(ctx).Build(parent, row)))
            box->setEditable(true);
    }
    EXPECT_LE(address, kStandInEnd);
    for (const TRow& row : pageRows)
        for (const TFieldBytes& bytes : FieldBytes(row.field))
            EXPECT_TRUE(bytes.address >= address || bytes.address + bytes.count <= kStandInFirst) << row.name;
}

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

// The main window with stand-ins for the controls its pages do not build yet.
struct TProfileForm {
    TTempIni ini;
    TForm1 form{OptionsWith(ini, [](TForm1& f) { BuildStandIns(f.PageContext, f.TabSheet2); })};
};

// Until every page is built the save and the read-back refuse and name what is missing; then they run.
TEST(ProfileMainWindow, SaveAndReadBackRefuseWhileAControlIsMissing)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    TScriptedDialogs dialogs;
    TScopedDialogs scoped(dialogs);
    TTempFolder folder;
    const std::string path = folder.Path("unit.kvp");
    dialogs.AnswerFile(true, path);
    const std::string image = form.Image.Image.Bytes(0, 3072);
    const auto missing = MissingControls(form.PageContext, ProfileSaveControls());
    form.SaveINIButtonClick();
    if (missing.empty()) {
        EXPECT_TRUE(std::ifstream(path).good());
        return;
    }
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    for (const auto& name : missing)
        EXPECT_NE(dialogs.Messages()[0].find(" " + name), std::string::npos) << name;
    EXPECT_FALSE(std::ifstream(path).good());
    const bool readMissing = !MissingControls(form.PageContext, ProfileReadControls()).empty();
    form.ReadINIButtonClick(); // a file that does not exist lacks a number the read-back needs
    EXPECT_EQ(dialogs.Messages().size(), 2u);
    EXPECT_EQ(dialogs.Shown.size(), readMissing ? 2u : 3u) << "a file dialog only with every control there";
    EXPECT_EQ(form.Image.Image.Bytes(0, 3072), image);
}

// The values of the controls the read-back restores, the rest left as the pages show them.
TFakeValues ReadBackValues()
{
    TFakeValues all;
    TFakeValues some;
    some.texts.clear();
    some.checks.clear();
    some.indexes.clear();
    for (const auto& control : ProfileReadControls()) {
        if (all.texts.count(control))
            some.texts[control] = all.texts[control];
        if (all.checks.count(control))
            some.checks[control] = all.checks[control];
        if (all.indexes.count(control))
            some.indexes[control] = all.indexes[control];
    }
    return some;
}

struct TProfileRoad {
    TScriptedDialogs dialogs;
    TScopedDialogs scoped{dialogs};
    TTempFolder folder;
    std::string path = folder.Path("unit.kvp");

    void Save(TForm1& form)
    {
        dialogs.AnswerFile(true, path);
        form.SaveINIButtonClick();
    }
    void ReadBack(TForm1& form)
    {
        dialogs.AnswerFile(true, path);
        form.ReadINIButtonClick();
    }
};

TEST(ProfileMainWindow, SaveProposesItsNameRecordsTheControlsAndCorrectsTheLevelsShown)
{
    TProfileRoad road;
    TFakeValues values;
    values.texts["IO2upperLevel"] = "3000";
    values.texts["DateEdit1"] = "120526";
    TProfileForm source;
    TPageContext& ctx = source.form.PageContext;
    Enter(ctx, values);
    const std::string image = source.form.Image.Image.Bytes(0, 3072);
    road.Save(source.form);
    ASSERT_TRUE(road.dialogs.Messages().empty()) << road.dialogs.Messages()[0];
    ASSERT_EQ(road.dialogs.ProposedFileNames.size(), 1u);
    const std::string& name = road.dialogs.ProposedFileNames[0];
    const TProfileControls shown(ctx);
    EXPECT_EQ(name.rfind("KIV_" + shown.Text("ConfigID") + "_" + shown.Text("UserIDText") + "_", 0), 0u) << name;
    EXPECT_EQ(name.substr(name.size() - 12), " 2.14.02.kvp");
    const IniFile file(road.path);
    EXPECT_EQ(file.ReadString("Main Init Settings", "Reference Date", ""),
              ToLatin1(ctx.Get<QLineEdit>("DateEdit1")->text().remove('-')));
    EXPECT_EQ(file.ReadString("Main Init Settings", "Init AT-Command 1", "-"), shown.Text("ComboBox1"));
    // The level edit shows what the file holds; the image keeps what the edit held before.
    EXPECT_EQ(ctx.Get<QLineEdit>("IO2upperLevel")->text(), "2500");
    EXPECT_EQ(source.form.Image.Image.Bytes(0, 3072), image);
}

// What the user entered in one window comes back in another byte for byte, with the window's title.
TEST(ProfileMainWindow, ReadBackRestoresTheImageAsTheUsersEditsLeftIt)
{
    TProfileRoad road;
    TProfileForm source;
    Enter(source.form.PageContext, ReadBackValues());
    road.Save(source.form);
    TProfileForm target;
    road.ReadBack(target.form);
    ASSERT_TRUE(road.dialogs.Messages().empty()) << road.dialogs.Messages()[0];
    EXPECT_EQ(target.form.Image.Image.Bytes(0, 3072), source.form.Image.Image.Bytes(0, 3072));
    for (const auto& control : ProfileReadControls()) {
        if (KeyOf(control).Form == ProfileForm::Text) {
            EXPECT_EQ(target.form.PageContext.Get<QLineEdit>(control)->text(),
                      source.form.PageContext.Get<QLineEdit>(control)->text())
                << control;
        }
    }
    EXPECT_EQ(target.form.windowTitle().toStdString(), road.path);
}

// A profile's text longer than its field comes in as a user's typing of it would: cut to the field.
TEST(ProfileMainWindow, ReadBackCutsATextLongerThanItsFieldToTheField)
{
    TProfileRoad road;
    const std::string phone2(40, '7');
    TFakeValues entered = ReadBackValues();
    entered.texts["PhoneNr2"] = phone2;
    TProfileForm source;
    Enter(source.form.PageContext, entered);
    // The window's own profile, so every other value is what the window shows; only the number is longer.
    road.Save(source.form);
    IniFile(road.path).WriteString("Alarm/Message", "Phone Nr 2", phone2);
    TProfileForm target;
    road.ReadBack(target.form);
    ASSERT_TRUE(road.dialogs.Messages().empty()) << road.dialogs.Messages()[0];
    EXPECT_EQ(target.form.Image.Image.Bytes(0, 3072), source.form.Image.Image.Bytes(0, 3072));
    const QString phone = target.form.PageContext.Get<QLineEdit>("PhoneNr2")->text();
    EXPECT_LT(phone.size(), 40);
    EXPECT_EQ(phone, source.form.PageContext.Get<QLineEdit>("PhoneNr2")->text());
}

// The read-back sets the channel choices in the file's order, each as the user's click would: a later choice
// forces its companions over an earlier one, as it would under the user's hand.
TEST(ProfileMainWindow, ReadBackChoosesAsTheUserWouldInTheFilesOrder)
{
    TProfileRoad road;
    TProfileForm window;
    road.Save(window.form);
    const std::string alarm = "Digital I/O Alarm(Off(0),H->L(1),L->H(2),Both(3))";
    const std::string direction = "Port Direction(In(0),Out(1))";
    const std::pair<std::string, std::string> keys[] = {
        {"I/O1 Settings", alarm},         // an alarm: an input starting "OFF"
        {"I/O1 Settings", direction},     // then an output: no alarm
        {"I/O1 Settings", "Port Level(Low(0),High(1))"},
        {"I/O2 Settings", alarm},
        {"I/O2 Settings", "Port Selection(Dig I/O(0),Analogue(1))"}, // analogue: no alarm, an input
        {"I/O2 Settings", direction},                                // an output after all
    };
    {
        IniFile file(road.path);
        for (const auto& [section, key] : keys)
            file.WriteString(section, key, "1");
    }
    road.ReadBack(window.form);
    ASSERT_TRUE(road.dialogs.Messages().empty()) << road.dialogs.Messages()[0];
    const ImageStore& image = window.form.Image;
    EXPECT_EQ(image.ReadImageByte(150) & 3, 0);
    EXPECT_EQ(image.ReadImageByte(151) & 3, 0);
    EXPECT_EQ(image.ReadImageByte(158) & 3, 2);
    EXPECT_EQ(image.ReadImageByte(160) & 3, 3);
    EXPECT_EQ(image.ReadImageByte(162) & 3, 1);
}

TEST(ProfileMainWindow, AFaultChangesNeitherTheFileNorTheImage)
{
    TProfileRoad road;
    TProfileForm window;
    TForm1& form = window.form;
    Enter(form.PageContext, ReadBackValues());
    road.Save(form);
    ASSERT_TRUE(road.dialogs.Messages().empty());
    const std::string saved = FileBytes(road.path);

    // A level that is no number: no file dialog, the old file stays.
    form.PageContext.Get<QLineEdit>("IO5upperLevel")->setText("12a");
    road.Save(form);
    ASSERT_EQ(road.dialogs.Messages().size(), 1u);
    EXPECT_NE(road.dialogs.Messages()[0].find("[I/O5 Settings] Analogue Alarm High Level(mV): '12a'"),
              std::string::npos);
    EXPECT_EQ(FileBytes(road.path), saved);

    // A scaling constant that is no number, the last key the read-back sets: nothing before it is set.
    std::string bad = saved;
    bad.insert(bad.find("A/D CalP X2=", bad.find("[I/O3 Settings]")) + 12, "x");
    PutFile(road.path, bad);
    form.PageContext.Get<QLineEdit>("PhoneNr1")->setText("0170");
    form.PageContext.Exits.at("PhoneNr1")();
    const std::string image = form.Image.Image.Bytes(0, 3072);
    const QString title = form.windowTitle();
    road.ReadBack(form);
    ASSERT_EQ(road.dialogs.Messages().size(), 2u);
    EXPECT_NE(road.dialogs.Messages()[1].find("[I/O3 Settings] A/D CalP X2: 'x"), std::string::npos);
    EXPECT_EQ(form.Image.Image.Bytes(0, 3072), image);
    EXPECT_EQ(form.PageContext.Get<QLineEdit>("PhoneNr1")->text(), "0170");
    EXPECT_EQ(form.windowTitle(), title);
}

// The delays a profile holds reach the image as the user's own typing would, held to their ranges.
TEST(ProfileMainWindow, ReadBackStoresTheDelaysThroughTheirEdits)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    ApplyProfile(form.PageContext, {{"delay3Edit", ProfileForm::Text, "5000"},
                                    {"delay1Edit", ProfileForm::Text, "-7"},
                                    {"RestoreEdit2", ProfileForm::Text, "65535"}});
    EXPECT_EQ(form.Image.Image.Bytes(191, 2), std::string("\x0E\x10"));
    EXPECT_EQ(form.Image.Image.Bytes(171, 2), std::string(2, '\0'));
    EXPECT_EQ(form.Image.Image.Bytes(275, 2), std::string("\x02\x58"));
    EXPECT_EQ(form.PageContext.Get<QLineEdit>("RestoreEdit8")->text(), "600");
}

// A value that an Exit handling refuses half way (a delay that no check before has seen): the image goes
// back to what it was, edited marks included, and the controls show it again.
TEST(ProfileMainWindow, AFailureHalfWayPutsTheImageBack)
{
    TProfileForm window;
    TPageContext& ctx = window.form.PageContext;
    TTempFolder folder;
    IniFile ini(folder.Path("unit.kvp"));
    WriteProfile(ini, BuildProfile(TFakeValues(), "2.14.02", "20261205").Entries);
    TProfileRead read = ReadProfile(ini);
    ASSERT_FALSE(read.Fault);
    for (auto& v : read.Values)
        if (v.Control == "delay2Edit")
            v.Text = "zz";
    const std::string bytes = window.form.Image.Image.Bytes(0, 3072);
    const QString phone = ctx.Get<QLineEdit>("PhoneNr1")->text();
    EXPECT_THROW(ApplyProfile(ctx, read.Values), EConvertError);
    EXPECT_EQ(window.form.Image.Image.Bytes(0, 3072), bytes);
    EXPECT_FALSE(window.form.Image.Image.AnyMarked(0, 3072));
    EXPECT_EQ(ctx.Get<QLineEdit>("PhoneNr1")->text(), phone);
}

// Enable after the pages land: every control of the tables exists with the kind its form needs, and a
// profile saved from one window and read back into another restores the image byte for byte.
TEST(ProfileMainWindow, ReadBackIntoAFreshWindowRestoresTheImage)
{
    TTempIni ini;
    TForm1 source(OptionsWith(ini));
    ASSERT_EQ(MissingControls(source.PageContext, ProfileSaveControls()), std::vector<std::string>{});
    for (const auto& control : ProfileSaveControls()) {
        QWidget* widget = source.PageContext.Get<QWidget>(control);
        switch (KeyOf(control).Form) {
        case ProfileForm::Check:
            EXPECT_TRUE(qobject_cast<TCheckBox*>(widget)) << control;
            break;
        case ProfileForm::Index:
            EXPECT_TRUE(qobject_cast<TRadioGroup*>(widget)) << control;
            break;
        default:
            EXPECT_TRUE(qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget)) << control;
        }
    }
    // The user changes what the read-back restores.
    for (const auto& control : ProfileReadControls()) {
        QWidget* widget = source.PageContext.Get<QWidget>(control);
        if (auto* box = qobject_cast<TCheckBox*>(widget))
            box->SetChecked(!box->Checked());
        else if (auto* group = qobject_cast<TRadioGroup*>(widget))
            group->SetItemIndex(group->ItemIndex() <= 0 ? 1 : 0);
        else if (auto* edit = qobject_cast<QLineEdit*>(widget); edit && KeyOf(control).Read == ProfileRead::Yes) {
            edit->setText("P" + QString::fromStdString(control).right(3));
            source.PageContext.Exits.at(control)();
        }
    }
    TScriptedDialogs dialogs;
    TScopedDialogs scoped(dialogs);
    TTempFolder folder;
    const std::string path = folder.Path("unit.kvp");
    dialogs.AnswerFile(true, path);
    source.SaveINIButtonClick();
    ASSERT_TRUE(dialogs.Messages().empty()) << dialogs.Messages()[0];

    TForm1 target(OptionsWith(ini));
    dialogs.AnswerFile(true, path);
    target.ReadINIButtonClick();
    ASSERT_TRUE(dialogs.Messages().empty()) << dialogs.Messages()[0];
    EXPECT_EQ(target.Image.Image.Bytes(0, 3072), source.Image.Image.Bytes(0, 3072));
    EXPECT_EQ(target.windowTitle().toStdString(), path);
}

} // namespace
