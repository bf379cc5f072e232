#pragma once

#include "cport/port/ComGuard.h"
#include "cport/port/Cport.h"
#include "cport/port/EComPort.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Whether Call raises EComPort with Code (and, when given, the system error WinCode).
template <class F>::testing::AssertionResult RaisesCom(F&& Call, int Code, int WinCode = -2)
{
    try {
        Call();
    } catch (const EComPort& e) {
        if (e.Code != Code || (WinCode != -2 && e.WinCode != WinCode))
            return ::testing::AssertionFailure() << "raised " << e.Code << "/" << e.WinCode << " (" << e.what() << ")";
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "raised nothing";
}

// Every setting of a port in one readable line, for comparing two ports or one port before and after.
inline std::string PortSnapshot(TCustomComPort& p)
{
    auto n = [](auto v) { return std::to_string(int(v)) + ","; };
    TComFlowControl& f = p.FlowControl();
    TComTimeouts& t = p.Timeouts();
    TComParity& r = p.Parity();
    return "port=" + p.Port() + " line=" + n(p.BaudRate()) + n(p.CustomBaudRate()) + n(p.StopBits()) + n(p.DataBits()) +
           n(r.Bits()) + n(r.Check()) + n(r.Replace()) + n(r.ReplaceChar()) + n(p.DiscardNull()) + n(p.EventChar()) +
           " buffer=" + n(p.Buffer().InputSize()) + n(p.Buffer().OutputSize()) + " timeouts=" + n(t.ReadInterval()) +
           n(t.ReadTotalMultiplier()) + n(t.ReadTotalConstant()) + n(t.WriteTotalMultiplier()) +
           n(t.WriteTotalConstant()) + " flow=" + n(f.OutCTSFlow()) + n(f.OutDSRFlow()) + n(f.ControlDTR()) +
           n(f.ControlRTS()) + n(f.XonXoffOut()) + n(f.XonXoffIn()) + n(f.DSRSensitivity()) + n(f.TxContinueOnXoff()) +
           n(f.XonChar()) + n(f.XoffChar());
}

// Terminal bytes written with '^' for ESC.
inline std::string E(std::string Text)
{
    std::replace(Text.begin(), Text.end(), '^', '\x1b');
    return Text;
}

// Count bytes of every value, in an order that does not repeat every 256.
inline std::string Pattern(std::size_t Count)
{
    std::string Bytes(Count, '\0');
    for (std::size_t i = 0; i < Count; ++i)
        Bytes[i] = char((i * 7 + i / 256) & 0xFF);
    return Bytes;
}

// The parts of Text between '|': data that arrives in several blocks.
inline std::vector<std::string> Blocks(const std::string& Text)
{
    std::vector<std::string> Parts;
    for (std::size_t From = 0, To = 0; To != std::string::npos; From = To + 1)
        Parts.push_back(Text.substr(From, (To = Text.find('|', From)) - From));
    return Parts;
}

// Collects what reaches the port's exception handler while it lives.
struct TReportedErrors {
    std::vector<std::string> Messages;
    TReportedErrors()
    {
        SetComExceptionHandler([this](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const std::exception& x) {
                Messages.push_back(x.what());
            }
        });
    }
    ~TReportedErrors() { SetComExceptionHandler(nullptr); }
};

// A control of a dialog by its object name; a missing one fails the test.
template <typename T> T* Find(QWidget& Form, const char* Name)
{
    T* Control = Form.findChild<T*>(QLatin1String(Name));
    EXPECT_NE(Control, nullptr) << Name;
    return Control;
}

// Runs a modal dialog and, once it shows, lets Act work on it; returns what Run returned.
template <class R> auto RunModal(R&& Run, std::function<void(QWidget&)> Act)
{
    QTimer::singleShot(0, [Act] {
        if (QWidget* Dialog = QApplication::activeModalWidget())
            Act(*Dialog);
    });
    return Run();
}

// For the port setup dialog: picks the texts in the named lists, then leaves with the given button.
inline std::function<void(QWidget&)> Pick(std::vector<std::pair<const char*, const char*>> Choices, const char* Button)
{
    return [=](QWidget& Form) {
        for (const auto& [Combo, Text] : Choices) {
            QComboBox* Box = Find<QComboBox>(Form, Combo);
            ASSERT_GE(Box->findText(Text), 0) << Text;
            Box->setCurrentIndex(Box->findText(Text));
        }
        Find<QAbstractButton>(Form, Button)->click();
    };
}
