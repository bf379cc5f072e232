// Serial port throughput through a pseudo-terminal pair into the receive queue, and the CPU an idle open port
// costs (the goal is next to nothing: the I/O thread sleeps in poll, it never spins).
#include "cport/port/Cport.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace
{
struct TPty {
    int Master = -1;
    int Slave = -1;
    std::string Path;
    TPty()
    {
        char name[128] = {};
        termios raw{};
        cfmakeraw(&raw);
        openpty(&Master, &Slave, name, &raw, nullptr);
        Path = name;
    }
    ~TPty()
    {
        close(Master);
        close(Slave);
    }
    void Send(const std::string& Bytes) const
    {
        std::size_t done = 0;
        while (done < Bytes.size()) {
            const ssize_t n = write(Master, Bytes.data() + done, Bytes.size() - done);
            if (n > 0)
                done += std::size_t(n);
            else if (n < 0 && errno != EINTR && errno != EAGAIN)
                return;
        }
    }
};

double ProcessCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

void BM_ReceiveIntoQueue(benchmark::State& state)
{
    const std::size_t size = std::size_t(state.range(0));
    std::string block(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        block[i] = char(i * 31 + 7); // every value, 0xFF included
    TPty pty;
    TComPort port;
    port.SetPort(pty.Path);
    port.SetBaudRate(br115200);
    port.Buffer().SetInputSize(500000);
    port.Open();
    std::string part;
    for (auto _ : state) {
        std::thread sender([&] { pty.Send(block); });
        std::size_t got = 0;
        while (got < size) {
            got += std::size_t(port.ReadStr(part, int(size - got)));
            if (part.empty())
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        sender.join();
    }
    port.Close();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}
BENCHMARK(BM_ReceiveIntoQueue)->Arg(4096)->Arg(65536)->Arg(500000)->UseRealTime();

void BM_IdleOpenPortCpu(benchmark::State& state)
{
    TPty pty;
    TComPort port;
    port.SetPort(pty.Path);
    port.Open();
    double cpu = 0;
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        cpu = ProcessCpuSeconds() - before;
    }
    port.Close();
    state.counters["cpu_ms_per_2s"] = cpu * 1000.0;
}
BENCHMARK(BM_IdleOpenPortCpu)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
