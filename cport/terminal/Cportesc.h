#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Abstract terminal codes; the ordinals are kept stable.
enum class TEscapeCode : std::uint8_t {
    ecUnknown,
    ecNotCompleted,
    ecCursorUp,
    ecCursorDown,
    ecCursorLeft,
    ecCursorRight,
    ecCursorHome,
    ecCursorMove,
    ecReverseLineFeed,
    ecAppCursorLeft,
    ecAppCursorRight,
    ecAppCursorUp,
    ecAppCursorDown,
    ecEraseLineFrom,
    ecEraseScreenFrom,
    ecEraseLine,
    ecEraseScreen,
    ecSetTab,
    ecClearTab,
    ecClearAllTabs,
    ecIdentify,
    ecIdentResponse,
    ecQueryDevice,
    ecReportDeviceOK,
    ecReportDeviceFailure,
    ecQueryCursorPos,
    ecReportCursorPos,
    ecAttributes,
    ecSetMode,
    ecResetMode,
    ecReset,
    ecSaveCaretAndAttr,
    ecRestoreCaretAndAttr,
    ecSaveCaret,
    ecRestoreCaret,
    ecTest,
};

enum class TEscapeResult { erChar, erCode, erNothing };

// Which escape parser a terminal uses; the ordinals are the setup dialog's item indexes.
enum class TTermEmulation { teVT100orANSI, teVT52, teNone };

// Parameters of a code as decimal texts, first parameter first.
using TEscapeParams = std::vector<std::string>;

// Parser of received bytes into characters and codes, and generator of the bytes that send a code.
class TEscapeCodes
{
  public:
    // A sequence still pending after this many bytes behind ESC is given up as unknown, so a lost final byte
    // cannot swallow everything that follows.
    static constexpr std::size_t MaxSequenceLength = 64;

    virtual ~TEscapeCodes() = default;

    // One step of the parser. erChar: Character is ready; erCode: Code (with Params, Data) is ready.
    virtual TEscapeResult ProcessChar(char Ch);
    // The bytes that send Code; empty when this emulation has no such code.
    virtual std::string EscCodeToStr(TEscapeCode Code, const TEscapeParams* Params) const = 0;

    // Parameter Index (1-based) as an integer: 1 when absent or not an integer, so only an explicit "0" is 0.
    static int GetParam(int Index, const TEscapeParams* Params);

    char Character = 0;
    TEscapeCode Code = TEscapeCode::ecUnknown;
    std::string Data;     // bytes after ESC, ESC not included
    TEscapeParams Params; // parameters of the last code

  protected:
    // Looks at Data (at least one byte) and tells which code it makes so far.
    virtual TEscapeCode DetectSequence() = 0;
    // Back to idle.
    virtual void EndSequence() { InSequence = false; }

    bool InSequence = false;
};

class TEscapeCodesVT52 : public TEscapeCodes
{
  public:
    std::string EscCodeToStr(TEscapeCode Code, const TEscapeParams* Params) const override;

  protected:
    TEscapeCode DetectSequence() override;
};

class TEscapeCodesVT100 : public TEscapeCodes
{
  public:
    std::string EscCodeToStr(TEscapeCode Code, const TEscapeParams* Params) const override;

  protected:
    TEscapeCode DetectSequence() override;
    void EndSequence() override;

  private:
    TEscapeCode DetectCode() const;
    TEscapeCode DetectExtCode();

    bool InControlSequence = false;
};

// The parser for an emulation; none for teNone.
std::unique_ptr<TEscapeCodes> MakeEscapeCodes(TTermEmulation Emulation);
