#include "cport/port/PosixTtyBackend.h"

#include "cport/port/BaudOther.h"
#include "cport/port/TermiosBuild.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace
{
int ToTiocm(unsigned Lines)
{
    int bits = 0;
    if (Lines & mlDTR)
        bits |= TIOCM_DTR;
    if (Lines & mlRTS)
        bits |= TIOCM_RTS;
    return bits;
}

unsigned FromTiocm(int Bits)
{
    unsigned lines = 0;
    if (Bits & TIOCM_CTS)
        lines |= mlCTS;
    if (Bits & TIOCM_DSR)
        lines |= mlDSR;
    if (Bits & TIOCM_RI)
        lines |= mlRing;
    if (Bits & TIOCM_CD)
        lines |= mlRLSD;
    if (Bits & TIOCM_DTR)
        lines |= mlDTR;
    if (Bits & TIOCM_RTS)
        lines |= mlRTS;
    return lines;
}

// A device that answers these with "not for this device" has no modem lines or counters: not a failure.
bool Unsupported(int Error)
{
    return Error == ENOTTY || Error == EINVAL;
}
} // namespace

TPosixTtyBackend::~TPosixTtyBackend()
{
    Close();
}

int TPosixTtyBackend::OpenFail(int Error)
{
    Close();
    return Error;
}

