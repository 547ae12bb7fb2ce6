// The handlers of the signals that end, stop or resume the process while
// something must be undone first: the terminal left in raw mode and its
// keypad in transmit mode (raw_mode.hpp), a temporary file left half written
// (temporary_files.hpp). The handlers run only async-signal-safe calls on
// state that is written before they can see it.
#pragma once

#include <csignal>

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

}  // namespace platform
