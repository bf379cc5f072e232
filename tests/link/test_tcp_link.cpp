// The TCP link on the Server page: listening, connecting, the link state texts, commands, the receive field, the
// TCP terminal, shut-down.
#include "TcpRig.h"

#include "link/net/TcpLink.h"
#include "link/protocol/TcpProtocol.h"
#include "platform/Clock.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTcpSocket>
#include <QTextCursor>

#include <sys/socket.h>

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
    std::unique_ptr<RawPeer> PeerConnectsIn()
    {
        auto peer = std::make_unique<RawPeer>(server.Tcp.ServerPort());
        EXPECT_TRUE(PumpUntil([this] { return server.Tcp.ServerMode(); }));
        return peer;
    }
};

TEST_F(TcpLinkControl, ListenOpensTheServerAndTheUdpPortAndASecondClickClosesThem)
{
    server.Tcp.FileListenItemClick();
    EXPECT_TRUE(server.Tcp.Listening());
    EXPECT_EQ(server.Tcp.ServerPort(), ListenPort());
    EXPECT_EQ(server.Udp.LocalPort(), ListenPort());
    EXPECT_TRUE(tcpHost.ListenChecked);
    EXPECT_EQ(tcpHost.LinkState, "SERVER: Listening...");
    server.Tcp.FileListenItemClick();
    EXPECT_FALSE(server.Tcp.Listening());
    EXPECT_FALSE(tcpHost.ListenChecked);
    EXPECT_EQ(tcpHost.LinkState, "SERVER: ");
}

// Port texts are checked before anything changes; a port another program holds is reported, not claimed.
TEST_F(TcpLinkControl, BadOrBusyPortsChangeNothing)
{
    const int udpPort = server.Udp.LocalPort();
    const std::string number = "' is not a valid port number (1..65535)", integer = "' is not a valid integer value";
    for (const auto& [bad, message] :
         {std::pair{"abc", integer}, {"", integer}, {"3\xE9", integer}, {"0", number}, {"65536", number}}) {
        tcpHost.Messages.clear();
        page.ServerPortEdit->setText(QString::fromLatin1(bad));
        server.Tcp.FileListenItemClick();
        page.ClientPortEdit->setText(page.ServerPortEdit->text());
        server.Tcp.FileConnectItemClick();
        EXPECT_EQ(tcpHost.Messages, Strings(2, "'" + std::string(bad) + message));
        EXPECT_FALSE(server.Tcp.Listening()) << bad;
        EXPECT_EQ(server.Udp.LocalPort(), udpPort) << bad;
        EXPECT_TRUE(tcpHost.Queries.empty()) << bad;
    }
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    page.ServerPortEdit->setText(QString::number(holder.serverPort()));
    server.Tcp.FileListenItemClick();
    EXPECT_FALSE(server.Tcp.Listening());
    ASSERT_EQ(tcpHost.Messages.size(), 3u);
    EXPECT_EQ(tcpHost.Messages.back().rfind("Cannot listen on port " + std::to_string(holder.serverPort()), 0), 0u);
    EXPECT_FALSE(tcpHost.ListenChecked);
    EXPECT_NE(tcpHost.LinkState, "SERVER: Listening...");
}

TEST_F(TcpLinkControl, AUnitConnectingInAndCutOffByListenOff)
{
    server.Tcp.FileListenItemClick();
    auto unit = PeerConnectsIn();
    EXPECT_EQ(tcpHost.LinkState, "SERVER: Connect to: 127.0.0.1:" + std::to_string(unit->socket.localPort()));
    EXPECT_FALSE(page.ConnectSocketImage->isHidden());
    server.Tcp.FileListenItemClick();
    EXPECT_FALSE(server.Tcp.ServerMode());
    EXPECT_EQ(tcpHost.LinkState, "SERVER: ");
    ASSERT_TRUE(PumpUntil([&unit] { return unit->socket.state() == QAbstractSocket::UnconnectedState; }));
    server.Transfer.ReadButtonTCPClick(); // with no link left a transfer does not start
    EXPECT_EQ(host.Status, TcpMsg::kNoValidSocket);
}

// A unit's connection that ends, made either way: reset (the system sends RST) or closed.
struct TcpLinkEnd : TcpLinkControl, ::testing::WithParamInterface<std::tuple<LinkMode, bool>> {
};

