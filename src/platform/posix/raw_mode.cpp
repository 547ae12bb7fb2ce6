#include "platform/posix/raw_mode.hpp"

#include <unistd.h>

#include <csignal>
#include <cstddef>

#include "platform/posix/signal_handlers.hpp"

namespace platform {
namespace {

// Written with the signals blocked, read by the handlers.
int raw_terminal = -1;
struct termios cooked_settings;
struct termios raw_settings;
volatile std::sig_atomic_t raw_active = 0;

// The strings that switch the terminal's keypad-transmit mode on and off,
// sent wherever raw mode is taken and left; empty for a terminal without one.
constexpr std::size_t longest_keypad_switch = 128;
struct KeypadSwitch {
    char bytes[longest_keypad_switch];
    std::size_t length;
};
KeypadSwitch keypad_on;
KeypadSwitch keypad_off;

// The terminal's settings are the program's only while it is in the
// foreground; in the background they belong to whoever is.
bool in_foreground() {
    return ::tcgetpgrp(raw_terminal) == ::getpgrp();
}

// A terminal that cannot be written takes no switch; there is nothing else to do.
void send(const KeypadSwitch& keypad_switch) {
    if (keypad_switch.length == 0) return;
    const ssize_t written = ::write(raw_terminal, keypad_switch.bytes, keypad_switch.length);
    (void)written;
}

void take_terminal() {
    ::tcsetattr(raw_terminal, TCSANOW, &raw_settings);
    send(keypad_on);
}

void give_terminal_back() {
    send(keypad_off);
    ::tcsetattr(raw_terminal, TCSANOW, &cooked_settings);
}

const sigset_t& stop_and_continue() {
    static const sigset_t set = [] {
        sigset_t stops;
        sigemptyset(&stops);
        sigaddset(&stops, SIGTSTP);
        sigaddset(&stops, SIGCONT);
        return stops;
    }();
    return set;
}

}  // namespace

// Setting the terminal to the settings it has changes nothing but is a
// change all the same: from the background, the kernel stops the process.
void wait_for_foreground(int fd) {
    struct termios current {};
    if (::tcgetattr(fd, &current) == 0) ::tcsetattr(fd, TCSANOW, &current);
}

// A switch too long for its buffer is dropped along with the other one.
void enter_raw_mode(int fd, const struct termios& cooked, const struct termios& raw,
                    std::string_view keypad_on_bytes, std::string_view keypad_off_bytes) {
    const bool switches_fit =
        keypad_on_bytes.size() <= longest_keypad_switch && keypad_off_bytes.size() <= longest_keypad_switch;
    {
        const SignalsBlocked blocked(handled_signals());
        raw_terminal = fd;
        cooked_settings = cooked;
        raw_settings = raw;
        keypad_on.length = switches_fit ? keypad_on_bytes.copy(keypad_on.bytes, longest_keypad_switch) : 0;
        keypad_off.length = switches_fit ? keypad_off_bytes.copy(keypad_off.bytes, longest_keypad_switch) : 0;
        raw_active = 1;
    }
    // Not blocked: a stop for the background on the way must not hold back
    // the signals that end the process.
    if (in_foreground()) take_terminal();
}

// A resume between the switch and its record would take raw mode again for
// a line prompt; an ending signal meanwhile puts the settings back once more.
void leave_raw_mode() {
    const SignalsBlocked blocked(stop_and_continue());
    if (in_foreground()) give_terminal_back();
    raw_active = 0;
}

void give_terminal_back_for_signal() {
    if (raw_active != 0 && in_foreground()) give_terminal_back();
}

void take_terminal_again_for_signal() {
    if (raw_active != 0 && in_foreground()) take_terminal();
}

}  // namespace platform
