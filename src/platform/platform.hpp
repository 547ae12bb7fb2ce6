// The seam between the shared program and the operating system. Everything the
// program needs from the console, the file system and the clock goes through
// these declarations; each platform implements them in its own folder.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/entry_text.hpp"

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

// One line of standard input.
struct InputLine {
    std::string text;              // without its line end; at most the bound's bytes
    bool end_of_input = false;     // nothing was read: the input has ended
    bool cut = false;              // longer than the bound: the rest was read and dropped
    bool unrepresentable = false;  // holds a character that the ANSI code page lacks
                                   // (shown as "?" in `text`)
    char32_t lacking = 0;          // with unrepresentable: the first such character
    bool undecodable = false;      // POSIX: not text in the terminal's encoding
};

// Reads the next line of standard input, keeping at most `bound` bytes of it.
// From a terminal or console nothing beyond the line's end is taken, so that
// what was typed ahead stays, in order, for the next key or line read; there
// a carriage return typed while keys were awaited also ends a line. Every
// text above this seam is held in the ANSI code page, the one a Windows
// server and its file names use: lines typed at the Windows console arrive in
// it (lines from a file or a pipe there are bytes as they stand); on POSIX
// every line is converted to the code page that Windows programs under Wine
// get for the operator's locale (see entry_code_page).
InputLine read_input_line(std::size_t bound);

// Whether standard input is a terminal or console: there end of input is
// typed by the operator, and lines may follow it.
bool standard_input_is_terminal();

// Whether standard input is a terminal that has hung up (closed under the
// program), as opposed to one that gave an ordinary end of input.
bool standard_input_hung_up();

// How the ANSI code page of entries makes characters of bytes. On POSIX the
// code page follows the locale (LC_ALL, LC_CTYPE, LANG) as Wine's does: 932
// Japanese, 936 and 950 Chinese, 949 Korean, 874 Thai, 1250 to 1258 by
// language, 1252 for every other language, for C and POSIX, and for a locale
// that is not installed.
const text::CodePage& entry_code_page();

// Writes text to standard output. When standard output is a console the text
// is on screen before this returns; otherwise it is buffered. The text is in
// the ANSI code page; on POSIX it is shown in the terminal's encoding.
void write_out(std::string_view text);

// Writes a message to standard error at once.
void write_error(std::string_view text);

// Clears the console, its scrollback too where the terminal can, and puts
// the cursor home.
void clear_screen();

// Shows the "press any key" prompt and waits for one key press on the console.
// Does not wait when there is no console.
void pause();

// Delivers everything written so far, then ends the process.
[[noreturn]] void exit_process(int status);

// The character that separates folders in a path.
constexpr char path_separator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

// The commands with which the operator mends what a failure message names,
// typed at this platform's prompt in the data folder, each followed by a
// path (see mending_command).
struct MendingCommands {
    std::string_view make_folder;            // a folder inside one that exists
    std::string_view make_folder_and_above;  // a folder, and the folders above it
    std::string_view allow_writing;          // lets the user write to a read-only file
    std::string_view rename;                 // followed by the new name (Windows) or path
    bool rename_takes_a_name;
    std::string_view needs_quotes;  // characters that the prompt reads as its own
    char quote;
};

constexpr MendingCommands mending_commands() {
#ifdef _WIN32
    return {"mkdir ", "mkdir ", "attrib -r ", "ren ", true, " &()[]{}^=;!'+,`~%", '"'};
#else
    return {"mkdir ", "mkdir -p ", "chmod u+w ", "mv ", false, " \t!\"#$&'()*;<=>?[\\]^`{|}~", '\''};
#endif
}

// What the program runs in, as a message names it ("no hay terminal").
constexpr std::string_view terminal_name() {
#ifdef _WIN32
    return "consola";
#else
    return "terminal";
#endif
}

// Whether "/?" asks for the program's help, as it asks Windows' own programs.
constexpr bool slash_question_is_help() {
#ifdef _WIN32
    return true;
#else
    return false;
#endif
}

// Creates one folder; an existing folder or a failure is passed over.
void make_folder(const std::string& path);

