#include "pages/OptionBits.h"

#include "pages/OptionFields.h"
#include "pages/PageContext.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/RadioGroup.h"

#include <algorithm>

using namespace OptionFields;

void TOptionBits::ConnectBoxClick()
{
    const bool on = ConnectBox->Checked();
    if (User())
        WriteSwitch(ctx_.Image, kConnectBox, on);
    ServerBox->setEnabled(on);
    // No ISP connection, no server connection: the user's word clears it; an image keeps what it holds.
    if (!on && User())
        ServerBox->SetChecked(false);
}

void TOptionBits::UNCheckBoxClick()
{
    if (User())
        WriteSwitch(ctx_.Image, kUNCheckBox, UNCheckBox->Checked());
    Call(Hooks.UserNameEnabled, !UNCheckBox->Checked());
}

// At most one source of the unit ID is ticked by the user; an image that holds two is shown as it is.
void TOptionBits::UnitIdSourceClick(int source)
{
    TCheckBox* box = unitIdSources_[size_t(source)];
    if (User()) {
        WriteSwitch(ctx_.Image, kUnitIdSources[size_t(source)], box->Checked());
        for (TCheckBox* other : unitIdSources_)
            if (box->Checked() && other != box && other->Checked())
                other->SetChecked(false);
    }
    const bool locked =
        std::any_of(unitIdSources_.begin(), unitIdSources_.end(), [](const TCheckBox* b) { return b->Checked(); });
    Call(Hooks.UserIDLocked, locked);
}

void TOptionBits::ADValRadioGroupClick()
{
    if (User())
        WriteChoice(ctx_.Image, kADValRadioGroup, ADValRadioGroup->ItemIndex());
    Call(Hooks.LevelCaptions);
    Help(11, 15);
}
