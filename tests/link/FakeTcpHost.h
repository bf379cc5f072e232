#pragma once

#include "link/net/TcpHost.h"

#include <deque>
#include <string>
#include <vector>

// The main window as the TCP link and the UDP monitor see it, recording what they asked of it.
class FakeTcpHost : public TcpHost
{
  public:
    // --- what the link gets ----------------------------------------------------------------------------
    // Answers to the input box, in order; with none left the box is cancelled.
    std::deque<std::string> Answers;

    // --- what the link did -------------------------------------------------------------------------------
    std::string LinkState = "unset";
    bool ListenChecked = false;
    bool SerialButtonsEnabled = true;
    std::vector<std::string> Queries; // caption + "|" + prompt + "|" + the text offered
    std::vector<std::string> Messages;

    void SetLinkStateText(const std::string& text) override { LinkState = text; }
    void SetListenChecked(bool checked) override { ListenChecked = checked; }
    void EnableSerialTransferButtons(bool enabled) override { SerialButtonsEnabled = enabled; }
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& text) override
    {
        Queries.push_back(caption + "|" + prompt + "|" + text);
        if (Answers.empty())
            return false;
        text = Answers.front();
        Answers.pop_front();
        return true;
    }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
};
