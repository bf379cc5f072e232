#pragma once

#include <functional>
#include <string>
#include <string_view>

// What the page's buttons and its status field's keys ask of the TCP link. The link binds them to the page as
// it is made, and unbinds them as it goes.
struct ServerRequests {
    std::function<void()> Connect;    // ToolButton7
    std::function<void()> ReadImage;  // ReadButtonTCP
    std::function<void()> WriteImage; // WriteButtonTCP
    std::function<void()> SendUdp;    // SendUDPButton
    // A key pressed in the status field Memo2, before the memo takes it.
    std::function<void(int key)> StatusKeyDown;
};

// The UDP box as a send begins. The pick lists' lengths go with it: the history of a send counts only the
// items that were there before it.
struct UdpSendFields {
    std::string localPort;  // ServerPortEdit
    std::string remoteHost; // UDPIPEdit
    std::string remotePort; // UDPportEdit
    std::string text;       // UDPstringEdit
    bool appendCr = false;  // Append_CR
    int hostItems = 0;
    int portItems = 0;
    int textItems = 0;
};

// What the TCP link, its transfer and terminal, and the UDP monitor read from the "Server" page and show on
// it. The page implements it; texts are bytes (Latin-1 on the page). Window thread only.
class ServerView
{
  public:
    virtual ~ServerView() = default;

    // --- what the user set ---------------------------------------------------------------------------------
    virtual std::string ServerPortText() = 0; // ServerPortEdit: the server's and the UDP monitor's local port
    virtual std::string ClientPortText() = 0; // ClientPortEdit: the unit's port for a client connection
    virtual bool ShowAllCharacters() = 0;     // ShowTS2: received bytes time-stamped and shown by code
    virtual bool ShowHex() = 0;               // HexCheckBox2: those codes in hex
    virtual bool AppendCrLf() = 0;            // Append_CR
    virtual std::string TypedText() = 0;      // Memo2's text: the TCP terminal sends its last line
    virtual UdpSendFields UdpFields() = 0;

    // --- what they show ------------------------------------------------------------------------------------
    // A line (or lines) of bytes into the status field Memo2 or the receive field Memo3.
    virtual void AddStatusLine(std::string_view bytes) = 0;
    virtual void AddReceiveLine(std::string_view bytes) = 0;
    virtual void SetLinkText(const std::string& text) = 0;        // panel 0 of StatusBar2
    virtual void ShowConnected(bool connected) = 0;               // ConnectSocketImage
    virtual void SetLocalAddress(const std::string& address) = 0; // IPAddLabel
    // The host the user gave when asked for a valid one, into UDPIPEdit.
    virtual void SetUdpHost(const std::string& host) = 0;
    // After a datagram went out: the host it went to, and the port and text shown, join their pick lists.
    virtual void RememberUdpSend(const UdpSendFields& asked, const std::string& remoteHost) = 0;

    // The page's requests go to these from now on; empty ones (an unbound page) do nothing.
    virtual void Bind(const ServerRequests& requests) = 0;
};
