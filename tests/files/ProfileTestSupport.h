#pragma once

#include "files/ProfileKeys.h"
#include "files/ProfileSave.h"
#include "platform/TempFiles.h"

#include <map>
#include <string>

// Control values made up from each control's place in the tables: every text a distinct number, boxes and
// groups varied. Tests override single controls.
class TFakeValues : public IProfileValues
{
  public:
    TFakeValues()
    {
        int n = 0;
        for (const auto& section : ProfileSections())
            for (const auto& key : section.Keys) {
                if (key.Control.empty() || texts.count(key.Control) || checks.count(key.Control) ||
                    indexes.count(key.Control))
                    continue;
                ++n;
                if (key.Form == ProfileForm::Text && key.Level != ProfileLevel::None)
                    texts[key.Control] = std::to_string(n % 20); // within every level's limit
                else if (key.Form == ProfileForm::Text)
                    texts[key.Control] = std::to_string(n * 7); // a number suits every edit
                else if (key.Form == ProfileForm::Check)
                    checks[key.Control] = n % 3 != 0;
                else
                    indexes[key.Control] = n % 5 - 1;
            }
    }
    std::string Text(const std::string& control) const override { return texts.at(control); }
    bool Checked(const std::string& control) const override { return checks.at(control); }
    int Index(const std::string& control) const override { return indexes.at(control); }

    std::map<std::string, std::string> texts;
    std::map<std::string, bool> checks;
    std::map<std::string, int> indexes;
};
