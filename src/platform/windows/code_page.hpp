// Text between the Windows code pages and UTF-16. Typed lines arrive in
// UTF-16 from the console; entries, file names and printed texts are held in
// the ANSI code page, the one the ...A file functions read names in.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform {

// `bytes` in the ANSI code page, as UTF-16.
std::wstring wide_from_ansi(std::string_view bytes);

// `units` in the ANSI code page, a character it lacks as its default
// character: for showing, never for a name.
std::string ansi_from_wide(std::wstring_view units);

// One character (a UTF-16 unit, or a surrogate pair) in the ANSI code page,
// never a look-alike: `representable` is false when the code page lacks it,
// and the bytes are then the code page's default character.
struct AnsiCharacter {
    std::string bytes;
    bool representable = true;
};
AnsiCharacter ansi_character(std::wstring_view character);

}  // namespace platform
