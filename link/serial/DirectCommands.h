#pragma once

#include "link/protocol/LocalTime.h"

#include <string>

class SerialSender;
struct TermTiming;

// The terminal page's one-click commands: set the unit's clock from the PC clock (two ways), software reset,
// main boot loader, the escape command, and an SMS sent through the unit's radio module. None reads an answer:
// the unit's replies show in the terminal. Each runs its whole sequence, pauses included, also with the port
// closed (every send then reports the closed port); a send that the port fails ends the sequence.
class DirectCommands
{
  public:
    DirectCommands(SerialSender& sender, const TermTiming& timing, const LocalClock& clock);

    // "KVSRD=" with today's date, a pause, then "KVSRTC=1:" with the time read after the pause. When the date
    // has moved on during the pause, the new date is sent (and waited for) before the time. False when the
    // port failed a send.
    bool SetRTCButtonClick();
    // "KVSCLK=" with date and time from one reading of the clock.
    void setRTCDButtonClick();
    void SpeedButton12Click(); // "KV&SR": software reset
    void SpeedButton13Click(); // "KV&MB": main boot loader
    void SpeedButton14Click(); // "KVESC"
    // "KVSC1", "AT+CMGF=1", "AT+CMGS=" with the quoted number, the text, Ctrl-Z; the unit is left in AT mode.
    void SendSms(const std::string& number, const std::string& text);

    // The command texts, CR included.
    static std::string ReferenceDateCommand(const LocalTime& t);
    static std::string ClockCommand(const LocalTime& t);
    static std::string ClockAndDateCommand(const LocalTime& t);

  private:
    // Sends one step of a sequence; false when the port failed it.
    bool Step(const std::string& text);

    SerialSender& sender_;
    const TermTiming& timing_;
    const LocalClock& clock_;
};
