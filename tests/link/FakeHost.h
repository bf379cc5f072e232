#pragma once

#include "link/protocol/LinkHost.h"
#include "platform/Clock.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

// The main window as the link sees it, recording every call in order.
class FakeHost : public LinkHost {
public:
    // --- what the link reads -----------------------------------------------------------------------------
    std::string Password = "1234";
    std::string CharDelay = "0";
    bool RS = false;
    bool ClearMem = false;
    std::array<std::string, 5> TimerEdits{"10", "20", "30", "40", "50"};
    bool CommitSucceeds = true;
    std::string Memo4;

    // --- what the link did -----------------------------------------------------------------------------
    std::vector<std::string> Calls;         // every call, in order, with its argument
    std::vector<std::string> StatusHistory; // every status text set
    std::string Status;
    std::string ModemType = "unset";
    std::string DeviceLabel;
    int ProgressPosition = -1;
    int FinishImageReads = 0;
    int Redraws = 0;
    bool TerminalAttached = true;
    std::vector<std::string> PortErrors;

    // Called on attach/detach, so a test can feed Memo4 from the port while the terminal is attached.
    std::function<void(bool attached)> OnTerminal;
    // Called at each progress step, e.g. to click something while the transfer waits.
    std::function<void(const std::string& step)> OnStep;
    // Called during ImageToControls / FinishImageRead, e.g. to look at the image at that moment.
    std::function<void()> OnRedraw;

    int Count(const std::string& call) const
    {
        int n = 0;
        for (const auto& c : Calls)
            n += c == call;
        return n;
    }
    // Index of the first call equal to call, -1 when none.
    int IndexOf(const std::string& call) const
    {
        for (size_t i = 0; i < Calls.size(); ++i)
            if (Calls[i] == call)
                return static_cast<int>(i);
        return -1;
    }
    int LastIndexOf(const std::string& call) const
    {
        for (size_t i = Calls.size(); i-- > 0;)
            if (Calls[i] == call)
                return static_cast<int>(i);
        return -1;
    }

    void SetStatusText(const std::string& text) override
    {
        Status = text;
        StatusHistory.push_back(text);
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
    void SetProgressPosition(int position) override { ProgressPosition = position; }
    void ShowProgressResult(const std::string& message, const std::string& okMessage, int holdMs,
                            const std::function<void()>& whileShown) override
    {
        Calls.push_back("Result:" + std::string(message == okMessage ? "OK" : "ERROR") + ":" + message);
        if (whileShown)
            whileShown();
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
    void DetachTerminal() override
    {
        TerminalAttached = false;
        Calls.push_back("Detach");
        if (OnTerminal)
            OnTerminal(false);
    }
    void AttachTerminal() override
    {
        TerminalAttached = true;
        Calls.push_back("Attach");
        if (OnTerminal)
            OnTerminal(true);
    }
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
    void SetModemType(const std::string& type) override { ModemType = type; }
    void SetDeviceLabel(const std::string& text) override { DeviceLabel = text; }
};
