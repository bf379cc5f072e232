#pragma once

#include "link/protocol/LinkHost.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

// The main window as the link sees it, recording every call in order.
class FakeHost : public LinkHost
{
  public:
    std::string Password = "1234";
    std::string CharDelay = "0";
    bool RS = false;
    bool ClearMem = false;
    std::array<std::string, 5> TimerEdits{"10", "20", "30", "40", "50"};
    bool CommitSucceeds = true;
    std::string Memo4;

    std::vector<std::string> Calls; // every call, in order, with its argument
    std::string Status;
    std::string DeviceLabel;
    int ProgressPosition = -1;
    int FinishImageReads = 0;
    int Redraws = 0;
    bool TerminalAttached = true;
    std::vector<std::string> PortErrors;

    std::function<void(bool attached)> OnTerminal;       // e.g. to feed Memo4 while attached
    std::function<void(const std::string& step)> OnStep; // e.g. to click something while the transfer waits
    std::function<void()> OnRedraw;                      // during ImageToControls / FinishImageRead
    std::function<void(int position)> OnProgress;        // e.g. to time the growth of a reply
    std::function<void()> WhileResultShows;              // e.g. to start the next transfer meanwhile

    int Count(const std::string& call) const { return static_cast<int>(std::count(Calls.begin(), Calls.end(), call)); }
    // Index of the first call equal to call, -1 when none.
    int IndexOf(const std::string& call) const
    {
        const auto at = std::find(Calls.begin(), Calls.end(), call);
        return at == Calls.end() ? -1 : static_cast<int>(at - Calls.begin());
    }
    // Each of calls made, each after the one before.
    ::testing::AssertionResult InOrder(const std::vector<std::string>& calls) const
    {
        int last = -1;
        for (const auto& call : calls) {
            const int at = IndexOf(call);
            if (at <= last)
                return ::testing::AssertionFailure() << call << " missing or out of order";
            last = at;
        }
        return ::testing::AssertionSuccess();
    }

    void SetStatusText(const std::string& text) override
    {
        Status = text;
        Calls.push_back("Status:" + text);
    }
    void ResetProgress(int total) override { Calls.push_back("ResetProgress:" + std::to_string(total)); }
    void StartProgress(TransferDirection d, int total) override
    {
        Calls.push_back(std::string("StartProgress:") + (d == TransferDirection::Read ? "Read:" : "Write:") +
                        std::to_string(total));
    }
    void SetProgressStep(const std::string& text) override
    {
        Calls.push_back("Step:" + text);
        if (OnStep)
            OnStep(text);
    }
    void SetProgressPosition(int position) override
    {
        ProgressPosition = position;
        if (OnProgress)
            OnProgress(position);
    }
    void ShowProgressResult(const std::string& message, const std::string& okMessage, int holdMs,
                            const std::function<void()>& whileShown) override
    {
        Calls.push_back("Result:" + std::string(message == okMessage ? "OK" : "ERROR") + ":" + message);
        if (whileShown)
            whileShown();
        if (WhileResultShows)
            WhileResultShows();
        DelayMs(holdMs);
        Calls.push_back("EndResult");
    }
    void CloseProgress() override { Calls.push_back("CloseProgress"); }
    void FocusHelpPanel() override { Calls.push_back("FocusHelpPanel"); }
    bool CommitPendingEdits() override
    {
        Calls.push_back("Commit");
        return CommitSucceeds;
    }
    void StampConfigToolNr() override { Calls.push_back("Stamp"); }
    void FinishImageRead() override
    {
        ++FinishImageReads;
        Calls.push_back("FinishImageRead");
        if (OnRedraw)
            OnRedraw();
    }
    void ImageToControls() override
    {
        ++Redraws;
        Calls.push_back("ImageToControls");
        if (OnRedraw)
            OnRedraw();
    }
    void ApplyModemTypeLabels() override { Calls.push_back("ApplyModemTypeLabels"); }
    void RestoreMainCaption() override { Calls.push_back("Caption"); }
    void DetachTerminal() override { Terminal(false, "Detach"); }
    void AttachTerminal() override { Terminal(true, "Attach"); }
    std::string Memo4Text() override { return Memo4; }
    void ClearMemo4() override
    {
        Memo4.clear();
        Calls.push_back("ClearMemo4");
    }
    void ShowPortError(const std::string& message) override
    {
        PortErrors.push_back(message);
        Calls.push_back("PortError:" + message);
    }
    TransferOptions Options() override { return {Password, RS, ClearMem, CharDelay}; }
    std::string TimerText(int n) override { return TimerEdits[static_cast<size_t>(n - 1)]; }
    void SetTimerText(int n, const std::string& text) override { TimerEdits[static_cast<size_t>(n - 1)] = text; }
    void SetModemType(const std::string&) override {}
    void SetDeviceLabel(const std::string& text) override { DeviceLabel = text; }

  private:
    void Terminal(bool attached, const char* call)
    {
        TerminalAttached = attached;
        Calls.push_back(call);
        if (OnTerminal)
            OnTerminal(attached);
    }
};
