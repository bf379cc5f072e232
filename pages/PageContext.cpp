#include "pages/PageContext.h"

#include <stdexcept>

void TPageContext::RunExits(const std::vector<std::string>& names) const
{
    for (const auto& name : names) {
        auto it = Exits.find(name);
        if (it == Exits.end())
            throw std::logic_error("no Exit handler for " + name);
        it->second();
    }
}
