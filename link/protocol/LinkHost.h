#pragma once

#include <functional>
#include <string>

enum class TransferDirection { Read, Write };

// What the user set for the exchanges with the unit, as the window shows it when an exchange starts.
struct TransferOptions {
    std::string password;  // sent after "kvpw=", unchanged, also when empty
    bool timers = false;   // read or set the five wake-up timers with the image
    bool clearLog = false; // empty the unit's logging area after a write
    std::string charDelay; // the pause between sent characters, in ms, as typed
};

// What the serial transfers, the timer commands and the hardware-type read need of the main window.
// TForm1 implements it; every call is made on the window thread. The link never waits inside these calls
// except where a call says so.
class LinkHost
{
  public:
    virtual ~LinkHost() = default;

    // --- status bar ----------------------------------------------------------------------------------
    // Panel 0 of StatusBar1: the outcome of the last operation.
    virtual void SetStatusText(const std::string& text) = 0;

    // --- progress window (FormSave) ----------------------------------------------------------------------
    // Bar Step and Max := total, Position := 0, Label4 := "". The window is not shown or changed otherwise.
    virtual void ResetProgress(int total) = 0;
    // The whole start: ResetProgress(total), icon 125, UpLImage (read) or DwnLImage (write) shown and the other
    // five images hidden, caption "Reading in progress..." / "Writing in progress...", shown modeless in front.
    virtual void StartProgress(TransferDirection direction, int total) = 0;
    // Label4 := text, repainted at once (the caller is inside a wait that does not run the window).
    virtual void SetProgressStep(const std::string& text) = 0;
    // ProgressBar1.Position := position. During the image data wait the window does not run: repaint the bar
    // at once so it follows the received count.
    virtual void SetProgressPosition(int position) = 0;
    // The result: message == okMessage gives Label4 "OK" in green (32768), size 15, icon 123, OKImage; otherwise
    // "ERROR" in red (255), size 15, icon 124, AlertImage, and PswdImage when message is "ERROR: Password
    // Incorrect", else StopImage. Repainted; then whileShown (when set) runs; then the result is held for
    // holdMs with DelayMs (the window keeps running); then Label4's font goes back to colour 0, size 10.
    virtual void ShowProgressResult(const std::string& message, const std::string& okMessage, int holdMs,
                                    const std::function<void()>& whileShown) = 0;
    // Closes the window (its close handler clears tcpStep, tcpReading, tcpWriting).
    virtual void CloseProgress() = 0;

    // --- main window flows -----------------------------------------------------------------------------------
    // Input focus to the help panel RichEdit1, so the edit being typed in is left (its exit handler runs).
    virtual void FocusHelpPanel() = 0;
    // The commit list before a write: PhoneSetButtonClick, BitBtn1Click .. BitBtn9Click, SetButton1Click,
    // simPinEditExit, DateEdit1Exit, awakeTimeExit, MaxPingNoExit, MaxReConnPeriodExit, MaxReConnNoExit,
    // ComboBox1Exit .. ComboBox7Exit, in this order. False when a conversion error stopped it; the host has
    // reported that error, and the write does not go on.
    virtual bool CommitPendingEdits() = 0;
    virtual void StampConfigToolNr() = 0;
    // The common end of a good image read: pages enabled, ImageLoaded := 1, DecodeModemType, ImageToControls,
    // ShowChannelTypeCombos.
    virtual void FinishImageRead() = 0;
    virtual void ImageToControls() = 0;
    virtual void ApplyModemTypeLabels() = 0;
    // Main window caption := "KIV Corvo Configuration tool : " + the tool's version text.
    virtual void RestoreMainCaption() = 0;

    // --- terminal ----------------------------------------------------------------------------------------------
    // ComTerminal1.SetComPort(nil) / SetComPort(ComPort1): while detached, only the transfer takes the port's
    // received bytes.
    virtual void DetachTerminal() = 0;
    virtual void AttachTerminal() = 0;
    // Memo4: the raw copy of everything the attached terminal received (bytes, Latin-1 in the memo).
    virtual std::string Memo4Text() = 0;
    virtual void ClearMemo4() = 0;
    // A port error while sending: message box "COM Port", warning icon, OK, text "ERROR: " + message.
    virtual void ShowPortError(const std::string& message) = 0;

    // --- controls the link reads and sets ------------------------------------------------------------------
    virtual TransferOptions Options() = 0;
    virtual std::string TimerText(int n) = 0; // spSWT1Edit .. spSWT5Edit, n = 1..5
    virtual void SetTimerText(int n, const std::string& text) = 0;
    virtual void SetModemType(const std::string& type) = 0;   // modemType
    virtual void SetDeviceLabel(const std::string& text) = 0; // Label101
};
