#include "FileSizeLimit.h"
#include "files/ProfileRead.h"
#include "files/ProfileTestSupport.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace
{

const std::string k41(41, '=');
const std::string kDate = "20261205";

struct TSectionLines {
    std::string Name;
    std::vector<std::string> Lines;
};

// The file as sections of lines; every line must end in CR LF.
std::vector<TSectionLines> Sections(const std::string& text)
{
    std::vector<TSectionLines> sections;
    for (size_t pos = 0; pos < text.size();) {
        const size_t end = text.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos) << "line without CR LF at " << pos;
        if (end == std::string::npos)
            break;
        const std::string line = text.substr(pos, end - pos);
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        if (!line.empty() && line.front() == '[')
            sections.push_back({line.substr(1, line.size() - 2), {}});
        else if (!sections.empty())
            sections.back().Lines.push_back(line);
        pos = end + 2;
    }
    return sections;
}

class Profile : public ::testing::Test
{
  protected:
    std::string Save(const IProfileValues& values)
    {
        const TProfileSave save = BuildProfile(values, "2.14.02", kDate);
        EXPECT_FALSE(save.Fault) << save.Fault->Text();
        IniFile ini(path);
        WriteProfile(ini, save.Entries);
        return folder.Read(path);
    }
    TProfileRead Read() const { return ReadProfile(IniFile(path)); }
    std::string LineOf(const std::string& text, const std::string& section, const std::string& key) const
    {
        for (const auto& s : Sections(text))
            if (s.Name == section)
                for (const auto& line : s.Lines)
                    if (line.rfind(key + "=", 0) == 0)
                        return line;
        return "(none)";
    }

    TTempFiles folder;
    std::string path = folder.Path("unit.kvp");
    TFakeValues values;
};

TEST_F(Profile, NewFileHoldsTheSixteenSectionsAndTheirKeysInOrder)
{
    const struct {
        const char* name;
        size_t keys;
    } expected[] = {{"Info", 5},
                    {"Alarm/Message", 17},
                    {"I/O1 Settings", 21},
                    {"I/O2 Settings", 32},
                    {"I/O3 Settings", 32},
                    {"I/O4 Settings", 32},
                    {"I/O5 Settings", 29},
                    {"I/O6 Settings", 29},
                    {"I/O7 Settings", 29},
                    {"Battery Monitor Settings", 16},
                    {"Internet Settings", 12},
                    {"Data Transfer", 36},
                    {"Data Logging", 25},
                    {"Main Init Settings", 21},
                    {"Communication Settings", 6},
                    {"SWT Settings", 6}};
    values.indexes["RestoreDelayIO5"] = -1;
    values.checks["CheckBox15"] = true; // SWT3's [#3] and [#4] apart, each key with its own box
    values.checks["CheckBox16"] = false;
    const std::string text = Save(values);
    const auto sections = Sections(text);
    ASSERT_EQ(sections.size(), std::size(expected));
    for (size_t i = 0; i < sections.size(); ++i) {
        EXPECT_EQ(sections[i].Name, expected[i].name);
        EXPECT_EQ(sections[i].Lines.size(), expected[i].keys) << expected[i].name;
        EXPECT_EQ(sections[i].Lines.back(), k41) << expected[i].name;
    }

    // Values of each form, and the keys spelt as units in the field have them.
    const auto bit = [&](const char* control) { return values.checks[control] ? "1" : "0"; };
    const auto index = [&](const char* control) { return std::to_string(values.indexes[control]); };
    const struct {
        const char* section;
        std::string key, value;
    } lines[] = {
        {"Info", "CT Version", "2.14.02"},
        {"Info", "Date", kDate},
        {"Info", "User ID", values.texts["UserIDText"]},
        {"Alarm/Message", "Unit ID", values.texts["UserIDText"]},
        {"Alarm/Message", "Use IMEI*HW no", bit("IMEI_HWnoCheckBox")},
        {"Alarm/Message", "Use incomming SMS security filter", bit("SMSSecureCheckBox")},
        {"Internet Settings", "Term Str", ""},
        {"I/O5 Settings", "Alarm Restore Delay(Off(0),On(1))", "-1"},
        {"I/O1 Settings", "Alarm Restore Delay", index("RestoreDelayIO1")},
        {"Battery Monitor Settings", "Alarm Restore Delay", index("RestoreDelayBAT")},
        {"Communication Settings", "MCU<->Port Flow Control(XON/XOFF(0),CTS(1)", index("FlowControl1")},
        {"SWT Settings", "SWT3", values.texts["spSWT3Edit"]},
        {"Data Transfer", "SWT3 Data Packet Format #3", bit("CheckBox15")},
        {"Data Transfer", "SWT3 Data Packet Format #4", bit("CheckBox16")},
    };
    for (const auto& l : lines)
        EXPECT_EQ(LineOf(text, l.section, l.key), l.key + "=" + l.value);
    for (bool on : {false, true}) {
        values.checks["pulseSendBox"] = on;
        const std::string again = Save(values);
        EXPECT_EQ(LineOf(again, "Data Transfer", "SWT2 Open Send Data").back(),
                  LineOf(again, "Data Transfer", "SWT2 Data Packet Format #21").back());
    }
}

