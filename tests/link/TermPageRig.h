#pragma once

#include "FakeHost.h"
#include "RecordingPort.h"

#include "cport/port/Cport.h"
#include "image/ImageStore.h"
#include "link/serial/SerialLink.h"
#include "link/serial/TermPageHost.h"
#include "link/ui/TerminalPage.h"
#include "platform/ui/ScriptedDialogs.h"

#include <QComboBox>
#include <gtest/gtest.h>

// The main window's side of the terminal page, recording into the link host's call list.
class FakePageHost : public TermPageHost
{
  public:
    explicit FakePageHost(FakeHost& host) : host_(host) {}
    void SetIOCheckBoxClick() override { host_.Calls.push_back("SetIOCheckBox"); }

  private:
    FakeHost& host_;
};

// The terminal page on a port that records bytes and pauses. The PC clock moves only through the pauses,
// and by TickMs at each reading. The handler guard's message boxes are recorded, never shown.
struct TermPageRig : ::testing::Test {
    TScriptedDialogs dialogs;
    TScopedDialogs scopedDialogs{dialogs};
    RecordingPort port;
    FakeHost host;
    FakePageHost pageHost{host};
    ImageStore store;
    SerialLink link{port, host, store};
    TComPort comPort;
    TerminalPage page{link, host, pageHost, store, comPort};
    LocalTime now{2026, 3, 5, 9, 7, 3, 0};
    int TickMs = 0;

    TermPageRig()
    {
        link.Timing = LinkTiming{}.Scaled(1, 0.02);
        link.Timing.ResultHoldMs = 0; // the progress window holds its result through the host's own wait
        page.Timing.Wait = [this](int ms) {
            port.Wait(ms);
            Advance(ms);
        };
        page.Clock = [this] {
            const LocalTime t = now;
            Advance(TickMs);
            return t;
        };
    }
    // Moves the clock on; a day turns without a month or year (enough to tell two days apart).
    void Advance(int ms)
    {
        const int cs = now.Hundredths + ms / 10;
        const int s = now.Second + cs / 100;
        const int m = now.Minute + s / 60;
        const int h = now.Hour + m / 60;
        now = LocalTime{now.Year, now.Month, now.Day + h / 24, h % 24, m % 60, s % 60, cs % 100};
    }
    void Send(const std::string& text)
    {
        page.SendBox->setEditText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        page.SpeedButton1Click();
    }
};
