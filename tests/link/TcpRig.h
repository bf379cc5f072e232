#pragma once

#include "FakeHost.h"
#include "Pump.h"

#include "image/ImageStore.h"
#include "link/net/ServerLink.h"
#include "link/net/TcpHost.h"
#include "link/ui/ServerPage.h"
#include "sim/SimTcp.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

// The main window as the TCP link and the UDP monitor see it, recording what they asked of it.
class FakeTcpHost : public TcpHost
{
  public:
    std::deque<std::string> Answers; // to the input box, in order; with none left the box is cancelled
    std::string LinkState = "unset";
    bool ListenChecked = false;
    std::vector<std::string> Queries; // caption + "|" + prompt + "|" + the text offered
    std::vector<std::string> Messages;

    void SetLinkStateText(const std::string& text) override { LinkState = text; }
    void SetListenChecked(bool checked) override { ListenChecked = checked; }
    void EnableSerialTransferButtons(bool) override {}
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& text) override
    {
        Queries.push_back(caption + "|" + prompt + "|" + text);
        if (Answers.empty())
            return false;
        text = Answers.front();
        Answers.pop_front();
        return true;
    }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
};

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
    const auto lines = MemoLines(memo);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}
// The byte counts of the receive field's "TCP:" and "UDP:" header lines, added up.
inline size_t ShownBytes(QPlainTextEdit* memo)
{
    size_t total = 0;
    for (const std::string& line : MemoLines(memo))
        if (const size_t at = line.find(" : Bytes:"); at != std::string::npos && line.rfind("TS:", 0) == 0)
            total += std::stoul(line.substr(at + 9));
    return total;
}

// The two ways a link is made: the tool connects to the unit, or the unit connects in to the tool.
enum class LinkMode { Client, Server };
inline std::string LinkModeName(LinkMode mode)
{
    return mode == LinkMode::Client ? "AsClient" : "AsServer";
}
inline void PrintTo(LinkMode mode, std::ostream* os)
{
    *os << LinkModeName(mode);
}

// The Server page with its link, against the simulated unit over loopback TCP, with hosts that record.
struct TcpRig : ::testing::Test {
    static constexpr double kLimitScale = 0.25; // the time limits against the field's table
    FakeHost host;
    FakeTcpHost tcpHost;
    ImageStore store;
    ServerPage page;
    ServerLink server{page, host, tcpHost, store, ServerBinding{QHostAddress(QHostAddress::LocalHost), FreeUdpPort()}};
    std::unique_ptr<SimTcp> sim;

    TcpRig()
    {
        server.Timing = LinkTiming{}.Scaled(0.05, kLimitScale);
        page.ServerPortEdit->setText(QString::number(FreeTcpPort()));
    }

    void MakeLink(LinkMode mode)
    {
        if (mode == LinkMode::Client) { // the tool connects to a unit that listens
            sim = std::make_unique<SimTcp>(SimTcp::AsServer);
            page.ClientPortEdit->setText(QString::number(sim->Port()));
            tcpHost.Answers.push_back("127.0.0.1");
            server.Tcp.FileConnectItemClick();
            ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ClientActive(); }));
        } else { // the tool listens and a unit connects in
            server.Tcp.FileListenItemClick();
            ASSERT_TRUE(server.Tcp.Listening());
            sim = std::make_unique<SimTcp>(static_cast<uint16_t>(server.Tcp.ServerPort()));
            ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ServerMode(); }));
        }
    }
    void ConnectToUnit() { MakeLink(LinkMode::Client); }

    SimUnit Unit()
    {
        return sim->WithUnit([](SimUnit& u) { return u; });
    }
    std::string UnitMemory(int from, int count)
    {
        return sim->WithUnit([&](SimUnit& u) {
            return std::string(reinterpret_cast<const char*>(u.Memory.data()) + from, static_cast<size_t>(count));
        });
    }
    std::string Image(int from, int count) const { return store.Image.Bytes(from, count); }
};
