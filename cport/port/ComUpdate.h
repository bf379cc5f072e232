#pragma once

class TCustomComPort;

// Holds a port inside BeginUpdate/EndUpdate for one scope. The update always ends, also when the scope is left
// by an exception, so a failure part-way never leaves the port refusing to push its settings. Finish ends it on
// the normal path and lets EndUpdate's own error through; on the way out of an exception the first error wins.
class TComUpdate
{
  public:
    explicit TComUpdate(TCustomComPort& Port);
    ~TComUpdate();
    TComUpdate(const TComUpdate&) = delete;
    TComUpdate& operator=(const TComUpdate&) = delete;

    void Finish();

  private:
    TCustomComPort* FPort;
};
