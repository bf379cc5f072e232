#include "app/TForm1.h"

#include "channels/LoggingChannels.h"
#include "pages/OptionBits.h"
#include "platform/ui/RadioGroup.h"

// The option switches of the "General Settings", "Communication" and "Data Transfer/Logging/Timers" pages, and
// the channels' logging controls that stand among them.
void TForm1::BuildOptionBits()
{
    OptionBits = std::make_unique<TOptionBits>(PageContext, TOptionBits::TSheets{TabSheet2, TabSheet4, TabSheet6});
    OptionBits->Hooks.ShowHelpText = [this](int page, int item) { ShowHelpText(page, item); };
    OptionBits->Hooks.LevelCaptions = [this] { ShowLevelCaptions(); };
    TRadioGroup* edge = BuildLoggingChannels(PageContext, [this](int page, int item) { ShowHelpText(page, item); });
    OptionBits->Hooks.ChannelChoicesEnabled = [edge] { edge->setEnabled(true); };
}
