#include "platform/ui/ScriptedDialogs.h"

void TScriptedDialogs::MessageBox(const std::string& text, const std::string& caption, TMessageIcon icon)
{
    Shown.push_back({"message", text, caption, icon});
}

bool TScriptedDialogs::InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    Shown.push_back({"input", prompt, caption});
    return Take(inputs_, value);
}

bool TScriptedDialogs::OpenFile(const TFileDialogRequest& request, std::string& fileName)
{
    Shown.push_back({"open", request.Filter, request.Title});
    ProposedFileNames.push_back(fileName);
    return Take(files_, fileName);
}

bool TScriptedDialogs::SaveFile(const TFileDialogRequest& request, std::string& fileName)
{
    Shown.push_back({"save", request.Filter, request.Title});
    ProposedFileNames.push_back(fileName);
    return Take(files_, fileName);
}

std::vector<std::string> TScriptedDialogs::Messages() const
{
    std::vector<std::string> texts;
    for (const TShown& shown : Shown)
        if (shown.Kind == "message")
            texts.push_back(shown.Text);
    return texts;
}

bool TScriptedDialogs::Take(std::deque<TAnswer>& answers, std::string& value)
{
    if (answers.empty())
        return false;
    TAnswer answer = answers.front();
    answers.pop_front();
    if (answer.Accept)
        value = answer.Value;
    return answer.Accept;
}
