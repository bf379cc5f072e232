#pragma once

#include "link/protocol/BusyGuard.h"
#include "link/protocol/TcpReadSteps.h"
#include "link/protocol/TcpWriteSteps.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <optional>
#include <string>

class ImageStore;
class LinkHost;
class QTcpSocket;
class TcpLink;
struct LinkTiming;
struct TcpChunk;

// The image read and write over the TCP link, as client or as listening server. The start handlers send the
// commands (and, for the write, the eight blocks); the unit's replies arrive as socket reads and drive the
// step handlers, which decide the outcome and end the progress window. The replies are a byte stream that the
// network may cut anywhere: each is counted once it is whole, and before the next command goes out the answer
// under way is awaited until it is whole or has stopped coming. A reply that stops coming for its time limit is
// judged on what came. A transfer starts clean: what still waits on the link from before is shown, not counted.
// A transfer stops, and sends nothing more, once it has failed, once the user has closed the progress window, or
// when its connection ends.
// A transfer holds the link's busy guard from its start until it is idle again, so no serial operation starts
// inside it nor shares the progress window with it; a new TCP transfer may start while a result is on show.
class TcpTransfer : public QObject
{
    Q_OBJECT
  public:
    TcpTransfer(TcpLink& link, LinkHost& host, ImageStore& store, const LinkTiming& timing, LinkBusy& busy);
    ~TcpTransfer() override;

    // The unit's 3072-byte configuration area into the image; returns once the read request is out.
    void ReadButtonTCPClick();
    // Commits the pending edits, then writes image bytes 0..2047 in eight blocks.
    void WriteButtonTCPClick();
    // Builds, logs and sends the frame of block (0..7), then waits for its answer to come in. Nothing is sent
    // once the write has stopped.
    void WriteEEPROMBlockTCP(int block);
    // The progress window's close handler (FormClose): whatever runs over TCP stops here.
    void FormSaveClosed();

    bool tcpReading = false;
    bool tcpWriting = false;
    bool tcpReadDone = false; // the last read's closing reply passed and its checksum was compared
    // Replies the running (or last) transfer has taken.
    int tcpStep() const;
    // Neither a transfer nor its result on show.
    bool Idle() const { return !tcpReading && !tcpWriting && resultsShown_ == 0; }

  private:
    // The busy guard for this transfer: false (the busy message shown) while another operation holds it.
    bool TakeGuard();
    void ReleaseGuardWhenIdle();
    void HandleChunk(const TcpChunk& chunk);
    void ReadStep(const TcpChunk& chunk);
    void WriteStep(const TcpChunk& chunk);
    void ReadOutcome(TcpReadSteps::Outcome out);
    void WriteOutcome(const TcpWriteSteps::Outcome& out);
    // A reply of the running transfer has begun and is not yet whole.
    bool InsideReply() const;
    // How much longer the reply under way may go without a new byte before it counts as stalled: a command's
    // reply limit, a block's answer the acknowledgement's, from when its last bytes came in.
    int StallLeftMs() const;
    // Looks again once the reply under way could have stalled; stops looking when none is under way.
    void WatchForStall();
    // The reply under way has gone its limit without a new byte: it is judged on what came.
    void CheckStall();
    // Until the answer under way is whole or has stalled; false once the transfer stopped.
    bool AwaitWholeAnswer(unsigned generation);
    void ConnectionClosed(QTcpSocket* socket);
    // A new transfer: flags, counters, the connection it runs on.
    void Begin(bool reading);
    // "kv" and the password, each answer judged before the next command; false once the transfer stopped.
    bool EnterTransferMode(unsigned generation);
    // Just before a command or block goes out: what waits already is taken in (the answers before it keep it),
    // and the steps learn that the next bytes may begin the new reply.
    void CommandGoesOut();
    bool Still(unsigned generation) const { return generation == generation_ && (tcpReading || tcpWriting); }
    void LogChunk(const TcpChunk& chunk);
    void Log(const std::string& line);
    // The transfer is over: the result held for a while, then the caption back and the window closed.
    void End(const std::string& message, const char* okMessage);

    TcpLink& link_;
    LinkHost& host_;
    ImageStore& store_;
    const LinkTiming& timing_;
    LinkBusy& busy_;
    std::optional<BusyScope> hold_;
    TcpReadSteps readSteps_;
    TcpWriteSteps writeSteps_;
    QPointer<QTcpSocket> socket_;
    QTimer stallWatch_;
    uint32_t lastBytesMs_ = 0; // when the running transfer's last bytes came in
    unsigned generation_ = 0;
    bool lastWasRead_ = false;
    int resultsShown_ = 0;
};