// Either way the tool ends its side too and listens (again); only a reset is written, in the words of the socket
// it came on, and no dialogue is shown.
TEST_P(TcpLinkEnd, AResetIsReportedAndACloseIsNot)
{
    const auto [mode, reset] = GetParam();
    QTcpServer unitServer;
    std::unique_ptr<RawPeer> unitIn;
    QTcpSocket* unit = nullptr;
    server.Tcp.connectHost = "127.0.0.1";
    if (mode == LinkMode::Client) {
        ASSERT_TRUE(unitServer.listen(QHostAddress::LocalHost, 0));
        page.ClientPortEdit->setText(QString::number(unitServer.serverPort()));
        tcpHost.Answers = {"127.0.0.1"};
        server.Tcp.FileConnectItemClick();
        ASSERT_TRUE(PumpUntil([&] { return server.Tcp.ClientActive() && unitServer.hasPendingConnections(); }));
        unit = unitServer.nextPendingConnection();
    } else {
        server.Tcp.FileListenItemClick();
        unit = &(unitIn = PeerConnectsIn())->socket;
    }
    // A reset goes out on the abort; after a close the unit waits until it reads the tool's close.
    const int descriptor = static_cast<int>(unit->socketDescriptor());
    const linger now{1, 0};
    ASSERT_EQ(reset ? setsockopt(descriptor, SOL_SOCKET, SO_LINGER, &now, sizeof now) : shutdown(descriptor, SHUT_WR),
              0);
    if (reset)
        unit->abort();
    ASSERT_TRUE(PumpUntil([&] {
        return !server.Tcp.ClientActive() && !server.Tcp.ServerMode() &&
               unit->state() == QAbstractSocket::UnconnectedState;
    }));
    const std::string error =
        mode == LinkMode::Client ? "Error connecting to:127.0.0.1" : "Socket Error:127.0.0.1Error Code:1";
    EXPECT_EQ(MemoLines(page.Memo3), Strings{reset ? error : ""});
    EXPECT_TRUE(server.Tcp.Listening() && tcpHost.ListenChecked && page.ConnectSocketImage->isHidden());
    EXPECT_EQ(tcpHost.LinkState, "SERVER: Listening...");
    EXPECT_TRUE(tcpHost.Messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Ends, TcpLinkEnd,
                         ::testing::Combine(::testing::Values(LinkMode::Client, LinkMode::Server), ::testing::Bool()));

TEST_F(TcpLinkControl, ConnectRefusedCancelledOrEmpty)
{
    page.ClientPortEdit->setText(QString::number(FreeTcpPort()));
    server.Tcp.FileConnectItemClick(); // cancelled
    tcpHost.Answers = {"", "127.0.0.1"};
    server.Tcp.FileConnectItemClick(); // OK with no address
    EXPECT_EQ(tcpHost.LinkState, "unset");
    server.Tcp.FileConnectItemClick(); // nobody listens there
    ASSERT_TRUE(PumpUntil([this] { return !page.Memo3->toPlainText().isEmpty(); }));
    EXPECT_EQ(MemoLines(page.Memo3), (Strings{"Error connecting to:127.0.0.1"}));
    EXPECT_FALSE(server.Tcp.ClientActive());

    // An attempt that Qt gives up after its connect time: reported the same way. A time-out of a wait on a made
    // connection is no error.
    auto* client = server.Tcp.findChild<QTcpSocket*>("ClientSocket");
    ASSERT_TRUE(client);
    emit client->errorOccurred(QAbstractSocket::SocketTimeoutError);
    EXPECT_EQ(MemoLines(page.Memo3), (Strings{"Error connecting to:127.0.0.1", "Error connecting to:127.0.0.1"}));
    ConnectToUnit();
    emit client->errorOccurred(QAbstractSocket::SocketTimeoutError);
    EXPECT_EQ(MemoLines(page.Memo3).size(), 2u);
    EXPECT_TRUE(tcpHost.Messages.empty()); // no error dialogue
}

TEST_F(TcpLinkControl, ReceiveFieldShowsEachReadPlainOrByteByByte)
{
    server.Tcp.FileListenItemClick();
    auto unit = PeerConnectsIn();
    store.ImageSize = 65536; // what arrives outside a read leaves the read size alone
    for (int i = 0; i < 3; ++i) {
        page.ShowTS2->setChecked(i > 0);
        page.HexCheckBox2->setChecked(i == 2);
        unit->Send("OK\r\n");
        ASSERT_TRUE(PumpUntil([&] { return ShownBytes(page.Memo3) == 4u * (i + 1); }));
    }
    const Strings lines = MemoLines(page.Memo3);
    ASSERT_EQ(lines.size(), 6u);
    for (size_t i : {0u, 2u, 4u})
        EXPECT_EQ(lines[i].substr(18), "TCP:127.0.0.1:" + std::to_string(unit->socket.localPort()) + " : Bytes:4");
    EXPECT_EQ(lines[1], "OK");
    EXPECT_EQ(lines[3].substr(18), "OK[13][10]");
    EXPECT_EQ(lines[5].substr(18), "[4F][4B][0D][0A]");
    EXPECT_EQ(store.ImageSize, 65536);
}

TEST_F(TcpLinkControl, ShutDownClosesBothSocketsAndOpensNothing)
{
    server.Tcp.FileListenItemClick();
    auto unit = PeerConnectsIn();
    ConnectToUnit();
    server.Tcp.CloseSockets();
    EXPECT_FALSE(server.Tcp.ClientActive());
    EXPECT_FALSE(server.Tcp.ServerMode());
    ASSERT_TRUE(PumpUntil([&unit] { return unit->socket.state() == QAbstractSocket::UnconnectedState; }));
    PumpFor(20);
    EXPECT_FALSE(server.Tcp.Listening());
}

TEST_F(TcpLinkControl, TerminalSendsTheLastLineOnEnter)
{
    ConnectToUnit();
    const auto press = [this](Qt::Key key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_A ? "a" : "\r");
        QCoreApplication::sendEvent(page.Memo2, &event);
    };
    page.Append_CR->setChecked(true);
    page.Memo2->setPlainText("first\nKVI");
    page.Memo2->moveCursor(QTextCursor::End);
    press(Qt::Key_Return);
    EXPECT_EQ(page.Memo2->toPlainText(), "first\nKVI\n"); // the memo took the Enter after the send
    EXPECT_EQ(MemoLines(page.Memo3), (Strings{"KVI:2", "KVI"}));

    const struct {
        QString memo;
        bool appendCR, caretAtStart;
        Qt::Key key;
        std::string sent;
    } cases[] = {
        {"", true, false, Qt::Key_Return, ""},                             // an empty terminal sends nothing
        {"KVI", true, false, Qt::Key_A, ""},                               // other keys send nothing
        {"[27]KVI[300][-1]", false, false, Qt::Key_Enter, "\x1BKVI,\xFF"}, // byte codes expanded
        {"kv\n", false, false, Qt::Key_Return, "kv"},                      // on an empty last line: the line above
        {"one\ntwo", false, true, Qt::Key_Return, "two"},                  // the caret elsewhere: still the last line
        {QString::fromLatin1("\xE9t\xE9"), false, false, Qt::Key_Return, "\xE9t\xE9"},
    };
    std::string expected = "KVI\r\n";
    for (const auto& c : cases) {
        page.Append_CR->setChecked(c.appendCR);
        page.Memo2->setPlainText(c.memo);
        page.Memo2->moveCursor(c.caretAtStart ? QTextCursor::Start : QTextCursor::End);
        press(c.key);
        expected += c.sent;
    }
    ASSERT_TRUE(PumpUntil([&] { return sim->Received().size() >= expected.size(); }, 10000));
    PumpFor(20);
    EXPECT_EQ(sim->Received(), expected);
}

