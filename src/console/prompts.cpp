#include "console/prompts.hpp"

#include "console/keys.hpp"
#include "console/output.hpp"
#include "platform/platform.hpp"
#include "text/entry_text.hpp"

namespace console {

void ask_back_or_quit() {
    print("\n\nDesea volver o salir? (V/S)\n");
    const int answer = key_upper(read_key());
    // As at the menu: with no key to read, going on would write a record
    // whose back-or-quit question nobody answered.
    if (answer == key_unreadable) end_without_terminal();
    if (answer == 'V') {
        clear_screen();
    } else if (answer == 'S') {
        quit();
    }
}

LineRead read_limited_entry(std::string_view prompt, std::string& field, std::size_t limit,
                            std::string_view message) {
    print(prompt);
    LineRead read = read_line(field);
    if (field.size() > limit) {
        print(message);
        ask_back_or_quit();
        field = text::first_bytes(field, limit, platform::entry_code_page());
        read.cut = true;
    }
    return read;
}

}  // namespace console
