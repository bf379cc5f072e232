#include "pages/DestinationLabels.h"

#include "pages/PageContext.h"
#include "platform/ui/RadioGroup.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

struct TDestination {
    const char* choice;
    const char* label;
    const char* caption;
};
constexpr TDestination kDestinations[] = {
    {"IPSWT2", "IPLabel_1", "Send interval logged data (SWT2)"},
    {"IPSWT3", "IPLabel_3", "Monitoring data (SWT3)"},
    {"IPSWT4", "Label141", "Monitoring data (SWT4)"},
};

QString Address(const TPageContext& ctx, int item)
{
    return QString("IP%1:").arg(item + 1) + ctx.Get<QLineEdit>(item == 0 ? "IPEdit1" : "IPEdit2")->text();
}

QString Port(const TPageContext& ctx, int item)
{
    return ctx.Get<QLineEdit>(item == 0 ? "RPortEdit" : "RPort2Edit")->text();
}

void Show(const TPageContext& ctx, const TDestination& d, const QString& text)
{
    auto* label = ctx.Get<QLabel>(d.label);
    if (label->text() != text)
        label->setText(text);
}

} // namespace

QGroupBox* BuildDestinationLabels(TPageContext& ctx)
{
    auto* group = new QGroupBox("IP Address");
    auto* form = new QFormLayout(group);
    for (const TDestination& d : kDestinations) {
        auto* label = new QLabel("--");
        label->setObjectName(d.label);
        label->setTextFormat(Qt::PlainText);
        ctx.AddControl(label);
        form->addRow(d.caption, label);
    }
    return group;
}

void ShowChosenDestination(const TPageContext& ctx, int timer, int item)
{
    Show(ctx, kDestinations[timer - 2], Address(ctx, item));
}

void ShowIPLabels(const TPageContext& ctx)
{
    for (const TDestination& d : kDestinations) {
        const int item = ctx.Get<TRadioGroup>(d.choice)->ItemIndex();
        if (item == 0 || item == 1)
            Show(ctx, d, Address(ctx, item) + " " + Port(ctx, item));
    }
}
