#pragma once

#include <cstdint>
#include <initializer_list>

// A set of enumeration values with member n in bit n, as the port's settings and the INI file count them.
template <class E, class Bits> class TEnumSet
{
  public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> Values)
    {
        for (E v : Values)
            Include(v);
    }
    static constexpr TEnumSet FromBits(Bits b)
    {
        TEnumSet s;
        s.FBits = b;
        return s;
    }
    constexpr Bits ToBits() const { return FBits; }
    constexpr bool Contains(E v) const { return (FBits & Bit(v)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TEnumSet& Include(E v)
    {
        FBits = Bits(FBits | Bit(v));
        return *this;
    }
    constexpr TEnumSet& Exclude(E v)
    {
        FBits = Bits(FBits & ~Bit(v));
        return *this;
    }
    constexpr TEnumSet operator+(TEnumSet o) const { return FromBits(Bits(FBits | o.FBits)); }
    constexpr TEnumSet operator*(TEnumSet o) const { return FromBits(Bits(FBits & o.FBits)); }
    constexpr TEnumSet operator-(TEnumSet o) const { return FromBits(Bits(FBits & ~o.FBits)); }
    constexpr TEnumSet& operator+=(TEnumSet o) { return *this = *this + o; }
    constexpr TEnumSet& operator-=(TEnumSet o) { return *this = *this - o; }
    constexpr bool operator==(const TEnumSet&) const = default;

  private:
    static constexpr Bits Bit(E v) { return Bits(Bits(1) << static_cast<int>(v)); }
    Bits FBits = 0;
};

// The ordinals of these enumerations are stored in the program INI file: never reorder them.
enum TBaudRate : int {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum TStopBits : int { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits : int { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits : int { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl : int { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl : int { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TFlowControl : int { fcHardware, fcSoftware, fcNone, fcCustom };
enum TSyncMethod : int { smThreadSync, smWindowSync, smNone };
enum TComSignal : int { csCTS, csDSR, csRing, csRLSD };
enum TComError : int { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
enum TStoredProp : int { spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers };
enum TStoreType : int { stRegistry, stIniFile };
enum TComEvent : int { evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full };
enum TOperationKind : int { okWrite, okRead };
enum TThreadPriority : int { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
// The hold and status bits of the device, bit n for value n.
enum TComStateFlag : int { fCtlHold, fDsrHold, fRlsHold, fXoffHold, fXOffSent, fEof, fTxim };

using TComSignals = TEnumSet<TComSignal, std::uint8_t>;
using TComErrors = TEnumSet<TComError, std::uint8_t>;
using TStoredProps = TEnumSet<TStoredProp, std::uint8_t>;
using TComEvents = TEnumSet<TComEvent, std::uint16_t>;
using TComStateFlags = TEnumSet<TComStateFlag, std::uint8_t>;

inline constexpr TComEvents AllComEvents = TComEvents::FromBits(0x03FF);

// The order in which the events of one batch reach the port's handlers.
inline constexpr TComEvent ComDeliveryOrder[] = {evError, evRxChar, evTxEmpty, evBreak, evRing,
                                                 evCTS,   evDSR,    evRxFlag,  evRLSD,  evRx80Full};

// Event mask words: the flag values the event word of the device history uses.
std::uint32_t ComEventsToMask(TComEvents Events);
TComEvents MaskToComEvents(std::uint32_t Mask);
