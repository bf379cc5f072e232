#pragma once

class LinkHost;
class SerialSender;
struct LinkTiming;

// The direct commands that set and read the unit's five wake-up timers and read its hardware type. They run
// while the terminal is attached: the unit's answer reaches Memo4 through it during the waits.
class UnitTimers
{
  public:
    UnitTimers(SerialSender& sender, LinkHost& host, const LinkTiming& timing);

    // "KVSWT=n,00:00,<period>" for n = 1..5 from spSWT1Edit..spSWT5Edit. Nothing with the port closed.
    void SetSWTButtonClick();
    // "KVSWT?": the five periods into the edits and "Timers Read OK!", or "ERROR: Read Timers!" with the edits
    // kept. Nothing with the port closed.
    void ReadSWTButtonClick();
    // "KVRP1": the variant word into modemType and Label101, "Modem Type Read OK!" or "ERROR: Read Modem Type!";
    // then, also with the port closed, ApplyModemTypeLabels.
    void ReadModemType();

  private:
    // Memo4 emptied, port buffers cleared, "---", the command, and the answer's time to come in.
    void Ask(const char* command);

    SerialSender& sender_;
    LinkHost& host_;
    const LinkTiming& timing_;
};
