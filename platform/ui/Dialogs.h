#pragma once

#include <string>

// The dialogs every layer may show, behind one interface so that tests can answer them.
// Texts are single-byte (Latin-1); file names are local paths as the file system spells them.
struct TFileDialogRequest {
    std::string Title;
    // "Description|*.ext" pairs separated by '|', as the file dialogs of the tool are described.
    std::string Filter;
};

// The icon of a message box: none, or the warning (exclamation) sign.
enum class TMessageIcon { None, Warning };

class IDialogs
{
  public:
    virtual ~IDialogs() = default;
    // Modal box with the text, the caption, the icon and one OK button.
    virtual void MessageBox(const std::string& text, const std::string& caption,
                            TMessageIcon icon = TMessageIcon::None) = 0;
    // Modal one-line question; value carries the proposed text in and the typed text out (only on OK).
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    // fileName carries the proposed name in and the chosen path out; true when the user chose a file.
    virtual bool OpenFile(const TFileDialogRequest& request, std::string& fileName) = 0;
    virtual bool SaveFile(const TFileDialogRequest& request, std::string& fileName) = 0;
};

// The dialogs in use: the Qt ones unless a test has put its own in place.
IDialogs& Dialogs();
// nullptr puts the Qt dialogs back. The caller keeps ownership.
void SetDialogs(IDialogs* dialogs);

// Puts dialogs in place for one scope and restores the previous ones after it.
class TScopedDialogs
{
  public:
    explicit TScopedDialogs(IDialogs& dialogs);
    ~TScopedDialogs();
    TScopedDialogs(const TScopedDialogs&) = delete;
    TScopedDialogs& operator=(const TScopedDialogs&) = delete;

  private:
    IDialogs* previous_;
};

// "Text|*.kvx|All|*" -> "Text (*.kvx);;All (*)": the filter form of the Qt file dialogs.
std::string QtFileFilter(const std::string& pipeFilter);