// A read taken after a wait that did not run the window carries the time its bytes came in, not the time it was
// taken: how long a reply has stood still counts from then.
TEST_F(TcpLinkControl, AReadTakenAfterAWaitCarriesWhenItCameIn)
{
    ConnectToUnit();
    sim->WithUnit([](SimUnit& u) { u.Faults.PrepareReply = "\r\nNO\r\n"; });
    server.Timing.TcpReplyLimitMs = 1000;
    std::vector<TcpChunk> chunks;
    server.Tcp.OnChunk = [&chunks](const TcpChunk& chunk) { chunks.push_back(chunk); };
    server.Tcp.SendTcpCommand("kv\r"); // a short answer: the wait runs its whole limit
    const uint32_t taken = NowMs();
    server.Tcp.HandlePendingOnce();
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].bytes, "\r\nNO\r\n");
    EXPECT_GE(static_cast<int32_t>(taken - chunks[0].arrivedMs), 500);
}

TEST_F(TcpRig, TerminalWithoutALinkOnlyRecordsTheLine)
{
    page.Memo2->setPlainText("KVI");
    server.Terminal.Memo2KeyDown(Qt::Key_Return);
    EXPECT_EQ(MemoLines(page.Memo3), (Strings{"KVI:1", "KVI"}));
}
