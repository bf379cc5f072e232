#pragma once

#include "link/serial/ScriptRunner.h"

class QComboBox;
class QLineEdit;

// The terminal page's script list ScriptComboBox and pause edit DelayEdit2, as the script runner reads and
// sets them (Latin-1 on the page).
class ScriptBoxes : public ScriptList
{
  public:
    ScriptBoxes(QComboBox& box, QLineEdit& pause) : box_(box), pause_(pause) {}

    int Count() override;
    void Select(int index) override;
    std::string Shown() override;
    void Remember(const std::string& text, int count) override;
    void Replace(const std::vector<std::string>& lines) override;
    std::string PauseText() override;
    void SetPause(int ms) override;

  private:
    QComboBox& box_;
    QLineEdit& pause_;
};
