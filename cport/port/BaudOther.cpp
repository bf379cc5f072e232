#include "cport/port/BaudOther.h"

#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

int SetOtherRate(int Fd, int Rate)
{
    struct termios2 t {
    };
    if (ioctl(Fd, TCGETS2, &t) != 0)
        return errno;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = static_cast<speed_t>(Rate);
    t.c_ospeed = static_cast<speed_t>(Rate);
    if (ioctl(Fd, TCSETS2, &t) != 0)
        return errno;
    return 0;
}

int ReadRate(int Fd, int& Rate)
{
    struct termios2 t {
    };
    if (ioctl(Fd, TCGETS2, &t) != 0)
        return errno;
    Rate = static_cast<int>(t.c_ospeed);
    return 0;
}
