#pragma once

#include <cstddef>
#include <string>

// What the reader does with the received bytes besides queueing them.
struct TRxReaderOptions {
    bool ParityCheck = false;
    bool Replace = false; // replace a byte that arrived with a parity or framing error...
    char ReplaceChar = 0; // ...by this one
    bool DiscardNull = false;
    char EventChar = 0;
};

// What one stretch of input held besides data.
struct TRxFindings {
    bool Break = false;     // a break condition arrived
    bool LineError = false; // a byte arrived with a parity or framing error
    bool EventChar = false; // the event character arrived
};

// Decodes the device's marked input: 0xFF 0xFF is a literal 0xFF, 0xFF 0x00 0x00 a break, 0xFF 0x00 c a byte c
// with a line error. A mark may be split over two reads: the decoder keeps its state between calls.
class TRxDecoder
{
  public:
    void SetOptions(const TRxReaderOptions& Options) { FOptions = Options; }
    const TRxReaderOptions& Options() const { return FOptions; }
    void Reset() { FState = 0; }

    // Appends the data bytes of In to Out and notes what else arrived in Found.
    void Decode(const char* In, std::size_t Count, std::string& Out, TRxFindings& Found);

  private:
    void Data(char c, bool Bad, std::string& Out, TRxFindings& Found);

    TRxReaderOptions FOptions;
    int FState = 0; // 0 plain, 1 after 0xFF, 2 after 0xFF 0x00
};
