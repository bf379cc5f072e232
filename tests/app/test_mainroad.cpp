#include "ImageDiff.h"
#include "PtyRoad.h"

#include "channels/CalibrationSend.h"
#include "files/KvxFile.h"
#include "link/protocol/Protocol.h"
#include "pages/PickList.h"
#include "platform/ui/TextControl.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>

namespace
{

// A field unit's configuration: a different byte at each address but for the channel settings and unit
// commands, all 0 (digital inputs, which no channel rule mends); its ID, serial settings, channel types
// and hardware number.
std::string FieldUnitImage()
{
    std::string image(SimUnit::kConfigSize, '\0');
    for (int a = 0; a < SimUnit::kConfigSize; ++a)
        image[size_t(a)] = static_cast<char>((a * 7 + 3) & 0xFF);
    std::fill(image.begin() + 141, image.begin() + 291, '\0');
    std::fill(image.begin() + 1128, image.begin() + 1317, '\0');
    image.replace(0, 11, std::string("Unit Seven\0", 11));
    image[175] = 0x52;
    for (int k = 0; k < 7; ++k) // valid channel-type codes: the window stores them back
        image[size_t(1031 + k)] = static_cast<char>(k);
    image[185] = static_cast<char>(5342 >> 8);
    image[186] = static_cast<char>(5342 & 0xFF);
    return image;
}

// That image as the pages store it once shown and committed: each value their rules correct.
std::string AsThePagesStoreIt(std::string image)
{
    const auto put = [&image](int address, const std::string& bytes) {
        image.replace(size_t(address), bytes.size(), bytes);
    };
    image[159] |= 0x04;                 // I/O7 toggling is on (1015 bit 3 clear): its feed bit with it
    image[1021] |= 0x10;                // channel 5 wired digital counts plain pulses
    put(279, std::string("\0\xC8", 2)); // an HDOP below 0.50 is the unit's 2.00
    put(772, "\x02\x22");               // socket time 7974: at most 546
    put(1009, "\x02\x1C");              // awake time 39585: at most 540
    for (int k = 0; k < 5; ++k)         // a full init command gets its terminator
        image[size_t(1317 + 31 * k + 30)] = '\0';
    image[1503 + 30] = '\0'; // and so does the second time server
    return image;
}

} // namespace

// The field engineer's road through the main window: read a unit over the serial port, change a setting on a
// page, write the image back. The unit is the simulated one behind a pseudo-terminal.
class MainRoad : public PtyRoad
{
  protected:
    void PutUnit(const std::string& image)
    {
        sim.WithUnit([&image](SimUnit& unit) {
            unit.Password = "pa\xE9ss"; // a Latin-1 byte goes out as one byte
            std::copy(image.begin(), image.end(), unit.Memory.begin());
        });
    }
    MainRoad()
        : PtyRoad([](TForm1& f) {
              BuildTextPickList(f.PageContext, {"ProbeList", "", TextField{{788, 10}}, TRedraw::InternetFields})
                  ->setParent(f.TabSheet4);
          })
    {
    }
    void SetUp() override
    {
        PutUnit(AsThePagesStoreIt(FieldUnitImage()));
        OpenPort(QString::fromLatin1("pa\xE9ss"));
    }
};

