#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct TComLink;

// What a terminal needs of a serial port. The port's owner supplies one object per port (see TermPortAdapter);
// the terminal registers its link through it and sends through it. When the object goes, every terminal bound to
// it is told, so none is left holding it.
class TermPortLink
{
  public:
    TermPortLink() = default;
    TermPortLink(const TermPortLink&) = delete;
    TermPortLink& operator=(const TermPortLink&) = delete;
    // Watchers still listed here are told with Whole false: they can only let go.
    virtual ~TermPortLink();

    // The port is open.
    virtual bool Connected() const = 0;
    virtual void Open() = 0;
    virtual void Close() = 0;
    // Sends the bytes and waits until they are written; returns the count written. May throw the port's error.
    virtual int WriteStr(const std::string& Str) = 0;
    virtual void RegisterLink(TComLink* Link) = 0;
    virtual void UnRegisterLink(TComLink* Link) = 0;

    // Gone is called once when this object goes, unless Who removed it before. Whole tells whether the object
    // can still be used (to unregister a link) from inside the call.
    void FreeNotification(const void* Who, std::function<void(bool Whole)> Gone);
    void RemoveFreeNotification(const void* Who);

  protected:
    // Derived destructors call this first, so that watchers can still unregister their links.
    void DetachAll() { Notify(true); }

  private:
    void Notify(bool Whole);

    std::vector<std::pair<const void*, std::function<void(bool)>>> Watchers;
};

// The link to any port type with the serial port's methods (Connected, Open, Close, WriteStr, RegisterLink,
// UnRegisterLink). It must not outlive the port: declare it after the port it refers to.
template <typename TPort> class TermPortAdapter final : public TermPortLink
{
  public:
    explicit TermPortAdapter(TPort& Port) : Port(Port) {}
    ~TermPortAdapter() override { DetachAll(); }

    bool Connected() const override { return Port.Connected(); }
    void Open() override { Port.Open(); }
    void Close() override { Port.Close(); }
    int WriteStr(const std::string& Str) override { return Port.WriteStr(Str); }
    void RegisterLink(TComLink* Link) override { Port.RegisterLink(Link); }
    void UnRegisterLink(TComLink* Link) override { Port.UnRegisterLink(Link); }

    TPort& Target() const { return Port; }

  private:
    TPort& Port;
};
