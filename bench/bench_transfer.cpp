// A full configuration read and write against the simulated unit at 115200 baud with the real timing.
// Reports the wall time next to what the protocol's fixed delays and the line take, and the window thread's
// CPU time as a share of the wall time.
#include "cport/port/Cport.h"
#include "image/ImageStore.h"
#include "link/protocol/Framing.h"
#include "link/protocol/LinkHost.h"
#include "link/protocol/Protocol.h"
#include "link/serial/ComPortLink.h"
#include "link/serial/SerialLink.h"
#include "platform/Clock.h"
#include "sim/SimPty.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <ctime>

namespace
{
constexpr int kBaud = 115200;

class QuietHost : public LinkHost
{
  public:
    std::string Memo4, Status;
    void SetStatusText(const std::string& text) override { Status = text; }
    void ResetProgress(int) override {}
    void StartProgress(TransferDirection, int) override {}
    void SetProgressStep(const std::string&) override {}
    void SetProgressPosition(int) override {}
    void ShowProgressResult(const std::string&, const std::string&, int holdMs,
                            const std::function<void()>& whileShown) override
    {
        if (whileShown)
            whileShown();
        DelayMs(holdMs);
    }
    void CloseProgress() override {}
    void FocusHelpPanel() override {}
    bool CommitPendingEdits() override { return true; }
    void StampConfigToolNr() override {}
    void FinishImageRead() override {}
    void ImageToControls() override {}
    void ApplyModemTypeLabels() override {}
    void RestoreMainCaption() override {}
    void DetachTerminal() override
    {
        if (OnTerminal)
            OnTerminal(false);
    }
    void AttachTerminal() override
    {
        if (OnTerminal)
            OnTerminal(true);
    }
    std::string Memo4Text() override { return Memo4; }
    void ClearMemo4() override { Memo4.clear(); }
    void ShowPortError(const std::string&) override {}
    TransferOptions Options() override { return {"1234", false, false, "0"}; }
    std::string TimerText(int) override { return "60"; }
    void SetTimerText(int, const std::string&) override {}
    void SetModemType(const std::string&) override {}
    void SetDeviceLabel(const std::string&) override {}
    std::function<void(bool)> OnTerminal;
};

double CpuSeconds(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// The fixed delays of one read and one write with this table and image, in milliseconds.
double FixedDelayMs(const LinkTiming& t, const ImageStore& store)
{
    double read = t.EscapeBeforeCommandMs + t.AnswerPauseMs + t.ModemTypePauseMs + t.EscapeBeforeReadMs + t.PrepareMs +
                  t.ReplySettleMs + t.PasswordPauseMs + t.ReplySettleMs + t.BeforeRequestMs + t.AfterDataMs +
                  t.RestorePauseMs + t.ResultHoldMs;
    double write = t.EscapeBeforeWriteMs + t.PrepareMs + t.ReplySettleMs + t.PasswordPauseMs + t.ReplySettleMs +
                   Protocol::kBlockCount * (t.BlockPauseMs + t.AckPauseMs) + t.RestorePauseMs + t.ResultHoldMs;
    for (int n = 0; n < Protocol::kBlockCount; ++n) {
        const std::string block = store.Image.Bytes(n * Protocol::kBlockSize, Protocol::kBlockSize);
        const uint16_t sum = Framing::BlockChecksum(block);
        const std::string checksum{static_cast<char>(Framing::HighByte(sum)), static_cast<char>(Framing::LowByte(sum))};
        const std::string framed = Framing::Escape(block) + Framing::Escape(checksum);
        write += static_cast<double>(framed.size()) * t.ByteGapMs;
    }
    return read + write;
}

void BM_ReadAndWrite(benchmark::State& state)
{
    SimPty sim(kBaud);
    TComPort com;
    com.SetPort(sim.SlavePath());
    com.SetBaudRate(br115200);
    com.Buffer().SetInputSize(500000);
    com.Open();
    ComPortLink port(com);
    QuietHost host;
    TComLink terminal;
    terminal.OnRxBuf = [&](TCustomComPort*, const void* b, int n) {
        host.Memo4.append(static_cast<const char*>(b), static_cast<size_t>(n));
    };
    host.OnTerminal = [&](bool on) { on ? com.RegisterLink(&terminal) : com.UnRegisterLink(&terminal); };
    com.RegisterLink(&terminal);
    ImageStore store;
    store.setDefaultClick();
    SerialLink link(port, host, store);

    double wall = 0, cpu = 0, process = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpu0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID), proc0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        link.ReadEEPROMExecuteClick();
        if (host.Status != Msg::kReadOk)
            state.SkipWithError(host.Status.c_str());
        link.WriteEEPROMExecuteClick();
        if (host.Status != Msg::kWriteOk)
            state.SkipWithError(host.Status.c_str());
        cpu += CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpu0;
        process += CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - proc0;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    com.UnRegisterLink(&terminal);
    com.Close();

    const double iterations = static_cast<double>(state.iterations());
    const double readReply = Protocol::kShortReplySize + MemoryImage::kConfigSize + 8;
    state.counters["wall_ms"] = wall * 1000 / iterations;
    state.counters["fixed_delays_ms"] = FixedDelayMs(link.Timing, store);
    state.counters["read_wire_ms"] = readReply * 10 * 1000 / kBaud;
    state.counters["window_cpu_pct"] = 100 * cpu / wall;
    state.counters["process_cpu_pct"] = 100 * process / wall; // includes the simulated unit's thread
}
BENCHMARK(BM_ReadAndWrite)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
