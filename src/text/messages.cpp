#include "text/messages.hpp"

#include <algorithm>
#include <array>
#include <cstdio>

namespace text {
namespace {

// A space that does not break a line. No shown text holds this control
// character: entries, names and paths are shown with theirs as "\x1F".
constexpr char unbreakable_space = '\x1f';

// Appends one line of text, wrapped: each word goes on the line so far
// while it fits.
void append_wrapped(std::string_view line, std::string& out) {
    std::string current;
    for (std::size_t start = 0, words = 0;; ++words) {
        const std::size_t end = line.find(' ', start);
        const std::string_view word = line.substr(start, end == std::string_view::npos ? end : end - start);
        if (words > 0 && current.size() + 1 + word.size() > message_width) {
            out += current;
            out += '\n';
            current.clear();
        } else if (words > 0) {
            current += ' ';
        }
        current += word;
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    out += current;
}

}  // namespace

std::string unbreakable(std::string_view text) {
    std::string kept(text);
    std::replace(kept.begin(), kept.end(), ' ', unbreakable_space);
    return kept;
}

std::string command_line(std::string_view command) {
    std::string line = "\n  ";
    line += command;
    std::replace(line.begin() + 1, line.end(), ' ', unbreakable_space);
    return line;
}

std::string wrapped(std::string_view text) {
    std::string out;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\n', start);
        append_wrapped(text.substr(start, end == std::string_view::npos ? end : end - start), out);
        if (end == std::string_view::npos) break;
        out += '\n';
        start = end + 1;
    }
    std::replace(out.begin(), out.end(), unbreakable_space, ' ');
    return out;
}

std::string failure_message(std::string_view what, std::string_view why, std::string_view to_do,
                            std::string_view closing) {
    std::string message(what);
    message += ": ";
    message += why;
    message += ". ";
    message += to_do;
    message += '\n';
    message += closing;
    return wrapped(message);
}

std::string holds_character(std::string_view character, std::string_view reason) {
    std::string phrase = "contiene el caracter ";
    phrase += character;
    phrase += ", que ";
    phrase += reason;
    return phrase;
}

std::string code_point(char32_t code) {
    std::array<char, 16> name{};
    std::snprintf(name.data(), name.size(), "U+%04X", static_cast<unsigned>(code));
    return name.data();
}

}  // namespace text
