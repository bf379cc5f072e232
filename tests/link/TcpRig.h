#pragma once

#include "FakeHost.h"
#include "FakeTcpHost.h"

#include "image/ImageStore.h"
#include "link/net/ServerLink.h"
#include "link/ui/ServerPage.h"
#include "sim/SimTcp.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

// Runs the window's events until done() holds; false when the safety limit passed first.
inline bool PumpUntil(const std::function<bool()>& done, int limitMs = 30000)
{
    const auto start = std::chrono::steady_clock::now();
    while (!done()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(limitMs))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Lets events run for a while, for things that must not happen.
inline void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}

inline int FreeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

inline int FreeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

inline std::vector<std::string> MemoLines(QPlainTextEdit* memo)
{
    std::vector<std::string> lines;
    for (const QString& line : memo->toPlainText().split('\n'))
        lines.push_back(line.toLatin1().toStdString());
    return lines;
}

inline bool HasLine(QPlainTextEdit* memo, const std::string& line)
{
    for (const std::string& l : MemoLines(memo))
        if (l == line)
            return true;
    return false;
}

// The byte counts of the receive field's "TCP:" and "UDP:" header lines, added up.
inline size_t ShownBytes(QPlainTextEdit* memo)
{
    size_t total = 0;
    for (const std::string& line : MemoLines(memo)) {
        const size_t at = line.find(" : Bytes:");
        if (at != std::string::npos && line.rfind("TS:", 0) == 0)
            total += std::stoul(line.substr(at + 9));
    }
    return total;
}

// The two ways a link is made: the tool connects to the unit, or the unit connects in to the tool.
enum class LinkMode { Client, Server };
inline std::string LinkModeName(const ::testing::TestParamInfo<LinkMode>& info)
{
    return info.param == LinkMode::Client ? "AsClient" : "AsServer";
}
inline void PrintTo(LinkMode mode, std::ostream* os)
{
    *os << (mode == LinkMode::Client ? "client" : "server");
}

// The Server page with its link, against the simulated unit over loopback TCP, with hosts that record.
struct TcpRig : ::testing::Test {
    FakeHost host;
    FakeTcpHost tcpHost;
    ImageStore store;
    ServerPage page;
    ServerLink server{page, host, tcpHost, store, ServerBinding{QHostAddress(QHostAddress::LocalHost), FreeUdpPort()}};
    std::unique_ptr<SimTcp> sim;

    TcpRig()
    {
        server.Timing = LinkTiming{}.Scaled(0.05, 0.25);
        page.ServerPortEdit->setText(QString::number(FreeTcpPort()));
    }
    ~TcpRig() override { sim.reset(); }

    // The tool connects to a unit that listens.
    void ConnectToUnit()
    {
        sim = std::make_unique<SimTcp>(SimTcp::AsServer);
        page.ClientPortEdit->setText(QString::number(sim->Port()));
        tcpHost.Answers.push_back("127.0.0.1");
        server.Tcp.FileConnectItemClick();
        ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ClientActive(); }));
    }

    // The tool listens and a unit connects in.
    void UnitConnectsIn()
    {
        server.Tcp.FileListenItemClick();
        ASSERT_TRUE(server.Tcp.Listening());
        sim = std::make_unique<SimTcp>(static_cast<uint16_t>(server.Tcp.ServerPort()));
        ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ServerMode(); }));
    }

    void MakeLink(LinkMode mode)
    {
        if (mode == LinkMode::Client)
            ConnectToUnit();
        else
            UnitConnectsIn();
    }

    // Runs a transfer's start handler, then the window until the transfer and its result are over.
    void RunTransfer(const std::function<void()>& start)
    {
        start();
        ASSERT_TRUE(PumpUntil([this] { return server.Transfer.Idle(); }));
    }

    SimUnit Unit()
    {
        return sim->WithUnit([](SimUnit& u) { return u; });
    }
    std::string UnitMemory(int from, int count)
    {
        auto u = Unit();
        return std::string(reinterpret_cast<const char*>(u.Memory.data()) + from, static_cast<size_t>(count));
    }
    std::string Image(int from, int count) const { return store.Image.Bytes(from, count); }
};
