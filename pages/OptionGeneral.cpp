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
    WriteSwitch(ctx_.Image, kConnectBox, on);
    ServerBox->setEnabled(on);
    // No ISP connection, no server connection: unticking the server box clears its bit.
    if (!on)
        ServerBox->SetChecked(false);
}

void TOptionBits::UNCheckBoxClick()
{
    WriteSwitch(ctx_.Image, kUNCheckBox, UNCheckBox->Checked());
    Call(Hooks.UserNameEnabled, !UNCheckBox->Checked());
}

// At most one source of the unit ID is ticked: ticking one unticks the others, whose handlers write their off
// values. A redraw of an image holding two or three runs these handlers inside one another, and may end with
// none ticked; the unit ID edit is locked by what the boxes show once this handler is done, so the last
// handler to finish leaves it locked exactly while a source is ticked.
void TOptionBits::UnitIdSourceClick(int source)
{
    TCheckBox* box = unitIdSources_[size_t(source)];
    const bool on = box->Checked();
    WriteSwitch(ctx_.Image, kUnitIdSources[size_t(source)], on);
    if (on)
        for (TCheckBox* other : unitIdSources_)
            if (other != box && other->Checked())
                other->SetChecked(false);
    Call(Hooks.UserIDLocked, std::any_of(unitIdSources_.begin(), unitIdSources_.end(),
                                         [](const TCheckBox* source) { return source->Checked(); }));
}

void TOptionBits::ADValRadioGroupClick()
{
    WriteChoice(ctx_.Image, kADValRadioGroup, ADValRadioGroup->ItemIndex());
    Call(Hooks.LevelCaptions);
    Help(11, 15);
}
