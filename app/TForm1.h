#pragma once

#include "app/ProgramIni.h"
#include "cport/port/Cport.h"
#include "cport/terminal/TermPortLink.h"
#include "image/HardwareVariant.h"
#include "image/ImageStore.h"
#include "link/net/ServerLink.h"
#include "link/net/TcpHost.h"
#include "link/protocol/LinkHost.h"
#include "link/serial/ComPortLink.h"
#include "link/serial/SerialLink.h"
#include "link/serial/TermPageHost.h"
#include "pages/PageContext.h"
#include "pages/Redraw.h"

#include <QMainWindow>
#include <QTabWidget>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

class QAction;
class QComboBox;
class QLabel;
class QLayout;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolBar;
class QToolButton;
class TGeneralPage;
class TAboutBox;
class TCalibrationSend;
class TChannelTypes;
class TFormSave;
class THelpPanel;
class TOptionBits;
class TStatusBar;
class TerminalPage;
class ServerPage;

// The main window: owns the image, the port, the sockets and every page, and runs the flows that cross
// pages (start-up, redraw, the hardware variant, shut-down). Window thread only.
class TForm1 : public QMainWindow, public LinkHost, public TermPageHost, public TcpHost
{
    Q_OBJECT
  public:
    struct TOptions {
        // The program INI file; empty: the one beside the executable (ProgramIniPath).
        std::string IniPath;
        // Builds the pages' controls into the tab sheets before the window is set up from the INI file and
        // the image (the controls the set-up fills are found by their object names).
        std::function<void(TForm1&)> BuildPages;
        // Where the TCP server and the UDP monitor bind: the whole machine in the tool, loopback in tests.
        ServerBinding Server;
    };

    explicit TForm1(QWidget* parent = nullptr);
    explicit TForm1(const TOptions& options, QWidget* parent = nullptr);
    ~TForm1() override;

    // --- start-up and shut-down --------------------------------------------------------------------------
    // The starting state: INI file applied, pages drawn, default image loaded. Run by the constructor; each
    // step runs under the handler guard, so a failing step is shown and the window still comes up.
    void FormCreate();
    // Closing the main window: "kve1" to the unit and the preferences written; refused while a transfer runs.
    void FormClose();
    // The Exit command: sockets closed, "kve1" sent, preferences (but the APN names) written, port closed,
    // then the window loop ends. Refused while a transfer runs.
    void FileExitExecute();
    void Aboute1Click();
    // Image files: ".kvx" save and load (FileSave, FileOpen), ".bin" export (ToolButton12).
    void FileSave1Click();
    void FileOpen1Click();
    void ToolButton12Click();
    // The port settings button.
    void SpeedButton3Click();
    // A transfer, script or command with the unit is under way (the device link's busy guard, or the
    // progress window holding a result): closing now would pull the window from under a running wait.
    bool TransferRunning() const;
    const std::string& IniPath() const { return iniPath_; }

    // Settings profile (".kvp"): the save (SaveINIButton) and the read-back (the hidden ReadINIButton).
    void SaveINIButtonClick();
    void ReadINIButtonClick();

    // --- serial port ---------------------------------------------------------------------------------------
    // Configured at start-up from the INI file, never opened by it: the user opens it with Button1.
    TComPort ComPort1;
    // The port button's caption for the port's state: "ttyUSB0: CLOSED", "ttyUSB0 (9600): OPEN".
    void ShowPortState();

    // --- image, pages and hardware variant ---------------------------------------------------------------
    ImageStore Image;
    TRedraw Redraw;
    TCommitList CommitList;
    TVariantState Variant;
    // What the pages are built on: the image, the redraw, the commit list and the Exit handlers by name.
    TPageContext PageContext{Image, Redraw, CommitList};

    // The option switches of the settings pages; their hooks reach the controls of the other pages.
    std::unique_ptr<TOptionBits> OptionBits;
    // The channel types per hardware variant and the DIP switches they set.
    std::unique_ptr<TChannelTypes> ChannelTypes;
    // The calibration write of the "Channel Calibration" page.
    TCalibrationSend* CalibrationSend = nullptr;

    void ImageToControls() override;
    void setDefaultClick();
    void FinishImageRead() override;
    void DecodeModemType();
    void EncodeModemType();
    void ShowChannelTypeCombos();
    void ApplyModemTypeLabels() override;

    // --- device link over the serial port -------------------------------------------------------------------
    // Members after ComPort1: they go before it.
    std::unique_ptr<ComPortLink> ComPortLink1;
    TermPortAdapter<TComPort> ComPort1Term{ComPort1};
    // One operation with the unit at a time, over the serial port or over TCP: both links take this guard.
    LinkBusy LinkGuard;
    SerialLink Link;
    TerminalPage* TermPage = nullptr;

    // LinkHost
    void SetStatusText(const std::string& text) override { SetStatus(text); }
    void ResetProgress(int total) override;
    void StartProgress(TransferDirection direction, int total) override;
    void SetProgressStep(const std::string& text) override;
    void SetProgressPosition(int position) override;
    void ShowProgressResult(const std::string& message, const std::string& okMessage, int holdMs,
                            const std::function<void()>& whileShown) override;
    void CloseProgress() override;
    void FocusHelpPanel() override;
    bool CommitPendingEdits() override;
    void StampConfigToolNr() override;
    void RestoreMainCaption() override;
    void DetachTerminal() override;
    void AttachTerminal() override;
    std::string Memo4Text() override;
    void ClearMemo4() override;
    void ShowPortError(const std::string& message) override;
    TransferOptions Options() override;
    std::string TimerText(int n) override;
    void SetTimerText(int n, const std::string& text) override;
    void SetModemType(const std::string& type) override;
    void SetDeviceLabel(const std::string& text) override;
    // TermPageHost
    void SetIOCheckBoxClick() override;

