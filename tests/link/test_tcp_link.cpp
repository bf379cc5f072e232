#include "TcpRig.h"

#include "link/protocol/TcpProtocol.h"

#include <QCheckBox>
#include <QLabel>
#include <QStatusBar>
#include <QTcpSocket>

using Strings = std::vector<std::string>;

namespace
{
// A bare peer on the tool's listening server, writing whatever a test wants the tool to receive.
struct RawPeer {
    QTcpSocket socket;
    explicit RawPeer(int port)
    {
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        socket.waitForConnected(5000);
    }
    void Send(const std::string& bytes)
    {
        socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
        socket.flush();
    }
};
} // namespace

struct TcpLinkControl : TcpRig {
    int ListenPort() const { return page.ServerPortEdit->text().toInt(); }
};

TEST_F(TcpLinkControl, ListenOpensTheServerAndTheUdpPortAndASecondClickClosesIt)
{
    server.Tcp.FileListenItemClick();
    EXPECT_TRUE(server.Tcp.Listening());
    EXPECT_EQ(server.Tcp.ServerPort(), ListenPort());
    EXPECT_EQ(server.Udp.LocalPort(), ListenPort());
    EXPECT_TRUE(tcpHost.ListenChecked);
    EXPECT_EQ(page.LinkText(), "Listening...");
    EXPECT_EQ(tcpHost.LinkState, "SERVER: Listening...");
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(ListenPort()));
    EXPECT_TRUE(probe.waitForConnected(5000));
    probe.abort();

    server.Tcp.FileListenItemClick();
    EXPECT_FALSE(server.Tcp.Listening());
    EXPECT_FALSE(tcpHost.ListenChecked);
    EXPECT_EQ(page.LinkText(), "");
    EXPECT_EQ(tcpHost.LinkState, "SERVER: ");
}

TEST_F(TcpLinkControl, PortTextsAreCheckedBeforeAnythingChanges)
{
    const int udpPort = server.Udp.LocalPort();
    for (const char* bad : {"abc", "", "0", "70000"}) {
        tcpHost.Messages.clear();
        page.ServerPortEdit->setText(bad);
        server.Tcp.FileListenItemClick();
        EXPECT_EQ(tcpHost.Messages.size(), 1u) << bad;
        EXPECT_FALSE(tcpHost.ListenChecked) << bad;
        EXPECT_FALSE(server.Tcp.Listening()) << bad;
        EXPECT_EQ(server.Udp.LocalPort(), udpPort) << bad;
        EXPECT_EQ(tcpHost.LinkState, "unset") << bad;

        page.ClientPortEdit->setText(bad);
        server.Tcp.FileConnectItemClick();
        EXPECT_EQ(tcpHost.Messages.size(), 2u) << bad;
        EXPECT_TRUE(tcpHost.Queries.empty()) << bad;
    }
    EXPECT_EQ(tcpHost.Messages.back(), "'70000' is not a valid port number (1..65535)");
}

TEST_F(TcpLinkControl, AUnitConnectingInAndLeaving)
{
    server.Tcp.FileListenItemClick();
    RawPeer unit(ListenPort());
    ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ServerMode(); }));
    const std::string peer = "127.0.0.1:" + std::to_string(unit.socket.localPort());
    EXPECT_EQ(page.LinkText().toStdString(), "Connect to: " + peer);
    EXPECT_EQ(tcpHost.LinkState, "SERVER: Connect to: " + peer);
    EXPECT_EQ(page.IPAddLabel->text(), "127.0.0.1");
    EXPECT_EQ(server.Tcp.remotePort, unit.socket.localPort());
    EXPECT_FALSE(page.ConnectSocketImage->isHidden());

    unit.socket.disconnectFromHost();
    ASSERT_TRUE(PumpUntil([this] { return !server.Tcp.ServerMode(); }));
    EXPECT_EQ(page.LinkText(), "Listening...");
    EXPECT_EQ(tcpHost.LinkState, "SERVER: Listening...");
    EXPECT_TRUE(page.ConnectSocketImage->isHidden());
    EXPECT_TRUE(page.Memo3->toPlainText().isEmpty()); // leaving is no error
}

TEST_F(TcpLinkControl, ListenOffEndsTheUnitsConnection)
{
    server.Tcp.FileListenItemClick();
    RawPeer unit(ListenPort());
    ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ServerMode(); }));
    server.Tcp.FileListenItemClick();
    EXPECT_FALSE(server.Tcp.ServerMode());
    EXPECT_TRUE(page.ConnectSocketImage->isHidden());
    EXPECT_EQ(tcpHost.LinkState, "SERVER: ");
    ASSERT_TRUE(PumpUntil([&unit] { return unit.socket.state() == QAbstractSocket::UnconnectedState; }));
    // With no link left a transfer does not start.
    server.Transfer.ReadButtonTCPClick();
    EXPECT_EQ(host.Status, TcpMsg::kNoValidSocket);
}