TEST_F(Profile, LevelsAreCheckedAndABadOneStopsTheSaveBeforeAnythingIsWritten)
{
    const struct {
        const char* control;
        const char* text;
        const char* section;
        const char* key;
        const char* saved; // nullptr: a fault
    } cases[] = {
        {"IO4lowerLevel", "", "I/O4 Settings", "Analogue Alarm Low Level(mV)", "0"},
        {"IO6upperLevel", "-40", "I/O6 Settings", "Analogue Alarm High Level(mV)", "-40"},
        {"IO8lowerLevel", "25.5", "Battery Monitor Settings", "Analogue Alarm Low Level(V)", "25"},
        {"IO8lowerLevel", "24.9", "Battery Monitor Settings", "Analogue Alarm Low Level(V)", "24.9"},
        {"IO8lowerLevel", "low", "Battery Monitor Settings", "Analogue Alarm Low Level(V)", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + c.text);
        TFakeValues v;
        v.texts[c.control] = c.text;
        const TProfileSave save = BuildProfile(v, "2.14.02", kDate);
        const std::string where = std::string("[") + c.section + "] " + c.key + ": ";
        if (!c.saved) {
            ASSERT_TRUE(save.Fault);
            EXPECT_EQ(save.Fault->Text().rfind(where + "'" + c.text + "' is not a valid", 0), 0u) << save.Fault->Text();
            EXPECT_TRUE(save.Entries.empty());
            continue;
        }
        ASSERT_FALSE(save.Fault);
        EXPECT_EQ(std::count_if(
                      save.Entries.begin(), save.Entries.end(),
                      [&](const auto& e) { return e.Section == c.section && e.Key == c.key && e.Value == c.saved; }),
                  1);
        using Corrections = decltype(save.Corrections);
        const Corrections corrected = {{c.control, c.saved}};
        EXPECT_EQ(save.Corrections, std::string(c.saved) == c.text ? Corrections() : corrected);
    }
}

TEST_F(Profile, ASecondSaveKeepsForeignLinesAndEndsEverySectionWithOneClosingLine)
{
    folder.Put(path, "; kept notes\r\n[Info]\r\nCT Version=1.00\r\nOwner=Plant 7\r\n" + k41 +
                         "\r\nExtra=after the closing line\r\n[Alarm/Message]\r\nPhone Nr 1=old\r\n" + k41 +
                         "\r\n[Foreign]\r\nA=1\r\n");
    Save(values);
    values.texts["PhoneNr1"] = "0049123";
    const std::string text = Save(values);
    EXPECT_EQ(text.rfind("; kept notes\r\n[Info]\r\n", 0), 0u);
    const auto sections = Sections(text);
    int closings = 0;
    for (const auto& s : sections) {
        if (s.Name == "Foreign") {
            EXPECT_EQ(s.Lines, std::vector<std::string>{"A=1"});
            continue;
        }
        EXPECT_EQ(s.Lines.back(), k41) << s.Name;
        for (const auto& line : s.Lines)
            closings += line == k41;
    }
    EXPECT_EQ(closings, 16);
    EXPECT_EQ(LineOf(text, "Info", "Owner"), "Owner=Plant 7");
    EXPECT_EQ(LineOf(text, "Info", "Extra"), "Extra=after the closing line");
    EXPECT_EQ(LineOf(text, "Info", "CT Version"), "CT Version=2.14.02");
    EXPECT_EQ(LineOf(text, "Alarm/Message", "Phone Nr 1"), "Phone Nr 1=0049123");
    size_t lines = 0;
    for (const auto& s : sections)
        lines += s.Lines.size();
    EXPECT_EQ(lines, 348u + 3u); // the profile's keys and the three foreign ones
}

// A full disk or a file size limit: the write fails and the old file is still whole.
TEST_F(Profile, AFailedWriteLeavesTheOldFileAsItWas)
{
    const std::string old = "[Info]\r\nOwner=Plant 7\r\n";
    folder.Put(path, old);
    const TProfileSave save = BuildProfile(values, "2.14.02", kDate);
    {
        TFileSizeLimit limit(1024);
        IniFile ini(path);
        EXPECT_THROW(WriteProfile(ini, save.Entries), EIniFileException);
    }
    EXPECT_EQ(folder.Read(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Dir), {}), 1);
}

