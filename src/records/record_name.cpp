#include "records/record_name.hpp"

#include <algorithm>
#include <array>

#include "text/entry_text.hpp"

namespace records {
namespace {

constexpr std::string_view forbidden_characters = "<>:\"/\\|?*";

char ascii_upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Windows opens a device, not a file, for these names, with any extension
// and with spaces before the extension ("CON .txt"). COM0 and LPT0 are
// reserved too, and the superscript digits (bytes B9, B2, B3 in the ANSI code
// page) count as digits there.
bool is_reserved_device(std::string_view name) {
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(), ascii_upper);

    constexpr std::array<std::string_view, 6> devices = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    if (std::find(devices.begin(), devices.end(), base) != devices.end()) return true;

    if (base.size() != 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0)) return false;
    const auto digit = static_cast<unsigned char>(base[3]);
    return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

}  // namespace

std::optional<std::string> unsafe_name_reason(std::string_view name, const text::CodePage& code_page) {
    if (name.empty()) return "esta vacio";
    // The first byte of each character: the second byte of a double-byte
    // character is never one of these, whatever its value.
    for (std::string_view rest = name; !rest.empty();) {
        const char c = rest.front();
        const std::size_t length = std::max<std::size_t>(1, text::character_length(rest, code_page));
        const bool control = text::is_control_character(rest.substr(0, length), code_page);
        rest.remove_prefix(length);
        if (control) return "contiene un caracter de control";
        if (forbidden_characters.find(c) != std::string_view::npos) {
            return std::string("contiene el caracter ") + c + ", que Windows no admite en nombres de archivo";
        }
    }
    if (is_reserved_device(name)) return "Windows lo reserva para un dispositivo";
    return std::nullopt;
}

}  // namespace records