TEST_F(MainRoad, ReadChangeWriteSendsBackTheEditAndNothingElse)
{
    form.ReadEEPROM->trigger();
    ASSERT_EQ(form.Status(), "EEPROM Read OK!");
    EXPECT_EQ(ChangedAddresses(UnitBytes(3072), form.Image.Image.Bytes(0, 3072)), std::vector<int>{})
        << "an image in range and in step is shown as it is";
    EXPECT_EQ(form.Variant.modemType, "MOSS") << "the hardware number decoded after the read";
    auto* baud = form.PageContext.Get<TRadioGroup>("BaudRatePC");
    EXPECT_EQ(baud->Items().at(static_cast<size_t>(baud->ItemIndex())), "9600") << "the pages redrawn";
    const std::string before = UnitBytes(2048);

    baud->SetItemIndex(9); // the user picks 115200
    ASSERT_TRUE(form.PageContext.Get<TCheckBox>("SetIOCheckBox")->Checked());
    form.PageContext.Get<TCheckBox>("SetIOCheckBox")->SetChecked(false); // and clears I/O7 toggling
    form.PageContext.Get<QLineEdit>("PhoneNr5")->setText("+46");         // typed, not left: the write commits it
    form.WriteEEPROM->trigger();

    EXPECT_EQ(form.Status(), "EEPROM Write OK!");
    std::string expect = before;
    expect[175] = '\x92';
    expect.replace(122, 4, std::string("+46\0", 4));
    expect[1015] = static_cast<char>(before[1015] | 0x08); // active low: set when cleared
    expect[159] = static_cast<char>(before[159] & ~0x04);  // and the toggling bit of I/O7 with it
    EXPECT_EQ(ChangedAddresses(Stamped(expect), UnitBytes(2048)), std::vector<int>{});
    EXPECT_FALSE(form.Image.Image.AnyMarked(0, 2048));
    EXPECT_TRUE(sim.WithUnit([](SimUnit& unit) { return unit.Violations; }).empty());
    EXPECT_TRUE(dialogs.Messages().empty());

    form.PageContext.Get<QLineEdit>("PasswordEdit")->setText("pass");
    form.ReadEEPROM->trigger();
    EXPECT_EQ(form.Status(), "ERROR: Password Incorrect");
}

TEST_F(MainRoad, AFailingPortHandlerIsShownAndTheNextBytesStillArrive)
{
    int calls = 0;
    TComLink failing;
    failing.OnRxBuf = [&](TCustomComPort*, const void*, int) {
        ++calls;
        throw std::runtime_error("listener failed");
    };
    form.DetachTerminal(); // the failing listener takes the bytes alone
    form.ComPort1.RegisterLink(&failing);
    struct Unregister {
        TComPort& port;
        TComLink* link;
        ~Unregister() { port.UnRegisterLink(link); }
    } unregister{form.ComPort1, &failing};
    form.ComPort1.WriteStr("kvrw1\r"); // the unit answers "OK"
    PumpUntil([&] { return !dialogs.Messages().empty(); });
    ASSERT_FALSE(dialogs.Messages().empty());
    EXPECT_EQ(dialogs.Messages().front(), "listener failed");
    const int before = calls;
    form.ComPort1.WriteStr("kvrw0\rkvrw1\r");
    PumpUntil([&] { return calls > before; });
    EXPECT_GT(calls, before) << "the port still hands over what comes in";
}

TEST_F(MainRoad, LoadedFileReachesTheUnitUnchangedButForTheToolNumber)
{
    const std::string image = AsThePagesStoreIt(FieldUnitImage());
    const std::string path = ini.dir.filePath("unit.kvx").toStdString();
    std::ofstream(path, std::ios::binary) << FormatKvx(image, {}, kVersionTag);
    dialogs.AnswerFile(true, path);
    form.FileOpen->trigger();
    ASSERT_EQ(ChangedAddresses(image, form.Image.Image.Bytes(0, 3072)), std::vector<int>{});

    form.WriteEEPROM->trigger();
    EXPECT_EQ(form.Status(), "EEPROM Write OK!");
    EXPECT_EQ(ChangedAddresses(Stamped(image.substr(0, 2048)), UnitBytes(2048)), std::vector<int>{});
}

