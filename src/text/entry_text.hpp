// What the bytes of an entry mean: its first byte's code, its characters in
// the code page of entries, and the bytes that may never go into a record.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <functional>
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
// character, or one byte per character. The platform knows its lead bytes,
// and which character each byte beyond ASCII is on its own.
struct CodePage {
    bool utf8 = false;
    std::bitset<256> lead_bytes;
    // The Unicode character of each byte that is one by itself; 0 where the
    // byte is a lead byte, is no character, or is not known. (The bytes below
    // 0x80 are ASCII in every code page.)
    std::array<char32_t, 256> characters{};
    int number = 0;  // Windows' number for it: 1252, 932... (65001: UTF-8)
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

// The Unicode character that `character` (one character's bytes) is in the
// code page; empty for a double-byte character and for one not known.
std::optional<char32_t> character_code(std::string_view character, const CodePage& code_page);

// Control characters: C0 (below U+0020), DEL and C1 (U+0080 to U+009F, in
// the Windows code pages the bytes that have no character of their own, such
// as 0x90 in 1252). They can start escape sequences, end lines or end
// strings, so no entry that holds one is written anywhere.
bool is_control_code(char32_t code);
bool is_control_character(std::string_view character, const CodePage& code_page);

// The bytes of the first control character in `bytes`; empty when none.
std::optional<std::string_view> first_control_character(std::string_view bytes, const CodePage& code_page);

// The character at the start of a text as an encoding reads it: its length
// (at least one byte), and whether it is a control character there.
struct ReadCharacter {
    std::size_t length = 1;
    bool control = false;
};
using CharacterReader = std::function<ReadCharacter(std::string_view)>;

// `bytes` as they can be shown: the bytes of each control character (C1,
// such as the 8-bit forms of Escape-[ and of the start of a window title,
// included) as "\xHH", every other character as it is, never a part of it
// alone; so that an entry, a name or a path echoed in a message can never
// drive the terminal. `read` tells the characters of the text's encoding.
std::string printable(std::string_view bytes, const CharacterReader& read);
// Text in a code page.
std::string printable(std::string_view bytes, const CodePage& code_page);

}  // namespace text
