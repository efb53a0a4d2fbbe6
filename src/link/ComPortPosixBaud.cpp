// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ComPortPosixBaud.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cerrno>

extern "C" int ioctl(int fd, unsigned long request, ...);

int setPosixCustomBaud(int fd, int rate)
{
#if defined(TCGETS2) && defined(BOTHER)
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    t.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = speed_t(rate);
    t.c_ospeed = speed_t(rate);
    if (ioctl(fd, TCSETS2, &t) != 0)
        return errno;
    return 0;
#else
    (void)fd;
    (void)rate;
    return EINVAL;
#endif
}
