#include "platform/posix/signal_cleanup.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string_view>

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

char temporary_path[PATH_MAX];
volatile std::sig_atomic_t temporary_active = 0;

// The catchable signals whose default action ends the process, the
// real-time ones aside: a user's signal, a timer, a closed pipe, a limit
// reached, a fault of the program itself.
constexpr int fixed_terminating_signals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

bool ends_process(int signal) {
    for (const int terminating : fixed_terminating_signals) {
        if (signal == terminating) return true;
    }
    return signal >= SIGRTMIN && signal <= SIGRTMAX;
}

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

void set_disposition(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    // No handler runs inside another: a stop or a resume cannot undo what
    // an ending handler has just put back.
    action.sa_mask = handled_signals();
    ::sigaction(signal, &action, nullptr);
}

extern "C" void on_terminating_signal(int signal) {
    const int saved_errno = errno;
    if (raw_active != 0 && in_foreground()) give_terminal_back();
    if (temporary_active != 0) ::unlink(temporary_path);
    set_disposition(signal, SIG_DFL);
    ::raise(signal);  // delivered, with its default action, when the handler returns
    errno = saved_errno;
}

extern "C" void on_stop_signal(int signal) {
    const int saved_errno = errno;
    if (raw_active != 0 && in_foreground()) give_terminal_back();
    set_disposition(signal, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal);
    ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    ::raise(signal);  // the process stops here until it is continued
    set_disposition(signal, on_stop_signal);
    if (raw_active != 0 && in_foreground()) take_terminal();
    errno = saved_errno;
}

extern "C" void on_continue_signal(int) {
    const int saved_errno = errno;
    if (raw_active != 0 && in_foreground()) take_terminal();
    errno = saved_errno;
}

// What a scope does with a signal: its handler, or nothing (SIG_DFL: left alone).
using Disposition = void (*)(int);
Disposition disposition_for(int signal, SignalScope scope) {
    if (signal == SIGXFSZ && scope == SignalScope::write) return SIG_IGN;
    if (ends_process(signal)) return on_terminating_signal;
    if (scope != SignalScope::key_wait) return SIG_DFL;
    if (signal == SIGTSTP) return on_stop_signal;
    if (signal == SIGCONT) return on_continue_signal;
    return SIG_DFL;
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

const sigset_t& handled_signals() {
    static const sigset_t handled = [] {
        sigset_t set;
        sigemptyset(&set);
        for (int signal = 1; signal < NSIG; ++signal) {
            if (ends_process(signal)) sigaddset(&set, signal);
        }
        sigaddset(&set, SIGTSTP);
        sigaddset(&set, SIGCONT);
        return set;
    }();
    return handled;
}

SignalsBlocked::SignalsBlocked(const sigset_t& set) {
    ::sigprocmask(SIG_BLOCK, &set, &previous_);
}

SignalsBlocked::~SignalsBlocked() {
    ::sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

SignalCleanup::SignalCleanup(SignalScope scope) {
    for (int signal = 1; signal < most_signals; ++signal) {
        const Disposition disposition = disposition_for(signal, scope);
        if (disposition == SIG_DFL) continue;
        if (::sigaction(signal, nullptr, &previous_[signal]) != 0) continue;
        if (previous_[signal].sa_handler == SIG_IGN) continue;
        set_disposition(signal, disposition);
        installed_[signal] = true;
    }
}

SignalCleanup::~SignalCleanup() {
    for (int signal = 1; signal < most_signals; ++signal) {
        if (installed_[signal]) ::sigaction(signal, &previous_[signal], nullptr);
    }
}

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

int create_temporary_file(std::string& path) {
    if (path.size() >= sizeof temporary_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const SignalsBlocked blocked(handled_signals());
    std::memcpy(temporary_path, path.c_str(), path.size() + 1);
    const int fd = ::mkostemp(temporary_path, O_CLOEXEC);
    if (fd >= 0) {
        path = temporary_path;
        temporary_active = 1;
    }
    return fd;
}

void forget_temporary_file() {
    temporary_active = 0;
}

}  // namespace platform
