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
    char32_t lacking = 0;          // with unrepresentable: the first such character
};

// Why an entry that is no text in the terminal's encoding is refused, as a
// phrase that follows what names the entry, and what to do about it, as the
// start of a sentence.
inline constexpr std::string_view not_text = "no es texto en la codificacion del terminal";
inline constexpr std::string_view match_the_encoding =
    "Haga que coincidan la codificacion del terminal y la de LANG, LC_CTYPE o LC_ALL";

// Why an entry that holds a character that the code page lacks is refused,
// as a phrase that follows what names the entry.
std::string lacks_character(const LineRead& read);

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
