#pragma once

#include "link/serial/LinkPort.h"

#include <stdexcept>
#include <string>
#include <vector>

// A port that keeps every write apart and answers from a queue the test fills.
class RecordingPort : public LinkPort {
public:
    bool Open = true;
    std::vector<std::string> Writes;
    std::vector<std::string> Events; // "W:<bytes>", "Clear", "Drain" in order
    std::string Input;
    int Clears = 0;
    int Drains = 0;
    int FailWriteAt = -1; // the write with this index raises a port error
    int FailClearAt = -1; // the buffer clear with this index raises a port error

    std::string Wire() const
    {
        std::string all;
        for (const auto& w : Writes)
            all += w;
        return all;
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
        if (static_cast<int>(Writes.size()) == FailWriteAt)
            throw std::runtime_error("WriteFile function failed");
        Writes.push_back(bytes);
        Events.push_back("W:" + bytes);
        return static_cast<int>(bytes.size());
    }
    int ReadStr(std::string& bytes, int count) override
    {
        bytes = Input.substr(0, static_cast<size_t>(std::max(0, count)));
        Input.erase(0, bytes.size());
        return static_cast<int>(bytes.size());
    }
    void DrainOutput(int) override
    {
        ++Drains;
        Events.push_back("Drain");
    }
};
