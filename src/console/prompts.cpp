#include "console/prompts.hpp"

#include "console/keys.hpp"
#include "console/lines.hpp"
#include "console/output.hpp"

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

void read_limited_entry(std::string_view prompt, std::string& field, std::size_t limit,
                        std::string_view message) {
    print(prompt);
    read_line(field);
    if (field.size() > limit) {
        print(message);
        ask_back_or_quit();
        field.resize(limit);  // the record never holds more than the server's field
    }
}

}  // namespace console
