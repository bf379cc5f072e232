#include "platform/ui/Dialogs.h"

#include "platform/ui/Latin1.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace
{

QWidget* DialogParent()
{
    return QApplication::activeWindow();
}

class TQtDialogs : public IDialogs
{
  public:
    void MessageBox(const std::string& text, const std::string& caption, TMessageIcon icon) override
    {
        const QMessageBox::Icon shown = icon == TMessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon;
        QMessageBox box(shown, FromLatin1(caption), FromLatin1(text), QMessageBox::Ok, DialogParent());
        box.exec();
    }

    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override
    {
        bool ok = false;
        QString typed = QInputDialog::getText(DialogParent(), FromLatin1(caption), FromLatin1(prompt),
                                              QLineEdit::Normal, FromLatin1(value), &ok);
        if (ok)
            value = ToLatin1(typed);
        return ok;
    }

    bool OpenFile(const TFileDialogRequest& request, std::string& fileName) override
    {
        QString chosen =
            QFileDialog::getOpenFileName(DialogParent(), FromLatin1(request.Title), QFile::decodeName(fileName.c_str()),
                                         FromLatin1(QtFileFilter(request.Filter)));
        return Take(chosen, fileName);
    }

    bool SaveFile(const TFileDialogRequest& request, std::string& fileName) override
    {
        // The callers ask no overwrite question of their own; the dialog's is the one a user expects.
        QString chosen =
            QFileDialog::getSaveFileName(DialogParent(), FromLatin1(request.Title), QFile::decodeName(fileName.c_str()),
                                         FromLatin1(QtFileFilter(request.Filter)));
        return Take(chosen, fileName);
    }

  private:
    static bool Take(const QString& chosen, std::string& fileName)
    {
        if (chosen.isEmpty())
            return false;
        fileName = QFile::encodeName(chosen).toStdString();
        return true;
    }
};

TQtDialogs& QtDialogs()
{
    static TQtDialogs dialogs;
    return dialogs;
}

IDialogs* current = nullptr;

} // namespace

IDialogs& Dialogs()
{
    return current ? *current : QtDialogs();
}

void SetDialogs(IDialogs* dialogs)
{
    current = dialogs;
}

TScopedDialogs::TScopedDialogs(IDialogs& dialogs) : previous_(current)
{
    current = &dialogs;
}

TScopedDialogs::~TScopedDialogs()
{
    current = previous_;
}

std::string QtFileFilter(const std::string& pipeFilter)
{
    std::string result;
    size_t pos = 0;
    while (pos < pipeFilter.size()) {
        size_t bar = pipeFilter.find('|', pos);
        std::string description = pipeFilter.substr(pos, bar == std::string::npos ? std::string::npos : bar - pos);
        std::string pattern;
        if (bar != std::string::npos) {
            size_t next = pipeFilter.find('|', bar + 1);
            pattern = pipeFilter.substr(bar + 1, next == std::string::npos ? std::string::npos : next - bar - 1);
            pos = next == std::string::npos ? pipeFilter.size() : next + 1;
        } else {
            pos = pipeFilter.size();
        }
        for (char& c : pattern)
            if (c == ';')
                c = ' ';
        if (!result.empty())
            result += ";;";
        result += description;
        std::string shown = "(" + pattern + ")";
        bool alreadyShown = description.size() >= shown.size() &&
                            description.compare(description.size() - shown.size(), shown.size(), shown) == 0;
        if (!pattern.empty() && !alreadyShown)
            result += " " + shown;
    }
    return result;
}
