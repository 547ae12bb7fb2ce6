// The pause as the POSIX pieces share it.
#pragma once

#include <string_view>

namespace platform {

// The prompt of the Windows interpreter's "pause", in the language of the
// operator's messages (the locale of LC_MESSAGES: see locale_name) as that
// Windows shows it: Spanish for Spanish, English for every other language.
std::string_view pause_prompt();

}  // namespace platform
