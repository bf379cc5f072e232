#include "pages/SetButton.h"

#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "platform/ui/HandlerGuard.h"

#include <QPushButton>

QPushButton* AddSetButton(TPageContext& ctx, QWidget* parent, const std::string& name, std::function<void()> click)
{
    auto* button = static_cast<QPushButton*>(
        TPageBuilder(ctx).Build(parent, {name, "Set", Unbound{Unbound::Button}, TRedraw::StepCount, {}, true}));
    ConnectGuarded(button, &QPushButton::clicked, button, click);
    ctx.Commits.Set(name + "Click", std::move(click));
    return button;
}
