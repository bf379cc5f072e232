#include "pages/TransferControls.h"

#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "pages/Sheet.h"

#include <QGroupBox>

void BuildTransferControls(TPageContext& ctx, QWidget* generalSheet)
{
    TSheet::Of(generalSheet)
        ->Add(TPageBuilder(ctx).Group(nullptr, "", "Password", {{"PasswordEdit", "Password", Unbound{Unbound::Edit}}}));
}
