#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

// The master redraw: every page decoder in one fixed order of steps, each page registering its
// decoders at their step as it is built. A decoder that moves a switch or a choice runs its click handler,
// and a handler that forces companion bits changes the image while controls are being set, so a redraw
// may run inside another one, and the rules finish such a cascade within a few passes. Only a cycle is
// stopped: a pair of editors that keep changing each other's bits bring back an image that an enclosing pass
// is showing, and that nested pass is not run. The depth limit stands far past any cascade of the rules, for
// a redraw that has no image state to compare.
class TRedraw
{
  public:
    // The steps, in the order they run.
    enum Step {
        PhoneNumbers,     // ShowPhoneNr1..5
        SmsSettings,      // ShowSmsSettings
        AlarmTexts,       // ShowIO1alarmText..ShowIO8alarmText
        UserId,           // ShowUserID, ShowXOTAServer
        CommandStrings,   // ShowIO1kvcmd..ShowIO8kvcmd
        AlarmTable,       // ShowAlarmTable
        ChannelPages,     // ShowIO1Page..ShowIO8Page
        SerialSettings,   // ShowSerialSettings, ShowReferenceDate
        InternetFields,   // ShowIPEdit1.., ShowInitString.., ShowUserName, ShowPassWord
        OptionBits,       // ShowOptionBits
        SmsLimit,         // ShowSMSlimit
        Gnss,             // ShowGNSSTimeOut, ShowGNSSNumSAT, ShowMEMSThreshold
        AlarmOnOff,       // ShowAlarmOnOff
        Connection,       // ShowMaxPingNo.., ShowSocketTime
        Identity,         // ShowConfigID, ShowGNSSHdop
        ToolNumber,       // ShowConfigToolNr
        LoggedData,       // DecodeLoggedData, ShowAwakeTime, ShowAlarmChkTime, DecodeTimeTable, ShowIO7outTime
        UnitIdentity,     // ShowUnitIdentity
        ScalingConstants, // ShowScalingConstants
        ChannelNames,     // ShowComboBox1..7
        LevelCaptions,    // the analogue level captions
        StepCount
    };
    static constexpr int kMaxDepth = 64;

    void Add(Step step, std::function<void()> decoder);
    // Runs every decoder in step order. The outermost pass calls the painting hook around itself.
    void ImageToControls();
    // Runs the decoders of one step alone, as the full redraw runs them: the redraw of the fields that an
    // operation changed without their own editors' redraw.
    void ShowStep(Step step);
    int Depth() const { return depth_; }

    // Called with true before the outermost pass and false after it (suspend and resume painting).
    std::function<void(bool)> OnOuterPass;
    // The image a pass is about to show, to tell a cycle from a cascade; empty, only the depth limits.
    std::function<std::string()> State;

  private:
    class TPass;
    bool Refused(const std::string& state) const;
    std::array<std::vector<std::function<void()>>, StepCount> steps_;
    int depth_ = 0;
    std::vector<std::string> shown_; // the image of each running pass, outermost first
};

// The commit list run before a write to the unit or a save: the hidden Set buttons and Exit handlers
// of every page, in a fixed order. Pages fill their entries as they are built; a conversion error
// raised by an entry stops the list and reaches the operation that ran it.
class TCommitList
{
  public:
    // Declares the names in their order; entries not yet filled do nothing.
    explicit TCommitList(std::vector<std::string> order);
    // Fills an entry declared in the order; an unknown name is a programming error (std::logic_error).
    void Set(const std::string& name, std::function<void()> handler);
    // Runs BeforeRun, then the entries in order.
    void Run() const { Run(order_); }
    // Runs BeforeRun, then the named entries in the order given; a name not declared is a programming error.
    void Run(const std::vector<std::string>& names) const;
    const std::vector<std::string>& Order() const { return order_; }

    // Run first on every run: the window commits the edit that has the focus. Tool bar buttons take none, so
    // the edit being typed in is never left before a write or a save, and its value would be lost.
    std::function<void()> BeforeRun;

  private:
    std::vector<std::string> order_;
    std::vector<std::function<void()>> handlers_;
};

// The order the write paths commit in.
std::vector<std::string> WriteCommitOrder();
// The ".kvx" save commits as a write does, but for the reference date.
std::vector<std::string> KvxSaveCommitOrder();
