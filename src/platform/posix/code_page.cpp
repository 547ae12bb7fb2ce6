#include "platform/posix/code_page.hpp"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdlib>

#include "platform/platform.hpp"
#include "text/entry_text.hpp"
#include "text/messages.hpp"

namespace platform {
namespace {

// The languages whose Windows locales have another ANSI code page than 1252.
struct LanguageCodePage {
    std::string_view language;
    int code_page;
};
constexpr std::array<LanguageCodePage, 40> code_pages_by_language = {{
    {"ja", 932},  {"ko", 949},   {"th", 874},  {"vi", 1258}, {"el", 1253}, {"he", 1255}, {"iw", 1255},
    {"cs", 1250}, {"pl", 1250},  {"hu", 1250}, {"sk", 1250}, {"sl", 1250}, {"hr", 1250}, {"ro", 1250},
    {"sq", 1250}, {"bs", 1250},  {"tk", 1250}, {"ru", 1251}, {"uk", 1251}, {"bg", 1251}, {"be", 1251},
    {"mk", 1251}, {"sr", 1251},  {"kk", 1251}, {"ky", 1251}, {"tt", 1251}, {"mn", 1251}, {"tg", 1251},
    {"tr", 1254}, {"az", 1254},  {"uz", 1254}, {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"ps", 1256},
    {"ug", 1256}, {"ckb", 1256}, {"et", 1257}, {"lv", 1257}, {"lt", 1257},
}};

// The part of a locale name "language_TERRITORY.codeset@modifier" that
// starts after `start` (or at the beginning) and ends before any of `ends`.
std::string_view locale_part(std::string_view name, char start, std::string_view ends) {
    if (start != '\0') {
        const std::size_t at = name.find(start);
        if (at == std::string_view::npos) return {};
        name.remove_prefix(at + 1);
    }
    return name.substr(0, name.find_first_of(ends));
}

// What the operator's locale says of text: its name, and its character set
// where it is installed.
struct OperatorLocale {
    std::string name;
    std::optional<std::string> codeset;  // empty: the locale is not installed
};

OperatorLocale operator_locale() {
    OperatorLocale locale{locale_name("LC_CTYPE"), std::nullopt};
    if (const locale_t installed = ::newlocale(LC_CTYPE_MASK, "", nullptr)) {
        locale.codeset = ::nl_langinfo_l(CODESET, installed);
        ::freelocale(installed);
    }
    return locale;
}

// The terminal's encoding, as iconv names it. The C and POSIX locales say
// nothing about the terminal beyond ASCII: a terminal today sends UTF-8, so
// that is what is read there, and bytes that are not UTF-8 are refused. So is
// a locale that is named but not installed, unless its name gives a codeset
// that iconv knows.
std::string terminal_encoding(const OperatorLocale& locale) {
    if (locale.codeset && *locale.codeset != "ANSI_X3.4-1968") return *locale.codeset;
    std::string named(locale_part(locale.name, '.', "@"));
    if (locale.codeset || named.empty()) return "UTF-8";
    const iconv_t known = ::iconv_open("UTF-8", named.c_str());
    if (reinterpret_cast<std::intptr_t>(known) == -1) return "UTF-8";
    ::iconv_close(known);
    return named;
}

[[noreturn]] void no_conversion(const std::string& from, const std::string& to) {
    write_error(
        '\n' +
        text::failure_message("No se puede convertir el texto de " + from + " a " + to,
                              "faltan los modulos de conversion de la biblioteca de C (iconv)",
                              "Instalelos (en Debian, estan en el paquete libc6) e inicie de nuevo el "
                              "programa.",
                              text::program_ends) +
        '\n');
    std::exit(2);
}

iconv_t open_conversion(const std::string& from, const std::string& to) {
    const iconv_t descriptor = ::iconv_open(to.c_str(), from.c_str());
    if (reinterpret_cast<std::intptr_t>(descriptor) == -1) no_conversion(from, to);
    return descriptor;
}

// What one run of iconv gave: the converted bytes, how many input bytes it
// took, and why it stopped short (0: it did not).
struct Conversion {
    std::string bytes;
    std::size_t taken = 0;
    int error = 0;
};

// Converts more of the input (none: the final call, which gives what the
// converter still holds) into `out`; the reason it stopped short, or 0.
int convert_more(iconv_t descriptor, char** in, std::size_t* in_left, std::string& out) {
    for (;;) {
        std::array<char, 256> buffer{};
        char* out_next = buffer.data();
        std::size_t out_left = buffer.size();
        const std::size_t done = ::iconv(descriptor, in, in_left, &out_next, &out_left);
        out.append(buffer.data(), static_cast<std::size_t>(out_next - buffer.data()));
        if (done != static_cast<std::size_t>(-1)) return 0;
        if (errno != E2BIG) return errno;
    }
}

Conversion convert(iconv_t descriptor, std::string_view in) {
    ::iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    Conversion result;
    char* in_next = const_cast<char*>(in.data());
    std::size_t in_left = in.size();
    result.error = convert_more(descriptor, &in_next, &in_left, result.bytes);
    result.taken = in.size() - in_left;
    // The converters of 1255 and 1258 hold a character back until the final
    // call, since a combining mark may follow it.
    convert_more(descriptor, nullptr, nullptr, result.bytes);
    return result;
}

// The code of a character in UTF-32LE.
char32_t code_of(std::string_view utf32) {
    char32_t code = 0;
    for (std::size_t at = utf32.size(); at-- > 0;) code = (code << 8) | static_cast<unsigned char>(utf32[at]);
    return code;
}

}  // namespace

std::string locale_name(const char* category) {
    for (const char* variable : {"LC_ALL", category, "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return "C";
}

std::string_view locale_language(std::string_view name) {
    return locale_part(name, '\0', "_.@");
}

int ansi_code_page_of_locale(std::string_view locale_name) {
    const std::string_view language = locale_language(locale_name);
    if (language == "zh") {
        const std::string_view territory = locale_part(locale_name, '_', ".@");
        return territory == "TW" || territory == "HK" || territory == "MO" ? 950 : 936;
    }
    if (language == "sr" && locale_part(locale_name, '@', "") == "latin") return 1250;
    if (language == "uz" && locale_part(locale_name, '@', "") == "cyrillic") return 1251;
    const auto* found =
        std::find_if(code_pages_by_language.begin(), code_pages_by_language.end(),
                     [&](const LanguageCodePage& entry) { return entry.language == language; });
    return found == code_pages_by_language.end() ? 1252 : found->code_page;
}

TextConversions::TextConversions(const std::string& terminal_encoding, int code_page) {
    const std::string ansi = "CP" + std::to_string(code_page);
    const std::string unicode = "UTF-32LE";
    to_unicode_ = open_conversion(terminal_encoding, unicode);
    unicode_to_ansi_ = open_conversion(unicode, ansi);
    ansi_to_unicode_ = open_conversion(ansi, unicode);
    ansi_to_terminal_ = open_conversion(ansi, terminal_encoding);
    code_page_.number = code_page;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const char alone = static_cast<char>(byte);
        const Conversion character = convert(ansi_to_unicode_, {&alone, 1});
        // A byte that iconv takes for the start of an unfinished character is
        // a lead byte of the double-byte code page.
        code_page_.lead_bytes[byte] = character.error == EINVAL;
        if (character.error == 0 && character.bytes.size() == 4) {
            code_page_.characters[byte] = code_of(character.bytes);
        } else if (character.error == EILSEQ && byte <= 0x9F) {
            // Windows gives each byte from 0x80 to 0x9F that the code page
            // leaves unassigned the C1 control of the same value (0x90 is
            // U+0090 in 1252); iconv knows no character there.
            code_page_.characters[byte] = static_cast<char32_t>(byte);
        }
    }
}

TextConversions::~TextConversions() {
    for (const iconv_t descriptor : {to_unicode_, unicode_to_ansi_, ansi_to_unicode_, ansi_to_terminal_}) {
        ::iconv_close(descriptor);
    }
}

// One character, four bytes of UTF-32, as one character of the code page:
// only where it comes back as the same character, so that no look-alike
// ("\" for the yen sign in 932) stands in for it, nor a letter and a
// combining mark for a letter that 1258 has no form of its own for.
std::optional<std::string> TextConversions::ansi_character(std::string_view unicode) const {
    Conversion ansi = convert(unicode_to_ansi_, unicode);
    if (ansi.error == 0 && !ansi.bytes.empty() &&
        text::character_length(ansi.bytes, code_page_) == ansi.bytes.size() &&
        convert(ansi_to_unicode_, ansi.bytes).bytes == unicode) {
        return std::move(ansi.bytes);
    }
    // A C1 control that the code page has where iconv does not.
    const char32_t code = code_of(unicode);
    if (code < 0x80 || code > 0x9F || code_page_.characters[code] != code) return std::nullopt;
    return std::string(1, static_cast<char>(code));
}

ConvertedEntry TextConversions::ansi_from_terminal(std::string_view typed, bool cut,
                                                   std::size_t bound) const {
    ConvertedEntry entry;
    entry.cut = cut;
    // Appends a character while it fits in the bound; once one does not, the
    // rest is dropped.
    const auto fits = [&entry, bound](std::string_view character) {
        if (entry.text.size() + character.size() > bound) {
            entry.cut = true;
            return false;
        }
        entry.text += character;
        return true;
    };
    while (!typed.empty()) {
        const Conversion unicode = convert(to_unicode_, typed);
        for (std::size_t at = 0; at + 4 <= unicode.bytes.size(); at += 4) {
            const std::string_view code = std::string_view(unicode.bytes).substr(at, 4);
            const auto character = ansi_character(code);
            if (!fits(character.value_or("?"))) return entry;
            if (!character && !entry.unrepresentable) entry.lacking = code_of(code);
            entry.unrepresentable = entry.unrepresentable || !character;
        }
        typed.remove_prefix(unicode.taken);
        if (unicode.error == 0 || (unicode.error == EINVAL && cut)) break;
        if (!fits("?")) return entry;
        entry.undecodable = true;
        typed.remove_prefix(1);
    }
    return entry;
}

std::string TextConversions::in_terminal_encoding(std::string_view ansi, bool& complete) const {
    std::string converted;
    complete = true;
    while (!ansi.empty()) {
        // Each character on its own: the converters of 1255 and 1258 would
        // read a letter and a combining mark after it as one precomposed
        // letter, where Windows keeps the two.
        const std::size_t length = std::max<std::size_t>(1, text::character_length(ansi, code_page_));
        const Conversion character = convert(ansi_to_terminal_, ansi.substr(0, length));
        complete = complete && character.error == 0;
        converted += character.error == 0 ? character.bytes : "?";
        ansi.remove_prefix(length);
    }
    return converted;
}

std::string TextConversions::terminal_from_ansi(std::string_view ansi) const {
    bool complete = true;
    return in_terminal_encoding(ansi, complete);
}

std::optional<std::string> TextConversions::file_name_from_ansi(std::string_view ansi) const {
    bool complete = true;
    std::string name = in_terminal_encoding(ansi, complete);
    if (!complete) return std::nullopt;
    return name;
}

text::ReadCharacter TextConversions::typed_character(std::string_view typed) const {
    for (std::size_t length = 1; length <= std::min<std::size_t>(typed.size(), MB_LEN_MAX); ++length) {
        const Conversion unicode = convert(to_unicode_, typed.substr(0, length));
        if (unicode.error == EINVAL) continue;
        if (unicode.error != 0 || unicode.bytes.size() != 4) break;
        return {length, text::is_control_code(code_of(unicode.bytes))};
    }
    return {1, true};
}

std::string TextConversions::printable_typed(std::string_view typed) const {
    return text::printable(typed, [this](std::string_view rest) { return typed_character(rest); });
}

const TextConversions& locale_conversions() {
    static const TextConversions conversions = [] {
        const OperatorLocale locale = operator_locale();
        return TextConversions(terminal_encoding(locale),
                               locale.codeset ? ansi_code_page_of_locale(locale.name) : 1252);
    }();
    return conversions;
}

const text::CodePage& entry_code_page() {
    return locale_conversions().code_page();
}

}  // namespace platform
