#pragma once

#include <optional>
#include <string>

class LinkHost;
class SerialSender;
struct LinkTiming;

// The direct commands that set and read the unit's five wake-up timers and read its hardware type. They run
// while the terminal is attached: the unit's answer reaches Memo4 through it during the waits.
class UnitTimers
{
  public:
    UnitTimers(SerialSender& sender, LinkHost& host, const LinkTiming& timing);

    // Each returns whether all of its commands went out; a command that did not ends the exchange there.

    // "KVSWT=n,00:00,<period>" for n = 1..5 from spSWT1Edit..spSWT5Edit. Nothing with the port closed.
    bool SetSWTButtonClick();
    // "KVSWT?": the five periods into the edits and "Timers Read OK!", or "ERROR: Read Timers!" with the edits
    // kept. Nothing with the port closed.
    bool ReadSWTButtonClick();
    // "KVRP1": the variant word into modemType and Label101, "Modem Type Read OK!" or "ERROR: Read Modem Type!";
    // then, also with the port closed, ApplyModemTypeLabels.
    bool ReadModemType();

  private:
    // Memo4 emptied, port buffers cleared, "---", the command, and the answer's time to come in: Memo4's text,
    // or nothing when a command did not go out.
    std::optional<std::string> Ask(const char* command);
    // The text sent; false when it did not all go out.
    bool Send(const std::string& text);

    SerialSender& sender_;
    LinkHost& host_;
    const LinkTiming& timing_;
};
