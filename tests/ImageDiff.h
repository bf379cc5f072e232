#pragma once

#include <algorithm>
#include <string>
#include <vector>

// The addresses at which two images differ: a failing comparison names the bytes instead of printing both.
inline std::vector<int> ChangedAddresses(const std::string& was, const std::string& is)
{
    std::vector<int> changed;
    for (size_t a = 0; a < std::max(was.size(), is.size()); ++a)
        if (a >= was.size() || a >= is.size() || was[a] != is[a])
            changed.push_back(static_cast<int>(a));
    return changed;
}
