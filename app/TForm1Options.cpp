#include "app/TForm1.h"

#include "channels/LoggingChannels.h"
#include "pages/OptionBits.h"
#include "pages/WakeUpTimers.h"
#include "platform/ui/RadioGroup.h"

#include <QApplication>
#include <QLineEdit>
#include <QPalette>

// The option switches of the "General Settings", "Communication" and "Data Transfer/Logging/Timers" pages, and
// the channels' logging controls that stand among them.
void TForm1::BuildOptionBits()
{
    OptionBits = std::make_unique<TOptionBits>(PageContext, TOptionBits::TSheets{TabSheet2, TabSheet4, TabSheet6});
    OptionBits->Hooks.ShowHelpText = [this](int page, int item) { ShowHelpText(page, item); };
    OptionBits->Hooks.LevelCaptions = [this] { ShowLevelCaptions(); };
    BuildLoggingChannels(PageContext);
    // A unit ID taken from the SIM card or the modem leaves nothing to type: the edit is locked and greyed.
    OptionBits->Hooks.UserIDLocked = [this](bool locked) {
        auto* edit = PageContext.Get<QLineEdit>("UserIDText");
        edit->setEnabled(!locked);
        edit->setReadOnly(locked);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, QApplication::palette().color(locked ? QPalette::Button : QPalette::Base));
        edit->setPalette(palette);
    };
    // A synchronised timer starts at its start time, which is then worth showing.
    OptionBits->Hooks.StartTimeEnabled = [this](int timer, bool enabled) {
        PageContext.Get<QLineEdit>(StartTimeEditName(timer))->setEnabled(enabled);
    };
}
