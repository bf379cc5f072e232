#include "pages/Redraw.h"

#include <algorithm>
#include <stdexcept>

void TRedraw::Add(Step step, std::function<void()> decoder)
{
    steps_[static_cast<size_t>(step)].push_back(std::move(decoder));
}

// One pass of decoders: counts the depth, keeps the image a full pass shows and brackets the outermost pass.
class TRedraw::TPass
{
  public:
    TPass(TRedraw& redraw, std::string state, bool full) : r_(redraw), full_(full)
    {
        if (full_)
            r_.shown_.push_back(std::move(state));
        if (r_.depth_++ == 0 && r_.OnOuterPass)
            r_.OnOuterPass(true);
    }
    ~TPass()
    {
        if (--r_.depth_ == 0 && r_.OnOuterPass)
            r_.OnOuterPass(false);
        if (full_)
            r_.shown_.pop_back();
    }
    TPass(const TPass&) = delete;
    TPass& operator=(const TPass&) = delete;

  private:
    TRedraw& r_;
    bool full_;
};

bool TRedraw::Refused(const std::string& state) const
{
    if (depth_ >= kMaxDepth)
        return true;
    return State && std::find(shown_.begin(), shown_.end(), state) != shown_.end();
}

void TRedraw::ImageToControls()
{
    std::string state = State ? State() : std::string();
    if (Refused(state))
        return;
    TPass pass(*this, std::move(state), true);
    for (const auto& step : steps_)
        for (const auto& decoder : step)
            decoder();
}

void TRedraw::ShowStep(Step step)
{
    if (depth_ >= kMaxDepth)
        return;
    TPass pass(*this, {}, false);
    for (const auto& decoder : steps_[static_cast<size_t>(step)])
        decoder();
}

TCommitList::TCommitList(std::vector<std::string> order) : order_(std::move(order)), handlers_(order_.size()) {}

void TCommitList::Set(const std::string& name, std::function<void()> handler)
{
    auto it = std::find(order_.begin(), order_.end(), name);
    if (it == order_.end())
        throw std::logic_error("no commit entry " + name);
    handlers_[static_cast<size_t>(it - order_.begin())] = std::move(handler);
}

void TCommitList::Run(const std::vector<std::string>& names) const
{
    if (BeforeRun)
        BeforeRun();
    for (const std::string& name : names) {
        auto it = std::find(order_.begin(), order_.end(), name);
        if (it == order_.end())
            throw std::logic_error("no commit entry " + name);
        if (const auto& handler = handlers_[static_cast<size_t>(it - order_.begin())])
            handler();
    }
}

std::vector<std::string> WriteCommitOrder()
{
    std::vector<std::string> order = {"PhoneSetButtonClick"};
    for (int n = 1; n <= 9; ++n)
        order.push_back("BitBtn" + std::to_string(n) + "Click");
    // The power-in monitor's unit command has no Set button to commit it.
    order.push_back("IO8kvcmdTextExit");
    for (const char* name : {"SetButton1Click", "simPinEditExit", "DateEdit1Exit", "awakeTimeExit", "MaxPingNoExit",
                             "MaxReConnPeriodExit", "MaxReConnNoExit"})
        order.push_back(name);
    for (int n = 1; n <= 7; ++n)
        order.push_back("ComboBox" + std::to_string(n) + "Exit");
    return order;
}

std::vector<std::string> KvxSaveCommitOrder()
{
    std::vector<std::string> order = WriteCommitOrder();
    std::erase(order, "DateEdit1Exit");
    return order;
}
