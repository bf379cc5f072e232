#pragma once

#include "FakeHost.h"

#include "cport/port/Cport.h"
#include "image/ImageStore.h"
#include "link/serial/ComPortLink.h"
#include "link/serial/SerialLink.h"
#include "sim/SimPty.h"

#include <gtest/gtest.h>

// Byte strings compared without printing kilobytes: the first difference is enough to go on.
inline ::testing::AssertionResult SameBytes(const std::string& a, const std::string& b)
{
    if (a == b)
        return ::testing::AssertionSuccess();
    const auto diff = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return ::testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size() << ", first difference at "
                                         << (diff.first - a.begin());
}

// The tool's serial link through the real port against the simulated unit over a pseudo-terminal, with a
// host that records. The attached terminal copies what it receives into Memo4, as the terminal page does.
struct LinkRig : ::testing::Test {
    SimPty sim;
    TComPort com;
    ComPortLink port{com};
    TComLink terminal;
    FakeHost host;
    ImageStore store;
    SerialLink link{port, host, store};

    // baud > 0: the unit answers at that line rate (10 bits a byte).
    explicit LinkRig(int baud = 0) : sim(baud)
    {
        com.SetPort(sim.SlavePath());
        com.SetBaudRate(br115200);
        com.Buffer().SetInputSize(500000);
        com.Buffer().SetOutputSize(8192);
        com.Open();
        // Delays shrunk, limits long enough for a slow build. The answers read through the terminal only get
        // the answer pause to come in, through the port's event thread, on a loaded machine: that one stays long.
        link.Timing = LinkTiming{}.Scaled(0.05, 0.25);
        link.Timing.AnswerPauseMs = 400;
        store.ImageLoaded = 1;
        terminal.OnRxBuf = [this](TCustomComPort*, const void* buffer, int count) {
            host.Memo4.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
        };
        host.OnTerminal = [this](bool attached) {
            attached ? com.RegisterLink(&terminal) : com.UnRegisterLink(&terminal);
        };
        com.RegisterLink(&terminal);
    }
    ~LinkRig() override
    {
        if (host.TerminalAttached)
            com.UnRegisterLink(&terminal);
        com.Close();
    }

    SimUnit Unit()
    {
        return sim.WithUnit([](SimUnit& u) { return u; });
    }
    std::vector<std::string> Commands() { return Unit().Commands; }
    std::string UnitMemory(int from, int count)
    {
        return sim.WithUnit([&](SimUnit& u) {
            return std::string(reinterpret_cast<const char*>(u.Memory.data()) + from, static_cast<size_t>(count));
        });
    }
    std::string Image(int from, int count) const { return store.Image.Bytes(from, count); }
};
