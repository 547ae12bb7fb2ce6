#include "platform/windows/code_page.hpp"

#include "platform/platform.hpp"
#include "text/entry_text.hpp"

namespace platform {

std::wstring wide_from_ansi(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

std::string ansi_from_wide(std::wstring_view units) {
    if (units.empty()) return {};
    const int size = static_cast<int>(units.size());
    const int length = ::WideCharToMultiByte(CP_ACP, 0, units.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, units.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

const text::CodePage& entry_code_page() {
    static const text::CodePage code_page = [] {
        text::CodePage made;
        made.number = static_cast<int>(::GetACP());
        made.utf8 = made.number == CP_UTF8;
        if (made.utf8) return made;
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            made.lead_bytes[byte] = ::IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(byte)) != FALSE;
            const char alone = static_cast<char>(byte);
            wchar_t character = 0;
            if (!made.lead_bytes[byte] &&
                ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &alone, 1, &character, 1) == 1) {
                made.characters[byte] = character;
            }
        }
        return made;
    }();
    return code_page;
}

AnsiCharacter ansi_character(std::wstring_view character) {
    // Four bytes hold any character of any ANSI code page, UTF-8 included.
    char bytes[4];
    const int units = static_cast<int>(character.size());
    AnsiCharacter converted;
    int length = 0;
    if (::GetACP() == CP_UTF8) {
        // UTF-8 holds every character; only a lone surrogate has no form.
        length = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, character.data(), units, bytes,
                                       sizeof bytes, nullptr, nullptr);
        if (length == 0) {
            converted.representable = false;
            length = ::WideCharToMultiByte(CP_UTF8, 0, character.data(), units, bytes, sizeof bytes, nullptr,
                                           nullptr);
        }
    } else {
        BOOL used_default = FALSE;
        length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, character.data(), units, bytes,
                                       sizeof bytes, nullptr, &used_default);
        converted.representable = used_default == FALSE;
    }
    if (length <= 0) return {{}, false};
    converted.bytes.assign(bytes, static_cast<std::size_t>(length));
    return converted;
}

}  // namespace platform
