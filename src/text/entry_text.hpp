// What the bytes of an entry mean: its first byte's code, its characters in
// the code page of entries, and the bytes that may never go into a record.
#pragma once

#include <bitset>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace text {

// The first byte read as a signed 8-bit value: 0 for an empty text, -128 to
// -1 for a first byte of 128 or more. It names the bucket folder of a name.
int first_byte_code(std::string_view bytes);

// The UTF-8 character at the start of `bytes` (which must not be empty).
struct Utf8Character {
    std::size_t length = 1;  // 0: the bytes so far are the start of a character, which is incomplete
    bool valid = false;      // false: the first byte is no character's start; it stands alone
    char32_t code_point = 0;
};
Utf8Character next_utf8_character(std::string_view bytes);

// How a code page makes characters of bytes: UTF-8, a double-byte code page
// (932, 936, 949, 950), where a lead byte and the byte after it are one
// character, or one byte per character. The platform knows its lead bytes.
struct CodePage {
    bool utf8 = false;
    std::bitset<256> lead_bytes;
};

// The length of the character at the start of `bytes` (which must not be
// empty): 0 when `bytes` ends inside it; a byte that starts no character
// (invalid UTF-8) stands alone.
std::size_t character_length(std::string_view bytes, const CodePage& code_page);

// The number of characters, a byte that starts no character counting one.
std::size_t character_count(std::string_view bytes, const CodePage& code_page);

// At most the first `bound` bytes, without a character that the bound would
// cut in two.
std::string_view first_bytes(std::string_view bytes, std::size_t bound, const CodePage& code_page);

// `bytes` without an incomplete character at its end, as a cut through a
// character leaves one.
std::string_view without_cut_character(std::string_view bytes, const CodePage& code_page);

// Bytes below 0x20, and 0x7F: they can start escape sequences, end lines or
// end strings, so no entry that holds one is written anywhere.
bool is_control(unsigned char byte);
std::optional<unsigned char> first_control_byte(std::string_view bytes);

// A byte as "\xHH", as messages show what cannot be shown as it is.
std::string hex_escape(unsigned char byte);

// Which bytes beyond ASCII a terminal reads as control codes (C1, such as
// the 8-bit forms of Escape-[ and of the start of a window title).
enum class C1Controls {
    none,   // none: 0x80 to 0x9F are characters (the Windows console's code pages)
    bytes,  // the bytes 0x80 to 0x9F (a terminal whose encoding is not UTF-8)
    utf8,   // the characters U+0080 to U+009F (a UTF-8 terminal)
};

// `bytes` as they can be shown on a terminal that reads `c1` as control
// codes: control bytes, and the bytes of those codes, as "\xHH", so that an
// entry, a name or a path echoed in a message can never drive the terminal.
std::string printable(std::string_view bytes, C1Controls c1);

}  // namespace text
