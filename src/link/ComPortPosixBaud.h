// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rates that have no B-constant in termios (2000, 14400, custom rates ...) are set through the
// Linux termios2 interface, kept in its own file because its kernel header clashes with
// <termios.h>.

// Sets both directions of the open tty fd to rate bits per second. Returns 0 or errno.
int setPosixCustomBaud(int fd, int rate);
