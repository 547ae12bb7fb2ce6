// Lines typed by the operator, read from standard input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace console {

// The most of a line that is kept, in bytes; the rest of a longer line is
// read and dropped. Far above what any field of the server holds.
inline constexpr std::size_t line_bound = 1024;

// What became of one read_line.
struct LineRead {
    bool given = false;            // false: the input had ended; the field kept its value
    bool cut = false;              // longer than line_bound, or than the limit of a limited
                                   // entry: the field holds its first part
    bool unrepresentable = false;  // holds a character that file names cannot carry here
    bool undecodable = false;      // not text in the terminal's encoding
};

// Why an entry that is no text in the terminal's encoding is refused, as a
// phrase that follows what names the entry.
inline constexpr std::string_view not_text =
    "no es texto en la codificacion del terminal (vea LANG, LC_CTYPE y LC_ALL)";

// Starts the lines of one dialogue. End of input typed at a terminal ends
// only the dialogue it was typed in; from a file or a pipe it is the end.
void begin_dialogue();

// Reads one line from standard input into `field`, without its line end. A
// last line without a line feed counts as a line. At the end of input nothing
// is read and `field` keeps the value it had; so does every later read of
// the same dialogue, without waiting. A line cut at line_bound is never cut
// inside a character.
LineRead read_line(std::string& field);

}  // namespace console
