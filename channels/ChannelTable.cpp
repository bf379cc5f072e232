#include "channels/ChannelTable.h"

namespace
{

using K = TChannelKind;

// clang-format off
const std::vector<TChannel> kChannels = {
//   n  kind           recip dig  ana  delay high low  hyst text text2 cmd   cmd2  bit
//      command box   UDP IP2 box   restore switch     restore label
//      channel box   port box      SMS box      internet box  delay box         restore box    analogue box
//      calibration  special function
    {1, K::Switchable, 141,  150, 0,   171,  0,   0,   0,   291, 547,  1128, 1233, 0x01,
        "CheckBox33", "CheckBox25", "RestoreDelayIO1", "",
        "",           "GroupBox26", "GroupBox9", "GroupBox78", "delay1GroupBox", "GroupBox125", "",
        0,            false},
    {2, K::Mixed,      142,  151, 268, 173,  262, 264, 266, 323, 579,  1149, 1254, 0x02,
        "CheckBox34", "CheckBox26", "RestoreDelayIO2", "Label169",
        "",           "GroupBox28", "",          "GroupBox80", "delay2GroupBox", "GroupBox126", "GroupBox22",
        2486,         true},
    {3, K::Mixed,      143,  152, 193, 191,  177, 179, 181, 355, 611,  1170, 1275, 0x04,
        "CheckBox35", "CheckBox27", "RestoreDelayIO3", "Label176",
        "GroupBox35", "GroupBox33", "",          "GroupBox82", "delay3GroupBox", "GroupBox127", "GroupBox36",
        2048,         false},
    {4, K::Mixed,      144,  153, 210, 208,  194, 196, 198, 387, 643,  1191, 1296, 0x08,
        "CheckBox36", "CheckBox28", "RestoreDelayIO4", "Label177",
        "",           "GroupBox42", "",          "GroupBox84", "GroupBox121",    "GroupBox128", "GroupBox43",
        2065,         false},
    {5, K::Mixed,      145,  154, 227, 225,  211, 213, 215, 419, 675,  0,    0,    0,
        "",           "CheckBox29", "RestoreDelayIO5", "Label178",
        "",           "GroupBox46", "",          "GroupBox86", "GroupBox65",     "GroupBox129", "GroupBox94",
        2082,         false},
    {6, K::Mixed,      146,  155, 244, 242,  228, 230, 232, 451, 707,  0,    0,    0,
        "",           "CheckBox30", "RestoreDelayIO6", "Label179",
        "",           "GroupBox52", "",          "GroupBox88", "GroupBox122",    "GroupBox130", "GroupBox48",
        2099,         false},
    {7, K::Mixed,      147,  156, 261, 259,  245, 247, 249, 483, 739,  0,    0,    0,
        "",           "CheckBox31", "RestoreDelayIO7", "Label180",
        "",           "GroupBox63", "",          "GroupBox90", "GroupBox123",    "GroupBox131", "GroupBox55",
        2116,         false},
    {8, K::PowerIn,    148,  0,   288, 284,  0,   286, 0,   515, 0,    1212, 0,    0x10,
        "CheckBox40", "CheckBox32", "RestoreDelayBAT", "Label181",
        "",           "",           "",          "GroupBox92", "GroupBox124",    "GroupBox132", "GroupBox59",
        0,            false},
};
// clang-format on

} // namespace

std::string TChannel::Named(const std::string& prefix, const std::string& suffix) const
{
    return prefix + std::to_string(n) + suffix;
}

std::string TChannel::Caption() const
{
    return kind == TChannelKind::PowerIn ? "Power In Monitor Settings" : "Channel " + std::to_string(n) + " Settings";
}

const std::vector<TChannel>& Channels()
{
    return kChannels;
}
