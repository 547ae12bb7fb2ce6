#include "records/record_name.hpp"

#include <algorithm>
#include <array>

#include "text/entry_text.hpp"
#include "text/messages.hpp"

namespace records {
namespace {

constexpr std::string_view forbidden_characters = "<>:\"/\\|?*";

char ascii_upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Windows opens a device, not a file, for these names, with any extension
// and with spaces before the extension ("CON .txt"). COM0 and LPT0 are
// reserved too, and the superscript digits count as digits there: "COM¹" is
// a device, "COMｹ" in 932 and "COMІ" in 1251 (the same byte as "¹" in 1252)
// are not.
bool is_reserved_device(std::string_view name, const text::CodePage& code_page) {
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(), ascii_upper);

    constexpr std::array<std::string_view, 6> devices = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    if (std::find(devices.begin(), devices.end(), base) != devices.end()) return true;

    if (!base.starts_with("COM") && !base.starts_with("LPT")) return false;
    const std::string_view digit = std::string_view(base).substr(3);
    if (digit.empty() || text::character_length(digit, code_page) != digit.size()) return false;
    const std::optional<char32_t> code = text::character_code(digit, code_page);
    constexpr std::u32string_view digits = U"0123456789\u00B9\u00B2\u00B3";
    return code && digits.find(*code) != std::u32string_view::npos;
}

}  // namespace

std::optional<std::string> unsafe_name_reason(std::string_view name, const text::CodePage& code_page) {
    if (name.empty()) return "esta vacio";
    // The first byte of each character: the second byte of a double-byte
    // character is never one of these, whatever its value.
    for (std::string_view rest = name; !rest.empty();) {
        const char c = rest.front();
        const std::size_t length = std::max<std::size_t>(1, text::character_length(rest, code_page));
        const std::string_view character = rest.substr(0, length);
        rest.remove_prefix(length);
        if (text::is_control_character(character, code_page)) {
            return text::holds_character('"' + text::printable(character, code_page) + '"', "es de control");
        }
        if (forbidden_characters.find(c) != std::string_view::npos) {
            return text::holds_character(std::string("\"") + c + "\"",
                                         "Windows no admite en nombres de archivo");
        }
    }
    if (is_reserved_device(name, code_page)) return "Windows lo reserva para un dispositivo";
    return std::nullopt;
}

}  // namespace records
