// The one shape of the program's failure messages: what failed, why, what to
// do next, then a closing; on lines of at most 79 columns, so that an
// 80-column console never splits a word. A column is a byte of the code
// page's text: one for a character of a single-byte code page, two for a
// double-byte character, which the console shows two columns wide.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

inline constexpr std::size_t message_width = 79;

// The closings: where the failure changed nothing on disk, and where the
// program ends. A failed write that left something under a record's name
// ends instead with a paragraph that starts with left_behind, saying what
// was left and what to do with it.
inline constexpr std::string_view nothing_changed = "No se ha cambiado nada.";
inline constexpr std::string_view program_ends = "El programa termina.";
inline constexpr std::string_view left_behind = "Ha quedado ";

// What failed, where a record was not stored.
inline constexpr std::string_view record_not_stored = "No se pudo guardar el registro";

// `text` wrapped as one word: a path, a name or a command, whose spaces
// never break a line.
std::string unbreakable(std::string_view text);

// A command for the operator to type, on a line of its own, indented; it
// follows a sentence that ends in ":".
std::string command_line(std::string_view command);

// Each line of `text` wrapped at its spaces to message_width columns. A word
// longer than a line (a long path) stands on a line of its own.
std::string wrapped(std::string_view text);

// "<what>: <why>. <to_do>", then `closing` on a line of its own, wrapped.
// `to_do` is whole sentences, or ends with a command_line.
std::string failure_message(std::string_view what, std::string_view why, std::string_view to_do,
                            std::string_view closing);

// "contiene el caracter <character>, que <reason>": the one way a refusal
// names a character. `character` is shown quoted ("\":\"", "\"\\x09\""), or
// named by code_point where the code page cannot show it.
std::string holds_character(std::string_view character, std::string_view reason);

// A Unicode character's name, "U+03A9": the same on every platform and in
// every code page, and one that the operator can look up.
std::string code_point(char32_t code);

}  // namespace text
