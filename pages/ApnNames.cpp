#include "pages/ApnNames.h"

#include "link/serial/ScriptRunner.h"
#include "pages/PageContext.h"
#include "pages/PickList.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Latin1.h"

#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

#include <stdexcept>

namespace
{

const TRow kApn1 = {"InitString", "APN1:", TextField{{885, 50}}, TRedraw::InternetFields};
const TRow kApn2 = {"InitString2", "APN2:", TextField{{935, 50}}, TRedraw::InternetFields};
constexpr const char* kHint = "AT-cmd string with \"AT\" omitted.";

} // namespace

TApnFields BuildApnFields(TPageContext& ctx)
{
    TApnFields fields{BuildTextPickList(ctx, kApn1), BuildTextPickList(ctx, kApn2), new QToolButton};
    fields.apn1->setToolTip(kHint);
    fields.apn2->setToolTip(kHint);
    fields.loadList->setObjectName("SpeedButton10");
    fields.loadList->setText("...");
    fields.loadList->setToolTip("Load File");
    ctx.AddControl(fields.loadList);
    QComboBox* apn1 = fields.apn1;
    ConnectGuarded(fields.loadList, &QToolButton::clicked, apn1, [apn1] { LoadApnList(apn1); });
    return fields;
}

void AddApnNames(QComboBox* box, std::span<const std::string> names)
{
    const auto fits = static_cast<size_t>(box->lineEdit()->maxLength());
    for (const std::string& name : names)
        box->addItem(FromLatin1(name.substr(0, fits)));
}

void LoadApnList(QComboBox* box)
{
    std::string path;
    if (!Dialogs().OpenFile({"", "Text-file|*.txt"}, path))
        return;
    const auto lines = ScriptLines::ReadLines(path);
    if (!lines)
        throw std::runtime_error("Cannot open file \"" + path + "\".");
    if (lines->empty())
        throw std::runtime_error("The file \"" + path + "\" holds no line.");
    box->clear();
    AddApnNames(box, *lines);
    box->setCurrentIndex(0);
}
