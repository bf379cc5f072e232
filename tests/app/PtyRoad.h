#pragma once

#include "AppTestSupport.h"

#include "image/ToolVersion.h"
#include "sim/SimPty.h"

#include <gtest/gtest.h>

// The main window over the simulated unit behind a pseudo-terminal, the link at a fast timing.
class PtyRoad : public ::testing::Test, protected TWindowRig
{
  protected:
    explicit PtyRoad(std::function<void(TForm1&)> build = {}) : form(OptionsWith(ini, std::move(build))) {}
    void OpenPort(const QString& password)
    {
        form.Link.Timing = LinkTiming{}.Scaled(0.05, 0.25);
        form.Link.Timing.AnswerPauseMs = 400;
        form.ComPort1.SetPort(sim.SlavePath());
        form.ComPort1.SetBaudRate(br115200);
        form.ComPort1.Open();
        form.PageContext.Get<QLineEdit>("PasswordEdit")->setText(password);
    }
    std::string UnitBytes(int count = SimUnit::kMemorySize)
    {
        return sim.WithUnit([count](SimUnit& unit) {
            return std::string(reinterpret_cast<const char*>(unit.Memory.data()), static_cast<size_t>(count));
        });
    }
    // A write stamps this tool's number into the image it sends.
    static std::string Stamped(std::string image)
    {
        image[183] = static_cast<char>(ConfigToolNr >> 8);
        image[184] = static_cast<char>(ConfigToolNr & 0xFF);
        return image;
    }

    SimPty sim;
    TForm1 form;
};
