#pragma once

#include "platform/ui/Dialogs.h"

#include <deque>
#include <string>
#include <vector>

// Dialogs that a test answers in advance: every question takes the next scripted answer of its kind; a
// question without one is answered with Cancel. Everything shown is recorded.
class TScriptedDialogs : public IDialogs
{
  public:
    struct TShown {
        std::string Kind; // "message", "input", "open", "save"
        std::string Text; // the message, the prompt, or the file filter
        std::string Caption;
        TMessageIcon Icon = TMessageIcon::None; // of a message box
    };
    struct TAnswer {
        bool Accept = true;
        std::string Value; // typed text or chosen path
    };

    void AnswerInput(bool accept, const std::string& value = "") { inputs_.push_back({accept, value}); }
    void AnswerFile(bool accept, const std::string& path = "") { files_.push_back({accept, path}); }

    void MessageBox(const std::string& text, const std::string& caption,
                    TMessageIcon icon = TMessageIcon::None) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool OpenFile(const TFileDialogRequest& request, std::string& fileName) override;
    bool SaveFile(const TFileDialogRequest& request, std::string& fileName) override;

    std::vector<std::string> Messages() const; // texts of the message boxes, in order
    std::vector<TShown> Shown;
    // File names proposed to the file dialogs, in order.
    std::vector<std::string> ProposedFileNames;

  private:
    static bool Take(std::deque<TAnswer>& answers, std::string& value);
    std::deque<TAnswer> inputs_;
    std::deque<TAnswer> files_;
};
