#include "pages/TransferControls.h"

#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "pages/Sheet.h"

#include <QGroupBox>

namespace {

constexpr const char* kTimerEdits[] = {"spSWT1Edit", "spSWT2Edit", "spSWT3Edit", "spSWT4Edit", "spSWT5Edit"};

// A period: minutes, at most a day; the unit's start time stands before it and is never written here.
NumberField TimerPeriod(int n)
{
    return {2687 + 4 * (n - 1) + 2, 2, 1440, WritePolicy::WhenDifferent};
}

} // namespace

const char* TimerEditName(int n)
{
    return kTimerEdits[n - 1];
}

void BuildTransferControls(TPageContext& ctx, QWidget* timersSheet)
{
    TPageBuilder builder(ctx);
    std::vector<TRow> rows = {
        {"RSCheckBox", "Read/Set SWT Timers when Read/Write Memory", Unbound{Unbound::Check}},
        {"ClearMemCheckBox", "Clear Log Area after Write Memory", Unbound{Unbound::Check}},
    };
    for (int n = 1; n <= 5; ++n)
        rows.push_back({kTimerEdits[n - 1], "SWT" + std::to_string(n) + " period [min]", TimerPeriod(n),
                        TRedraw::LoggedData});
    TSheet::Of(timersSheet)->Add(builder.Group(nullptr, "", "Timers", rows));
}
