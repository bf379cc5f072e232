#include "cport/port/DataPacket.h"

#include "cport/port/AsciiCase.h"
#include "cport/port/Cport.h"

#include <algorithm>

TComDataPacket::TComDataPacket()
{
    FBinding.Link.OnRxBuf = [this](TCustomComPort*, const void* Buffer, int Count) { RxBuf(Buffer, Count); };
}

TComDataPacket::~TComDataPacket()
{
    SetComPort(nullptr);
}

void TComDataPacket::SetComPort(TCustomComPort* Value)
{
    FBinding.Bind(Value, [this] { SetComPort(nullptr); });
}

void TComDataPacket::SetCaseInsensitive(bool Value)
{
    if (Value == FCaseInsensitive)
        return;
    FCaseInsensitive = Value;
    EmptyBuffer();
}

void TComDataPacket::SetStartString(const std::string& Value)
{
    if (Value == FStartString)
        return;
    FStartString = Value;
    EmptyBuffer();
}

void TComDataPacket::SetStopString(const std::string& Value)
{
    if (Value == FStopString)
        return;
    FStopString = Value;
    EmptyBuffer();
}

void TComDataPacket::SetSize(int Value)
{
    if (Value == FSize)
        return;
    FSize = Value;
    EmptyBuffer();
}

void TComDataPacket::RxBuf(const void* Buffer, int Count)
{
    if (Count > 0)
        AddData(std::string(static_cast<const char*>(Buffer), std::size_t(Count)));
}

bool TComDataPacket::HasEndTest() const
{
    return FSize > 0 || !FStopString.empty() || bool(OnCustomStop);
}

void TComDataPacket::AddData(const std::string& Str)
{
    if (!HasEndTest()) {
        DoPacket(Str);
        return;
    }
    FData += Str;
    HandleBuffer();
}

// One packet per turn, as long as packets complete; every completed packet takes at least one byte, so the
// loop ends with the data.
void TComDataPacket::HandleBuffer()
{
    for (;;) {
        if (!FInPacket)
            StartStep();
        if (!FInPacket || !EndStep())
            break;
    }
    if (FMaxBufferSize > 0 && Rest().size() >= std::size_t(FMaxBufferSize))
        EmptyBuffer();
    Compact();
}

void TComDataPacket::StartStep()
{
    int Pos = -1;
    if (OnCustomStart) {
        Compact();
        DoCustomStart(FData, Pos);
    }
    const std::size_t Len = Rest().size();
    std::size_t Skip = 0; // bytes in front of the start
    if (Pos > 0) {
        Skip = std::min(std::size_t(Pos) - 1, Len);
    } else if (Pos == -1 && !FStartString.empty()) {
        Skip = Find(FStartString, Rest());
        if (Skip == std::string_view::npos)
            return;
    } else if (Pos != -1) {
        return;
    }
    FInPacket = true;
    if (Skip == 0)
        return;
    std::string Discarded(Rest().substr(0, Skip));
    Cut(Skip);
    DoDiscard(Discarded);
}

bool TComDataPacket::EndStep()
{
    int Pos = -1;
    if (OnCustomStop) {
        Compact();
        DoCustomStop(FData, Pos);
    }
    const std::string_view Data = Rest();
    if (Data.empty())
        return false;
    std::size_t End = 0;
    if (Pos >= 1)
        End = std::min(std::size_t(Pos), Data.size());
    else if (Pos == -1)
        End = FindEnd(Data);
    if (End == 0)
        return false;
    FInPacket = false;
    std::string Packet(Data.substr(0, End));
    Cut(End);
    DoPacket(FIncludeStrings ? Packet : Strip(std::move(Packet)));
    return true;
}

// The end (a count of bytes) by Size or by the stop string, whichever comes first; 0 for none. The stop string
// is looked for behind the room of the start string.
std::size_t TComDataPacket::FindEnd(std::string_view Data) const
{
    std::size_t End = 0;
    if (FSize > 0 && Data.size() >= std::size_t(FSize))
        End = std::size_t(FSize);
    const std::size_t From = FStartString.size();
    if (FStopString.empty() || Data.size() <= From)
        return End;
    const std::string_view Room = End ? Data.substr(0, End) : Data;
    const std::size_t At = Find(FStopString, Room, From);
    if (At != std::string_view::npos)
        End = At + FStopString.size();
    return End;
}

std::string TComDataPacket::Strip(std::string Packet) const
{
    if (!FStartString.empty() && Find(FStartString, Packet) == 0)
        Packet.erase(0, FStartString.size());
    if (!FStopString.empty()) {
        const std::size_t At = Find(FStopString, Packet);
        if (At != std::string_view::npos && At + FStopString.size() == Packet.size())
            Packet.erase(At);
    }
    return Packet;
}

std::size_t TComDataPacket::Find(std::string_view Sub, std::string_view In, std::size_t From) const
{
    if (Sub.empty() || From > In.size())
        return std::string_view::npos;
    if (!FCaseInsensitive)
        return In.find(Sub, From);
    auto It = std::search(In.begin() + std::ptrdiff_t(From), In.end(), Sub.begin(), Sub.end(),
                          [](char a, char b) { return UpperAscii(a) == UpperAscii(b); });
    return It == In.end() ? std::string_view::npos : std::size_t(It - In.begin());
}

void TComDataPacket::Compact()
{
    if (FHead == 0)
        return;
    FData.erase(0, FHead);
    FHead = 0;
}

void TComDataPacket::EmptyBuffer()
{
    // The state is reset before the handler runs, so data it adds is not thrown away with the old.
    std::string Discarded(Rest());
    FData.clear();
    FHead = 0;
    FInPacket = false;
    if (!Discarded.empty())
        DoDiscard(Discarded);
}

void TComDataPacket::DoDiscard(const std::string& Str)
{
    if (OnDiscard)
        OnDiscard(this, Str);
}

void TComDataPacket::DoPacket(const std::string& Str)
{
    if (OnPacket)
        OnPacket(this, Str);
}

void TComDataPacket::DoCustomStart(const std::string& Str, int& Pos)
{
    if (OnCustomStart)
        OnCustomStart(this, Str, Pos);
}

void TComDataPacket::DoCustomStop(const std::string& Str, int& Pos)
{
    if (OnCustomStop)
        OnCustomStop(this, Str, Pos);
}
