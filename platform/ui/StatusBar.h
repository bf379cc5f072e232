#pragma once

#include <QStatusBar>

#include <string>
#include <vector>

class QLabel;

// A status bar of fixed panels addressed by number; panel texts are single-byte text.
class TStatusBar : public QStatusBar
{
    Q_OBJECT
  public:
    TStatusBar(const std::vector<int>& panelWidths, QWidget* parent = nullptr);

    void SetPanelText(int panel, const std::string& text);
    std::string PanelText(int panel) const;
    int PanelCount() const { return static_cast<int>(panels_.size()); }

  private:
    std::vector<QLabel*> panels_;
};
