#include "pages/PageContext.h"

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
    // An editable pick list holds the focus itself, on behalf of its edit.
    const QWidget* focus = window.focusWidget();
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
    QObject::connect(control, &QObject::destroyed, &connections_, [this, name] { controls_.erase(name); });
}

void TPageContext::AddExit(const std::string& name, std::function<void()> exit)
{
    if (!Exits.emplace(name, std::move(exit)).second)
        throw std::logic_error("Exit handler of " + name + " registered twice");
}
