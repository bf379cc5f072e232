#pragma once

#include <QObject>

class ServerPage;
class TcpLink;

// The Server page's line terminal: Enter in the status field Memo2 sends its last line over the TCP link in
// use, "[n]" codes made bytes and, with Append_CR, CR LF after it; the receive field Memo3 records what was
// typed and what went out. Two tool buttons empty the two fields.
class TcpTerminal : public QObject
{
    Q_OBJECT
  public:
    TcpTerminal(ServerPage& page, TcpLink& link);

    // Enter sends the last line (before the memo itself takes the key); other keys do nothing here.
    void Memo2KeyDown(int key);
    void SpeedButton4Click();
    void SpeedButton5Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    ServerPage& page_;
    TcpLink& link_;
};
