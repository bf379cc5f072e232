#pragma once

#include <QObject>
#include <QString>

#include <string>
#include <vector>

class QPlainTextEdit;
class QWidget;

// The three lines the help panel shows for (page, item): "p<page>.<item>: " + line 1, then lines 2 and 3.
// Empty when the page is not 1..13 or its table has no such item.
std::vector<QString> HelpLines(int page, int item);

// What a control under the mouse (or, for the two init-string boxes, a control that takes the focus) shows.
struct THelpBinding {
    std::string control;
    int page; // 0: only clears the panel
    int item;
    bool onEnter = false;
};
const std::vector<THelpBinding>& HelpBindings();

// The fixed wheel step of the settings pages' scroll boxes (0 for any other control).
int WheelStepOf(const std::string& scrollBox);

// The context help panel: shows help texts and watches the controls the bindings name.
class THelpPanel : public QObject
{
  public:
    THelpPanel(QPlainTextEdit* panel, QObject* parent);

    // Clears the panel, then shows the three lines of (page, item) when there are any.
    void ShowHelpText(int page, int item);
    void Clear();
    std::vector<QString> Lines() const;

    // Watches every bound control and scroll box found under root by its object name. Controls already
    // watched are left as they are, so pages built later are bound by calling this again.
    void Bind(QWidget* root);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Watch(QWidget* widget);

    QPlainTextEdit* panel_;
};
