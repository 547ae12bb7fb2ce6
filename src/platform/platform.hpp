// The seam between the shared program and the operating system. Everything the
// program needs from the console, the file system and the clock goes through
// these declarations; each platform implements them in its own folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// One key press as the console reports it: a single code, or, for a key that
// carries no character (arrows, function keys...), a lead code of 0 or 224
// followed by a second code.
struct KeyPress {
    int first;
    int second = -1;  // -1: the key has a single code

    friend bool operator==(const KeyPress&, const KeyPress&) = default;
};

// Waits for one key press on the console itself (never standard input),
// without echo and without Enter. Empty when the console cannot be read.
std::optional<KeyPress> wait_key_press();

// Whether standard input is a terminal that has hung up (closed under the
// program), as opposed to one that gave an ordinary end of input.
bool standard_input_hung_up();

// Writes text to standard output as given. When standard output is a console
// the text is on screen before this returns; otherwise it is buffered.
void write_out(std::string_view text);

// Writes a message to standard error at once.
void write_error(std::string_view text);

// Clears the console, scrollback included, and puts the cursor home.
void clear_screen();

// Shows the "press any key" prompt and waits for one key press on the console.
// Does not wait when there is no console.
void pause();

// Delivers everything written so far, then ends the process.
[[noreturn]] void exit_process(int status);

// The character that separates folders in a path.
char path_separator();

// Creates one folder; an existing folder or a failure is passed over.
void make_folder(const std::string& path);

// Why a file could not be replaced.
enum class FileError {
    none,
    folder_missing,
    access_denied,
    read_only,
    disk_full,
    name_too_long,
    is_a_folder,
    in_use,
    other,
};

struct FileOutcome {
    FileError error = FileError::none;
    int system_code = 0;  // the system's own error number, for FileError::other
};

// Puts `bytes` in place of the file `file_name` inside `folder`, all or
// nothing: until the new content is complete and on disk, the old file (if
// any) stays whole, and no temporary file is left behind on failure.
FileOutcome replace_file(const std::string& folder, const std::string& file_name, std::string_view bytes);

// The local date and time, to the minute.
struct Timestamp {
    int year;
    int month;
    int day;
    int hour;
    int minute;
};

Timestamp local_time();

}  // namespace platform
