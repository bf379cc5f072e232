#include "app/FileReport.h"
#include "app/ProfileControls.h"
#include "app/TForm1.h"
#include "files/ProfileKeys.h"
#include "files/ProposedName.h"
#include "image/ToolVersion.h"
#include "link/protocol/LocalTime.h"
#include "platform/IniFile.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/HandlerGuard.h"

#include <QToolButton>

namespace
{

constexpr char kProfileSaveFilter[] = "KIV profile-file (*.kvp)|*.kvp";
constexpr char kProfileOpenFilter[] = "KIV profile-file|*.kvp";

// A profile that left out a control the pages do not have yet would look whole and be wrong.
bool RefuseMissingControls(TForm1& form, const std::vector<std::string>& names, const std::string& what)
{
    const std::vector<std::string> missing = MissingControls(form.PageContext, names);
    if (missing.empty())
        return false;
    std::string list;
    for (const auto& name : missing)
        list += (list.empty() ? "" : ", ") + name;
    ReportFileFault(form, what + ": " + std::to_string(missing.size()) + " controls are missing: " + list);
    return true;
}

} // namespace

void TForm1::ConnectProfileActions()
{
    ConnectGuarded(SaveINIButton, &QToolButton::clicked, this, [this] { SaveINIButtonClick(); });
    ConnectGuarded(ReadINIButton, &QToolButton::clicked, this, [this] { ReadINIButtonClick(); });
}

void TForm1::SaveINIButtonClick()
{
    if (RefuseMissingControls(*this, ProfileSaveControls(), "Profile not saved"))
        return;
    const LocalTime today = LocalTimeNow();
    const std::string date = DateStamp(today.Year, today.Month, today.Day);
    const TProfileControls controls(PageContext);
    // Every value is taken and checked before the dialog: a bad level stops the save before any file exists.
    const TProfileSave save = BuildProfile(controls, kVersionTag, date);
    if (save.Fault) {
        ReportFileFault(*this, "Profile not saved: " + save.Fault->Text());
        return;
    }
    const std::string name =
        ProposedProfileName(controls.Text("ConfigID"), controls.Text("UserIDText"), date, kVersionTag);
    std::string path = LocalFileName(name);
    if (!Dialogs().SaveFile({"", kProfileSaveFilter}, path))
        return;
    try {
        IniFile ini(path);
        WriteProfile(ini, save.Entries);
    } catch (const EIniFileException& error) {
        ReportFileFault(*this, error.what());
        return;
    }
    ShowCorrectedLevels(PageContext, save.Corrections);
}

void TForm1::ReadINIButtonClick()
{
    if (RefuseMissingControls(*this, ProfileReadControls(), "Profile not read"))
        return;
    std::string path;
    if (!Dialogs().OpenFile({"", kProfileOpenFilter}, path))
        return;
    const TProfileRead read = ReadProfile(IniFile(path));
    if (read.Fault) {
        ReportFileFault(*this, PathText(path) + ": " + read.Fault->Text());
        return;
    }
    try {
        ApplyProfile(PageContext, read.Values);
    } catch (const std::exception& error) {
        ReportFileFault(*this, PathText(path) + ": " + error.what());
        return;
    }
    setWindowTitle(PathCaption(path));
}
