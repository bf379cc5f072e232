#pragma once

// Rates without a speed constant of their own (14400, 56000, 128000, 256000, any custom rate) go through the
// kernel's termios2 interface. Kept apart: its header cannot live next to <termios.h>.

// Sets both directions of the open terminal Fd to Rate bits per second; 0 or an errno.
int SetOtherRate(int Fd, int Rate);

// Reads back the output rate of the terminal in bits per second; 0 or an errno.
int ReadRate(int Fd, int& Rate);
