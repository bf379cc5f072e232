#include "pages/PageContext.h"

#include <QComboBox>

void TPageContext::RunExits(const std::vector<std::string>& names) const
{
    for (const auto& name : names) {
        auto it = Exits.find(name);
        if (it == Exits.end())
            throw std::logic_error("no Exit handler for " + name);
        it->second();
    }
}

void TPageContext::CommitFocused(const QWidget& window) const
{
    QWidget* focus = window.focusWidget();
    // An editable pick list's edit may hold the focus on the list's behalf.
    if (focus && !Exits.count(focus->objectName().toStdString()) && qobject_cast<QComboBox*>(focus->parentWidget()))
        focus = focus->parentWidget();
    if (!focus)
        return;
    auto it = Exits.find(focus->objectName().toStdString());
    if (it != Exits.end())
        it->second();
}

void TPageContext::AddControl(QWidget* control)
{
    const std::string name = control->objectName().toStdString();
    if (name.empty())
        throw std::logic_error("a page control without a name");
    if (!controls_.emplace(name, control).second)
        throw std::logic_error("control " + name + " registered twice");
    // A control that goes before the context must not leave a dangling entry behind.
    QObject::connect(control, &QObject::destroyed, [this, name] { controls_.erase(name); });
}

void TPageContext::AddExit(const std::string& name, std::function<void()> exit)
{
    if (!Exits.emplace(name, std::move(exit)).second)
        throw std::logic_error("Exit handler of " + name + " registered twice");
}
