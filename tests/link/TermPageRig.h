#pragma once

#include "FakeHost.h"
#include "TimelinePort.h"

#include "cport/Cport.h"
#include "image/ImageStore.h"
#include "link/serial/SerialLink.h"
#include "link/serial/TermPageHost.h"
#include "link/ui/TerminalPage.h"
#include "platform/ui/ScriptedDialogs.h"

#include <gtest/gtest.h>

// The main window's side of the terminal page, recording into the link host's call list.
class FakePageHost : public TermPageHost {
public:
    explicit FakePageHost(FakeHost& host) : host_(host) {}

    void SetIOCheckBoxClick() override { host_.Calls.push_back("SetIOCheckBox"); }

private:
    FakeHost& host_;
};

// The terminal page on a port that records bytes and pauses; the clock stands still unless a test moves it.
// The handler guard's message boxes are recorded, never shown.
struct TermPageRig : ::testing::Test {
    TScriptedDialogs dialogs;
    TScopedDialogs scopedDialogs{dialogs};
    TimelinePort port;
    FakeHost host;
    FakePageHost pageHost{host};
    ImageStore store;
    SerialLink link{port, host, store};
    TComPort comPort;
    TerminalPage page{link, host, pageHost, store, comPort};
    LocalTime now{2026, 3, 5, 9, 7, 3, 0};

    TermPageRig()
    {
        link.Timing = LinkTiming{}.Scaled(1, 0.02);
        link.Timing.ResultHoldMs = 0; // the progress window holds its result through the host's own wait
        page.Timing.Wait = [this](int ms) { port.Wait(ms); };
        page.Clock = [this] { return now; };
    }
};
