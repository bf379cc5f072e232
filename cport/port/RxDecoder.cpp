#include "cport/port/RxDecoder.h"

void TRxDecoder::Data(char c, bool Bad, std::string& Out, TRxFindings& Found)
{
    if (Bad && FOptions.ParityCheck && FOptions.Replace)
        c = FOptions.ReplaceChar;
    else if (c == 0 && FOptions.DiscardNull)
        return;
    if (c == FOptions.EventChar)
        Found.EventChar = true;
    Out.push_back(c);
}

void TRxDecoder::Decode(const char* In, std::size_t Count, std::string& Out, TRxFindings& Found)
{
    for (std::size_t i = 0; i < Count; ++i) {
        const char c = In[i];
        switch (FState) {
        case 0:
            if (c == '\xFF')
                FState = 1;
            else
                Data(c, false, Out, Found);
            break;
        case 1:
            if (c == '\0') {
                FState = 2;
            } else {
                // 0xFF 0xFF is one literal 0xFF; anything else after a lone 0xFF is kept as it came.
                FState = 0;
                Data('\xFF', false, Out, Found);
                if (c != '\xFF')
                    Data(c, false, Out, Found);
            }
            break;
        default:
            FState = 0;
            if (c == '\0') {
                Found.Break = true;
            } else {
                Found.LineError = true;
                Data(c, true, Out, Found);
            }
            break;
        }
    }
}
