#include "text/entry_text.hpp"

#include <algorithm>
#include <array>

namespace text {
namespace {

bool is_continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// How many bytes a character with this first byte has; 1 for ASCII and for
// bytes that start no character.
std::size_t sequence_length(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

// A byte as "\xHH", as messages show what cannot be shown as it is.
std::string hex_escape(unsigned char byte) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    return {'\\', 'x', digits[byte >> 4], digits[byte & 0xF]};
}

}  // namespace

int first_byte_code(std::string_view bytes) {
    return bytes.empty() ? 0 : static_cast<signed char>(bytes.front());
}

Utf8Character next_utf8_character(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes.front());
    const std::size_t length = sequence_length(lead);
    if (lead < 0x80) return {1, true, lead};
    if (length == 1) return {1, false, 0};

    const std::size_t available = std::min(length, bytes.size());
    for (std::size_t i = 1; i < available; ++i) {
        if (!is_continuation(static_cast<unsigned char>(bytes[i]))) return {1, false, 0};
    }
    if (available < length) return {0, false, 0};

    char32_t code_point = lead & (0x7FU >> length);
    for (std::size_t i = 1; i < length; ++i) {
        code_point = (code_point << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3FU);
    }
    // Overlong forms and UTF-16 surrogates are no characters.
    constexpr std::array<char32_t, 5> smallest = {0, 0, 0x80, 0x800, 0x10000};
    const bool valid = code_point >= smallest[length] && code_point <= 0x10FFFF &&
                       (code_point < 0xD800 || code_point > 0xDFFF);
    if (!valid) return {1, false, 0};
    return {length, true, code_point};
}

std::size_t character_length(std::string_view bytes, const CodePage& code_page) {
    if (code_page.utf8) {
        const Utf8Character character = next_utf8_character(bytes);
        return character.valid || character.length == 0 ? character.length : 1;
    }
    if (!code_page.lead_bytes[static_cast<unsigned char>(bytes.front())]) return 1;
    return bytes.size() < 2 ? 0 : 2;
}

std::size_t character_count(std::string_view bytes, const CodePage& code_page) {
    std::size_t count = 0;
    for (; !bytes.empty(); ++count) {
        bytes.remove_prefix(std::max<std::size_t>(1, character_length(bytes, code_page)));
    }
    return count;
}

std::string_view first_bytes(std::string_view bytes, std::size_t bound, const CodePage& code_page) {
    return bytes.size() <= bound ? bytes : without_cut_character(bytes.substr(0, bound), code_page);
}

std::string_view without_cut_character(std::string_view bytes, const CodePage& code_page) {
    // A double-byte code page's trail bytes may look like lead bytes, so the
    // characters are counted from the start.
    std::size_t whole = 0;
    while (whole < bytes.size()) {
        const std::size_t length = character_length(bytes.substr(whole), code_page);
        if (length == 0) break;
        whole += length;
    }
    return bytes.substr(0, whole);
}

std::optional<char32_t> character_code(std::string_view character, const CodePage& code_page) {
    if (code_page.utf8) {
        const Utf8Character read = next_utf8_character(character);
        if (!read.valid) return std::nullopt;
        return read.code_point;
    }
    if (character.size() != 1) return std::nullopt;
    const auto byte = static_cast<unsigned char>(character.front());
    if (byte < 0x80) return byte;
    if (code_page.characters[byte] == 0) return std::nullopt;
    return code_page.characters[byte];
}

bool is_control_code(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

bool is_control_character(std::string_view character, const CodePage& code_page) {
    const std::optional<char32_t> code = character_code(character, code_page);
    return code && is_control_code(*code);
}

std::optional<std::string_view> first_control_character(std::string_view bytes, const CodePage& code_page) {
    while (!bytes.empty()) {
        const std::string_view character =
            bytes.substr(0, std::max<std::size_t>(1, character_length(bytes, code_page)));
        if (is_control_character(character, code_page)) return character;
        bytes.remove_prefix(character.size());
    }
    return std::nullopt;
}

std::string printable(std::string_view bytes, const CharacterReader& read) {
    std::string shown;
    while (!bytes.empty()) {
        const ReadCharacter character = read(bytes);
        const std::size_t length = std::clamp<std::size_t>(character.length, 1, bytes.size());
        for (const char c : bytes.substr(0, length)) {
            shown += character.control ? hex_escape(static_cast<unsigned char>(c)) : std::string(1, c);
        }
        bytes.remove_prefix(length);
    }
    return shown;
}

std::string printable(std::string_view bytes, const CodePage& code_page) {
    return printable(bytes, [&code_page](std::string_view rest) {
        const std::size_t length = std::max<std::size_t>(1, character_length(rest, code_page));
        return ReadCharacter{length, is_control_character(rest.substr(0, length), code_page)};
    });
}

}  // namespace text
