#include "image/TextTables.h"

#include <array>

namespace
{

const std::array<std::string, 16> kBaudNames = {
    "",      "110",   "300",   "600",   "1200",  "2400",   "4800", "9600",
    "14400", "19200", "38400", "56000", "57600", "115200", "",     "",
};

const std::string kTimer = "Set Wakeup Timer for each tasks(KVSWT)";

const std::array<std::string, kCommandDescriptionCount> kCommands = {
    "Switch from KV mode to Command mode(---)",
    "Switch from AT mode to Command mode(+++)",
    "Escape Character(ESC)",
    "KIV Information(KVI)",
    "Show time table settings(KVSTT?)",
    "Set time table settings(KVSTT)",
    "Show Wakeup Timers and tasks(KVSWT?)",
    kTimer,
    kTimer,
    kTimer,
    kTimer,
    kTimer,
    "Set Real Time Clock and day counter(KVSRTC)",
    "Set Real Time Clock and date(KVSCLK)",
    "Set Reference Date(KVSRD)",
    "Set Unit ID(KVSUI)",
    "Set Pulse Input values(KVSPI)",
    "Set IO port registers(KVS())",
    "Sends one AT-command to the module(KVSEND)",
    "Set Communication direction to AT-mode(KVSC1)",
    "Set AD Calibration Parameters(KVSAC)",
    "Set status LEDs(KVSLED)",
    "Set Low Power Period mode(KVLPP=)",
    "Set GPS Capture mode(KVGPS(ON))",
    "Show active profile(KV&&V)",
    "Save active profile(KV&&W)",
    "Enter Int BootStrap Loader(KV&&BSL)",
    "Software Reset MCU System(KV&&SR)",
    "Show Pulse input status profile(KV&&P)",
    "Enter Main Bootloader (KV&&MB)",
    "Echo ON/OFF(KVE0)",
    "Print Info Response(KVP0)",
    "Print Result(KVPR0)",
    "Print Message(KVPM0)",
    "Clear Software reset Counter(KVCSC)",
    "Check Voltage Level(KVRVL)",
    "Read I/O settings(KVRIS)",
    "Run check Signal Level(KVRSL)",
    "Read Analogue Input values, (KVRAI)",
    "Read Analogue Input All values, (KVRAIA)",
    "Read Power values, (KVRPOW)",
    "Connect to an ISP(KV-IC)",
    "Disconnect from Internet and the Server(KV-IDC)",
    "Get the current Socket status(KV-IS?)",
    "Perform an Active Open and establish a Socket(KV-ISO)",
    "Close a Socket(KV-ISC)",
    "Set Internet Protocol Address(KV-IP1)",
    "Set Internet Protocol Address(KV-IP2)",
    "Set Internet Local Port(KV-ILP)",
    "Internet Transparent mode(KV-ITP)",
    "Get ISP status profile(KV-I&&V)",
    "Get IP status profile(KV-I&&IP)",
    "Set APN1(KV-IAPN1)",
    "Set APN2(KV-IAPN2)",
    "Get Local IP Address(KV-I&&LIP)",
    "Get SMS status profile(KV-S&&V)",
    "Set SMS Alarm Phone Numbers(KV-SSP)",
    "Clear SMS Counter(KV-SCC)",
    "Latest incomming SMS(KV-SI)",
    "Set SMS Limit Counter(KV-SL)",
};

const std::string kEmpty;

} // namespace

const std::string& BaudRateName(int index)
{
    return index >= 0 && index < static_cast<int>(kBaudNames.size()) ? kBaudNames[static_cast<size_t>(index)] : kEmpty;
}

const std::string& CommandDescription(int index)
{
    return index >= 0 && index < kCommandDescriptionCount ? kCommands[static_cast<size_t>(index)] : kEmpty;
}

std::string CommandDescriptionShown(int index)
{
    std::string text = CommandDescription(index);
    for (size_t pos = text.find("&&"); pos != std::string::npos; pos = text.find("&&", pos + 1))
        text.erase(pos, 1);
    return text;
}
