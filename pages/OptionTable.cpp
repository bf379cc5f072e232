#include "pages/OptionBits.h"
#include "pages/OptionFields.h"

using namespace OptionFields;
using G = TOptionBits::Group;

namespace
{

constexpr auto kStep = TRedraw::OptionBits;
const char* const kPeriodCaption = "Periodic           Synchronized";
const std::vector<std::string> kTwoBlank = {"", ""};
const std::vector<std::string> kServers = {"IP1", "IP2"};

TOptionBits::TOptionRow Switch(std::string name, std::string caption, BitSwitch field, G group, bool hidden = false)
{
    return {{std::move(name), std::move(caption), field, kStep, {}, hidden}, group};
}

TOptionBits::TOptionRow Label(const char* name, const char* caption, G group, std::string beside = {})
{
    return {{name, caption, Unbound{Unbound::Label}}, group, {}, {}, std::move(beside)};
}

// The packet selection of SWT3 or SWT4: [#1], [#3] .. [#8]; [#3] excludes [#4] .. [#7].
void AddPackets(std::vector<TOptionBits::TOptionRow>& rows, int swt, const std::array<const char*, 7>& names)
{
    static const char* const captions[] = {"[#1] format, Info status",          "[#3] format, Unit ID",
                                           "[#4] format, Analogue Port status", "[#5] format, GPS Position",
                                           "[#6] format, Digital Port status",  "[#7] format, Latest logged value",
                                           "[#8] format, KV-Command response"};
    const G group = swt == 3 ? G::Swt3Packets : G::Swt4Packets;
    for (int k = 0; k < 7; ++k) {
        const uint8_t mask = static_cast<uint8_t>(k == 0 ? 0x01 : 0x02 << k);
        auto row = Switch(names[size_t(k)], captions[k], {PacketByte(swt), mask}, group);
        row.hint = "[#]-Character will be used in the IP-package";
        if (mask == kPacketUnitId)
            row.click = [swt](TOptionBits& o) { o.PacketUnitIdClick(swt); };
        else if (k >= 2 && k <= 5)
            row.click = [swt, k](TOptionBits& o) { o.PacketStatusClick(swt, k - 2); };
        rows.push_back(std::move(row));
    }
}

void AddPulseInputs(std::vector<TOptionBits::TOptionRow>& rows)
{
    for (int n = 1; n <= 7; ++n) {
        auto row = Switch("PI" + std::to_string(n) + "CheckBox",
                          n == 1 ? "Input Ch 1 (I/O1)" : "Input Ch " + std::to_string(n), Logged(n), G::Swt1);
        row.click = [n](TOptionBits& o) { o.PICheckBoxClick(n); };
        rows.push_back(std::move(row));
    }
    for (int n = 1; n <= 4; ++n) {
        // Ticked: the channel counts a rate, its bit clear.
        const BitSwitch rate{PlainPulses(n).address, PlainPulses(n).mask, true};
        auto row = Switch("Freq" + std::to_string(n) + "CheckBox", "", rate, G::Swt1);
        row.beside = "PI" + std::to_string(n) + "CheckBox";
        row.hint = kRateHints[1];
        rows.push_back(std::move(row));
    }
}

// What each channel's input is wired as, beside its log box: the left or the right word of the caption.
void AddChannelChoices(std::vector<TOptionBits::TOptionRow>& rows)
{
    for (int n = 1; n <= 7; ++n) {
        const char* caption = n == 1 ? "Pulse  Digital" : "Digital  Analogue";
        const std::string name = "Ch" + std::to_string(n) + "RadioGroup";
        TOptionBits::TOptionRow row{{name, caption, ChannelChoice(n), kStep, kTwoBlank}, G::Swt1};
        row.click = [n](TOptionBits& o) { o.ChRadioGroupClick(n); };
        row.beside = "PI" + std::to_string(n) + "CheckBox";
        rows.push_back(std::move(row));
    }
}

} // namespace

