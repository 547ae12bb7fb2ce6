// Windows line ends: what text mode writes, and what the record files hold.
#pragma once

#include <string>
#include <string_view>

namespace text {

// `text` with every line feed written as CR LF, nothing else changed.
inline std::string with_crlf_line_ends(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

}  // namespace text
