#include "cport/port/TermiosBuild.h"

#include <cerrno>
#include <cstdlib>

namespace
{
struct TSpeedEntry {
    int Rate;
    speed_t Speed;
};
constexpr TSpeedEntry Speeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

constexpr tcflag_t CflagMask = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS;
constexpr tcflag_t IflagMask = INPCK | IXON | IXOFF | PARMRK | IGNPAR | IGNBRK | BRKINT | ISTRIP;

tcflag_t SizeFlag(int DataBits)
{
    switch (DataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

void MakeRaw(termios& t)
{
    t.c_iflag &=
        ~(IGNBRK | BRKINT | IGNPAR | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | IMAXBEL | IUCLC | INPCK);
    t.c_iflag |= PARMRK;
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN | TOSTOP);
    t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL;
    // Reads never wait in the driver: the port's own queue carries the read time-outs.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

void SetParity(termios& t, const TComLineSettings& s)
{
    switch (s.Parity) {
    case prNone:
        break;
    case prOdd:
        t.c_cflag |= PARENB | PARODD;
        break;
    case prEven:
        t.c_cflag |= PARENB;
        break;
    case prMark:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case prSpace:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    if (s.ParityCheck)
        t.c_iflag |= INPCK;
}

void SetFlow(termios& t, const TComLineSettings& s)
{
    // The driver's hardware flow ties CTS output flow and RTS handshake together; either one alone is done by
    // the port's own I/O.
    if (s.OutCTSFlow && s.ControlRTS == rtsHandshake)
        t.c_cflag |= CRTSCTS;
    if (s.XonXoffOut)
        t.c_iflag |= IXON;
    if (s.XonXoffIn)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = cc_t(s.XonChar);
    t.c_cc[VSTOP] = cc_t(s.XoffChar);
}
} // namespace

bool RateToSpeed(int Rate, speed_t& Speed)
{
    for (const TSpeedEntry& e : Speeds)
        if (e.Rate == Rate) {
            Speed = e.Speed;
            return true;
        }
    return false;
}

int BuildTermios(const termios& Base, const TComLineSettings& Settings, TTermiosPlan& Plan)
{
    const TComLineSettings& s = Settings;
    if (s.BaudRate < 1 || s.DataBits < 5 || s.DataBits > 8)
        return EINVAL;
    if (s.StopBits == sbOne5StopBits && s.DataBits != 5)
        return EINVAL;
    termios t = Base;
    MakeRaw(t);
    t.c_cflag |= SizeFlag(s.DataBits);
    // With five data bits the second stop bit of the line is one and a half bits long.
    if (s.StopBits != sbOneStopBit)
        t.c_cflag |= CSTOPB;
    SetParity(t, s);
    SetFlow(t, s);
    speed_t speed = B38400;
    Plan.OtherRate = !RateToSpeed(s.BaudRate, speed);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    Plan.Attr = t;
    Plan.Rate = s.BaudRate;
    return 0;
}

bool TermiosKept(const termios& Wanted, const termios& Got)
{
    return (Wanted.c_cflag & CflagMask) == (Got.c_cflag & CflagMask) &&
           (Wanted.c_iflag & IflagMask) == (Got.c_iflag & IflagMask) && Wanted.c_cc[VSTART] == Got.c_cc[VSTART] &&
           Wanted.c_cc[VSTOP] == Got.c_cc[VSTOP];
}

bool RateKept(int Wanted, int Got)
{
    if (Wanted <= 0 || Got <= 0)
        return false;
    return std::llabs(static_cast<long long>(Wanted) - Got) * 50 <= Wanted;
}
