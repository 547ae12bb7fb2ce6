// What a terminal session drives: how to start the program, and the few
// behaviours that may rightly differ between the builds that run the same
// scenario list (the POSIX binary, and qkeditor.exe under Wine).
//
// A scenario asks the description, never the build: a behaviour that differs
// is stated once here, and a scenario that cannot run somewhere skips itself
// through one of the flags, saying why.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace harness {

struct Program {
    // Shown in skip messages and failure reports.
    std::string name;

    // The command that starts the program: the binary, or a loader and the
    // binary. Run in the data folder, with no arguments of the program's own.
    std::vector<std::string> command;

    // The same program built with a crash point in the middle of a record
    // write, where QKEDITOR_MID_WRITE makes it die ("kill") or stop until it
    // is continued ("stop"); empty where there is no such build.
    std::string crash_point_binary = {};

    // Variables set for the program ("NAME=value").
    std::vector<std::string> environment = {};

    // The pause prompt as the program prints it. On POSIX the program prints
    // the Windows interpreter's English prompt itself; under Wine it is the
    // interpreter's own ("Press any key to continue... ").
    std::string pause_prompt = {};

    // The folder separator in the paths that messages name.
    char path_separator = '/';

    // The line end in standard output when it is a file (Windows text mode
    // writes CR LF).
    std::string file_line_end = "\n";

    // The output log (tmux pipe-pane) holds the program's own bytes, after
    // the terminal's output processing (a line feed arrives as CR LF). Under
    // Wine it holds the console's drawing instead: each text the program
    // writes is drawn once, in one piece, so it can still be counted there,
    // but the bytes around it are the console's own.
    bool log_is_program_output = true;

    // What the program writes to clear the screen, as the output log shows
    // it (only looked at when the log holds the program's output): on POSIX,
    // the pane's description's clear and scrollback erase, as clear(1) sends
    // them.
    std::string clear_bytes = "\x1b[H\x1b[J\x1b[3J";

    // What the program writes around each key wait to switch the terminal's
    // keypad to transmit mode, and back (only looked at where the log holds
    // the program's output or the terminal's settings are the program's):
    // on POSIX, the pane's description's switches. Empty where it leaves the
    // keypad alone, as a build that reads no terminal descriptions does.
    std::string keypad_on = "\x1b[?1h\x1b=";
    std::string keypad_off = "\x1b[?1l\x1b>";
    std::string key_wait_switches() const { return keypad_on + keypad_off; }

    // Clearing the screen empties the terminal's scrollback too ("\x1b[3J"),
    // as "cls" empties the console's buffer; the scenarios then see the
    // scrollback as part of the screen. Wine's console repaints the visible
    // screen only.
    bool clear_empties_scrollback = true;

    // The bytes of a lone Escape reach the program as the Escape key (Wine in
    // a Unix terminal drops it).
    bool lone_escape_is_a_key = true;

    // Home and End as tmux sends them reach the program as those keys.
    bool home_and_end_are_keys = true;

    // A key whose bytes come 0.15 s apart is dropped whole, never read as
    // other keys (Wine's console reads its pieces as keys).
    bool split_key_is_dropped = true;

    // Ctrl+C during a key wait is the key 3 (under Wine it is a console event).
    bool ctrl_c_is_a_key = true;

    // An arrow key ends the pause, as any key ends the Windows interpreter's
    // (Wine's takes it and goes on waiting).
    bool arrow_ends_pause = true;

    // Keys still come from the terminal when standard input is a file (under
    // Wine in a Unix terminal they stop arriving).
    bool keys_arrive_with_stdin_redirected = true;

    // The terminal's settings (stty) and POSIX signals during a key wait are
    // the program's own business, so a key wait shows as the terminal leaving
    // canonical mode. Under Wine the console layer owns them and keeps the
    // terminal raw throughout; a key wait shows only on the screen.
    bool terminal_settings_are_the_programs = true;

    // Wine's setting that logs every process the program starts, on its
    // standard error ("NAME=value"); empty where nothing logs them.
    std::string process_trace_variable{};

    // The program opens its files in the test's mount namespace, so that a
    // mount the test makes there (a full disk, a read-only folder) is what
    // it meets. Under Wine the prefix's wineserver opens them, and it may
    // have been started outside that namespace by an earlier test.
    bool sees_test_mounts = true;

    // Files have POSIX owners, permission bits and symbolic links, as the
    // program sees them, and the program can be run as another user. Under
    // Wine a link is a plain file and owners mean nothing.
    bool files_have_posix_owners = true;

    // The command that lists a folder's files with the short (8.3) names that
    // its file system finds them by too, each before the long name: Wine's
    // "dir /x". Empty where the test's folders give files no such names (on
    // POSIX only FAT and Windows shares do).
    std::vector<std::string> short_names_listing = {};

    // What the terminal sends for the key that ends input at a prompt
    // (Ctrl+D); empty where it cannot be typed (Wine in a Unix terminal
    // swallows Ctrl+Z).
    std::string end_of_input_key = "\x04";

    // "/?" asks for the help, as it asks Windows programs.
    bool slash_question_is_help = false;

    // How long any single wait may take before the scenario fails.
    std::chrono::milliseconds timeout{10000};
};

}  // namespace harness
