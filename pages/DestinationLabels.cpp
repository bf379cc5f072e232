#include "pages/DestinationLabels.h"

#include "pages/PageContext.h"
#include "platform/ui/RadioGroup.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace
{

struct TDestination {
    const char* choice;
    const char* label;
};
constexpr TDestination kDestinations[] = {{"IPSWT2", "IPLabel_1"}, {"IPSWT3", "IPLabel_3"}, {"IPSWT4", "Label141"}};

// Puts widget right after anchor on the line of its parent's layout that holds anchor, if there is one.
void PlaceBeside(QWidget* anchor, QWidget* widget)
{
    for (auto* line : anchor->parentWidget()->findChildren<QBoxLayout*>()) {
        const int at = line->indexOf(anchor);
        if (at >= 0) {
            line->insertWidget(at + 1, widget);
            return;
        }
    }
}

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

void BuildDestinationLabels(TPageContext& ctx)
{
    for (const TDestination& d : kDestinations) {
        auto* choice = ctx.Get<QWidget>(d.choice);
        auto* label = new QLabel("--", choice->parentWidget());
        label->setObjectName(d.label);
        label->setTextFormat(Qt::PlainText);
        ctx.AddControl(label);
        PlaceBeside(choice, label);
    }
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
