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

// Where two byte strings first part (-1: equal), so that a failing comparison of long traffic stays short.
inline long FirstDifference(const std::string& was, const std::string& is)
{
    const auto [a, b] = std::mismatch(was.begin(), was.end(), is.begin(), is.end());
    if (a == was.end() && b == is.end())
        return -1;
    return static_cast<long>(a - was.begin());
}