    // --- TCP link and UDP monitor ("Server" page) -------------------------------------------------------------
    ServerPage* ServerPage1 = nullptr;
    std::unique_ptr<ServerLink> Server;
    // TcpHost
    void SetLinkStateText(const std::string& text) override;
    void SetListenChecked(bool checked) override;
    void EnableSerialTransferButtons(bool enabled) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& text) override;
    void ShowMessage(const std::string& text) override;

    // --- help panel ----------------------------------------------------------------------------------------
    void ShowHelpText(int page, int item);
    // Binds the help texts and wheel steps to the pages' controls; call again after adding controls.
    void BindHelpPanel();
    THelpPanel* HelpPanel() const { return helpPanel_; }

    // --- status bar ----------------------------------------------------------------------------------------
    void SetStatus(const std::string& text); // panel 0
    std::string Status() const;

    // --- hooks of the layers built on this window -----------------------------------------------------------
    // Channel pages: relabel the channel pages and reload the type pick lists for Variant.modemType.
    std::function<void()> OnApplyModemTypeLabels;
    // Device link: its busy guard (a transfer, script or direct command, serial or TCP, is running).
    std::function<bool()> OnTransferRunning;
    // Device link: SendComString (sends only on an open port, reports "Communication failure" otherwise).
    std::function<void(const std::string&)> OnSendComString;
    // Device link: deactivate ServerSocket, then ClientSocket.
    std::function<void()> OnDeactivateSockets;
    // Ends the window loop; the Exit command's last step.
    std::function<void(int)> OnQuit;

    // The preferences as read at start-up and as last written.
    TProgramPrefs Prefs;

    // --- the window's own controls --------------------------------------------------------------------------
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QToolButton* ToolButton4 = nullptr;
    QToolButton* ToolButton12 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* ReadINIButton = nullptr;
    QToolButton* SaveINIButton = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QPushButton* Button1 = nullptr;
    QToolButton* ReadEEPROMExecute = nullptr;
    QToolButton* WriteEEPROMExecute = nullptr;
    QToolButton* setDefault = nullptr;
    QLabel* Label101 = nullptr; // "KIV", then the device found
    QLabel* Label74 = nullptr;
    QLabel* configToolNr = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet2 = nullptr;  // "General Settings"
    QWidget* TabSheet13 = nullptr; // "Channels"
    QWidget* TabSheet6 = nullptr;  // "Data Transfer/Logging/Timers"
    QWidget* TabSheet4 = nullptr;  // "Communication"
    QWidget* TabSheet7 = nullptr;  // "Logged Data"
    QWidget* TabSheet8 = nullptr;  // "Terminal"
    QWidget* TabSheet11 = nullptr; // "Server"
    QWidget* TabSheet1 = nullptr;  // "Channel Calibration"
    // Its PhoneNumberShown signal captions the channels' recipient boxes.
    TGeneralPage* GeneralPage = nullptr;
    QPlainTextEdit* RichEdit1 = nullptr;

    // Actions (menus, tool bar, short cuts); the layers that own an operation connect to its action.
    QAction* FileNew = nullptr;
    QAction* FileExit = nullptr;
    QAction* EditCopy1 = nullptr;
    QAction* EditCut1 = nullptr;
    QAction* EditPaste1 = nullptr;
    QAction* HelpAboute = nullptr;
    QAction* FileOpen = nullptr;
    QAction* FileSave = nullptr;
    QAction* ReadEEPROM = nullptr;
    QAction* WriteEEPROM = nullptr;
    QAction* Write_changed_EEProm = nullptr;
    QAction* Action1 = nullptr;
    QAction* FileListenItem = nullptr;
    QAction* FileConnectItem = nullptr;
    QAction* Disconnect1 = nullptr;

    TAboutBox* AboutBox = nullptr;
    TFormSave* FormSave = nullptr;

    // A control of the pages by its object name (the terminal and server pages' too); a name no page built is
    // a programming error (logic_error), never a silent no-op.
    template <class T> T* Control(const QString& name) const;

  signals:
    // The window has closed: the window loop ends.
    void Closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void RefuseUnconnectedHooks();
    void TearDown();
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildPages();
    void BuildWindowFields();
    void BuildOptionBits();
    void BuildChannelTypes();
    void ShowLevelCaptions();
    void BuildTerminalPage();
    void BuildSignalLeds();
    void ConnectProfileActions();
    void BuildServerPage(const ServerBinding& binding);
    void ConnectServerActions();
    void ConnectLinkActions();
    void ConnectFileActions();

    // start-up steps
    void ReadPreferences();
    void ApplyPortPrefs();
    void ApplyLinkPrefs();
    void ApplyTerminalPrefs();
    void ApplyWindowPrefs();
    void ApplyApnPrefs();
    void SetLinesAfterSetup();
    TPortPrefs PortSettings();
    // shut-down
    void CollectPrefs();
    bool RefuseWhileBusy();
    void SendEchoOn();
    void ClosePort();
    void EditAction(const char* method);

    std::string iniPath_;
    THelpPanel* helpPanel_ = nullptr;
    bool closing_ = false;
};

template <class T> T* TForm1::Control(const QString& name) const
{
    T* control = PageControl1 ? PageControl1->findChild<T*>(name) : nullptr;
    if (!control)
        throw std::logic_error("no control " + name.toStdString());
    return control;
}
