#include "console/char_code.hpp"

#include <string>

#include "console/lines.hpp"
#include "console/output.hpp"
#include "text/entry_text.hpp"
#include "text/messages.hpp"

namespace console {

void show_char_code() {
    std::string char_entry;  // fresh for every run: empty at the end of input
    clear_screen();
    begin_dialogue();
    print("Introduce el caracter para calcular el valor ascii: ");
    const LineRead read = read_line(char_entry);
    constexpr std::string_view what = "No se puede calcular el valor AscII";
    if (read.undecodable) {
        print('\n' +
              text::failure_message(what, "la entrada " + std::string(not_text),
                                    std::string(match_the_encoding) + ", y vuelva a escribir el caracter.",
                                    text::nothing_changed));
    } else if (read.unrepresentable) {
        print('\n' + text::failure_message(what, "la entrada " + lacks_character(read),
                                           "Ningun nombre puede empezar por el: escriba otro caracter.",
                                           text::nothing_changed));
    } else {
        print("\nEl valor AscII del caracter " + escaped(char_entry) + ", es " +
              std::to_string(text::first_byte_code(char_entry)));
    }
    print("\n");
    pause();
}

}  // namespace console
