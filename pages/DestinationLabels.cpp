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

QString ServerText(const TPageContext& ctx, int item)
{
    const char* address = item == 0 ? "IPEdit1" : "IPEdit2";
    const char* port = item == 0 ? "RPortEdit" : "RPort2Edit";
    return QString("IP%1:").arg(item + 1) + ctx.Get<QLineEdit>(address)->text() + " " +
           ctx.Get<QLineEdit>(port)->text();
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

void ShowIPLabels(const TPageContext& ctx)
{
    for (const TDestination& d : kDestinations) {
        // The choices are option switches of the data transfer page, built on their own; a choice not yet
        // there has no item selected.
        if (!ctx.HasControl(d.choice))
            continue;
        const int item = ctx.Get<TRadioGroup>(d.choice)->ItemIndex();
        if (item != 0 && item != 1)
            continue;
        auto* label = ctx.Get<QLabel>(d.label);
        const QString text = ServerText(ctx, item);
        if (label->text() != text)
            label->setText(text);
    }
}
