// What a signal must undo before it ends or stops the process: the terminal
// left in raw mode and its keypad in transmit mode, a temporary file left
// half written. The handlers run only async-signal-safe calls on state that
// is written before they can see it.
#pragma once

#include <termios.h>

#include <csignal>

#include <string>
#include <string_view>

namespace platform {

// What the handlers are installed for.
enum class SignalScope {
    key_wait,  // raw mode: stops and resumes give the terminal back and take it again
    write,     // a file write: SIGXFSZ is ignored, so that a file too large fails the write
};

// Installs the handlers for the life of the object and puts the previous
// ones back after. Every catchable signal whose default action ends the
// process undoes what is registered, then ends the process as it would have;
// for a key wait, SIGTSTP puts the terminal back for the stop and SIGCONT
// takes raw mode again. A signal that the process was started to ignore
// stays ignored.
class SignalCleanup {
public:
    explicit SignalCleanup(SignalScope scope);
    ~SignalCleanup();
    SignalCleanup(const SignalCleanup&) = delete;
    SignalCleanup& operator=(const SignalCleanup&) = delete;

private:
    static constexpr int most_signals = NSIG;
    struct sigaction previous_[most_signals] {};
    bool installed_[most_signals]{};
};

// Every signal that the handlers of some scope take.
const sigset_t& handled_signals();

// Holds the signals of `set` back for the life of the object: those that
// arrive meanwhile are delivered when it ends.
class SignalsBlocked {
public:
    explicit SignalsBlocked(const sigset_t& set);
    ~SignalsBlocked();
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

private:
    sigset_t previous_{};
};

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

// Creates a new file from `path` (a pattern ending in "XXXXXX", replaced by
// the file's name) with mode 0600, and registers it for removal by the
// handlers, with the signals blocked in between: no signal can leave it
// behind unregistered. Gives its descriptor, or -1 with errno set.
int create_temporary_file(std::string& path);

// The temporary file is in place or gone: the handlers leave it alone.
void forget_temporary_file();

}  // namespace platform
