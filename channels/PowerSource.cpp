#include "channels/PowerSource.h"

#include "image/ImageStore.h"
#include "pages/Bind.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace
{

constexpr int kBatteryOnTime = 2167; // word, minutes; its high byte is the status shown
constexpr TRedraw::Step kStep = TRedraw::ChannelPages;

} // namespace

void BuildPowerSourceMonitor(TPageContext& ctx, QWidget* loggedDataSheet)
{
    // Hidden and outside the sheet's layout: it takes no room on the page.
    auto* group = new QGroupBox("Power Source Monitor", loggedDataSheet);
    group->setVisible(false);
    TPageBuilder builder(ctx);
    auto* onTime = static_cast<QLineEdit*>(builder.Build(group, {"BATonTime", "", Unbound{Unbound::Edit}}));
    auto* status = static_cast<QLineEdit*>(builder.Build(group, {"BATstatus", "", Unbound{Unbound::Edit}}));
    auto* form = new QFormLayout(group);
    form->addRow(new QLabel("(Only B-version)", group));
    auto* time = new QHBoxLayout;
    time->addWidget(onTime);
    time->addWidget(new QLabel("[min]", group));
    form->addRow("Battery ON Timer:", time);
    form->addRow("Battery Status:", status);
    for (QLineEdit* edit : {onTime, status})
        edit->setReadOnly(true);
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(kStep, [&image, onTime, status] {
        ShowText(onTime, std::to_string(image.ReadImageNumber(kBatteryOnTime, 2)));
        ShowText(status, std::to_string(image.ReadImageByte(kBatteryOnTime)));
    });
}
