#pragma once

class ServerView;
class TcpLink;

// The Server page's line terminal: Enter in the status field Memo2 sends its last line over the TCP link in
// use, "[n]" codes made bytes and, with Append_CR, CR LF after it; the receive field Memo3 records what was
// typed and what went out.
class TcpTerminal
{
  public:
    TcpTerminal(ServerView& view, TcpLink& link);

    // Enter sends the last line (before the memo itself takes the key); other keys do nothing here.
    void Memo2KeyDown(int key);

  private:
    ServerView& view_;
    TcpLink& link_;
};
