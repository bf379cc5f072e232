#include "cport/port/ComUpdate.h"

#include "cport/port/Cport.h"

TComUpdate::TComUpdate(TCustomComPort& Port) : FPort(&Port)
{
    FPort->BeginUpdate();
}

TComUpdate::~TComUpdate()
{
    if (!FPort)
        return;
    try {
        FPort->EndUpdate();
    } catch (...) {
        // An error is already on its way out; the count is down either way.
    }
}

void TComUpdate::Finish()
{
    TCustomComPort* Port = FPort;
    FPort = nullptr;
    if (Port)
        Port->EndUpdate();
}