TEST_F(TcpLinkControl, ClientConnectionAndItsEndGoBackToListening)
{
    ConnectToUnit();
    EXPECT_EQ(tcpHost.Queries, (Strings{"Computer to connect to|Address Name:|"}));
    EXPECT_EQ(server.Tcp.connectHost, "127.0.0.1");
    const std::string peer = "127.0.0.1:" + std::to_string(sim->Port());
    EXPECT_EQ(page.LinkText().toStdString(), "Connect to: " + peer);
    EXPECT_EQ(tcpHost.LinkState, "CLIENT: Connect to: " + peer);
    EXPECT_EQ(server.Tcp.remotePort, sim->Port());
    EXPECT_FALSE(tcpHost.ListenChecked);
    EXPECT_FALSE(page.ConnectSocketImage->isHidden());

    sim->HangUpAfter(0);
    server.Tcp.SendOnLink("kv\r"); // the unit answers by hanging up
    ASSERT_TRUE(PumpUntil([this] { return !server.Tcp.ClientActive(); }));
    EXPECT_TRUE(server.Tcp.Listening());
    EXPECT_EQ(server.Tcp.ServerPort(), ListenPort());
    EXPECT_TRUE(tcpHost.ListenChecked);
    EXPECT_EQ(tcpHost.LinkState, "SERVER: Listening...");
    EXPECT_TRUE(page.ConnectSocketImage->isHidden());
    EXPECT_TRUE(page.Memo3->toPlainText().isEmpty());

    // The next Connect offers the address typed last time.
    tcpHost.Answers.clear();
    server.Tcp.FileConnectItemClick();
    EXPECT_EQ(tcpHost.Queries.back(), "Computer to connect to|Address Name:|127.0.0.1");
}

TEST_F(TcpLinkControl, ListenWhileConnectedClosesTheClientAndListensOnce)
{
    ConnectToUnit();
    server.Tcp.FileListenItemClick();
    EXPECT_FALSE(server.Tcp.ClientActive());
    EXPECT_TRUE(server.Tcp.Listening());
    EXPECT_TRUE(tcpHost.ListenChecked);
    EXPECT_EQ(tcpHost.LinkState, "SERVER: Listening...");
}

TEST_F(TcpLinkControl, ConnectionRefusedIsLogged)
{
    page.ClientPortEdit->setText(QString::number(FreeTcpPort()));
    tcpHost.Answers.push_back("127.0.0.1");
    server.Tcp.FileConnectItemClick();
    ASSERT_TRUE(PumpUntil([this] { return !page.Memo3->toPlainText().isEmpty(); }));
    EXPECT_EQ(MemoLines(page.Memo3), (Strings{"Error connecting to:127.0.0.1"}));
    EXPECT_FALSE(server.Tcp.ClientActive());
}

TEST_F(TcpLinkControl, ConnectCancelledOrEmptyChangesNothing)
{
    server.Tcp.FileConnectItemClick(); // cancelled
    tcpHost.Answers.push_back("");
    server.Tcp.FileConnectItemClick(); // OK with no address
    PumpFor(20);
    EXPECT_EQ(tcpHost.Queries.size(), 2u);
    EXPECT_FALSE(server.Tcp.ClientActive());
    EXPECT_EQ(tcpHost.LinkState, "unset");
}

TEST_F(TcpLinkControl, DisconnectAlwaysEndsListening)
{
    server.Tcp.FileListenItemClick();
    ConnectToUnit(); // the server stays open, the Listen mark goes
    EXPECT_FALSE(tcpHost.ListenChecked);
    server.Tcp.Disconnect1Click();
    EXPECT_FALSE(server.Tcp.ClientActive());
    EXPECT_TRUE(server.Tcp.Listening());
    EXPECT_EQ(server.Tcp.ServerPort(), ListenPort());
    EXPECT_EQ(page.LinkText(), "Listening...");
    EXPECT_EQ(tcpHost.LinkState, "SERVER: Listening...");

    // Listening already: Disconnect drops a unit that is in and listens again on the same port.
    const int port = server.Tcp.ServerPort();
    RawPeer unit(port);
    ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ServerMode(); }));
    server.Tcp.Disconnect1Click();
    EXPECT_FALSE(server.Tcp.ServerMode());
    EXPECT_TRUE(server.Tcp.Listening());
    EXPECT_EQ(server.Tcp.ServerPort(), port);
    EXPECT_EQ(tcpHost.LinkState, "SERVER: Listening...");
}

TEST_F(TcpLinkControl, CommandsGoToTheUnitsConnectionBeforeTheClient)
{
    ConnectToUnit();
    server.Tcp.FileListenItemClick(); // closes the client; connect it again, leaving the server open
    tcpHost.Answers.push_back("127.0.0.1");
    server.Tcp.FileConnectItemClick();
    ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ClientActive(); }));
    RawPeer unit(server.Tcp.ServerPort());
    ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ServerMode(); }));

    server.Timing.TcpReplyLimitMs = 50;
    server.Tcp.SendTcpCommand("KVI\r");
    ASSERT_TRUE(PumpUntil([&unit] { return unit.socket.bytesAvailable() >= 4; }));
    EXPECT_EQ(unit.socket.readAll().toStdString(), "KVI\r");
    EXPECT_EQ(sim->Received().find("KVI"), std::string::npos);
    EXPECT_TRUE(HasLine(page.Memo2, "CMD:KVI"));
}

