#pragma once

#include "link/serial/LinkPort.h"
#include "sim/SimUnit.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

// One byte of a frame, by its value.
inline std::string Byte(int b)
{
    return std::string(1, static_cast<char>(b));
}

// A port that keeps every write apart and notes the pauses between them, so a test sees the bytes on the wire
// with their spacing ("KVI<100>\r"). It answers from Input, which the test fills or, with a unit set, the unit
// fills at once with its answer to each write.
class RecordingPort : public LinkPort
{
  public:
    bool Open = true;
    SimUnit* Unit = nullptr;
    std::vector<std::string> Writes;
    std::vector<std::string> Events; // "W:<bytes>", "Clear", "Drain" in order
    std::string Timeline;            // writes and pauses ("<ms>") in order
    std::string Input;
    int Clears = 0;
    int FailWriteAt = -1; // the write with this index raises a port error, once
    int HoldWriteAt = -1; // the write with this index is held past its time limit: none of it goes out, once
    int FailClearAt = -1; // the buffer clear with this index raises a port error

    std::string Wire() const
    {
        std::string all;
        for (const auto& w : Writes)
            all += w;
        return all;
    }
    void Wait(int ms) { Timeline += "<" + std::to_string(ms) + ">"; }
    void Forget()
    {
        Writes.clear();
        Events.clear();
        Timeline.clear();
    }

    bool Connected() const override { return Open; }
    int InputCount() override { return static_cast<int>(Input.size()); }
    void ClearBuffer(bool input, bool) override
    {
        if (Clears++ == FailClearAt)
            throw std::runtime_error("PurgeComm function failed");
        Events.push_back("Clear");
        if (input)
            Input.clear();
    }
    int WriteStr(const std::string& bytes) override
    {
        if (static_cast<int>(Writes.size()) == FailWriteAt) {
            FailWriteAt = -1;
            throw std::runtime_error("WriteFile function failed");
        }
        if (static_cast<int>(Writes.size()) == HoldWriteAt) {
            HoldWriteAt = -1;
            Events.push_back("Held");
            return 0;
        }
        Writes.push_back(bytes);
        Events.push_back("W:" + bytes);
        Timeline += bytes;
        if (Unit)
            Input += Unit->Feed(bytes);
        return static_cast<int>(bytes.size());
    }
    int ReadStr(std::string& bytes, int count) override
    {
        bytes = Input.substr(0, static_cast<size_t>(std::max(0, count)));
        Input.erase(0, bytes.size());
        return static_cast<int>(bytes.size());
    }
    void DrainOutput(int) override { Events.push_back("Drain"); }
};
