#pragma once

#include "cport/port/ComLink.h"
#include "cport/terminal/TermPortLink.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

// A port that records what is written and hands received bytes to its links the way the real port does.
class TermFakePort : public TermPortLink
{
  public:
    ~TermFakePort() override
    {
        if (DetachOnDestroy)
            DetachAll();
    }

    bool Connected() const override { return IsOpen; }
    void Open() override { IsOpen = true; }
    void Close() override { IsOpen = false; }
    int WriteStr(const std::string& Str) override
    {
        if (FailWrites)
            throw std::runtime_error("write failed");
        Written += Str;
        return static_cast<int>(Str.size());
    }
    void RegisterLink(TComLink* Link) override
    {
        if (std::find(Links.begin(), Links.end(), Link) != Links.end())
            throw std::runtime_error("Link (un)registration failed");
        Links.push_back(Link);
    }
    void UnRegisterLink(TComLink* Link) override
    {
        const auto It = std::find(Links.begin(), Links.end(), Link);
        if (It == Links.end())
            throw std::runtime_error("Link (un)registration failed");
        Links.erase(It);
    }

    // One received block, as the port's dispatch delivers it.
    void Receive(const std::string& Bytes)
    {
        for (TComLink* Link : std::vector<TComLink*>(Links))
            if (Link->OnRxBuf)
                Link->OnRxBuf(nullptr, Bytes.data(), static_cast<int>(Bytes.size()));
    }

    bool DetachOnDestroy = true;
    bool IsOpen = false;
    bool FailWrites = false;
    std::string Written;
    std::vector<TComLink*> Links;
};
