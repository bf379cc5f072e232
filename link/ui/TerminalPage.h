#pragma once

#include "link/protocol/LocalTime.h"
#include "link/protocol/ReceiveLog.h"
#include "link/protocol/TermTiming.h"
#include "link/serial/AltBlockWriter.h"
#include "link/serial/DirectCommands.h"
#include "link/serial/ScriptRunner.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class ByteMemo;
class ImageStore;
class LinkHost;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class ScriptBoxes;
class SerialLink;
class TComTerminal;
class TCheckBox;
class TCustomComPort;
class TermPageHost;
class TermPortLink;

// The "Terminal" page: the user's direct line to a unit over the serial port. The terminal control, the send
// box with the unit's command vocabulary, the script list, the direct-command buttons, the display options,
// the time-stamped log window Memo1 and the raw receive copy Memo4 (which the timer and hardware-type reads
// parse). It also holds the port's Open/Close button and the "Erase Screen" button, which the main window puts
// on its tool bar, and Memo4, which it puts on the "Data Transfer/Logging/Timers" page.
//
// Every operation that sends runs under the serial link's busy guard: a second one started from inside the
// pauses of the first is refused with a status message.
class TerminalPage : public QWidget
{
    Q_OBJECT
  public:
    TerminalPage(SerialLink& link, LinkHost& host, TermPageHost& pageHost, ImageStore& store, TCustomComPort& port,
                 QWidget* parent = nullptr);
    ~TerminalPage() override;

    // Pauses and the wait they go through; the clock of the log stamps and the clock commands.
    TermTiming Timing;
    LocalClock Clock = LocalTimeNow;

    // --- for the main window -------------------------------------------------------------------------------
    // The tool bar's Button1 and SpeedButton2 take over from the page's own (hidden) pair: their clicks run
    // Button1Click and SpeedButton2Click, and Button1 shows the port's state.
    void UseToolBarButtons(QPushButton* button1, QToolButton* speedButton2);
    // ComTerminal1.SetComPort(port) / SetComPort(nil).
    void AttachTerminal(TermPortLink* port);
    void DetachTerminal();
    std::string CharDelayText() const;
    // Memo4: everything the attached terminal received, byte for byte.
    std::string Memo4Text() const;
    void ClearMemo4();
    // Memo1: a line of its own (the service writer's log).
    void AddLogLine(const std::string& line);
    // Button1's caption from the port's state: name + ": CLOSED", or name + " (" + baud name + "): OPEN".
    void ShowPortState();
    // The signal LEDs ComLed2 (CTS) .. ComLed7 (TXD) take the places kept for them in the LED row; the page
    // takes ownership. ComLed7 is hidden and disabled.
    void InstallSignalLed(int n, QWidget* led);

    // --- handlers ----------------------------------------------------------------------------------------------
    void Button1Click();
    void SpeedButton1Click();
    // Runs before the key reaches the send box: Enter sends (and is swallowed: key becomes 0), the others update
    // the character count.
    void SendBoxKeyPress(char& key);
    void SendBoxClick();
    void ComTerminal1StrRecieved(std::string& str);
    void CheckBox7Click();
    void CheckBox8Click();
    void CheckBox9Click();
    void CheckBox10Click();
    void CheckBox14Click();
    void ShowTSClick();
    void Label114Click();
    void SpeedButton2Click();
    // Loads the script file the user picks; a file that cannot be read raises an error.
    void SpeedButton6Click();
    void SpeedButton7Click();
    void SpeedButton8Click();
    void SpeedButton9Click();
    void SetRTCButtonClick();
    void setRTCDButtonClick();
    void SpeedButton11Click();
    void SpeedButton12Click();
    void SpeedButton13Click();
    void SpeedButton14Click();
    void Button3Click();

    // --- controls --------------------------------------------------------------------------------------------
    QPushButton* Button1 = nullptr;      // tool bar: port Open/Close and state (the page's own until replaced)
    QToolButton* SpeedButton2 = nullptr; // tool bar: "Erase Screen"
    TComTerminal* ComTerminal1 = nullptr;
    QComboBox* SendBox = nullptr;
    QLabel* Label83 = nullptr;
    QLabel* Label84 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLineEdit* charDelay = nullptr;
    ByteMemo* Memo1 = nullptr;
    QLabel* Label113 = nullptr;
    QLabel* Label114 = nullptr;
    TCheckBox* CheckBox7 = nullptr;
    TCheckBox* CheckBox8 = nullptr;
    TCheckBox* CheckBox9 = nullptr;
    TCheckBox* CheckBox10 = nullptr;
    TCheckBox* CheckBox14 = nullptr;
    TCheckBox* ShowTS = nullptr;
    TCheckBox* HexCheckBox = nullptr;
    TCheckBox* ShowDataChBox = nullptr;
    TCheckBox* sendESC = nullptr;
    QComboBox* ScriptComboBox = nullptr;
    QLineEdit* DelayEdit2 = nullptr;
    QComboBox* ComboBox8 = nullptr;
    QComboBox* ComboBox9 = nullptr;
    QWidget* LedPanel = nullptr; // the LED row: places ComLed2Place .. ComLed7Place
    QWidget* Panel20 = nullptr;  // the service writer's panel, hidden
    QLineEdit* areaNo = nullptr;
    QLineEdit* valueX = nullptr;
    QLineEdit* Sbuffr = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPointer<ByteMemo> Memo4; // shown on the "Data Transfer/Logging/Timers" page

    DirectCommands Commands;
    std::unique_ptr<ScriptBoxes> ScriptView; // ScriptComboBox and DelayEdit2 for the runner
    std::unique_ptr<ScriptRunner> Scripts;
    AltBlockWriter AltWriter;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* BuildSendRow();
    QWidget* BuildOptionRow();
    QWidget* BuildServicePanel();
    void BuildToolBarButtons();
    void ConnectToolBarButtons();
    // Runs op under the busy guard; its errors end in a message box, never in the event loop.
    void Guarded(const char* what, const std::function<void()>& op);
    // Runs op under the window's handler guard; a port error shows in the "COM Port" box.
    void Safely(const std::function<void()>& op);
    void SetLineBoxes(bool open);
    void ShowCount();
    ReceiveLogOptions LogOptions() const;

    SerialLink& link_;
    LinkHost& host_;
    TermPageHost& pageHost_;
    TCustomComPort& port_;
    ReceiveLog log_;
    int64_t received_ = 0; // Label114
};
