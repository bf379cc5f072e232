#include "pages/PickList.h"

#include "pages/PageContext.h"
#include "platform/ui/Latin1.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QStringList>

QComboBox* BuildTextPickList(TPageContext& ctx, const TRow& row, TStoredText stored)
{
    const TextField& field = std::get<TextField>(row.field);
    auto* box = new QComboBox;
    box->setObjectName(QString::fromStdString(row.name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    // The default completer matches without regard to case, and on leaving the list would swap a typed
    // "POOL.NTP.ORG" for the item "pool.ntp.org": one that knows no names and minds case changes nothing.
    auto* exact = new QCompleter(QStringList(), box);
    exact->setCaseSensitivity(Qt::CaseSensitive);
    box->setCompleter(exact);
    for (const std::string& item : row.items)
        box->addItem(FromLatin1(item));
    ctx.AddControl(box);
    ctx.Rows.push_back(row);
    BindTextSlot(ctx, box, field, row.step, stored);
    return box;
}