// A file's spelling of a byte token ("6e", "059") shows only while the byte stands as that file left it: the next
// file, a read or the default writes every byte again, even with the same value, and the byte then shows the
// digits the tool prints. A page edit writes its own bytes only; the others keep the file's spelling.
TEST_F(MainRoad, AFilesSpellingGoesWhenItsByteIsWrittenAgain)
{
    const std::string image = AsThePagesStoreIt(FieldUnitImage()); // the unit holds the same
    const std::string path = ini.Path("unit.kvx");
    const auto load = [&](const std::string& file) {
        ini.Put(path, file);
        dialogs.AnswerFile(true, path);
        form.FileOpen->trigger();
    };
    const TSpelledKvx first = KvxSpelled(image, {{1, "%02x"}, {122, "%03X"}, {2000, "%04x"}});
    const TSpelledKvx second = KvxSpelled(image, {{2001, "%03x"}});
    struct Way {
        const char* name;
        std::function<void()> write;
        std::map<int, std::string> spelled; // what still shows as a file spelled it
    };
    const Way ways[] = {
        {"second file", [&] { load(second.file); }, second.tokens},
        {"read", [&] { form.ReadEEPROM->trigger(); }, {}},
        {"default", [&] { form.setDefault->click(); }, {}},
        {"page edit", // phone 5 starts at 122
         [&] {
             form.PageContext.Get<QLineEdit>("PhoneNr5")->setText("+46");
             form.PageContext.Exits.at("PhoneNr5")();
         },
         {{1, first.tokens.at(1)}, {2000, first.tokens.at(2000)}}},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        load(first.file);
        for (const auto& [a, token] : first.tokens)
            ASSERT_EQ(CellAt(form, ByteTable::Hex, a), token) << a;
        way.write();
        std::map<int, std::string> expect = way.spelled;
        for (int a : {1, 122, 2000, 2001}) {
            const std::string digits = Printed("%02X", form.Image.Image.Byte(a));
            expect.try_emplace(a, form.Image.Image.Marked(a) ? "(" + digits + ")" : digits);
            EXPECT_EQ(CellAt(form, ByteTable::Hex, a), expect.at(a)) << a;
        }
    }
    EXPECT_EQ(form.Image.Image.Bytes(122, 3), "+46") << "the edit was written";
}

// A unit whose values stand out of range or out of step: read and written back without an edit, it gets
// them as the pages store them, and every other byte as it had it.
TEST_F(MainRoad, OutOfRangeValuesComeBackAsThePagesStoreThem)
{
    std::string unit = FieldUnitImage();
    std::string expect = AsThePagesStoreIt(unit);
    const auto both = [&](int address, const std::string& raw, const std::string& stored) {
        unit.replace(size_t(address), raw.size(), raw);
        expect.replace(size_t(address), raw.size(), raw);
        expect.replace(size_t(address), stored.size(), stored);
    };
    both(191, "\x13\x88", "\x0E\x10");                              // I/O3 alarm delay 5000 s: 3600
    both(275, "\xFF\xFF", "\x02\x58");                              // the restore delay 65535 stands for 600
    both(1128, std::string("KVabc\0", 6), std::string("abc\0", 4)); // a unit command loses its "KV"
    both(1348, std::string("ATZ\0", 4), std::string("Z\0", 2));     // an init command its "AT"
    expect[1348 + 30] = unit[1348 + 30];      // and, no longer full, leaves its slot's last byte as it was
    both(43, "\x15\x0A\x05", "\x15\x0A\x05"); // a date stays the date
    PutUnit(unit);
    form.ReadEEPROM->trigger();
    ASSERT_EQ(form.Status(), "EEPROM Read OK!");
    form.WriteEEPROM->trigger();
    EXPECT_EQ(form.Status(), "EEPROM Write OK!");
    EXPECT_EQ(ChangedAddresses(Stamped(expect.substr(0, 2048)), UnitBytes(2048)), std::vector<int>{});
}

