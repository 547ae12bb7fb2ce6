// What a signal must undo before it ends or stops the process: the terminal
// left in raw mode, a temporary file left half written. The handlers run only
// async-signal-safe calls on state that is written before they can see it.
#pragma once

#include <termios.h>

#include <csignal>

#include <string>

namespace platform {

// Installs the handlers for the life of the object and puts the previous
// ones back after: SIGINT, SIGTERM, SIGHUP and SIGQUIT undo what is
// registered, then end the process as they would have; with `stops`, SIGTSTP
// puts the terminal back for the stop and SIGCONT takes raw mode again. A
// signal that the process was started to ignore stays ignored.
class SignalCleanup {
public:
    explicit SignalCleanup(bool stops);
    ~SignalCleanup();
    SignalCleanup(const SignalCleanup&) = delete;
    SignalCleanup& operator=(const SignalCleanup&) = delete;

private:
    static constexpr int handled_signals = 6;
    struct sigaction previous_[handled_signals] {};
    bool installed_[handled_signals]{};
};

// Switches the terminal `fd` from `cooked` to `raw` settings, and back. The
// switch and the record of it happen with the signals blocked, so that no
// handler can see one without the other (and undo the switch back).
void enter_raw_mode(int fd, const struct termios& cooked, const struct termios& raw);
void leave_raw_mode();

// Creates a new file from `path` (a pattern ending in "XXXXXX", replaced by
// the file's name) with mode 0600, and registers it for removal by the
// handlers, with the signals blocked in between: no signal can leave it
// behind unregistered. Gives its descriptor, or -1 with errno set.
int create_temporary_file(std::string& path);

// The temporary file is in place or gone: the handlers leave it alone.
void forget_temporary_file();

}  // namespace platform
