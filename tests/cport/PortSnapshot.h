#pragma once

#include "cport/Cport.h"

#include <string>

// Every setting of a port in one readable line, for comparing two ports or one port before and after.
inline std::string PortSnapshot(TCustomComPort& p)
{
    auto n = [](auto v) { return std::to_string(int(v)); };
    TComFlowControl& f = p.FlowControl();
    TComTimeouts& t = p.Timeouts();
    return "port=" + p.Port() + " rate=" + n(p.BaudRate()) + "/" + n(p.CustomBaudRate()) + " stop=" + n(p.StopBits()) +
           " data=" + n(p.DataBits()) + " parity=" + n(p.Parity().Bits()) + n(p.Parity().Check()) +
           n(p.Parity().Replace()) + "/" + n(p.Parity().ReplaceChar()) + " null=" + n(p.DiscardNull()) +
           " evchar=" + n(p.EventChar()) + " buffer=" + n(p.Buffer().InputSize()) + "/" + n(p.Buffer().OutputSize()) +
           " timeouts=" + n(t.ReadInterval()) + "/" + n(t.ReadTotalMultiplier()) + "/" + n(t.ReadTotalConstant()) +
           "/" + n(t.WriteTotalMultiplier()) + "/" + n(t.WriteTotalConstant()) + " flow=" + n(f.OutCTSFlow()) +
           n(f.OutDSRFlow()) + n(f.ControlDTR()) + n(f.ControlRTS()) + n(f.XonXoffOut()) + n(f.XonXoffIn()) +
           n(f.DSRSensitivity()) + n(f.TxContinueOnXoff()) + "/" + n(f.XonChar()) + "/" + n(f.XoffChar());
}