TEST_F(MainRoad, TimersTravelWithTheReadAndTheWriteWhenAsked)
{
    sim.WithUnit([](SimUnit& unit) {
        const uint8_t timers[] = {6, 30, 0, 90, 7, 0, 0, 60, 0, 0, 0, 5, 0, 0, 0, 0, 23, 59, 0x02, 0xD0};
        std::copy(std::begin(timers), std::end(timers), unit.Memory.begin() + 2687);
    });
    form.PageContext.Get<QAbstractButton>("RSCheckBox")->setChecked(true);
    form.ReadEEPROM->trigger();
    ASSERT_EQ(form.Status(), "EEPROM Read OK!");
    auto edit = [&](const char* name) { return form.PageContext.Get<QLineEdit>(name); };
    EXPECT_EQ(edit("LogTimeEdit")->text(), "06:30");
    EXPECT_EQ(edit("spSWT1Edit")->text(), "90") << "the image read after the timers is what the page shows";

    // Typed and left: clamped into the edit, and the write sends what the edits show.
    for (auto [name, typed] : {std::pair{"spSWT2Edit", "2000"}, {"spSWT3Edit", "-5"}}) {
        edit(name)->setText(typed);
        form.PageContext.Exits.at(name)();
    }
    form.WriteEEPROM->trigger();
    EXPECT_EQ(form.Status(), "EEPROM Write OK!");
    const auto commands = sim.WithUnit([](SimUnit& unit) { return unit.Commands; });
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "KVSWT?"), 1);
    EXPECT_EQ(sim.WithUnit([](SimUnit& unit) { return unit.Timers; }),
              (std::array<std::string, 5>{"90", "1440", "0", "0", "720"}));
}

TEST_F(MainRoad, LogReadListsTheRecordsAndTheWriteClearsTheLogWhenAsked)
{
    sim.WithUnit([](SimUnit& unit) {
        unit.Memory[1019] = 0x01;
        unit.Memory[1023] = 0x01; // day counters, not dates
        const uint8_t stamp[] = {0, 12, 8, 15, 0, 0, 0, 4, 0xD2};
        std::copy(std::begin(stamp), std::end(stamp), unit.Memory.begin() + 2473);
        std::copy(std::begin(stamp), std::end(stamp), unit.Memory.begin() + 3072);
    });
    form.PageContext.Get<QAbstractButton>("readLogValues")->click();
    ASSERT_EQ(form.Status(), "EEPROM Read OK!");
    const QString list = form.PageContext.Get<QPlainTextEdit>("LoggedData")->toPlainText();
    EXPECT_EQ(list.count('\n') + 1, 6855);
    EXPECT_TRUE(list.startsWith("1: 12,08:15:00,1234,,,,,,,\n2: ")) << list.left(60).toStdString();
    EXPECT_EQ(form.PageContext.Get<QLineEdit>("TimeStampEdit")->text(), "12,08:15:00");
    EXPECT_EQ(form.PageContext.Get<QLineEdit>("PulseCountEdit")->text(), "1234");

    form.PageContext.Get<QAbstractButton>("ClearMemCheckBox")->setChecked(true);
    form.WriteEEPROM->trigger();
    EXPECT_EQ(sim.WithUnit([](SimUnit& unit) { return unit.Commands.back(); }), "kvspi=0,0");
}

// The tool bar buttons take no focus: the pick list being typed in is never left before a write, and is
// committed all the same. The probe edits part of the dial-up code (788-797), which no page edits and no commit
// list writes.
TEST_F(MainRoad, WriteCommitsThePickListBeingTypedIn)
{
    form.ReadEEPROM->trigger();
    ASSERT_EQ(form.Status(), "EEPROM Read OK!");
    form.show();
    auto* list = form.PageContext.Get<QWidget>("ProbeList");
    list->setFocus();
    ASSERT_EQ(form.focusWidget(), list);
    SetControlText(list, "picked");
    form.WriteEEPROMExecute->click();
    EXPECT_EQ(form.Status(), "EEPROM Write OK!");
    EXPECT_EQ(UnitBytes(795).substr(788), std::string("picked\0", 7));
}

// The calibration block of each analogue channel reaches the unit's memory byte for byte, one channel or
// all six, and only what went out is reported done.
class Calibration : public MainRoad
{
  protected:
    std::vector<std::string> ByteWrites()
    {
        return sim.WithUnit([](SimUnit& unit) {
            std::vector<std::string> lines;
            for (const std::string& line : unit.Commands)
                if (line.rfind("KVWE=", 0) == 0)
                    lines.push_back(line);
            return lines;
        });
    }
    QPushButton* Button(const char* name) { return form.PageContext.Get<QPushButton>(name); }
    QProgressBar* Bar() { return form.PageContext.Get<QProgressBar>("ProgressBar2"); }
};

