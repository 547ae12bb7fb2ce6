// The Windows code page of entries on POSIX, and the conversions between it
// and the terminal's encoding. A Windows server (on Windows, under Wine, or
// over a network share) files a name by its bytes in the ANSI code page, and
// shows its file names on Linux in the locale's encoding: so entries are held
// in that code page, and file names and the screen get the terminal's bytes.
#pragma once

#include <iconv.h>

#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "text/entry_text.hpp"

namespace platform {

// The locale that the operator chose for `category` ("LC_CTYPE",
// "LC_MESSAGES"): the first of LC_ALL, the category's own variable and LANG
// that is set and not empty; "C" where none is.
std::string locale_name(const char* category);

// The language of a locale's name: "es" for "es_ES.UTF-8".
std::string_view locale_language(std::string_view name);

// The ANSI code page that Wine gives Windows programs for a locale, from the
// locale's name ("ja_JP.UTF-8", "sr_RS@latin", "C").
int ansi_code_page_of_locale(std::string_view locale_name);

// An entry converted from the terminal's encoding.
struct ConvertedEntry {
    std::string text;              // in the ANSI code page; "?" for what could not be converted
    bool cut = false;              // longer than the bound: the rest was dropped
    bool unrepresentable = false;  // a character that the code page lacks
    char32_t lacking = 0;          // with unrepresentable: the first such character
    bool undecodable = false;      // bytes that are no text in the terminal's encoding
};

// The conversions, with the C library's iconv, between a terminal's encoding
// and an ANSI code page.
class TextConversions {
public:
    // Ends the program with a message where the C library cannot convert
    // between the two.
    TextConversions(const std::string& terminal_encoding, int code_page);
    ~TextConversions();
    TextConversions(const TextConversions&) = delete;
    TextConversions& operator=(const TextConversions&) = delete;

    // How the code page makes characters of bytes: its lead bytes and its
    // characters as iconv tells them, with Windows' C1 controls.
    const text::CodePage& code_page() const { return code_page_; }

    // Converts typed bytes to the code page, each character to its own form
    // or to nothing (never to a look-alike), keeping the characters that fit
    // in `bound` bytes there: what follows them is dropped, and says nothing
    // of the entry. Where `cut` (the line was longer than what was typed
    // here), a character cut off at the end is dropped; otherwise an
    // unfinished character is no text.
    ConvertedEntry ansi_from_terminal(std::string_view typed, bool cut,
                                      std::size_t bound = std::numeric_limits<std::size_t>::max()) const;

    // `ansi` in the terminal's encoding, for the screen: a character that the
    // terminal's encoding lacks shows as "?". A control character is shown
    // as it is (text::printable escapes them first, where they may be).
    std::string terminal_from_ansi(std::string_view ansi) const;

    // `ansi` as a file name in the terminal's encoding; empty when it lacks
    // one of its characters.
    std::optional<std::string> file_name_from_ansi(std::string_view ansi) const;

    // Typed bytes as they can be shown on the terminal (see text::printable):
    // its C1 controls are characters in its encoding (U+0080 to U+009F), never
    // a byte of a longer character (EUC-JP, GB18030, Big5); a byte that
    // starts no character is shown as "\xHH" too.
    std::string printable_typed(std::string_view typed) const;

private:
    std::optional<std::string> ansi_character(std::string_view unicode) const;
    // `ansi` in the terminal's encoding, a character at a time, "?" for one
    // that it lacks; `complete` says whether there was none.
    std::string in_terminal_encoding(std::string_view ansi, bool& complete) const;
    // The fewest typed bytes that the terminal's encoding reads as one whole
    // character; a byte that starts none stands alone, as a control, since a
    // terminal that reads bytes may take it for one.
    text::ReadCharacter typed_character(std::string_view typed) const;

    iconv_t to_unicode_;  // the terminal's bytes to UTF-32
    iconv_t unicode_to_ansi_;
    iconv_t ansi_to_unicode_;
    iconv_t ansi_to_terminal_;
    text::CodePage code_page_;
};

// The conversions for the operator's locale (LC_ALL, LC_CTYPE, LANG): its
// encoding is the terminal's, and the code page is the one Wine would give.
const TextConversions& locale_conversions();

}  // namespace platform
