#include "platform/posix/signal_cleanup.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace platform {
namespace {

// Written with the signals blocked, read by the handlers.
int raw_terminal = -1;
struct termios cooked_settings;
struct termios raw_settings;
volatile std::sig_atomic_t raw_active = 0;

char temporary_path[PATH_MAX];
volatile std::sig_atomic_t temporary_active = 0;

bool in_foreground() {
    return ::tcgetpgrp(raw_terminal) == ::getpgrp();
}

void set_disposition(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

extern "C" void on_terminating_signal(int signal) {
    const int saved_errno = errno;
    if (raw_active != 0) ::tcsetattr(raw_terminal, TCSANOW, &cooked_settings);
    if (temporary_active != 0) ::unlink(temporary_path);
    set_disposition(signal, SIG_DFL);
    ::raise(signal);  // delivered, with its default action, when the handler returns
    errno = saved_errno;
}

extern "C" void on_stop_signal(int signal) {
    const int saved_errno = errno;
    if (raw_active != 0) ::tcsetattr(raw_terminal, TCSANOW, &cooked_settings);
    set_disposition(signal, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal);
    ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    ::raise(signal);  // the process stops here until it is continued
    set_disposition(signal, on_stop_signal);
    if (raw_active != 0 && in_foreground()) ::tcsetattr(raw_terminal, TCSANOW, &raw_settings);
    errno = saved_errno;
}

extern "C" void on_continue_signal(int) {
    const int saved_errno = errno;
    if (raw_active != 0 && in_foreground()) ::tcsetattr(raw_terminal, TCSANOW, &raw_settings);
    errno = saved_errno;
}

struct Handler {
    int signal;
    void (*run)(int);
    bool for_stops;
};

// clang-format off
constexpr Handler handlers[] = {
    {SIGINT, on_terminating_signal, false}, {SIGTERM, on_terminating_signal, false},
    {SIGHUP, on_terminating_signal, false}, {SIGQUIT, on_terminating_signal, false},
    {SIGTSTP, on_stop_signal, true},        {SIGCONT, on_continue_signal, true},
};
// clang-format on

// Holds every handled signal back for the life of the object.
class SignalsBlocked {
public:
    SignalsBlocked() {
        sigset_t all;
        sigemptyset(&all);
        for (const Handler& handler : handlers) sigaddset(&all, handler.signal);
        ::sigprocmask(SIG_BLOCK, &all, &previous_);
    }
    ~SignalsBlocked() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

private:
    sigset_t previous_{};
};

}  // namespace

SignalCleanup::SignalCleanup(bool stops) {
    static_assert(std::size(handlers) == handled_signals);
    for (int i = 0; i < handled_signals; ++i) {
        if (handlers[i].for_stops && !stops) continue;
        ::sigaction(handlers[i].signal, nullptr, &previous_[i]);
        if (previous_[i].sa_handler == SIG_IGN) continue;
        set_disposition(handlers[i].signal, handlers[i].run);
        installed_[i] = true;
    }
}

SignalCleanup::~SignalCleanup() {
    for (int i = 0; i < handled_signals; ++i) {
        if (installed_[i]) ::sigaction(handlers[i].signal, &previous_[i], nullptr);
    }
}

void enter_raw_mode(int fd, const struct termios& cooked, const struct termios& raw) {
    const SignalsBlocked blocked;
    raw_terminal = fd;
    cooked_settings = cooked;
    raw_settings = raw;
    raw_active = 1;
    ::tcsetattr(fd, TCSANOW, &raw);
}

void leave_raw_mode() {
    const SignalsBlocked blocked;
    raw_active = 0;
    ::tcsetattr(raw_terminal, TCSANOW, &cooked_settings);
}

int create_temporary_file(std::string& path) {
    if (path.size() >= sizeof temporary_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const SignalsBlocked blocked;
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
