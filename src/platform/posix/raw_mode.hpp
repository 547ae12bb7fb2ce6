// The record of the terminal's raw mode, which the signal handlers read to
// give the terminal back when the process ends or stops, and the switches
// into raw mode and out of it.
#pragma once

#include <termios.h>

#include <string_view>

namespace platform {

// Returns once the process is in the foreground of the terminal `fd`: a
// process in the background is stopped (SIGTTOU) until it is brought to the
// foreground, as for any change of the terminal's settings. Called before the
// handlers are installed, so that meanwhile SIGTERM, SIGHUP and SIGINT end it
// at once, stopped or not; there is nothing to undo yet.
void wait_for_foreground(int fd);

// Switches the terminal `fd` from `cooked` to `raw` settings and its keypad
// to transmit mode with `keypad_on`, and back with `keypad_off`. The
// handlers see the record of raw mode for as long as the terminal may be raw;
// they change the terminal's settings only while the process is in the
// foreground, since in the background they belong to someone else.
void enter_raw_mode(int fd, const struct termios& cooked, const struct termios& raw,
                    std::string_view keypad_on, std::string_view keypad_off);
void leave_raw_mode();

// For the signal handlers, async-signal-safe: where raw mode is recorded and
// the process is in the foreground, puts the cooked settings back (the
// keypad out of transmit mode), or takes raw mode again.
void give_terminal_back_for_signal();
void take_terminal_again_for_signal();

}  // namespace platform
