#include "app/TForm1.h"

#include "pages/OptionBits.h"

// The option switches of the "General Settings", "Communication" and "Data Transfer/Logging/Timers" pages.
void TForm1::BuildOptionBits()
{
    OptionBits = std::make_unique<TOptionBits>(PageContext, TOptionBits::TSheets{TabSheet2, TabSheet4, TabSheet6});
    OptionBits->Hooks.ShowHelpText = [this](int page, int item) { ShowHelpText(page, item); };
    OptionBits->Hooks.LevelCaptions = [this] { ShowLevelCaptions(); };
}
