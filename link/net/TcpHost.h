#pragma once

#include <string>

// What the TCP link and the UDP monitor need of the main window beyond LinkHost: its status bar's link
// panel, its menu's Listen check mark, its serial transfer buttons, and its dialogues. Window thread only.
class TcpHost
{
  public:
    virtual ~TcpHost() = default;

    // Panel 1 of StatusBar1: the TCP link state ("SERVER: Listening...", "CLIENT: Connect to: " ...).
    virtual void SetLinkStateText(const std::string& text) = 0;
    // The check mark of the File menu's Listen item (FileListenItem).
    virtual void SetListenChecked(bool checked) = 0;
    // The serial transfer buttons ReadEEPROMExecute and WriteEEPROMExecute (not the menu's actions).
    virtual void EnableSerialTransferButtons(bool enabled) = 0;
    // The input box: caption, prompt, and the text it starts with and hands back. False when cancelled.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& text) = 0;
    // A message box with an OK button (bad port numbers, "Buffer Invalid: Buffer contains no data", ...).
    virtual void ShowMessage(const std::string& text) = 0;
};
