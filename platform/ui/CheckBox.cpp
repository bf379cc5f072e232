#include "platform/ui/CheckBox.h"

#include "platform/ui/HandlerGuard.h"

TCheckBox::TCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent)
{
    connect(this, &QCheckBox::toggled, this, [this] {
        if (onClick_)
            RunGuarded(onClick_);
    });
}
