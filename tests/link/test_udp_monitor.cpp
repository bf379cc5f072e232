// The UDP monitor against a peer on the loopback: datagrams to and from it.
#include "TcpRig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QUdpSocket>

using Strings = std::vector<std::string>;

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
    // The next datagram the peer receives, or "(none)".
    std::string PeerReceives(int limitMs = 10000)
    {
        if (!PumpUntil([this] { return peer.hasPendingDatagrams(); }, limitMs))
            return "(none)";
        return peer.receiveDatagram().data().toStdString();
    }
};

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
    EXPECT_EQ(Strings(lines.begin() + 2, lines.begin() + 4), Strings(2, "Buffer too small for data"));
    EXPECT_EQ(lines[5], "after");
}

TEST_F(UdpRig, SendGoesFromTheServerPortWithCrAndIsLogged)
{
    const int localPort = FreeUdpPort();
    page.ServerPortEdit->setText(QString::number(localPort));
    page.UDPstringEdit->setCurrentText(QString::fromLatin1("KV\xE9"));
    page.Append_CR->setChecked(true);
    server.Udp.SendUDPButtonClick();

    ASSERT_TRUE(PumpUntil([this] { return peer.hasPendingDatagrams(); }, 10000));
    const QNetworkDatagram datagram = peer.receiveDatagram();
    EXPECT_EQ(datagram.data().toStdString(), "KV\xE9\r");
    EXPECT_EQ(datagram.senderPort(), localPort);
    const std::string log = MemoLines(page.Memo2).back();
    EXPECT_EQ(log.substr(18), "UDP Data sent: 127.0.0.1:" + std::to_string(peer.localPort()) + " : Bytes:3:KV\xE9");
    peer.writeDatagram("back", 4, QHostAddress::LocalHost, static_cast<quint16>(localPort));
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == 4; })); // the monitor now receives there
}

TEST_F(UdpRig, AnEmptyTextOrABadPortSendsNothing)
{
    page.UDPstringEdit->setCurrentText("");
    server.Udp.SendUDPButtonClick();
    const int before = server.Udp.LocalPort();
    page.UDPstringEdit->setCurrentText("KVI");
    page.ServerPortEdit->setText(QString::number(FreeUdpPort()));
    page.UDPportEdit->setCurrentText("2055x");
    server.Udp.SendUDPButtonClick();
    EXPECT_EQ(tcpHost.Messages,
              (Strings{"Buffer Invalid: Buffer contains no data", "'2055x' is not a valid integer value"}));
    EXPECT_EQ(server.Udp.LocalPort(), before); // checked before the socket is bound again
    EXPECT_EQ(PeerReceives(200), "(none)");
    EXPECT_TRUE(page.Memo2->toPlainText().isEmpty());

    // With CR appended the text is not empty: a single CR goes out.
    page.UDPportEdit->setCurrentText(QString::number(peer.localPort()));
    page.UDPstringEdit->setCurrentText("");
    page.Append_CR->setChecked(true);
    server.Udp.SendUDPButtonClick();
    EXPECT_EQ(PeerReceives(), "\r");
}

TEST_F(UdpRig, AnInvalidHostIsAskedForAgainAndANameIsLookedUp)
{
    page.UDPIPEdit->setCurrentText("");
    tcpHost.Answers.push_back("127.0.0.1");
    server.Udp.SendUDPButtonClick();
    EXPECT_EQ(tcpHost.Queries, (Strings{"Invalid host|Specify valid hostname: |"}));
    EXPECT_EQ(PeerReceives(), "KVI");
    EXPECT_EQ(page.UDPIPEdit->currentText(), "127.0.0.1");

    page.UDPIPEdit->setCurrentText("localhost");
    server.Udp.SendUDPButtonClick();
    EXPECT_EQ(PeerReceives(), "KVI");
    EXPECT_TRUE(tcpHost.Messages.empty());
}
