// Key presses from the controlling terminal. The terminal is in raw mode and
// in keypad-transmit mode only while a key is awaited; its settings and mode
// are restored on return and when a signal ends, stops or resumes the process
// during the wait. Keys are read as the terminal's own description gives them.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.hpp"
#include "platform/posix/code_page.hpp"
#include "platform/posix/key_decoder.hpp"
#include "platform/posix/keys.hpp"
#include "platform/posix/raw_mode.hpp"
#include "platform/posix/signal_handlers.hpp"
#include "platform/posix/terminal_description.hpp"
#include "platform/posix/write_all.hpp"
#include "text/entry_text.hpp"

namespace platform {
namespace {

constexpr int not_opened = -2;
int terminal_fd = not_opened;

int open_terminal() {
    if (terminal_fd == not_opened) terminal_fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    return terminal_fd;
}

// Raw mode for the life of the object: no line editing, no echo, no signal
// keys (Ctrl+C is the key 3), no flow control, Enter as CR; and the keypad in
// transmit mode, where the terminal has one. Switched with TCSANOW in both
// directions, so that typed-ahead input is kept. Signals that end or stop
// the process meanwhile put the terminal back first.
class RawMode {
public:
    RawMode(int fd, const TerminalDescription& description) {
        struct termios cooked {};
        if (::tcgetattr(fd, &cooked) != 0) return;
        struct termios raw = cooked;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
        raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        enter_raw_mode(fd, cooked, raw, description.keypad_on, description.keypad_off);
        active_ = true;
    }

    RawMode(const RawMode&) = delete;
    RawMode& operator=(const RawMode&) = delete;

    ~RawMode() {
        if (active_) leave_raw_mode();
    }

    bool active() const { return active_; }

private:
    const SignalCleanup handlers_{SignalScope::key_wait};  // installed before raw mode, removed after it
    bool active_ = false;
};

enum class ByteRead { byte, timed_out, failed };

// Reads one byte, waiting at most `timeout_ms` (-1: no limit) for it. One at
// a time, so that nothing after a key is taken: lines typed ahead stay
// queued for the line reader.
ByteRead read_byte(int fd, int timeout_ms, unsigned char& byte) {
    for (;;) {
        pollfd watch{fd, POLLIN, 0};
        const int ready = ::poll(&watch, 1, timeout_ms);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return ByteRead::failed;
        if (ready == 0) return ByteRead::timed_out;
        const ssize_t count = ::read(fd, &byte, 1);
        if (count == 1) return ByteRead::byte;
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        return ByteRead::failed;  // end of file: the terminal hung up
    }
}

std::chrono::milliseconds steady_now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

// The decoder of the terminal's keys, with the prefix table of the
// terminal's description, made at the first key wait; bytes read for the
// next key stay in it between the waits.
KeyDecoder& key_decoder() {
    static const KeyTable table(terminal_description().keys);
    static KeyDecoder decoder(table, key_wait(std::getenv("ESCDELAY")));
    return decoder;
}

}  // namespace

const TerminalDescription& terminal_description() {
    static const TerminalDescription description = read_terminal_description();
    return description;
}

std::optional<KeyPress> wait_key_press() {
    const int fd = open_terminal();
    if (fd < 0) return std::nullopt;
    wait_for_foreground(fd);
    const TerminalDescription& description = terminal_description();
    // Made before raw mode, so that the terminal waits in raw mode only while
    // the program sleeps in poll.
    KeyDecoder& decoder = key_decoder();
    const RawMode raw_mode(fd, description);
    if (!raw_mode.active()) return std::nullopt;

    for (;;) {
        const KeyDecoder::Next next = decoder.next(steady_now());
        if (next.key) return next.key;
        unsigned char byte = 0;
        switch (read_byte(fd, next.wait ? static_cast<int>(next.wait->count()) : -1, byte)) {
            case ByteRead::byte: decoder.add({&byte, 1}, steady_now()); break;
            case ByteRead::timed_out: break;
            case ByteRead::failed: return std::nullopt;
        }
    }
}

void echo_on_terminal(std::string_view text) {
    const int fd = open_terminal();
    struct termios settings {};
    if (fd < 0 || ::tcgetattr(fd, &settings) != 0 || (settings.c_lflag & ECHO) == 0) return;
    write_all(fd, locale_conversions().printable_typed(text) + "\n");
}

}  // namespace platform
