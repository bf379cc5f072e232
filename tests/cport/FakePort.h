#pragma once

#include "FakeComBackend.h"
#include "cport/Cport.h"

#include <memory>

// A port on the scripted device; Dev stays valid as long as the port lives.
struct TFakePort {
    TComPort Port;
    TFakeComBackend* Dev;

    TFakePort()
    {
        auto dev = std::make_unique<TFakeComBackend>();
        Dev = dev.get();
        Port.SetBackend(std::move(dev));
        Port.SetPort("ttyFAKE0");
    }
};