// Removes from `folder` the temporary files that interrupted writes left
// there more than ten minutes ago (see temporary_names.hpp); anything else
// stays. It lists the whole folder, so it runs where the operator asks for
// the folders (option "1"), not at every write: a write looks only for its
// own record's leftover.
void remove_leftovers(const std::string& folder);

// Why a file could not be replaced.
enum class FileError {
    none,
    folder_missing,      // the folder, or a folder above it, does not exist
    folder_is_a_file,    // a file stands where the folder should be (see not_a_folder)
    access_denied,       // the folder refuses new files to this user
    read_only,           // the disk or share is mounted read-only
    file_access_denied,  // the file itself refuses writing to this user
    owner_only,          // the folder (sticky) lets only the file's owner replace it
    file_read_only,      // the file is marked read-only
    file_is_link,        // the file is a symbolic link (or another reparse point)
    not_a_regular_file,  // a device, a pipe or a socket stands under that name
    is_a_folder,
    disk_full,
    quota_exceeded,
    name_too_long,
    path_too_long,  // the whole path is longer than Windows programs can open
    invalid_name,   // the file system refuses the name's characters
    in_use,         // another program holds the file
    io_error,       // the device failed to read or write
    cross_device,   // the file lies on another file system than its folder
    too_many_open_files,
    link_loop,  // symbolic links in the path point at each other
    out_of_memory,
    too_large,
    not_supported,   // the file system cannot do what the replacement needs
    network_lost,    // the network folder has gone away
    exists,          // a file of that name exists, and it may not be replaced
    temporary_gone,  // another program removed the new content's temporary file
    other_name,      // the name is another file's alias (its short 8.3 name), not its own
    other,
};

// What a failed write left under the record's name.
enum class LeftUnderName {
    as_before,   // the old record, or nothing where there was none
    empty_file,  // an empty file: the claim on the name (see replace_file),
                 // which could not be removed
    nothing,     // the old record was taken away, and the new one could not
                 // take its place (see new_content_at)
};

struct FileOutcome {
    FileOutcome() = default;
    FileOutcome(FileError error, int system_code) : error(error), system_code(system_code) {}

    FileError error = FileError::none;
    int system_code = 0;  // the system's own error number
    LeftUnderName left = LeftUnderName::as_before;
    // Set when the old record was taken away: where the new content was
    // kept instead; empty when it could be kept nowhere.
    std::string new_content_at;
    // Set with FileError::folder_is_a_file: the part of the folder's path
    // that is a file ("Account/AscII98").
    std::string not_a_folder;
    // Set with FileError::folder_missing: the first folder of the path that
    // does not exist ("Account", or "Account/AscII97"); empty when each of
    // them is there (the data folder itself went away).
    std::string missing_folder;
    // Set with access_denied, file_access_denied and owner_only: the user
    // that the program runs as, and the owner of the folder (access_denied)
    // or of the record; the owner is empty where it cannot be read.
    std::string user;
    std::string owner;
    // Set on success when what the new record replaced was an empty file:
    // no record is ever empty, so it was the trace of an interrupted write.
    bool replaced_empty_file = false;
    // Set when the name was another file's alias: the name that the folder
    // lists that file under (empty when none of its entries is that file).
    std::string listed_name;
};

// Whether the new file may take the place of an existing one.
enum class Replacing { allowed, refused };

// Puts `bytes` in place of the file `file_name` inside `folder`, all or
// nothing: until the new content is complete and on disk, the old file (if
// any) stays whole. A file that this user could not open for writing, a
// symbolic link, a file that `file_name` reaches only as an alias of its own
// name (a short 8.3 name), and any existing file when replacing is refused,
// are left as they are; but an empty file is no record (a crash left it
// there), and is replaced even then. The new file keeps the old one's
// permissions (never the set-id bits). No temporary file is left behind on
// failure, nor when a signal or a console event ends the process during the
// write; one left by a crash is removed by the next write of the same record,
// or by remove_leftovers, once it is old enough (see temporary_names.hpp).
// Its cost does not grow with the number of files in the folder where the
// file system finds names only as the folder lists them.
// The names are in the ANSI code page; on POSIX the file is named in the
// terminal's encoding, as Wine and network shares show a Windows server's
// names on Linux.
FileOutcome replace_file(const std::string& folder, const std::string& file_name, std::string_view bytes,
                         Replacing replacing);

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
