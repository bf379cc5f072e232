#pragma once

#include <functional>
#include <optional>
#include <string>

class LinkHost;
class SerialSender;
struct LinkTiming;

// Held by a transfer from before its first send to its end: the character delay it started with stands in for a
// charDelay text that goes bad meanwhile, so the transfer always reaches its end. On an open port a charDelay
// text that is no number raises its conversion error here, before anything is sent (on a closed port every send
// is refused before the delay would count).
class FallbackDelay
{
  public:
    explicit FallbackDelay(SerialSender& sender);
    ~FallbackDelay();
    FallbackDelay(const FallbackDelay&) = delete;
    FallbackDelay& operator=(const FallbackDelay&) = delete;

  private:
    SerialSender& sender_;
};

// The steps every serial transfer opens and closes with: "kvrw1" and the password, "kvrw0" and the log-area
// clear. Every pause goes through wait, so a caller whose pauses keep the window running (or are recorded by
// the tests) gets them the same way here.
class SerialSession
{
  public:
    SerialSession(SerialSender& sender, LinkHost& host, const LinkTiming& timing, std::function<void(int ms)> wait);

    // Sends a command (raw: every character as it is), waits up to limitMs for replySize bytes, pauses settleMs
    // and takes the reply. Nothing when the command did not go out: then nothing is waited for.
    std::optional<std::string> Exchange(const std::string& command, bool raw, int replySize, int limitMs, int settleMs);
    // "Prepare Comm settings", "kvrw1", the buffers cleared, "Checking Password", the password: the failure
    // message, or "" when the unit accepted both. replyLimitMs bounds each reply wait; passwordSettleMs is the
    // pause after the password's reply wait. onPasswordReply sees the password's reply, when one was asked for.
    std::string EnterTransferMode(int replyLimitMs, int passwordSettleMs,
                                  const std::function<void(const std::string& reply)>& onPasswordReply = {});
    // Status line, "Restore Comm settings", "kvrw0" (refused by the sender on a closed port, which then leaves
    // "Communication failure" in the status bar).
    void Restore(const std::string& message);
    // "Clear Log Area" and "kvspi=0,0" with a pause either side (refused in the same way on a closed port).
    void ClearLogArea();

  private:
    SerialSender& sender_;
    LinkHost& host_;
    const LinkTiming& timing_;
    std::function<void(int ms)> wait_;
};
