// What a console event (Ctrl+C, Ctrl+Break, the window closing, logoff,
// shutdown) must undo before the process ends: the console's mode, changed
// for a key wait, and a temporary file being written. The system runs the
// handler on a thread of its own while the program's thread goes on, so
// what it undoes is kept under a lock that the program's thread also takes;
// the functions that change it take the proof that the lock is held.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// Holds the event handler back for the life of the object: what is done
// meanwhile is all done, or all undone, before the handler sees it. Once the
// handler has run, the process is ending and the lock stays with it: the
// program's thread changes nothing more.
class EventsHeldBack {
public:
    EventsHeldBack();
    ~EventsHeldBack();
    EventsHeldBack(const EventsHeldBack&) = delete;
    EventsHeldBack& operator=(const EventsHeldBack&) = delete;
};

// The console input `input` is in the key-wait mode; `saved_mode` is the mode
// to give it back. Until key_wait_over, an event restores it.
void key_wait_began(const EventsHeldBack& held, HANDLE input, DWORD saved_mode);
void key_wait_over(const EventsHeldBack& held);

// `path` is the temporary file of the write in progress, which an event
// removes; and it no longer is (it is in place, removed, or kept on purpose).
void temporary_file_began(const EventsHeldBack& held, const std::wstring& path);
void temporary_file_over(const EventsHeldBack& held);

}  // namespace platform
