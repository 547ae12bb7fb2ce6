// Key presses from the controlling terminal. The terminal is in raw mode only
// while a key is awaited; its settings are restored on return and when a
// signal ends, stops or resumes the process during the wait.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <vector>

#include "platform/platform.hpp"
#include "platform/posix/key_decoder.hpp"

namespace platform {
namespace {

// How long a lone Escape waits for the rest of a possible sequence.
constexpr int escape_wait_ms = 100;

constexpr int not_opened = -2;
int terminal_fd = not_opened;

// Written before the handlers are installed, read by them.
struct termios cooked_settings;
struct termios raw_settings;
volatile std::sig_atomic_t raw_active = 0;

// Bytes read from the terminal that belong to the next key.
std::vector<unsigned char> pending;

int open_terminal() {
    if (terminal_fd == not_opened) terminal_fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    return terminal_fd;
}

bool in_foreground() {
    return ::tcgetpgrp(terminal_fd) == ::getpgrp();
}

void set_disposition(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

extern "C" void on_terminating_signal(int signal) {
    const int saved_errno = errno;
    if (raw_active != 0) ::tcsetattr(terminal_fd, TCSANOW, &cooked_settings);
    set_disposition(signal, SIG_DFL);
    ::raise(signal);  // delivered, with its default action, when the handler returns
    errno = saved_errno;
}

extern "C" void on_stop_signal(int signal) {
    const int saved_errno = errno;
    if (raw_active != 0) ::tcsetattr(terminal_fd, TCSANOW, &cooked_settings);
    set_disposition(signal, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal);
    ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    ::raise(signal);  // the process stops here until it is continued
    set_disposition(signal, on_stop_signal);
    if (raw_active != 0 && in_foreground()) ::tcsetattr(terminal_fd, TCSANOW, &raw_settings);
    errno = saved_errno;
}

extern "C" void on_continue_signal(int) {
    const int saved_errno = errno;
    if (raw_active != 0 && in_foreground()) ::tcsetattr(terminal_fd, TCSANOW, &raw_settings);
    errno = saved_errno;
}

struct Guard {
    int signal;
    void (*handler)(int);
};

// clang-format off
constexpr Guard guards[] = {
    {SIGINT, on_terminating_signal}, {SIGTERM, on_terminating_signal}, {SIGHUP, on_terminating_signal},
    {SIGQUIT, on_terminating_signal}, {SIGTSTP, on_stop_signal},       {SIGCONT, on_continue_signal},
};
// clang-format on

// Raw mode for the life of the object: no line editing, no echo, no signal
// keys (Ctrl+C is the key 3), no flow control, Enter as CR. Switched with
// TCSANOW in both directions, so that typed-ahead input is kept.
class RawMode {
public:
    explicit RawMode(int fd) {
        if (::tcgetattr(fd, &cooked_settings) != 0) return;
        raw_settings = cooked_settings;
        raw_settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
        raw_settings.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP);
        raw_settings.c_cc[VMIN] = 1;
        raw_settings.c_cc[VTIME] = 0;
        install_guards();
        raw_active = 1;
        ::tcsetattr(fd, TCSANOW, &raw_settings);
        fd_ = fd;
    }

    RawMode(const RawMode&) = delete;
    RawMode& operator=(const RawMode&) = delete;

    ~RawMode() {
        if (fd_ < 0) return;
        ::tcsetattr(fd_, TCSANOW, &cooked_settings);
        raw_active = 0;
        for (std::size_t i = 0; i < std::size(guards); ++i) {
            if (installed_[i]) ::sigaction(guards[i].signal, &previous_[i], nullptr);
        }
    }

    bool active() const { return fd_ >= 0; }

private:
    // A signal that the process was started to ignore stays ignored.
    void install_guards() {
        for (std::size_t i = 0; i < std::size(guards); ++i) {
            ::sigaction(guards[i].signal, nullptr, &previous_[i]);
            if (previous_[i].sa_handler == SIG_IGN) continue;
            set_disposition(guards[i].signal, guards[i].handler);
            installed_[i] = true;
        }
    }

    int fd_ = -1;
    struct sigaction previous_[std::size(guards)]{};
    bool installed_[std::size(guards)]{};
};

enum class ByteRead { byte, timed_out, failed };

// Reads one byte into `pending`, waiting at most `timeout_ms` (-1: no limit).
ByteRead read_byte(int fd, int timeout_ms) {
    for (;;) {
        pollfd watch{fd, POLLIN, 0};
        const int ready = ::poll(&watch, 1, timeout_ms);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return ByteRead::failed;
        if (ready == 0) return ByteRead::timed_out;
        unsigned char byte = 0;
        const ssize_t count = ::read(fd, &byte, 1);
        if (count == 1) {
            pending.push_back(byte);
            return ByteRead::byte;
        }
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        return ByteRead::failed;  // end of file: the terminal hung up
    }
}

}  // namespace

std::optional<KeyPress> wait_key_press() {
    const int fd = open_terminal();
    if (fd < 0) return std::nullopt;
    const RawMode raw_mode(fd);
    if (!raw_mode.active()) return std::nullopt;

    for (;;) {
        if (pending.empty() && read_byte(fd, -1) != ByteRead::byte) return std::nullopt;
        DecodeResult result = decode_terminal_key(pending, true);
        while (result.status == DecodeStatus::need_more) {
            switch (read_byte(fd, escape_wait_ms)) {
                case ByteRead::byte: result = decode_terminal_key(pending, true); break;
                case ByteRead::timed_out: result = decode_terminal_key(pending, false); break;
                case ByteRead::failed: return std::nullopt;
            }
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(result.length));
        if (result.status == DecodeStatus::key) return result.codes;
    }
}

}  // namespace platform