int TPosixTtyBackend::Open(const std::string& Path)
{
    Close();
    FFd = ::open(Path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (FFd < 0)
        return OpenFail(errno);
    if (!isatty(FFd))
        return OpenFail(ENOTTY);
    // The port is ours alone: TIOCEXCL keeps other users out, the lock also other programs run as root.
    if (flock(FFd, LOCK_EX | LOCK_NB) != 0)
        return OpenFail(errno == EWOULDBLOCK ? EBUSY : errno);
    if (ioctl(FFd, TIOCEXCL) != 0)
        return OpenFail(errno);
    FWakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (FWakeFd < 0)
        return OpenFail(errno);
    int bits = 0;
    FHasLines = ioctl(FFd, TIOCMGET, &bits) == 0;
    if (!FHasLines && !Unsupported(errno))
        return OpenFail(errno);
    serial_icounter_struct ic{};
    FHasCounters = ioctl(FFd, TIOCGICOUNT, &ic) == 0;
    return 0;
}

void TPosixTtyBackend::Close()
{
    if (FFd >= 0) {
        ioctl(FFd, TIOCNXCL);
        ::close(FFd);
    }
    if (FWakeFd >= 0)
        ::close(FWakeFd);
    FFd = -1;
    FWakeFd = -1;
    FHasLines = false;
    FHasCounters = false;
}

int TPosixTtyBackend::SetQueueSizes(int InputSize, int OutputSize)
{
    // The receive queue is the port's own; the kernel's buffers are fixed.
    return InputSize > 0 && OutputSize > 0 ? 0 : EINVAL;
}

int TPosixTtyBackend::SetTimeouts(const TComTimeoutValues&)
{
    return FFd >= 0 ? 0 : EBADF;
}

int TPosixTtyBackend::SetLine(const TComLineSettings& Settings)
{
    termios base{};
    if (tcgetattr(FFd, &base) != 0)
        return errno;
    TTermiosPlan plan;
    if (int e = BuildTermios(base, Settings, plan))
        return e;
    if (tcsetattr(FFd, TCSANOW, &plan.Attr) != 0)
        return errno;
    if (plan.OtherRate)
        if (int e = SetOtherRate(FFd, plan.Rate))
            return e;
    termios got{};
    if (tcgetattr(FFd, &got) != 0)
        return errno;
    int rate = 0;
    if (int e = ReadRate(FFd, rate))
        return e;
    if (!TermiosKept(plan.Attr, got) || !RateKept(plan.Rate, rate))
        return EINVAL;
    return 0;
}

long TPosixTtyBackend::Read(void* Buffer, std::size_t Count)
{
    const ssize_t n = ::read(FFd, Buffer, Count);
    return n < 0 ? -errno : long(n);
}

long TPosixTtyBackend::Write(const void* Buffer, std::size_t Count)
{
    const ssize_t n = ::write(FFd, Buffer, Count);
    return n < 0 ? -errno : long(n);
}

int TPosixTtyBackend::Wait(bool WantRead, bool WantWrite, int TimeoutMs, unsigned& Ready)
{
    Ready = 0;
    pollfd fds[2] = {{FWakeFd, POLLIN, 0}, {FFd, 0, 0}};
    // A hung-up device reports POLLHUP whatever is asked: leave it out while nothing is wanted of it.
    const bool watchDevice = WantRead || WantWrite;
    fds[1].events = short((WantRead ? POLLIN : 0) | (WantWrite ? POLLOUT : 0));
    const int n = ::poll(fds, watchDevice ? 2 : 1, TimeoutMs);
    if (n < 0)
        return errno == EINTR ? 0 : errno;
    if (fds[0].revents & POLLIN) {
        std::uint64_t v;
        while (::read(FWakeFd, &v, sizeof v) > 0) {
        }
    }
    if (watchDevice) {
        if (fds[1].revents & POLLIN)
            Ready |= wrReadable;
        if (fds[1].revents & POLLOUT)
            Ready |= wrWritable;
        if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
            Ready |= wrHangup;
    }
    return 0;
}

void TPosixTtyBackend::Wake()
{
    const std::uint64_t one = 1;
    if (FWakeFd >= 0)
        (void)!::write(FWakeFd, &one, sizeof one);
}

int TPosixTtyBackend::GetModemLines(unsigned& Lines)
{
    Lines = 0;
    if (FFd < 0)
        return EBADF;
    if (!FHasLines)
        return 0;
    int bits = 0;
    if (ioctl(FFd, TIOCMGET, &bits) != 0)
        return errno;
    Lines = FromTiocm(bits);
    return 0;
}

int TPosixTtyBackend::SetModemLines(unsigned Lines, bool On)
{
    if (FFd < 0)
        return EBADF;
    if (!FHasLines)
        return 0;
    const int bits = ToTiocm(Lines);
    return ioctl(FFd, On ? TIOCMBIS : TIOCMBIC, &bits) == 0 ? 0 : errno;
}

int TPosixTtyBackend::SetBreak(bool On)
{
    if (FFd < 0)
        return EBADF;
    if (ioctl(FFd, On ? TIOCSBRK : TIOCCBRK) == 0)
        return 0;
    return Unsupported(errno) ? 0 : errno;
}

int TPosixTtyBackend::SetOutputFlow(bool On)
{
    return tcflow(FFd, On ? TCOON : TCOOFF) == 0 ? 0 : errno;
}

int TPosixTtyBackend::SendFlowChar(bool Xon)
{
    // The driver sends the line's own START or STOP character ahead of what is queued, also with IXOFF off.
    return tcflow(FFd, Xon ? TCION : TCIOFF) == 0 ? 0 : errno;
}

int TPosixTtyBackend::WaitLineChange()
{
    if (FFd < 0)
        return EBADF;
    if (!FHasLines)
        return ENOTTY;
    const int fd = FFd;
    return FLineWait.Run([fd] { return ioctl(fd, TIOCMIWAIT, TIOCM_CTS | TIOCM_DSR | TIOCM_RNG | TIOCM_CD); });
}

void TPosixTtyBackend::CancelLineWait()
{
    FLineWait.Interrupt();
}

int TPosixTtyBackend::Flush(bool Input, bool Output)
{
    if (!Input && !Output)
        return 0;
    const int what = Input && Output ? TCIOFLUSH : Input ? TCIFLUSH : TCOFLUSH;
    return tcflush(FFd, what) == 0 ? 0 : errno;
}

int TPosixTtyBackend::Drain()
{
    return tcdrain(FFd) == 0 ? 0 : errno;
}

int TPosixTtyBackend::OutputQueued(int& Count)
{
    Count = 0;
    return ioctl(FFd, TIOCOUTQ, &Count) == 0 ? 0 : errno;
}

bool TPosixTtyBackend::GetCounters(TLineCounters& Counters)
{
    if (!FHasCounters)
        return false;
    serial_icounter_struct ic{};
    if (ioctl(FFd, TIOCGICOUNT, &ic) != 0)
        return false;
    Counters.Frame = std::uint32_t(ic.frame);
    Counters.Parity = std::uint32_t(ic.parity);
    Counters.Overrun = std::uint32_t(ic.overrun);
    Counters.BufOverrun = std::uint32_t(ic.buf_overrun);
    Counters.Cts = std::uint32_t(ic.cts);
    Counters.Dsr = std::uint32_t(ic.dsr);
    Counters.Ring = std::uint32_t(ic.rng);
    Counters.Rlsd = std::uint32_t(ic.dcd);
    return true;
}