// The read-back gives every value the save recorded, each server-select box of I/O1..I/O3 from the key its
// own save wrote.
TEST_F(Profile, ReadBackRestoresTheValuesTheSaveRecorded)
{
    const std::vector<std::vector<std::string>> boxes = {
        {"IP1CheckBox1", "IP2CheckBox1", "IP1CheckBox12", "CheckBox25"},
        {"IP1CheckBox2", "IP2CheckBox2", "IP1CheckBox22", "CheckBox26"},
        {"IP1CheckBox3", "IP2CheckBox3", "IP1CheckBox32", "CheckBox27"}};
    for (size_t ticked = 0; ticked < 4; ++ticked) {
        for (const auto& channel : boxes)
            for (size_t b = 0; b < 4; ++b)
                values.checks[channel[b]] = b == ticked;
        Save(values);
        const TProfileRead read = Read();
        ASSERT_FALSE(read.Fault) << read.Fault->Text();
        EXPECT_EQ(read.Values.size(), 69u);
        for (const auto& v : read.Values) {
            if (v.Form == ProfileForm::Text) {
                EXPECT_EQ(v.Text, values.texts.at(v.Control)) << v.Control;
            } else if (v.Form == ProfileForm::Check) {
                EXPECT_EQ(v.Checked, values.checks.at(v.Control)) << v.Control << " " << ticked;
            } else {
                EXPECT_EQ(v.Index, values.indexes.at(v.Control)) << v.Control;
            }
        }
    }
}

TEST_F(Profile, ABadOrMissingNumberIsAFaultNamingItsSectionAndKey)
{
    const struct {
        const char* section;
        const char* key;
        const char* line; // replaces the key's line; empty: the line goes
        bool fault = true;
    } cases[] = {
        {"Alarm/Message", "Maximum SMS/24h", ""},
        {"I/O3 Settings", "A/D CalP X2", "A/D CalP X2=abc"},
        {"I/O3 Settings", "A/D CalP X2", ""},
        {"I/O2 Settings", "Alarm Delay(sec)", "Alarm Delay(sec)=1x"},
        {"I/O3 Settings", "Analogue Alarm Low Level(mV)", "Analogue Alarm Low Level(mV)="},
        {"I/O1 Settings", "Alarm Delay(sec)", "", false}, // an absent delay reads as 0
    };
    const std::string good = Save(values);
    for (const auto& c : cases) {
        std::string text = good;
        // The key's line within its section.
        const size_t at = text.find(std::string("\r\n") + c.key + "=", text.find(std::string("[") + c.section + "]"));
        ASSERT_NE(at, std::string::npos);
        const size_t end = text.find("\r\n", at + 2);
        text.replace(at + 2, end + 2 - (at + 2), *c.line ? std::string(c.line) + "\r\n" : "");
        folder.Put(path, text);
        const TProfileRead read = Read();
        ASSERT_EQ(bool(read.Fault), c.fault) << c.key;
        if (!c.fault)
            continue;
        EXPECT_EQ(read.Fault->Section, c.section);
        EXPECT_EQ(read.Fault->Key, c.key);
        EXPECT_TRUE(read.Values.empty());
    }
    // A file that does not exist is a fault only at its first number.
    const TProfileRead none = ReadProfile(IniFile(folder.Path("none.kvp")));
    ASSERT_TRUE(none.Fault);
    EXPECT_EQ(none.Fault->Key, "Maximum SMS/24h");
}

// Damaged profiles of every kind: the reader either names the key it stops at or gives a value for every
// control, and a save into the damaged file still reads back as saved.
TEST_F(Profile, DamagedProfilesAreReadOrRefusedWholeAndSavedIntoCleanly)
{
    const std::string good = Save(values);
    std::mt19937 random(21);
    const std::string noise = "=[]\r\n \t;0x-9aZ\xFF";
    for (int round = 0; round < 2000; ++round) {
        std::string text = good;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const size_t at = random() % text.size();
            switch (random() % 4) {
            case 0:
                text[at] = noise[random() % noise.size()];
                break;
            case 1:
                text.insert(at, 1, noise[random() % noise.size()]);
                break;
            case 2:
                text.erase(at, 1 + random() % 64);
                break;
            default:
                text.insert(at, text.substr(random() % text.size(), random() % 200));
            }
        }
        folder.Put(path, text);
        const TProfileRead read = Read();
        if (read.Fault) {
            EXPECT_TRUE(read.Values.empty());
            EXPECT_FALSE(read.Fault->Section.empty());
        } else {
            EXPECT_EQ(read.Values.size(), 69u);
        }
        if (round % 100 != 0)
            continue;
        Save(values);
        const TProfileRead again = Read();
        ASSERT_FALSE(again.Fault) << "round " << round << ": " << again.Fault->Text();
        for (const auto& v : again.Values) {
            if (v.Form == ProfileForm::Text) {
                ASSERT_EQ(v.Text, values.texts.at(v.Control)) << "round " << round;
            }
        }
        EXPECT_EQ(IniFile(path).ReadString("SWT Settings", kProfileClosingKey, ""), kProfileClosingKey);
    }
}

} // namespace
