#include "console/prompts.hpp"

#include "console/keys.hpp"
#include "console/output.hpp"
#include "platform/platform.hpp"
#include "text/entry_text.hpp"

namespace console {

void ask_back_or_quit() {
    print("\n\nDesea volver o salir? (V/S)\n");
    const int answer = key_upper(read_key());
    if (answer == 'V') {
        clear_screen();
    } else if (answer == 'S') {
        quit();
    }
}

LineRead read_limited_entry(std::string_view prompt, std::string& field, std::size_t limit,
                            std::string_view message) {
    print(prompt);
    const LineRead read = read_line(field);
    const bool utf8 = platform::text_is_utf8();
    if (text::character_count(field, utf8) > limit) {
        print(message);
        ask_back_or_quit();
        field = text::first_characters(field, limit, utf8);  // never more than the server's field
    }
    return read;
}

}  // namespace console
