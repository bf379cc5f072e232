#pragma once

#include "files/ProfileRead.h"
#include "files/ProfileSave.h"

#include <string>
#include <utility>
#include <vector>

struct TPageContext;

// The settings profile's view of the page controls, each found by its name in the page context.

// The values the save records: an edit's text (a masked edit's without its separators), a pick list's
// text, a box's tick, a group's chosen item.
class TProfileControls : public IProfileValues
{
  public:
    explicit TProfileControls(const TPageContext& ctx) : ctx_(ctx) {}
    std::string Text(const std::string& control) const override;
    bool Checked(const std::string& control) const override;
    int Index(const std::string& control) const override;

  private:
    const TPageContext& ctx_;
};

// The names no page has built: a save or read-back that would miss one refuses to run instead.
std::vector<std::string> MissingControls(const TPageContext& ctx, const std::vector<std::string>& names);

// The level edits show the texts the save recorded for them; their Exit handling does not run, so the
// image keeps the level it holds.
void ShowCorrectedLevels(const TPageContext& ctx, const std::vector<std::pair<std::string, std::string>>& levels);

// Sets each control as the user would, in order: a text is typed (cut to the edit's length) and the edit
// left, so its Exit handling writes the image and shows the field; a box or group is set and its click
// handling writes. Then the scaling constants are shown again. Should anything fail half way, the image
// is put back as it was, the pages are redrawn from it and the failure is raised again.
void ApplyProfile(TPageContext& ctx, const std::vector<TProfileValue>& values);