TEST_F(TcpLinkControl, CommandWaitEndsOnThirtyBytesAndLeavesThemWaiting)
{
    server.Tcp.FileListenItemClick();
    RawPeer unit(ListenPort());
    ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ServerMode(); }));
    QTcpSocket* link = server.Tcp.LinkSocket();

    // Five bytes: the wait runs to its limit and the bytes stay for the read event.
    server.Timing.TcpReplyLimitMs = 100;
    unit.Send("\r\nOK\r"); // straight to the system: no event runs between here and the second wait
    server.Tcp.WaitForBytes(TcpProtocol::kCommandReplyCount, server.Timing.TcpReplyLimitMs);
    EXPECT_EQ(TcpLink::Pending(link), 5);

    // Thirty bytes end a wait that could otherwise last ten minutes (the test's own limit is the net).
    server.Timing.TcpReplyLimitMs = 600000;
    const auto start = std::chrono::steady_clock::now();
    unit.Send(std::string(25, 'x'));
    server.Tcp.WaitForBytes(TcpProtocol::kCommandReplyCount, server.Timing.TcpReplyLimitMs);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_EQ(TcpLink::Pending(link), 30);
    // Nothing was taken: the read event still gets all of it.
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == 30; }));
}

TEST_F(TcpLinkControl, ReceiveFieldShowsEachReadPlainOrByteByByte)
{
    server.Tcp.FileListenItemClick();
    RawPeer unit(ListenPort());
    ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ServerMode(); }));
    const std::string peer = "TCP:127.0.0.1:" + std::to_string(unit.socket.localPort()) + " : Bytes:4";
    store.ImageSize = 65536; // what arrives outside a read leaves the read size alone

    unit.Send("OK\r\n");
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == 4; }));
    page.ShowTS2->setChecked(true);
    unit.Send("OK\r\n");
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == 8; }));
    page.HexCheckBox2->setChecked(true);
    unit.Send("OK\r\n");
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == 12; }));

    const Strings lines = MemoLines(page.Memo3);
    ASSERT_EQ(lines.size(), 6u);
    for (size_t i : {0u, 2u, 4u}) {
        EXPECT_EQ(lines[i].substr(0, 3), "TS:");
        EXPECT_EQ(lines[i].substr(18), peer);
    }
    EXPECT_EQ(lines[1], "OK");
    EXPECT_EQ(lines[3].substr(18), "OK[13][10]");
    EXPECT_EQ(lines[5].substr(18), "[4F][4B][0D][0A]");
    EXPECT_EQ(store.ImageSize, 65536);
}

TEST_F(TcpLinkControl, TheServerPageTurnsTheSerialTransferButtonsOff)
{
    server.Tcp.TabSheet11Enter();
    EXPECT_FALSE(tcpHost.SerialButtonsEnabled);
    server.Tcp.TabSheet11Exit();
    EXPECT_TRUE(tcpHost.SerialButtonsEnabled);
}

TEST_F(TcpLinkControl, EveryNamedControlCarriesItsName)
{
    for (const char* name :
         {"ServerPage",         "GroupBox39",  "ServerPortEdit", "ClientPortEdit", "IPAddLabel",
          "ConnectSocketImage", "StatusBar2",  "Memo2",          "Memo3",          "ShowTS2",
          "HexCheckBox2",       "ToolButton7", "ReadButtonTCP",  "WriteButtonTCP", "SpeedButton4",
          "SpeedButton5",       "Append_CR",   "GroupBox49",     "Label121",       "UDPIPEdit",
          "Label120",           "UDPportEdit", "Label122",       "UDPstringEdit",  "SendUDPButton"}) {
        QObject* found = page.objectName() == name ? &page : page.findChild<QObject*>(name);
        EXPECT_NE(found, nullptr) << name;
    }
    EXPECT_TRUE(page.Memo3->isReadOnly());
    EXPECT_FALSE(page.Memo2->isReadOnly());
    EXPECT_EQ(page.ShowTS2->text(), "Show all Data charcters");
}

TEST_F(TcpLinkControl, ShutDownClosesBothSocketsAndOpensNothing)
{
    server.Tcp.FileListenItemClick();
    RawPeer unit(ListenPort());
    ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ServerMode(); }));
    tcpHost.Answers.push_back("127.0.0.1");
    sim = std::make_unique<SimTcp>(SimTcp::AsServer);
    page.ClientPortEdit->setText(QString::number(sim->Port()));
    server.Tcp.FileConnectItemClick();
    ASSERT_TRUE(PumpUntil([this] { return server.Tcp.ClientActive(); }));

    server.Tcp.CloseSockets();
    EXPECT_FALSE(server.Tcp.ClientActive());
    EXPECT_FALSE(server.Tcp.ServerMode());
    EXPECT_FALSE(server.Tcp.Listening());
    ASSERT_TRUE(PumpUntil([&unit] { return unit.socket.state() == QAbstractSocket::UnconnectedState; }));
    PumpFor(20);
    EXPECT_FALSE(server.Tcp.Listening());
}
