#include "TcpRig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QUdpSocket>

using Strings = std::vector<std::string>;

// The monitor against a peer on the loopback: datagrams to and from it.
struct UdpRig : TcpRig {
    QUdpSocket peer;

    void SetUp() override
    {
        ASSERT_TRUE(peer.bind(QHostAddress::LocalHost, 0));
        page.UDPIPEdit->setCurrentText("127.0.0.1");
        page.UDPportEdit->setCurrentText(QString::number(peer.localPort()));
    }
    void PeerSends(const std::string& bytes)
    {
        peer.writeDatagram(bytes.data(), static_cast<qint64>(bytes.size()), QHostAddress::LocalHost,
                           static_cast<quint16>(server.Udp.LocalPort()));
    }
    std::string Sender() const { return "UDP:127.0.0.1:" + std::to_string(peer.localPort()) + " : Bytes:"; }
    // The next datagram the peer receives, or "(none)".
    std::string PeerReceives(int limitMs = 10000)
    {
        if (!PumpUntil([this] { return peer.hasPendingDatagrams(); }, limitMs))
            return "(none)";
        return peer.receiveDatagram().data().toStdString();
    }
};

TEST_F(UdpRig, ADatagramIsShownPlainOrByteByByte)
{
    PeerSends("KVI\r\n");
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == 5; }));
    page.ShowTS2->setChecked(true);
    PeerSends("KVI\r\n");
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == 10; }));
    page.HexCheckBox2->setChecked(true);
    PeerSends("KVI\r\n");
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == 15; }));

    const Strings lines = MemoLines(page.Memo3);
    ASSERT_EQ(lines.size(), 6u);
    for (size_t i : {0u, 2u, 4u})
        EXPECT_EQ(lines[i].substr(18), Sender() + "5");
    EXPECT_EQ(lines[1], "KVI");
    EXPECT_EQ(lines[3].substr(0, 3), "TS:");
    EXPECT_EQ(lines[3].substr(18), "KVI[13][10]");
    EXPECT_EQ(lines[5].substr(18), "[4B][56][49][0D][0A]");
}

TEST_F(UdpRig, DatagramsOf650BytesAreDroppedAndTheMonitorGoesOn)
{
    PeerSends(std::string(649, 'a'));
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == 649; }));
    EXPECT_EQ(MemoLines(page.Memo3).back(), std::string(649, 'a'));

    PeerSends(std::string(650, 'b'));
    PeerSends(std::string(4000, 'c'));
    PeerSends("after");
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == 654; }));
    const Strings lines = MemoLines(page.Memo3);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "Buffer too small for data");
    EXPECT_EQ(lines[3], "Buffer too small for data");
    EXPECT_EQ(lines[4].substr(18), Sender() + "5");
    EXPECT_EQ(lines[5], "after");
}

TEST_F(UdpRig, ADatagramStartingWithAZeroByteShowsAnEmptyDataLine)
{
    page.ShowTS2->setChecked(true);
    PeerSends(std::string("\0KVI", 4));
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == 4; }));
    const Strings lines = MemoLines(page.Memo3);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].size(), 18u); // the time stamp alone
}

TEST_F(UdpRig, SendGoesFromTheServerPortWithCrAndIsLogged)
{
    const int localPort = FreeUdpPort();
    page.ServerPortEdit->setText(QString::number(localPort));
    page.Append_CR->setChecked(true);
    server.Udp.SendUDPButtonClick();

    QHostAddress from;
    quint16 fromPort = 0;
    ASSERT_TRUE(PumpUntil([this] { return peer.hasPendingDatagrams(); }, 10000));
    char buffer[16];
    const qint64 n = peer.readDatagram(buffer, sizeof buffer, &from, &fromPort);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(n)), "KVI\r");
    EXPECT_EQ(fromPort, localPort);
    EXPECT_EQ(server.Udp.LocalPort(), localPort);
    const std::string log = MemoLines(page.Memo2).back();
    EXPECT_EQ(log.substr(0, 3), "TS:");
    EXPECT_EQ(log.substr(18), "UDP Data sent: 127.0.0.1:" + std::to_string(peer.localPort()) + " : Bytes:3:KVI");

    // The monitor now receives on that port.
    peer.writeDatagram("back", 4, QHostAddress::LocalHost, static_cast<quint16>(localPort));
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == 4; }));
}

TEST_F(UdpRig, SendingTheSameTwiceKeepsOneCopyInEachList)
{
    server.Udp.SendUDPButtonClick();
    EXPECT_EQ(PeerReceives(), "KVI");
    server.Udp.SendUDPButtonClick();
    EXPECT_EQ(PeerReceives(), "KVI");
    // Address and port were typed (not in the lists): they join once; "KVI" was there already.
    EXPECT_EQ(page.UDPIPEdit->count(), 2);
    EXPECT_EQ(page.UDPportEdit->count(), 2);
    EXPECT_EQ(page.UDPstringEdit->count(), 1);
    EXPECT_EQ(page.UDPIPEdit->itemText(1), "127.0.0.1");
}

TEST_F(UdpRig, AnEmptyTextShowsTheMessageAndSendsNothing)
{
    page.UDPstringEdit->setCurrentText("");
    server.Udp.SendUDPButtonClick();
    EXPECT_EQ(tcpHost.Messages, (Strings{"Buffer Invalid: Buffer contains no data"}));
    EXPECT_EQ(PeerReceives(200), "(none)");
    EXPECT_TRUE(page.Memo2->toPlainText().isEmpty());

    // With CR appended the text is not empty: a single CR goes out.
    page.Append_CR->setChecked(true);
    server.Udp.SendUDPButtonClick();
    EXPECT_EQ(PeerReceives(), "\r");
}

TEST_F(UdpRig, BadPortsAreFoundBeforeTheSocketIsRebound)
{
    const int before = server.Udp.LocalPort();
    page.ServerPortEdit->setText(QString::number(FreeUdpPort()));
    page.UDPportEdit->setCurrentText("2055x");
    server.Udp.SendUDPButtonClick();
    EXPECT_EQ(tcpHost.Messages, (Strings{"'2055x' is not a valid integer value"}));
    EXPECT_EQ(server.Udp.LocalPort(), before);
    EXPECT_EQ(page.UDPportEdit->count(), 1);
}

TEST_F(UdpRig, AnInvalidHostIsAskedForAgain)
{
    page.UDPIPEdit->setCurrentText("");
    tcpHost.Answers.push_back("127.0.0.1");
    server.Udp.SendUDPButtonClick();
    EXPECT_EQ(tcpHost.Queries, (Strings{"Invalid host|Specify valid hostname: |"}));
    EXPECT_EQ(PeerReceives(), "KVI");
    EXPECT_EQ(page.UDPIPEdit->currentText(), "127.0.0.1");

    // Cancelled: nothing sent, nothing logged.
    page.Memo2->clear();
    page.UDPIPEdit->setCurrentText("");
    server.Udp.SendUDPButtonClick();
    EXPECT_EQ(PeerReceives(200), "(none)");
    EXPECT_TRUE(page.Memo2->toPlainText().isEmpty());
    EXPECT_EQ(tcpHost.Messages.size(), 1u);
}

TEST_F(UdpRig, AHostNameIsLookedUpAndReachesThePeer)
{
    page.UDPIPEdit->setCurrentText("localhost");
    server.Udp.SendUDPButtonClick();
    EXPECT_EQ(PeerReceives(), "KVI");
    EXPECT_TRUE(tcpHost.Messages.empty());
}
