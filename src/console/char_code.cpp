#include "console/char_code.hpp"

#include <string>

#include "console/lines.hpp"
#include "console/output.hpp"
#include "text/entry_text.hpp"

namespace console {

void show_char_code() {
    std::string char_entry;  // fresh for every run: empty at the end of input
    clear_screen();
    begin_dialogue();
    print("Introduce el caracter para calcular el valor ascii: ");
    const LineRead read = read_line(char_entry);
    if (read.undecodable) {
        print("\nLa entrada " + std::string(not_text) + ".");
    } else if (read.unrepresentable) {
        print(
            "\nEse caracter no existe en la pagina de codigos de Windows: ningun nombre puede empezar por "
            "el.");
    } else {
        print("\nEl valor AscII del caracter " + escaped(char_entry) + ", es " +
              std::to_string(text::first_byte_code(char_entry)));
    }
    print("\n");
    pause();
}

}  // namespace console
