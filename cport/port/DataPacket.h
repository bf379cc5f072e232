#pragma once

#include "cport/port/ComNotify.h"

#include <functional>
#include <string>
#include <string_view>

class TCustomComPort;

// Cuts the byte stream of a port into packets: a packet starts at the start string (or at once without one,
// or where the owner's start test says) and ends after the stop string, after Size bytes, or where the owner's
// end test says, whichever comes first. Bytes in front of a start are reported as discarded. Without any end
// test every received block is a packet by itself. Runs on the window thread, inside the port's receive
// dispatch.
class TComDataPacket
{
  public:
    using TComStrEvent = std::function<void(TComDataPacket* Sender, const std::string& Str)>;
    // Pos: set it above 0 for the position (1-based) found, to 0 for none yet; -1 leaves the test to the
    // start or stop string and Size. Positions beyond the data are held to its end.
    using TCustPacketEvent = std::function<void(TComDataPacket* Sender, const std::string& Str, int& Pos)>;

    TComDataPacket();
    virtual ~TComDataPacket();
    TComDataPacket(const TComDataPacket&) = delete;
    TComDataPacket& operator=(const TComDataPacket&) = delete;

    TCustomComPort* ComPort() const { return FBinding.Port(); }
    void SetComPort(TCustomComPort* Value);
    bool CaseInsensitive() const { return FCaseInsensitive; }
    void SetCaseInsensitive(bool Value);
    bool IncludeStrings() const { return FIncludeStrings; }
    void SetIncludeStrings(bool Value) { FIncludeStrings = Value; }
    // The collected data is discarded when it reaches this length; 0 or less: no limit.
    int MaxBufferSize() const { return FMaxBufferSize; }
    void SetMaxBufferSize(int Value) { FMaxBufferSize = Value; }
    const std::string& StartString() const { return FStartString; }
    void SetStartString(const std::string& Value);
    const std::string& StopString() const { return FStopString; }
    void SetStopString(const std::string& Value);
    int Size() const { return FSize; }
    void SetSize(int Value);

    // Feeds bytes as if the port had received them.
    void AddData(const std::string& Str);
    // Reports what is collected as discarded and waits for a new start.
    void EmptyBuffer();
    // What is collected and not yet reported.
    std::string Collected() const { return FData.substr(FHead); }
    bool InPacket() const { return FInPacket; }

    TComStrEvent OnPacket;
    TComStrEvent OnDiscard;
    TCustPacketEvent OnCustomStart;
    TCustPacketEvent OnCustomStop;

  protected:
    virtual void HandleBuffer();
    virtual void DoDiscard(const std::string& Str);
    virtual void DoPacket(const std::string& Str);
    virtual void DoCustomStart(const std::string& Str, int& Pos);
    virtual void DoCustomStop(const std::string& Str, int& Pos);

  private:
    void RxBuf(const void* Buffer, int Count);
    bool HasEndTest() const;
    void StartStep();
    bool EndStep();
    std::size_t FindEnd(std::string_view Data) const;
    std::string Strip(std::string Packet) const;
    std::size_t Find(std::string_view Sub, std::string_view In, std::size_t From = 0) const;
    std::string_view Rest() const { return std::string_view(FData).substr(FHead); }
    void Cut(std::size_t Count) { FHead += Count; }
    void Compact();

    TComLinkBinding FBinding; // its link: ComLink
    bool FCaseInsensitive = false;
    bool FIncludeStrings = false;
    int FMaxBufferSize = 1024;
    std::string FStartString;
    std::string FStopString;
    int FSize = 0;
    bool FInPacket = false;
    // The collected data is FData from FHead on: cutting a packet moves FHead, so a large block cut into many
    // small packets is not copied once per packet.
    std::string FData;
    std::size_t FHead = 0;
};
