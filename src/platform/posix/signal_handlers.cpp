#include "platform/posix/signal_handlers.hpp"

#include <cerrno>
#include <csignal>

#include "platform/posix/raw_mode.hpp"
#include "platform/posix/temporary_files.hpp"

namespace platform {
namespace {

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
    give_terminal_back_for_signal();
    remove_temporary_file_for_signal();
    set_disposition(signal, SIG_DFL);
    ::raise(signal);  // delivered, with its default action, when the handler returns
    errno = saved_errno;
}

extern "C" void on_stop_signal(int signal) {
    const int saved_errno = errno;
    give_terminal_back_for_signal();
    set_disposition(signal, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal);
    ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    ::raise(signal);  // the process stops here until it is continued
    set_disposition(signal, on_stop_signal);
    take_terminal_again_for_signal();
    errno = saved_errno;
}

extern "C" void on_continue_signal(int) {
    const int saved_errno = errno;
    take_terminal_again_for_signal();
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

}  // namespace platform
