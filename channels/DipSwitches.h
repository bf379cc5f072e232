#pragma once

#include <array>
#include <cstddef>

class QWidget;
class TRadioGroup;
struct TPageContext;

// The ten DIP switches of the unit as the image records them ("HW DIP Switch Position"), with the legend of
// what each switch does on each hardware variant. Switches 1-8 are bits 0-7 of byte 188, switches 9 and 10
// bits 0-1 of byte 187; a set bit is "ON".
class TDipSwitches
{
  public:
    static constexpr int kCount = 10;

    TDipSwitches(TPageContext& ctx, QWidget* sheet);

    // DIPSW1_RGClick .. DIPSW10_RGClick: the switch's position into its bit; a switch with no position
    // stores "ON". Runs whenever a switch moves, by the user, a redraw or a channel type.
    void Click(int k);
    TRadioGroup* Switch(int k) const { return switches_[static_cast<size_t>(k - 1)]; }

  private:
    void Build(QWidget* sheet);

    TPageContext& ctx_;
    std::array<TRadioGroup*, kCount> switches_{};
};
