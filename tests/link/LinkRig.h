#pragma once

#include "FakeHost.h"
#include "PtyPort.h"

#include "image/ImageStore.h"
#include "link/SerialLink.h"
#include "sim/SimPty.h"

#include <gtest/gtest.h>

// The tool's serial link against the simulated unit over a pseudo-terminal, with a host that records.
// The attached terminal copies what it receives into Memo4, as the terminal page does.
struct LinkRig : ::testing::Test {
    SimPty sim;
    PtyPort port{sim.SlavePath()};
    FakeHost host;
    ImageStore store;
    SerialLink link{port, host, store};

    // Delays shrunk (the unit's answers still get time to come in), limits long enough for a slow build.
    static LinkTiming FastTiming() { return LinkTiming{}.Scaled(0.05, 0.25); }

    LinkRig()
    {
        link.Timing = FastTiming();
        store.ImageLoaded = 1;
        host.OnTerminal = [this](bool attached) { attached ? AttachTerminal() : port.Detach(); };
        AttachTerminal();
    }

    void AttachTerminal()
    {
        port.Attach([this](const std::string& bytes) { host.Memo4 += bytes; });
    }

    SimUnit Unit()
    {
        return sim.WithUnit([](SimUnit& u) { return u; });
    }
    std::vector<std::string> Commands() { return Unit().Commands; }
    std::string UnitMemory(int from, int count)
    {
        auto u = Unit();
        return std::string(reinterpret_cast<const char*>(u.Memory.data()) + from, static_cast<size_t>(count));
    }
    std::string Image(int from, int count) const { return store.Image.Bytes(from, count); }
};
