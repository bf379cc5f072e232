#pragma once

#include "RecordingPort.h"

#include "sim/SimUnit.h"

#include <string>
#include <vector>

// A recording port that also notes the pauses between the writes, so a test sees the bytes on the wire with
// their spacing ("KVI<100>\r"). With a unit set, the unit answers each write at once.
class TimelinePort : public RecordingPort {
public:
    SimUnit* Unit = nullptr;
    std::vector<std::string> Steps; // writes and pauses, in order

    // The write with index FailWriteAt raises a port error once; the port works again afterwards.
    int WriteStr(const std::string& bytes) override
    {
        if (static_cast<int>(Writes.size()) == FailWriteAt) {
            FailWriteAt = -1;
            throw std::runtime_error("WriteFile function failed");
        }
        const int n = RecordingPort::WriteStr(bytes);
        Steps.push_back(bytes);
        if (Unit)
            Input += Unit->Feed(bytes);
        return n;
    }
    void Wait(int ms)
    {
        std::string step = "<";
        step += std::to_string(ms);
        step += '>';
        Steps.push_back(step);
    }

    std::string Timeline() const
    {
        std::string all;
        for (const auto& e : Steps)
            all += e;
        return all;
    }
    void Forget()
    {
        Steps.clear();
        Events.clear();
        Writes.clear();
    }
};
