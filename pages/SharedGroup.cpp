#include "pages/SharedGroup.h"

#include "pages/PageContext.h"
#include "pages/Sheet.h"
#include "platform/ui/Latin1.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include <functional>

namespace
{

QGroupBox* NewGroup(const std::string& caption)
{
    auto* group = new QGroupBox(FromLatin1(caption));
    new QVBoxLayout(group);
    return group;
}

// The group registered under name, or the one make places, registered unless the name is empty.
QGroupBox* Registered(TPageContext& ctx, const std::string& name, const std::function<QGroupBox*()>& make)
{
    if (!name.empty() && ctx.HasControl(name))
        return ctx.Get<QGroupBox>(name);
    QGroupBox* group = make();
    if (!name.empty()) {
        group->setObjectName(QString::fromStdString(name));
        ctx.AddControl(group);
    }
    return group;
}

} // namespace

QGroupBox* SharedGroup(TPageContext& ctx, const std::string& name, const std::string& caption, QWidget* tabSheet,
                       int column)
{
    return Registered(ctx, name, [&] {
        QGroupBox* group = NewGroup(caption);
        TSheet::Of(tabSheet)->Add(group, column);
        return group;
    });
}

QGroupBox* SharedGroup(TPageContext& ctx, const std::string& name, const std::string& caption, QGroupBox* parent)
{
    return Registered(ctx, name, [&] {
        QGroupBox* group = NewGroup(caption);
        parent->layout()->addWidget(group);
        return group;
    });
}

QGroupBox* SheetFrame(TPageContext& ctx, QWidget* tabSheet, const std::string& name, const std::string& caption)
{
    return Registered(ctx, name, [&] { return TSheet::Of(tabSheet)->Frame(FromLatin1(caption)); });
}

QLayout* AddPartTo(QGroupBox* group, QLayout* layoutOfPart)
{
    auto* part = new QWidget(group);
    layoutOfPart->setContentsMargins(0, 0, 0, 0);
    part->setLayout(layoutOfPart);
    group->layout()->addWidget(part);
    return layoutOfPart;
}
