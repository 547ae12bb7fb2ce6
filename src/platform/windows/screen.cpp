// Clearing the screen and pausing with the command interpreter's own "cls"
// and "pause".
#include <windows.h>

#include <string>

#include "platform/platform.hpp"

namespace platform {
namespace {

// A handle of the console itself that a child inherits; invalid without a
// console. Closed with the object.
class ConsoleHandle {
public:
    explicit ConsoleHandle(const char* device) {
        SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        handle_ = ::CreateFileA(device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inheritable, OPEN_EXISTING, 0, nullptr);
    }
    ConsoleHandle(const ConsoleHandle&) = delete;
    ConsoleHandle& operator=(const ConsoleHandle&) = delete;
    ~ConsoleHandle() {
        if (valid()) ::CloseHandle(handle_);
    }

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Runs one of the interpreter's built-in commands on this console and waits
// for it to end. The interpreter reads and writes the console itself, never
// this program's standard handles: from an answers file its "pause" would
// take the key, and bytes not yet read, from the file. "/d" leaves out the
// commands set up to run at every start of the interpreter; the system
// folder as its current folder keeps it from warning about a data folder on
// a network share, and the interpreter is taken from there, never from the
// data folder. Without a console nothing is started.
void run_interpreter(const char* command) {
    const ConsoleHandle input("CONIN$");
    const ConsoleHandle output("CONOUT$");
    if (!input.valid() || !output.valid()) return;

    char system_folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(system_folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::string interpreter = std::string(system_folder, length) + "\\cmd.exe";
    std::string command_line = std::string("cmd /d /c ") + command;

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(interpreter.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          system_folder, &startup, &process)) {
        return;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

}  // namespace

void clear_screen() {
    run_interpreter("cls");
}

void pause() {
    run_interpreter("pause");
}

}  // namespace platform
