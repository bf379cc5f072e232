#include "app/FileReport.h"

#include "app/TForm1.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Latin1.h"

#include <QFile>

QString PathCaption(const std::string& path)
{
    return QFile::decodeName(path.c_str());
}

std::string PathText(const std::string& path)
{
    return ToLatin1(PathCaption(path));
}

std::string LocalFileName(const std::string& latin1Name)
{
    return QFile::encodeName(FromLatin1(latin1Name)).toStdString();
}

void ReportFileFault(TForm1& form, const std::string& text)
{
    form.SetStatus("ERROR: " + text);
    Dialogs().MessageBox("ERROR: " + text, kHandlerErrorCaption);
}
