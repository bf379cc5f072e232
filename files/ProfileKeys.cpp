#include "files/ProfileKeys.h"

#include <algorithm>
#include <initializer_list>

namespace
{

using F = ProfileForm;
using R = ProfileRead;
using L = ProfileLevel;

// --- the sections of the general, communication and transfer pages ----------------------------------------

const std::vector<TProfileKey> kInfo = {
    {"CT Version", F::Version, ""},
    {"Date", F::Date, ""},
    {"Config ID", F::Text, "ConfigID"},
    {"User ID", F::Text, "UserIDText"},
};

const std::vector<TProfileKey> kAlarmMessage = {
    {"Phone Nr 1", F::Text, "PhoneNr1", R::Yes},
    {"Phone Nr 2", F::Text, "PhoneNr2", R::Yes},
    {"Phone Nr 3", F::Text, "PhoneNr3", R::Yes},
    {"Phone Nr 4", F::Text, "PhoneNr4", R::Yes},
    {"Phone Nr 5", F::Text, "PhoneNr5", R::Yes},
    {"Use IMEI*HW no", F::Check, "IMEI_HWnoCheckBox", R::Yes},
    {"Use SIM Card ID Nr as Unit ID", F::Check, "SIMIDCheckBox", R::Yes},
    {"Use IMEI Nr as Unit ID", F::Check, "useIMEICheck", R::Yes},
    {"Append IMEI to Unit ID", F::Check, "IMEICheck"},
    {"Unit ID", F::Text, "UserIDText", R::Yes},
    {"Use incomming SMS security filter", F::Check, "SMSSecureCheckBox", R::Yes},
    {"Maximum SMS/24h", F::Text, "SMSlimitEdit", R::WholeNumber},
    {"Append Alarm status", F::Check, "AppendCheckBox", R::Yes},
    {"Append Unit ID", F::Check, "AppendUserIDCheckBox", R::Yes},
    {"AlarmOnOffCheck", F::Check, "AlarmOnOffCheck"},
    {"AlarmOnOffIO", F::Text, "AlarmOnOff"},
};

const std::vector<TProfileKey> kInternet = {
    {"Firewall", F::Check, "FirewallBox"},
    {"Term Str", F::Empty, ""},
    {"APN1", F::Text, "InitString"},
    {"APN2", F::Text, "InitString2"},
    {"ISP User Name", F::Text, "UserName"},
    {"ISP Password", F::Text, "PassWord"},
    {"Connect ISP", F::Check, "ConnectBox"},
    {"Connect Server", F::Check, "ServerBox"},
    {"Max Reconn Period", F::Text, "MaxReConnPeriod"},
    {"Max Reconn Trials", F::Text, "MaxReConnNo"},
    {"Disconn Socket", F::Text, "SocketTimeEdit"},
};

// The SWT2 group has no box of its own for format #21: it is sent whenever sending is on, so both keys
// record pulseSendBox.
const std::vector<TProfileKey> kDataTransfer = {
    {"SWT2 Open Send Data", F::Check, "pulseSendBox"},
    {"SWT2 IP Add(IP1,2(0),IP3,4(1))", F::Index, "IPSWT2"},
    {"SWT2 Send Timer(Periodic(0),Sync(1))", F::Index, "PIPeriodSend"},
    {"SWT2 Data Packet Format #21", F::Check, "pulseSendBox"},
    {"SWT2 Data Packet Format #22", F::Check, "CheckBox24"},
    {"SWT3 Open Send Data", F::Check, "CheckBox12"},
    {"SWT3 IP Add(IP1,2(0),IP3,4(1))", F::Index, "IPSWT3"},
    {"SWT3 Send Timer(Periodic(0),Sync(1))", F::Index, "InfoPeriodSend"},
    {"SWT3 Data Packet Format #12", F::Check, "CheckBox13"},
    {"SWT3 Data Packet Format #3", F::Check, "CheckBox15"},
    {"SWT3 Data Packet Format #4", F::Check, "CheckBox16"},
    {"SWT3 Data Packet Format #5", F::Check, "CheckBox17"},
    {"SWT3 Data Packet Format #6", F::Check, "CheckBox18"},
    {"SWT3 Data Packet Format #7", F::Check, "CheckBox19"},
    {"SWT3 Data Packet Format #8", F::Check, "CheckBox20"},
    {"SWT4 Open Send Data", F::Check, "CheckBox2"},
    {"SWT4 IP Add(IP1,2(0),IP3,4(1))", F::Index, "IPSWT4"},
    {"SWT4 Send Timer(Periodic(0),Sync(1))", F::Index, "StatusPeriodSend"},
    {"SWT4 Data Packet Format #12", F::Check, "CheckBox1"},
    {"SWT4 Data Packet Format #3", F::Check, "CheckBox3"},
    {"SWT4 Data Packet Format #4", F::Check, "CheckBox4"},
    {"SWT4 Data Packet Format #5", F::Check, "CheckBox5"},
    {"SWT4 Data Packet Format #6", F::Check, "CheckBox6"},
    {"SWT4 Data Packet Format #7", F::Check, "CheckBox22"},
    {"SWT4 Data Packet Format #8", F::Check, "CheckBox23"},
    {"UDP/SMS/Ping Heart Beat Period", F::Text, "PingEdit"},
    {"SMS Packet Format #30", F::Check, "SMSsendCheckBox"},
    {"UDP Data Packet Format #3.1", F::Check, "IDCheckBox"},
    {"UDP Data Packet Format #3.2", F::Check, "ID2CheckBox"},
    {"UDP Data Packet Format #4", F::Check, "ADCheckBox"},
    {"UDP Data Packet Format #6", F::Check, "DigCheckBox"},
    {"Send Ping", F::Check, "PingBox"},
    {"Use Local IP Ping", F::Check, "PingLocalIP"},
    {"Max Ping Fail", F::Text, "MaxPingNo"},
    {"Analogue Values(Default(0),Scaled(1))", F::Index, "ADValRadioGroup"},
};

const std::vector<TProfileKey> kDataLogging = {
    {"Data Logging(Off(0),On(1))", F::Index, "AnadataLog"},
    {"Pulse(L->H(0),H->L(1),Both(2))", F::Index, "IO1edge"},
    {"Use Ch1 Input", F::Check, "PI1CheckBox"},
    {"Ch1 Input(Pulse(0),Analogue(1))", F::Index, "Ch1RadioGroup"},
    {"Use Ch1 Pulse Freq", F::Check, "Freq1CheckBox"},
    {"Use Ch2 Input", F::Check, "PI2CheckBox"},
    {"Ch2 Input(Pulse(0),Analogue(1))", F::Index, "Ch2RadioGroup"},
    {"Use Ch2 Pulse Freq", F::Check, "Freq2CheckBox"},
    {"Use Ch3 Input", F::Check, "PI3CheckBox"},
    {"Ch3 Input(Pulse(0),Analogue(1))", F::Index, "Ch3RadioGroup"},
    {"Use Ch3 Pulse Freq", F::Check, "Freq3CheckBox"},
    {"Use Pulse Freq calc", F::Check, "freqOrDiff"},
    {"Use Ch4 Input", F::Check, "PI4CheckBox"},
    {"Ch4 Input(Pulse(0),Analogue(1))", F::Index, "Ch4RadioGroup"},
    {"Use Ch5 Input", F::Check, "PI5CheckBox"},
    {"Ch5 Input(Pulse(0),Analogue(1))", F::Index, "Ch5RadioGroup"},
    {"Use Ch6 Input", F::Check, "PI6CheckBox"},
    {"Ch6 Input(Pulse(0),Analogue(1))", F::Index, "Ch6RadioGroup"},
    {"Use Ch7 Input", F::Check, "PI7CheckBox"},
    {"Ch7 Input(Pulse(0),Analogue(1))", F::Index, "Ch7RadioGroup"},
    {"Toggle I/O7", F::Check, "SetIOCheckBox"},
    {"Toggle I/O7 Time", F::Text, "IO7outTimeEdit"},
    {"Use Pulse Count Value On Event", F::Check, "usePulseVEventCheckBox"},
    {"SWT1 Send Timer(Periodic(0),Sync(1))", F::Index, "PIPeriodLog"},
};

const std::vector<TProfileKey> kMainInit = {
    {"SW Reset if inactive", F::Text, "DisconEdit"},
    {"Configuration ID No", F::Text, "ConfigID"},
    {"Reference Date", F::Text, "DateEdit1"},
    {"Init AT-Command 1", F::Text, "ComboBox1"},
    {"Init AT-Command 2", F::Text, "ComboBox2"},
    {"Init AT-Command 3", F::Text, "ComboBox3"},
    {"Init AT-Command 4", F::Text, "ComboBox4"},
    {"Init AT-Command 5", F::Text, "ComboBox5"},
    {"Init AT-Command 6", F::Text, "ComboBox6"},
    {"Init AT-Command 7", F::Text, "ComboBox7"},
    {"Echo(KVE)", F::Check, "KVECheckBox"},
    {"Response Info Print Out(KVP)", F::Check, "KVPCheckBox"},
    {"Result Print Out(KVPR)", F::Check, "KVPRCheckBox"},
    {"Long Result Format(KVPSR)", F::Check, "KVPSRCheckBox"},
    {"SMS Response Msg(KVPM)", F::Check, "KVPMCheckBox"},
    {"Use Low Power Mode", F::Check, "LPCheckBox"},
    {"SWT5 Sleep Timer(Periodic(0),Sync(1))", F::Index, "SleepPeriodSend"},
    {"Min Awake Time", F::Text, "awakeTime"},
    {"Analogue Alarm Check Period", F::Text, "AlarmChkTime"},
    {"Use RTC Date", F::Check, "RTCDateCheckBox"},
};

// The flow-control key lacks one closing parenthesis; files in the field carry it so.
const std::vector<TProfileKey> kCommunication = {
    {"Module<->MCU Baudrate", F::Index, "BaudRateTC35"},
    {"Module<->MCU Parity", F::Index, "ParityTC35"},
    {"MCU<->Port Baudrate", F::Index, "BaudRatePC"},
    {"MCU<->Port Parity", F::Index, "ParityPC"},
    {"MCU<->Port Flow Control(XON/XOFF(0),CTS(1)", F::Index, "FlowControl1"},
};

const std::vector<TProfileKey> kSwt = {
    {"SWT1", F::Text, "spSWT1Edit"}, {"SWT2", F::Text, "spSWT2Edit"}, {"SWT3", F::Text, "spSWT3Edit"},
    {"SWT4", F::Text, "spSWT4Edit"}, {"SWT5", F::Text, "spSWT5Edit"},
};

// --- the channel sections ----------------------------------------------------------------------------------
// One list for I/O1..I/O7 and the power-in monitor (channel 8): each key names the channels whose section
// carries it and those the read-back restores. A control name's '#' stands for the channel number; a name
// with a base numbers its boxes from base + 1 on.

constexpr unsigned Ch(std::initializer_list<int> channels)
{
    unsigned mask = 0;
    for (int n : channels)
        mask |= 1u << n;
    return mask;
}
constexpr unsigned Range(int first, int last)
{
    unsigned mask = 0;
    for (int n = first; n <= last; ++n)
        mask |= 1u << n;
    return mask;
}

struct TChannelKey {
    const char* Key;
    ProfileForm Form;
    const char* Control;
    unsigned Channels;
    unsigned ReadChannels = 0;
    ProfileRead Read = ProfileRead::Yes;
    ProfileLevel Level = ProfileLevel::None;
    int Base = 0;
};

constexpr unsigned kAll = Range(1, 8);
constexpr unsigned kDigital = Range(1, 7);
constexpr unsigned kAnalogue = Range(2, 7);
constexpr unsigned kCommands = Range(1, 4);
constexpr unsigned kRead = Range(1, 3);
constexpr unsigned kMonitor = Ch({8});
constexpr unsigned kIO1 = Ch({1});
constexpr unsigned kIO3 = Ch({3});
constexpr char kRestoreDelay[] = "Alarm Restore Delay";

// The read-back sets each server-select box from the key its own save writes; the UDP IP2 box it leaves.
const TChannelKey kChannelKeys[] = {
    {"Low Alarm Msg", F::Text, "IO#alarmText", kDigital, kRead},
    {"Alarm Msg", F::Text, "IO#alarmText", kMonitor},
    {"High Alarm Msg", F::Text, "IO#alarmText2", kDigital, kRead},
    {"Send KV-cmd internally", F::Check, "CheckBox", kCommands, 0, R::No, L::None, 32},
    {"Low KV-cmd", F::Text, "IO#kvcmdText", kCommands},
    {"High KV-cmd", F::Text, "IO#kvcmdText2", kCommands},
    {"Phone Nr 1 Select", F::Check, "IO#Phone1", kAll, kRead},
    {"Phone Nr 2 Select", F::Check, "IO#Phone2", kAll, kRead},
    {"Phone Nr 3 Select", F::Check, "IO#Phone3", kAll, kRead},
    {"Phone Nr 4 Select", F::Check, "IO#Phone4", kAll, kRead},
    {"Phone Nr 5 Select", F::Check, "IO#Phone5", kAll, kRead},
    {"TCP Server IP1/IP2 Select", F::Check, "IP1CheckBox#", kAll, kRead},
    {"TCP Server IP3/IP4 Select", F::Check, "IP2CheckBox#", kAll, kRead},
    {"UDP Server IP1 Select", F::Check, "IP1CheckBox#2", kAll, kRead},
    {"UDP Server IP2 Select", F::Check, "CheckBox", kAll, 0, R::No, L::None, 24},
    {"Digital I/O Alarm(Off(0),H->L(1),L->H(2),Both(3))", F::Index, "IO#alarmSetting", kDigital, kRead},
    {"Port Selection(Dig I/O ON(0),OFF(1))", F::Index, "IO#selection", kIO1, kRead},
    {"Port Selection(Dig I/O(0),Analogue(1))", F::Index, "IO#selection", kAnalogue, kRead},
    {"Port Direction(In(0),Out(1))", F::Index, "IO#direction", kDigital, kRead},
    {"Port Level(Low(0),High(1))", F::Index, "IO#out", kDigital, kRead},
    {"Alarm Delay(sec)", F::Text, "delay#Edit", kAll, kRead, R::ZeroNumber},
    {kRestoreDelay, F::Index, "RestoreDelayIO#", kIO1, kRead},
    {kRestoreDelay, F::Index, "RestoreDelayBAT", kMonitor},
    {"Alarm Restore Delay(Off(0),On(1))", F::Index, "RestoreDelayIO#", kAnalogue, kRead},
    {"Alarm Restore Delay(sec)", F::Text, "RestoreEdit#", kAnalogue},
    {"Analogue Alarm(Off(0),Low(1),High(2),Both(3))", F::Index, "IO#adSetting", kAnalogue, kIO3},
    {"Analogue Alarm(Off(0),Low(1))", F::Index, "IO#adSetting", kMonitor},
    {"Restore Alert Message", F::Check, "RestAlertMsg#", Range(2, 8)},
    {"Hysteresis", F::Text, "hystEdit#", kAnalogue},
    {"Analogue Alarm High Level(mV)", F::Text, "IO#upperLevel", kAnalogue, kIO3, R::WholeNumber, L::Millivolts},
    {"Analogue Alarm Low Level(mV)", F::Text, "IO#lowerLevel", kAnalogue, kIO3, R::WholeNumber, L::Millivolts},
    {"Analogue Alarm Low Level(V)", F::Text, "IO#lowerLevel", kMonitor, 0, R::No, L::Volts},
    {"A/D CalP Unit", F::Text, "IO#unit", kAnalogue, kIO3},
    {"A/D CalP Y1", F::Text, "IO#constY1", kAnalogue, kIO3, R::WholeNumber},
    {"A/D CalP Y2", F::Text, "IO#constY2", kAnalogue, kIO3, R::WholeNumber},
    {"A/D CalP X1", F::Text, "IO#constX1", kAnalogue, kIO3, R::WholeNumber},
    {"A/D CalP X2", F::Text, "IO#constX2", kAnalogue, kIO3, R::WholeNumber},
};

std::string ChannelControl(const TChannelKey& key, int channel)
{
    std::string name = key.Control;
    if (key.Base)
        return name + std::to_string(key.Base + channel);
    const size_t at = name.find('#');
    return at == std::string::npos ? name : name.replace(at, 1, std::to_string(channel));
}

std::vector<TProfileKey> ChannelSection(int channel)
{
    std::vector<TProfileKey> keys;
    for (const TChannelKey& key : kChannelKeys) {
        const unsigned bit = 1u << channel;
        if (!(key.Channels & bit))
            continue;
        const ProfileRead read = (key.ReadChannels & bit) ? key.Read : ProfileRead::No;
        keys.push_back({key.Key, key.Form, ChannelControl(key, channel), read, key.Level});
    }
    return keys;
}

TProfileSection Closed(std::string name, std::vector<TProfileKey> keys)
{
    keys.push_back({kProfileClosingKey, ProfileForm::Closing, ""});
    return {std::move(name), std::move(keys)};
}

std::vector<TProfileSection> MakeSections()
{
    std::vector<TProfileSection> sections = {Closed("Info", kInfo), Closed("Alarm/Message", kAlarmMessage)};
    for (int n = 1; n <= 7; ++n)
        sections.push_back(Closed("I/O" + std::to_string(n) + " Settings", ChannelSection(n)));
    sections.push_back(Closed("Battery Monitor Settings", ChannelSection(8)));
    sections.push_back(Closed("Internet Settings", kInternet));
    sections.push_back(Closed("Data Transfer", kDataTransfer));
    sections.push_back(Closed("Data Logging", kDataLogging));
    sections.push_back(Closed("Main Init Settings", kMainInit));
    sections.push_back(Closed("Communication Settings", kCommunication));
    sections.push_back(Closed("SWT Settings", kSwt));
    return sections;
}

} // namespace

const std::vector<TProfileSection>& ProfileSections()
{
    static const std::vector<TProfileSection> sections = MakeSections();
    return sections;
}

std::vector<std::string> ProfileSaveControls()
{
    std::vector<std::string> names;
    for (const auto& section : ProfileSections())
        for (const auto& key : section.Keys)
            if (!key.Control.empty() && std::find(names.begin(), names.end(), key.Control) == names.end())
                names.push_back(key.Control);
    return names;
}

std::vector<std::string> ProfileReadControls()
{
    std::vector<std::string> names;
    for (const auto& section : ProfileSections())
        for (const auto& key : section.Keys)
            if (key.Read != ProfileRead::No)
                names.push_back(key.Control);
    return names;
}
