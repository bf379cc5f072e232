#pragma once

// Every fixed delay and time limit of the serial link, in milliseconds. The unit's firmware expects
// these pauses; the values are the field-proven ones. Tests may shrink the table (Scaled), a few run it
// as it stands.
struct LinkTiming {
    // --- fixed delays (the window keeps running during them) ----------------------------------------
    int EscapeBeforeReadMs = 750;     // after "---" before a read
    int EscapeBeforeWriteMs = 1100;   // after "---" before a write
    int EscapeBeforeCommandMs = 1100; // after "---" before the timer and hardware-type commands
    int PrepareMs = 500;              // after the buffer clear, before "kvrw1"
    int ReplySettleMs = 500;          // after a reply wait, before the reply is taken
    int PasswordPauseMs = 750;        // before "kvpw="
    int BeforeRequestMs = 500;        // before "kvrea0" / "kvrea"
    int AfterDataMs = 1500;           // after the image data wait, before the data is taken
    int ModemTypePauseMs = 500;       // after the hardware-type read inside a read
    int TimersPauseMs = 500;          // after the timer read or set inside a transfer
    int BlockPauseMs = 500;           // before each written block
    int ByteGapMs = 3;                // after each frame byte written
    int AckPauseMs = 100;             // after a frame's CR, before its acknowledgement wait
    int RestorePauseMs = 500;         // before "kvrw0"
    int ClearLogPauseMs = 500;        // before and after "kvspi=0,0"
    int ResultHoldMs = 1000;          // the result shown in the progress window
    int TimerSetGapMs = 1000;         // after each "KVSWT=" command
    int AnswerPauseMs = 500;          // after "KVSWT?" / "KVRP1", for the answer to come in
    int CalibrationGapMs = 1000;      // between two calibration lines sent one after another
    int CalibrationDoneMs = 3000;     // "Done!" shown after the last calibration line

    // --- time limits (waits that do not run the window) ---------------------------------------------
    int ReadReplyLimitMs = 4000;  // replies during a read
    int WriteReplyLimitMs = 3000; // replies to "kvrw1" and the password during a write
    int AckLimitMs = 5000;        // acknowledgement of a written block
    int DataIdleLimitMs = 6000;   // image data: this long without a new byte ends the wait
    int DrainStallLimitMs = 2000; // a frame's bytes leaving the port: this long without progress ends the wait
    int TcpReplyLimitMs = 12000;  // a command's reply over TCP
    int TcpAckLimitMs = 6000;     // acknowledgement of a block written over TCP
    // An answer over TCP without "OK" that has ended a line: this long without a new byte refuses it. Longer than
    // the pauses a GPRS link puts inside a reply (up to 3 s), so an "OK" line that follows late is still taken.
    int TcpAnswerSettleMs = 4000;

    // Delays times delayFactor, limits times limitFactor (each rounded, at least 0 / 1 ms).
    LinkTiming Scaled(double delayFactor, double limitFactor) const;
};
