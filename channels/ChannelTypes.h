#pragma once

#include "channels/DipSwitches.h"
#include "image/HardwareVariant.h"

#include <array>

class QComboBox;
class QLabel;
class QWidget;
class TCheckBox;
class TOptionBits;
class TRadioGroup;
struct TChannelTypeRow;
struct TPageContext;

// The channel types of the "Data Transfer/Logging/Timers" page: the hardware variant ("Modem Type"), a pick
// list of types per channel, the DIP switches the types set, and "Set RAM pos". Choosing a type sets at once
// everything the unit needs for that wiring: the channel's selector, its DIP switches, how its pulses are
// counted, its direction, its logging, and its data-source code (stored with the next write or "Set RAM pos").
class TChannelTypes
{
  public:
    TChannelTypes(TPageContext& ctx, TOptionBits& options, TVariantState& variant, QWidget* sheet);

    // IO1_ComboBoxExit .. IO7_ComboBoxExit: a type the user picked takes effect when the list is left or
    // committed. A list the user has not touched since it was set from the image or the variant leaves its
    // channel as it is, so committing an image sends it back as it came.
    void IOComboBoxExit(int n);
    void ModemTypeRadioGClick();
    // Relabels the pages and reloads the pick lists for Variant.modemType (any letter case); an unknown
    // variant changes nothing. The lists are left without a choice.
    void ApplyModemTypeLabels();
    // "Set RAM pos": the data-source codes into the image.
    void Button5Click();
    // Shows item of channel n's list as the image has it; no choice of the user is pending afterwards.
    void ShowType(int n, int item);

    QComboBox* List(int n) const { return lists_[static_cast<size_t>(n - 1)]; }
    TDipSwitches& Dips() { return dips_; }

  private:
    void Build(QWidget* sheet);
    void FillList(int n, const std::vector<std::string>& items);
    void NoChoice(int n);
    void Choose(int n, int item);
    void Apply(int n, const TChannelTypeRow& row);
    void ShowVariant(THardwareVariant variant);
    TCheckBox* Log(int n) const;
    TRadioGroup* Wiring(int n) const;

    TPageContext& ctx_;
    TOptionBits& options_;
    TVariantState& variant_;
    TDipSwitches dips_;
    TRadioGroup* ModemTypeRadioG = nullptr;
    QLabel* Label196 = nullptr;
    std::array<QComboBox*, kVariantChannels> lists_{};
    std::array<bool, kVariantChannels> picked_{};
    bool showingVariant_ = false;
};
