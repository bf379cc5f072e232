#include "image/ChannelTypeTable.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace
{

using TRows = std::vector<TChannelTypeRow>;
using TLists = std::array<TRows, kVariantChannels>;

TRows Join(std::initializer_list<TRows> parts)
{
    TRows rows;
    for (const TRows& part : parts)
        rows.insert(rows.end(), part.begin(), part.end());
    return rows;
}

// Plain pulse counts, or a rate by frequency or by difference, with the channel wired for pulses.
TRows PulseRows(const std::vector<TDipSetting>& dips)
{
    return {{"Pulse Input", 0, dips, TPulseCount::Plain},
            {"Pulse Input Freq calc", 0, dips, TPulseCount::Freq},
            {"Pulse Input Diff calc", 0, dips, TPulseCount::Diff}};
}

// The internal sensors of a TARN unit: they leave the channel's wiring as it is.
TRows SensorRows()
{
    return {{"Int Temp", -1, {}, TPulseCount::None, kSensorTemp},
            {"Int Humidity", -1, {}, TPulseCount::None, kSensorHumidity},
            {"Int Pressure", -1, {}, TPulseCount::None, kSensorPressure}};
}

// A digital input, or one of two analogue ranges that the channel's own switch tells apart.
TRows SwitchedRows(int sw, const char* low, const char* high)
{
    return {{"DigIO", 0, {{sw, 0}}}, {low, 1, {{sw, 0}}}, {high, 1, {{sw, 1}}}};
}

// MOSS channels 6 and 7: three switches together choose between up to 2.5 V and up to 30 V.
TRows CombinedRows(int a, int b, int c)
{
    const std::vector<TDipSetting> low = {{a, 1}, {b, 0}, {c, 0}};
    return {{"DigIO", 0, low}, {"Analog 0-2.5V", 1, low}, {"Analog 0-30V", 1, {{a, 0}, {b, 1}, {c, 1}}}};
}

const TLists& TarnRows()
{
    static const TLists lists = [] {
        TLists l;
        l[0] = Join({PulseRows({{1, 0}}),
                     {{"DigIO Weak Pull-Up", 1, {{1, 0}}}, {"DigIO Strong Pull-Up", 1, {{1, 1}}}},
                     SensorRows()});
        for (int n = 2; n <= 5; ++n)
            l[size_t(n - 1)] = Join({SwitchedRows(n, "Analog 0-2.5V", "Analog 4-20mA"), SensorRows()});
        l[5] = Join({SwitchedRows(6, "Analog 0-5V", "Analog 0-10V"), SensorRows()});
        l[6] = Join({{{"PT100 Analog 0-2.5V", 1, {{7, 1}, {8, 0}}},
                      {"PT1000 Analog 0-2.5V", 1, {{7, 0}, {8, 1}}},
                      {"Int Temp/Humid", 0, {}, TPulseCount::None, kSensorTempHumid}},
                     SensorRows()});
        return l;
    }();
    return lists;
}

const TLists& MossRows()
{
    static const TLists lists = [] {
        TLists l;
        l[0] = Join({PulseRows({}), {{"DigIO", 1, {}}}});
        for (int n = 2; n <= 4; ++n)
            l[size_t(n - 1)] =
                Join({PulseRows({{n, 0}}), {{"Analog 0-2.5V", 1, {{n, 0}}}, {"Analog 4-20mA", 1, {{n, 1}}}}});
        l[4] = SwitchedRows(5, "Analog 0-2.5V", "Analog 4-20mA");
        l[5] = CombinedRows(1, 6, 7);
        l[6] = CombinedRows(8, 9, 10);
        return l;
    }();
    return lists;
}

} // namespace

const std::vector<TChannelTypeRow>& ChannelTypeRows(THardwareVariant variant, int channel)
{
    static const TRows kNone;
    if (channel < 1 || channel > kVariantChannels || variant == THardwareVariant::None)
        return kNone;
    const TLists& lists = variant == THardwareVariant::TARN ? TarnRows() : MossRows();
    return lists[static_cast<size_t>(channel - 1)];
}

const TChannelTypeRow* ChannelTypeRow(THardwareVariant variant, int channel, int item)
{
    const TRows& rows = ChannelTypeRows(variant, channel);
    return item >= 1 && item <= static_cast<int>(rows.size()) ? &rows[static_cast<size_t>(item - 1)] : nullptr;
}

std::vector<int> ChannelSwitches(THardwareVariant variant, int channel)
{
    std::vector<int> switches;
    for (const TChannelTypeRow& row : ChannelTypeRows(variant, channel))
        for (const TDipSetting& dip : row.dips)
            if (std::find(switches.begin(), switches.end(), dip.sw) == switches.end())
                switches.push_back(dip.sw);
    std::sort(switches.begin(), switches.end());
    return switches;
}
