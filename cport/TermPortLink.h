#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct TComLink;

// What a terminal needs of a serial port. The port's owner supplies one object per port; the terminal registers
// its link through it and sends through it. When the object goes, every terminal bound to it is told, so none is
// left holding it.
class TermPortLink
{
public:
    TermPortLink() = default;
    TermPortLink(const TermPortLink&) = delete;
    TermPortLink& operator=(const TermPortLink&) = delete;
    virtual ~TermPortLink();

    // The port is open.
    virtual bool Connected() const = 0;
    virtual void Open() = 0;
    virtual void Close() = 0;
    // Sends the bytes and waits until they are written; returns the count written. May throw the port's error.
    virtual int WriteStr(const std::string& Str) = 0;
    virtual void RegisterLink(TComLink* Link) = 0;
    virtual void UnRegisterLink(TComLink* Link) = 0;

    // Gone is called once when this object is destroyed, unless Who removed it before.
    void FreeNotification(const void* Who, std::function<void()> Gone);
    void RemoveFreeNotification(const void* Who);

private:
    std::vector<std::pair<const void*, std::function<void()>>> Watchers;
};