// The rows in the order the option-bit decoder visits them; each group lays its rows out in this order.
std::vector<TOptionBits::TOptionRow> TOptionBits::Table()
{
    std::vector<TOptionRow> rows;
    auto add = [&rows](TOptionRow row) { rows.push_back(std::move(row)); };
    auto click = [&rows](std::function<void(TOptionBits&)> fn) { rows.back().click = std::move(fn); };

    add(Switch("ConnectBox", "Connect to ISP at startup", kConnectBox, G::Connect));
    click([](TOptionBits& o) { o.ConnectBoxClick(); });
    add(Switch("PingBox", "Ping format", kPingBox, G::Ping));
    click([](TOptionBits& o) { o.PingBoxClick(); });
    add(Switch("ServerBox", "Connect to Server at startup", kServerBox, G::Connect, true));
    rows.back().then = [](TOptionBits& o) { o.ShowServerBox(); };
    add(Switch("SIMIDCheckBox", "Use SIM Card ID Number as Unit ID", kUnitIdSources[1], G::UnitId));
    click([](TOptionBits& o) { o.UnitIdSourceClick(1); });

    add(Switch("pulseSendBox", "Activate and send data ( port 2150 )", kSendBoxes[0], G::Swt2));
    click([](TOptionBits& o) { o.SendBoxClick(0); });
    add(Switch("FirewallBox", "Use IP Group A", {1011, 0x04, true}, G::Firewall));
    add(Switch("RefreshNETCheckBox", "Refresh Network search at startup", {1011, 0x08}, G::Misc, true));

    add(Switch("CheckBox24", "Append Units", kCheckBox24, G::Swt2Packets));
    click([](TOptionBits& o) { o.CheckBox24Click(); });
    add(Switch("CheckBox37", "Append Control Char", kCheckBox37, G::Swt2Packets));
    click([](TOptionBits& o) { o.CheckBox37Click(); });
    add(Label("Label102", "[#21] format", G::Swt2Packets));
    rows.back().then = [](TOptionBits& o) { o.ShowPacketFormat(); };
    add(Switch("SetIOCheckBox", "Toggle SensFeed(ch30)", kSetIOCheckBox, G::Swt1));
    click([](TOptionBits& o) { o.SetIOCheckBoxClick(); });
    add(Switch("LPCheckBox", "Use Low Power Mode", kLPCheckBox, G::Swt5));
    click([](TOptionBits& o) { o.LPCheckBoxClick(); });
    add(Switch("PingLocalIP", "Use Local IP when sending Ping", {1015, 0x80, true}, G::Ping));

    add(Switch("SMSSecureCheckBox", "Use incoming SMS security filter", {1011, 0x40}, G::Misc));
    add(Switch("AppendCheckBox", "Append Alarm status", {1012, 0x02}, G::SmsAlarm));
    add(Switch("GPSCheckBox", "GPS-capture($GNRMC format from GPS)", {1012, 0x04, true}, G::Gnss));

    add(Switch("IDCheckBox", "[#3] format, Unit ID ( port 2100 )", {1013, 0x01}, G::Udp));
    add(Switch("ADCheckBox", "[#4] format, Analogue Port status ( port 2050 )", {1013, 0x02}, G::Udp));
    add(Switch("DigCheckBox", "[#6] format, Digital Port status ( port 2051 )", {1013, 0x04}, G::Udp));
    add(Switch("ID2CheckBox", "[#3] format, Unit ID ( port", {1013, 0x40}, G::Udp));
    add(Label("Label115", "2040 )", G::Udp, "ID2CheckBox"));
    add(Switch("wakeUpWhenReq", "Wake-up if Send Req", {1013, 0x08, true}, G::Swt5));
    add(Switch("sleepSendReq", "Sleep when Send Req is Done", kSleepSendReq, G::Swt5));
    click([](TOptionBits& o) { o.sleepSendReqClick(); });

    add({{"AnadataLog", "Data Logging", kAnadataLog, kStep, {"Off", "On (Timed)", "On (Timed/Event on I/O1)"}},
         G::Swt1});
    click([](TOptionBits& o) { o.AnadataLogClick(); });
    // I/O1's counting edge, shown while logging is on.
    add({{"IO1edge",
          "Pulse Counting Transition",
          Unbound{Unbound::Radio},
          TRedraw::StepCount,
          {"Low to high", "High to low", "Both"}},
         G::Swt1});
    click([](TOptionBits& o) { o.IO1edgeClick(); });
    rows.back().then = [](TOptionBits& o) { o.ShowIO1edge(); };

    add(Switch("IMEI_HWnoCheckBox", "Use IMEI and HW Number as Unit ID", kUnitIdSources[0], G::UnitId));
    click([](TOptionBits& o) { o.UnitIdSourceClick(0); });
    add(Switch("useIMEICheck", "Use IMEI Number as Unit ID", kUnitIdSources[2], G::UnitId));
    click([](TOptionBits& o) { o.UnitIdSourceClick(2); });
    add(Switch("CheckBox12", "Activate and send data ( port 2800 )", kSendBoxes[1], G::Swt3));
    click([](TOptionBits& o) { o.SendBoxClick(1); });
    add(Switch("CheckBox2", "Activate and send data ( port 2880 )", kSendBoxes[2], G::Swt4));
    click([](TOptionBits& o) { o.SendBoxClick(2); });
    add(Switch("GNSSAcceptAnyWCheckBox", "Accept anyway after timeout", {1012, 0x80}, G::Gnss));

    AddPackets(rows, 3,
               {"CheckBox13", "CheckBox15", "CheckBox16", "CheckBox17", "CheckBox18", "CheckBox19", "CheckBox20"});
    AddPackets(rows, 4, {"CheckBox1", "CheckBox3", "CheckBox4", "CheckBox5", "CheckBox6", "CheckBox22", "CheckBox23"});

    AddPulseInputs(rows);
    add(Switch("freqOrDiff", "Use Freq calculation", kFreqOrDiff, G::Swt1));
    click([](TOptionBits& o) { o.freqOrDiffClick(); });
    add(Label("Label162", kRateCaptions[1], G::Swt1, "freqOrDiff"));
    add({{"PIPeriodSend", kPeriodCaption, kPIPeriodSend, kStep, kTwoBlank}, G::Swt2});
    click([](TOptionBits& o) { o.PIPeriodSendClick(); });
    add({{"InfoPeriodSend", kPeriodCaption, kInfoPeriodSend, kStep, kTwoBlank}, G::Swt3});
    click([](TOptionBits& o) { o.InfoPeriodSendClick(); });
    add({{"PIPeriodLog", kPeriodCaption, kPIPeriodLog, kStep, kTwoBlank}, G::Swt1});
    click([](TOptionBits& o) { o.PIPeriodLogClick(); });

    add({{"SleepPeriodSend", "Periodic    Sync        SyncTable", kSleepPeriodSend, kStep, {"", "", ""}},
         G::Swt5Period});
    click([](TOptionBits& o) { o.SleepPeriodSendClick(); });
    add({{"StatusPeriodSend", kPeriodCaption, kStatusPeriodSend, kStep, kTwoBlank}, G::Swt4Period});
    click([](TOptionBits& o) { o.StatusPeriodSendClick(); });

    add(Switch("KVECheckBox", "Echo (KVE)", {289, 0x01}, G::ActiveProfile));
    add(Switch("KVPCheckBox", "Response Info Print Out (KVP)", {289, 0x02}, G::ActiveProfile));
    add(Switch("KVPRCheckBox", "Result Print Out (KVPR)", {289, 0x04}, G::ActiveProfile));
    add(Switch("KVPSRCheckBox", "Long Result Format (KVPSR)", {289, 0x08}, G::ActiveProfile));
    add(Switch("KVPMCheckBox", "SMS Response Msg(KVPM)", {289, 0x10}, G::ActiveProfile));

    add({{"IPSWT2", "IP Address", kIPSWT[0], kStep, kServers}, G::Swt2});
    click([](TOptionBits& o) { o.IPSWTClick(2); });
    add({{"IPSWT3", "IP Address", kIPSWT[1], kStep, kServers}, G::Swt3});
    click([](TOptionBits& o) { o.IPSWTClick(3); });
    add({{"ADValRadioGroup",
          "Analogue Values",
          kADValRadioGroup,
          kStep,
          {"Default (presented in mV)", "Scaled with calibrated values"}},
         G::Analogue});
    click([](TOptionBits& o) { o.ADValRadioGroupClick(); });
    add({{"IPSWT4", "IP Address", kIPSWT[2], kStep, kServers}, G::Swt4});
    click([](TOptionBits& o) { o.IPSWTClick(4); });

    add(Switch("UNCheckBox", "Use Unit ID as User Name", kUNCheckBox, G::DialUp));
    click([](TOptionBits& o) { o.UNCheckBoxClick(); });
    add(Switch("reset24hCheckBox", "Force Reset every 24h ", {1011, 0x80}, G::Misc));
    add(Switch("AppendUserIDCheckBox", "Append Unit ID", {166, 0x80}, G::SmsAlarm));
    AddChannelChoices(rows);

    add(Switch("RTCDateCheckBox", "Use RTC Date in", {1023, 0x01, true}, G::Clock));
    add(Label("Label103", "#-sending and logging", G::Clock, "RTCDateCheckBox"));
    add(Switch("IMEICheck", "Append IMEI to Unit ID(separated with a ' * ' )", {1023, 0x02, true}, G::UnitId, true));
    add(Switch("SMSsendCheckBox", "[#30] format, Unit ID(Sync to SMS poll period)", {1023, 0x04, true}, G::Sms));
    add(Switch("usePulseVEventCheckBox", "Use Pulse Count Value On Event", {1023, 0x40, true}, G::Swt1));
    add(Switch("AntDirCheckBox", "Use External Cellular Antenna", {1023, 0x80, true}, G::Misc));
    add(Switch("useExtGPSAntCheckBox", "Use External GPS Antenna", {1023, 0x10, true}, G::Gnss));

    add({{"RadioGroup3",
          "GPS presentation format",
          BitPairChoice{{1023, 0x08}, {1011, 0x20}, {0b11, 0b01, 0b10}},
          kStep,
          {"NMEA ((NorS)DDMMmmmm(WorE)DDDMMmmmm)", "Degrees and decimal minutes (DMM)", "Decimal Degrees (DD)"}},
         G::Gnss});
    add({{"RadioGroup4",
          "",
          BitPairChoice{{1015, 0x20}, {1023, 0x20}, {0b01, 0b11, 0b10}},
          kStep,
          {"ZEB syncronize the Clock", "NTP server Clock Sync in UTC time", "NTP server Clock Sync in local time"}},
         G::Clock});
    rows.back().then = [](TOptionBits& o) { o.ShowDestinations(); };
    add(Label("Label245", "NOTE: Do not use NTP clock sync with ZEB", G::Clock));
    return rows;
}
