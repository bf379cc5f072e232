#pragma once

#include "channels/ChannelsPage.h"
#include "pages/PageFixture.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/RadioGroup.h"

#include <QLineEdit>

#include <string>
#include <utility>
#include <vector>

// Image bytes by address.
using Bytes = std::vector<std::pair<int, std::string>>;

// The "Channels" page over the default image, as the window builds it.
class ChannelPage : public Page
{
  public:
    void SetUp() override
    {
        Page::SetUp();
        BuildChannelsPage(ctx, new QWidget(&window), new QWidget(&window), new QWidget(&window));
        redraw.ImageToControls();
    }
    static std::string Name(const std::string& prefix, int n, const std::string& suffix = "")
    {
        return prefix + std::to_string(n) + suffix;
    }
    TRadioGroup* Radio(const std::string& name) { return ctx.Get<TRadioGroup>(name); }
    TCheckBox* Box(const std::string& name) { return ctx.Get<TCheckBox>(name); }
    std::string Text(const std::string& name) { return ctx.Get<QLineEdit>(name)->text().toStdString(); }
    int Byte(int address) const { return image.ReadImageByte(address); }
    // The unit's bytes, as a read puts them in: plain, and the pages redrawn.
    void Load(int address, const std::string& bytes) { Load({{address, bytes}}); }
    void Load(const Bytes& bytes)
    {
        for (const auto& [address, data] : bytes)
            image.LoadPlain(address, data);
        redraw.ImageToControls();
    }
};
