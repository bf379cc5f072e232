#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class DirectCommands;
class LinkHost;
class SerialSender;
struct TermTiming;

// Script lines as the runner and the send buttons read them.
namespace ScriptLines
{

inline constexpr const char* kSetRtc = "<SET RTC>";
inline constexpr const char* kEscape = "<ESC>";

// "---" and "+++" switch the unit's mode and go out without a CR.
bool IsModeSwitch(std::string_view line);

// How a line of the send boxes goes out: "---" and "+++" as they are, "<ESC>" as the escape byte (both
// without CR), every other line as its text followed by a CR.
struct SendForm {
    std::string text;
    bool withCr = false;
};
SendForm SendFormOf(const std::string& line);
// A line holding "T:" anywhere sets the pause: the number read from its third character on by the C atoi
// rule (blanks, a sign, digits up to the first other character; none gives 0; saturated to 32 bits).
std::optional<int> PauseValue(std::string_view line);
// A script file's lines: they end at CR, LF or CR LF; a line break at the very end starts no further line.
std::vector<std::string> Split(std::string_view text);
// The lines of a text file (Split), or nothing when the file cannot be read.
std::optional<std::vector<std::string>> ReadLines(const std::string& path);

} // namespace ScriptLines

// The script list (one command line per item) and its pause as the runner reads and sets them; the terminal
// page keeps them in ScriptComboBox and DelayEdit2. Texts are bytes.
class ScriptList
{
  public:
    virtual ~ScriptList() = default;

    virtual int Count() = 0;
    virtual void Select(int index) = 0;
    // The line the list shows (selected or typed).
    virtual std::string Shown() = 0;
    // text joins the list unless one of its first count items equals it exactly; the list then shows text.
    virtual void Remember(const std::string& text, int count) = 0;
    // The list becomes lines, the first one selected.
    virtual void Replace(const std::vector<std::string>& lines) = 0;
    virtual std::string PauseText() = 0;
    virtual void SetPause(int ms) = 0;
};

// The script of the terminal page. A run sends every line with the pause after each; "T:" lines change the
// pause, "<SET RTC>" sets the unit's clock, "---" and "+++" go out without CR, every other line with CR ("[n]"
// byte codes apply).
class ScriptRunner
{
  public:
    ScriptRunner(SerialSender& sender, LinkHost& host, DirectCommands& commands, const TermTiming& timing,
                 ScriptList& list);

    // Shows what the unit answered so far; runs after each line of a run.
    std::function<void()> RepaintTerminal;

    // SpeedButton7Click: the whole list, the item count read again before every line, so lines added during
    // the pauses run too. With the port closed: "Communication failure" and nothing else. A pause text that is
    // no number raises EConvertError after the line it follows was acted on. A line the port failed ends the
    // run there.
    void Run();
    // SpeedButton8Click: the edit's line once ("<ESC>" as the escape byte; "T:" and "<SET RTC>" are not
    // keywords here), then remembered in the list.
    void SendOnce();
    // SpeedButton9Click: the text joins the list; nothing is sent.
    void Add(const std::string& text);
    // The list replaced by the file's lines, item 0 selected. False (list unchanged) when the file cannot be
    // read.
    bool LoadFile(const std::string& path);

  private:
    // False when the port failed a send of the line.
    bool RunLine(const std::string& line);

    SerialSender& sender_;
    LinkHost& host_;
    DirectCommands& commands_;
    const TermTiming& timing_;
    ScriptList& list_;
};