TEST_F(Calibration, ChannelBlockReachesTheUnit)
{
    const std::string block("\x00\x00\x03\xE8\x00\x00\x09\xC4"
                            "bar\0",
                            12);
    std::string before = block;
    before[3] = '\x01';
    form.Image.WriteImageString(before, 2048, 1);
    form.ImageToControls();                                         // the block edits show it
    form.PageContext.Get<QLineEdit>("IO3constY2")->setText("1000"); // typed, not left: the send commits it first
    sim.WithUnit([](SimUnit& unit) { std::fill_n(unit.Memory.begin() + 2048, 17, 0xEE); });
    Button("ADcal3Button")->click();
    ASSERT_TRUE(PumpUntil([&] { return !ByteWrites().empty(); }));
    EXPECT_EQ(ByteWrites(), std::vector<std::string>{"KVWE=QZ7M4K,2048:0,2049:0,2050:3,2051:232,2052:0,2053:0,"
                                                     "2054:9,2055:196,2056:98,2057:97,2058:114,2059:0"});
    EXPECT_EQ(UnitBytes(2065).substr(2048), block + std::string(5, '\xEE'));
    EXPECT_TRUE(sim.WithUnit([](SimUnit& unit) { return unit.Violations; }).empty());
}

TEST_F(Calibration, SendAllGoesOutInChannelOrderUnderTheBusyGuard)
{
    std::string refusal;
    QTimer::singleShot(form.Link.Timing.CalibrationGapMs / 2, &form, [&] {
        Button("ADcal5Button")->click(); // a second write would interleave its line
        refusal = form.Status();
    });
    Button("Button2")->click();
    EXPECT_EQ(refusal, Msg::kLinkBusy);
    EXPECT_EQ(Button("Button2")->text(), "Done!");
    EXPECT_EQ(Bar()->value(), 100);
    ASSERT_TRUE(PumpUntil([&] { return ByteWrites().size() == 6; }));
    const std::vector<std::string> lines = ByteWrites();
    for (size_t k = 0; k < lines.size(); ++k) {
        const int address = k == 0 ? 2486 : 2048 + 17 * int(k - 1);
        EXPECT_EQ(lines[k].substr(0, 17), "KVWE=QZ7M4K," + std::to_string(address) + ":") << k;
    }
    for (int block : {2486, 2048, 2065, 2082, 2099, 2116}) // the words and the empty unit text
        EXPECT_EQ(UnitBytes(block + 9).substr(size_t(block)), form.Image.Image.Bytes(block, 9)) << block;
    ASSERT_TRUE(PumpUntil([&] { return Button("Button2")->text() == "Send all ch values"; }));
    EXPECT_EQ(Bar()->value(), 0);
}

TEST_F(Calibration, PortClosedMidSequenceEndsItWithoutDone)
{
    QTimer::singleShot(form.Link.Timing.CalibrationGapMs / 2, &form, [&] { form.ComPort1.Close(); });
    Button("Button2")->click();
    EXPECT_EQ(form.Status(), "Communication failure");
    EXPECT_EQ(Button("Button2")->text(), "Send all ch values");
    EXPECT_EQ(Bar()->value(), 28) << "the bar stays at the last channel sent";
    EXPECT_FALSE(form.Link.Busy.Busy());
    PumpUntil([&] { return ByteWrites().size() > 1; }, std::chrono::milliseconds(300));
    EXPECT_EQ(ByteWrites().size(), 1u);
}

TEST_F(Calibration, PageGoneDuringAWaitEndsTheSequence)
{
    QTimer::singleShot(form.Link.Timing.CalibrationGapMs / 2, &form, [&] { delete form.CalibrationSend; });
    form.CalibrationSend->Button2Click();
    EXPECT_FALSE(form.Link.Busy.Busy());
    EXPECT_FALSE(form.PageControl1->findChild<QPushButton*>("Button2"));
}
