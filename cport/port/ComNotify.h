#pragma once

#include "cport/port/ComLink.h"

#include <functional>

class TCustomComPort;

// Components that hold a port they do not own (signal LEDs, setting pickers, packet splitters) ask to be told
// when it goes, so that none is left holding it. Window thread only.

// Gone runs once when Port goes, unless Who removed it before. A second request of the same Who replaces it.
void ComFreeNotification(const TCustomComPort* Port, const void* Who, std::function<void()> Gone);
void ComRemoveFreeNotification(const TCustomComPort* Port, const void* Who);

// Tells every holder of Port that it goes. The port must still be whole: holders unregister their links.
void ComPortGone(const TCustomComPort* Port);

// Declared right after the port it watches, it tells the holders when its owner is torn down (members go in
// reverse order, child widgets after all members).
class TComPortWatch
{
  public:
    explicit TComPortWatch(const TCustomComPort& Port) : FPort(Port) {}
    ~TComPortWatch() { ComPortGone(&FPort); }
    TComPortWatch(const TComPortWatch&) = delete;
    TComPortWatch& operator=(const TComPortWatch&) = delete;

  private:
    const TCustomComPort& FPort;
};

// A link on a port that its holder does not own: registered with one port at a time, and let go when the port
// goes or the binding does.
class TComLinkBinding
{
  public:
    TComLinkBinding() = default;
    ~TComLinkBinding() { Unbind(); }
    TComLinkBinding(const TComLinkBinding&) = delete;
    TComLinkBinding& operator=(const TComLinkBinding&) = delete;

    TCustomComPort* Port() const { return FPort; }
    // Moves the link to Port (none: only unregisters it). Gone runs when Port goes, with the link still
    // registered. False when Port is bound already.
    bool Bind(TCustomComPort* Port, std::function<void()> Gone);
    void Unbind();

    TComLink Link;

  private:
    TCustomComPort* FPort = nullptr;
};
