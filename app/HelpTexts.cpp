#include "app/HelpTexts.h"

#include <iterator>

namespace
{

// Rows that repeat another row's text take it from these, so a repeated text is written once.
constexpr const char* kRecipients1 = "Alarm recipients: up to five phone numbers that receive the alarm messages.";
constexpr const char* kRecipients2 = "Use the full international form of each number, e.g. +46701234567.";

constexpr const char* kAlarmText1 = "Alarm text: the message sent when this channel raises an alarm.";
constexpr const char* kAlarmText2 = "There is one text for each direction of change (off to on, on to off).";
constexpr const char* kChoose1 = "Alarm recipients: tick the phone numbers that receive this channel's alarms.";
constexpr const char* kChoose2 = "Only the numbers set on the alarm page can be chosen.";
constexpr const char* kIpAlarm1 = "IP alarm: send this channel's alarms to the servers over TCP.";
constexpr const char* kIpAlarm2 = "Two destination groups can be chosen: the first or the second server pair.";
constexpr const char* kTrigger1 = "Alarm trigger: the state changes of the input that raise an alarm.";
constexpr const char* kTrigger2 = "Choose a change to on, a change to off, or both.";
constexpr const char* kDelay1 = "Alarm delay: the input must keep its new state this long before the alarm is raised.";
constexpr const char* kDelay2 = "Use it against noisy or bouncing inputs.";
constexpr const char* kRepeat1 = "Repeat block: no new alarm of this channel within n seconds of the last one.";
constexpr const char* kRepeat2 = "0 sends every alarm.";
constexpr const char* kInternal1 = "Send KV command internally on alarm";
constexpr const char* kInternal2 = "The unit runs this channel's KV command itself when the alarm is raised.";
constexpr const char* kPeriodic1 =
    "Periodic sending works on the configured interval so that if a value of 60 is entered a send will occur every 60 "
    "minutes.";
constexpr const char* kPeriodic2 =
    "Synchronized: the timer starts at its nominated start time and adds its period to that time for each next run.";

const THelpRow kPage1[] = {
    {1, "SMS centre number: taken from the SIM card.", "It cannot be changed here.", ""},
    {2, kRecipients1, kRecipients2, ""},
    {3, kRecipients1, kRecipients2, ""},
    {4, kRecipients1, kRecipients2, ""},
    {5, kRecipients1, kRecipients2, ""},
    {6, kRecipients1, kRecipients2, ""},
    {7, "Last sender: the number that last sent the unit a valid message.", "Shown as read from the unit.", ""},
    {8, "The time the last valid message was received.", "Shown as read from the unit.", ""},
    {9, "Unit ID from the SIM card: phone-book entry number 1 is used as the unit ID.", "", ""},
    {10, "Unit ID from the SIM card: the card's ID is used as the unit ID.", "", ""},
    {11, "Unit ID: a text of your own that names the unit, at most 40 characters.",
     "It is sent with alarm messages and data packets.", ""},
    {12, "SMS security: incoming messages are accepted only from the alarm recipients' numbers.",
     "Messages from other numbers are ignored.", ""},
    {13, "SMS limit: the largest number of messages the unit sends in 24 hours.",
     "The 24-hour period starts when the unit is powered up.", ""},
    {14, "Append the alarm status to the alert message.", "", ""},
    {15, "Append the unit ID to the alert message.", "", ""},
    {16, "Alarm On/Off: the level of the chosen I/O switches all alarm inputs off and on.",
     "High level: alarms on. Low level: alarms off.", ""},
    {17, "The I/O (3 to 7) whose level switches the alarms off and on.", "", ""},
    {18, "Unit ID from the modem: the IMEI is used as the unit ID.", "", ""},
};

const THelpRow kChannels1and2[] = {
    {1, kAlarmText1, kAlarmText2, ""},
    {2, kChoose1, kChoose2, ""},
    {3, kIpAlarm1, kIpAlarm2, ""},
    {4, kTrigger1, kTrigger2, ""},
    {5, "Digital I/O: use the channel as an input, or as an output that is switched on and off.",
     "As an output it can be set from the unit's commands.", ""},
    {6, kDelay1, kDelay2, ""},
    {7, kRepeat1, kRepeat2, ""},
    {8, kInternal1, kInternal2, ""},
};

const THelpRow kChannels3to7[] = {
    {1, kAlarmText1, kAlarmText2, ""},
    {2, kChoose1, kChoose2, ""},
    {3, kIpAlarm1, kIpAlarm2, ""},
    {4, kTrigger1, kTrigger2, ""},
    {5, "Analogue or digital: choose how the channel is used.",
     "In analogue use, set the levels at which an alarm is raised.", ""},
    {6, kDelay1, kDelay2, ""},
    {7, kRepeat1, kRepeat2, ""},
    {8, "Analogue alarm: alarm below the low level, above the high level, or both.", "Alarm hysteresis(60mV) on levels",
     ""},
    {9, "Restore notice: send a message when the voltage has returned to normal.", "", ""},
    {10, "Self-adjusting level: the alarm level follows a slowly changing input.",
     "Only a fast change raises an alarm.", ""},
    {11, kInternal1, kInternal2, ""},
};

const THelpRow kPowerIn[] = {
    {1, "Alarm text: the message sent when the supply falls below the low level.", "", ""},
    {2, kChoose1, kChoose2, ""},
    {3, kIpAlarm1, kIpAlarm2, ""},
    {4, "Use an alarm delay for the supply alarm,", "so that short dips of the supply raise no alarm.", ""},
    {5, kRepeat1, kRepeat2, ""},
    {6, "Supply alarm voltage: the alarm is raised below this voltage.", "", ""},
    {7, "Restore notice: send a message when the supply has returned to normal.", "", ""},
    {8, "Power In Low Level.", "The supply voltage and its state as last read from the unit.", ""},
    {11, kInternal1, kInternal2, ""},
};

const THelpRow kInternet[] = {
    {1, "Server addresses 1 and 2: the first pair of server IP addresses.",
     "The unit switches to the other address when one does not answer.", ""},
    {2, "Remote port: the server port the unit connects to.",
     "A firewall in front of the server must forward this port to it.", ""},
    {3, "Server addresses 3 and 4: the second pair of server IP addresses.", "", ""},
    {4, "Local port: the port the unit sends from.", "", ""},
    {5, "Default protocol: send over UDP or over TCP.", "", ""},
    {6, "Firewall: the unit answers only the configured server addresses.", "Other callers get no answer.", ""},
    {7, "Send data without a termination character.", "", ""},
    {8, "Termination character: its value in hexadecimal, e.g. 0D.", "", ""},
    {9, "A data packet holds at most 512 bytes.", "Longer data is sent in several packets.", ""},
    {10, "Transparent mode: each packet starts with a protocol header:", "[#10,Unit_ID,Data_length,Data]", ""},
    {11, "APN: the access point name of the mobile operator.", "Pick a name from the list or type it.", ""},
    {12, "Dial-up code of the data connection:", "d*99***1#", ""},
    {13, "Connect to the provider when the unit is powered up.", "", ""},
    {14, "Open a socket to the first or the second server when the unit is powered up.", "", ""},
    {15, "Reconnect period: the time between two attempts to reconnect.", "", ""},
    {16, "Reconnects before the modem is restarted.", "", ""},
    {17, "Disconnect after this period without data.", "", ""},
    {0, "", "", ""},
    {0, "", "", ""},
    {0, "", "", ""},
};

const THelpRow kDataTransfer[] = {
    {1, "Choose which of the wake-up timers 2 to 4 send data.", "", ""},
    {2, kPeriodic1, kPeriodic2, ""},
    {3, "Packet formats: #21 analogue values, #22 digital states, #32 pulse counts.", "", ""},
    {4, "Caution: sending at short intervals costs traffic and power.", "Choose the longest interval that will do.",
     ""},
    {5, "Send an SMS with the unit ID.", "", ""},
    {6, "Send the unit ID from port 2100.", "", ""},
    {7, "Send the unit ID from the local port.", "", ""},
    {8, "Send the analogue statuses from port 2050.", "Example: #21,Unit_ID,1234,0567,0890,2500,0000", ""},
    {9, "Send the digital statuses from port 2051.", "Example: #22,Unit_ID,1,0,1,1,0,0,1", ""},
    {10, "Keep alive: send on the socket now and then so that the connection stays open.", "", ""},
    {11, "Ping: test the connection with a ping to the server.", "", ""},
    {12, "Ping the unit's own IP address.", "", ""},
    {13, "Ping failures before the connection to the provider counts as lost.", "", ""},
    {14, "Which packets go to which server address.", "", ""},
    {15, "Analogue values in mV, or scaled by the calibration.", "", ""},
};

const THelpRow kDataLogging[] = {
    {1, "Timed - A logging will occur on a specific time interval",
     "Event(I/O1) - A logging will occur when changing level on I/O1, the logging value will be set to:0xFFFFFFFF, to "
     "be able to separate a Event from a Timed value",
     ""},
    {2, "Pulse edges: the edges of the input that count a pulse.", "Rising, falling or both edges.", ""},
    {3, "Which inputs log pulse counts, digital states or analogue values.", "", ""},
    {4, "Use I/O7 toggling", "I/O7 is switched for the set time when the output is used.", ""},
    {5, kPeriodic1, kPeriodic2, ""},
    {6, "The number of log slots depends on how many inputs are logged.", "The fewer inputs, the more records fit.",
     ""},
};

const THelpRow kGeneral[] = {
    {1, "Start mode: KV mode, AT mode or GPS capture.", "", ""},
    {2, "Read the SMS memory when a connection is made.", "", ""},
    {3, "Switch to KV mode during a dial-in connection.", "", ""},
    {4, "Accept incoming CSD data calls.", "", ""},
    {5, "Force sending in module-direct mode.", "", ""},
    {6, "Software reset every 24 hours.", "", ""},
    {7, "Software reset when the unit has been inactive.", "", ""},
    {8, "Configuration ID: a number of your own that names this configuration.", "", ""},
    {9, "", "", ""},
    {10, "Password: the unit asks for it before its memory is read or written.", "", ""},
    {11, "SIM PIN: the PIN code of the SIM card.", "", ""},
    {12, "Reference date of the unit's day counter.", "", ""},
    {13, "Active profile: how the unit answers commands.", "", ""},
    {14, "Long result format (KVPSR).", "", ""},
    {15, "Response print-out (KVP).", "", ""},
    {16, "SMS response messages (KVPM).", "", ""},
    {17, "Command echo (KVE).", "KVE1 \xE2\x80\x93 Echo commands, KVE0 \xE2\x80\x93 Do not echo commands", ""},
    {18, "Result print-out (KVPR).", "", ""},
    {19, "Initial commands: run when the unit is powered up.", "If KV-cmd, start with '-', ie '-KVxxx'", ""},
    {20, "Low-power mode on or off.", "", ""},
    {21, "Sleep mode.", "", ""},
    {22, "Serial port of the unit.", "", ""},
    {23, "Wake up on a send request.", "", ""},
    {24, "Go to sleep again when the send request is done.", "", ""},
    {25, "The shortest time the unit stays awake.", "", ""},
    {26, "Analogue scan interval in low-power mode.", "", ""},
    {27, "Wake the unit by toggling DTR.", "", ""},
    {28, "Time server address.", "000.000.000.000 or 255.255.255.255 turns the clock sync off.", ""},
    {29, "Port of the time server.", "", ""},
    {30, "Use the clock stored in the unit's memory at start-up.", "", ""},
    {31, "Network time (UTC).", "", ""},
    {32, "Network time adjusted by the time zone.", "", ""},
    {33, "Activate GPS every wake-up timer 4 period.", "", ""},
};

template <size_t N> constexpr THelpTable Table(const THelpRow (&rows)[N])
{
    return {rows, static_cast<int>(N)};
}

} // namespace

THelpTable HelpTableOfPage(int page)
{
    switch (page) {
    case 1:
        return Table(kPage1);
    case 2:
    case 3:
        return Table(kChannels1and2);
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
        return Table(kChannels3to7);
    case 9:
        return Table(kPowerIn);
    case 10:
        return Table(kInternet);
    case 11:
        return Table(kDataTransfer);
    case 12:
        return Table(kDataLogging);
    case 13:
        return Table(kGeneral);
    default:
        return {nullptr, 0};
    }
}

const THelpRow* FindHelpRow(int page, int item)
{
    if (item <= 0)
        return nullptr;
    THelpTable table = HelpTableOfPage(page);
    for (int i = 0; i < table.count; ++i)
        if (table.rows[i].item == item)
            return &table.rows[i];
    return nullptr;
}
