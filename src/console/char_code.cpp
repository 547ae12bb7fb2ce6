#include "console/char_code.hpp"

#include <string>

#include "console/lines.hpp"
#include "console/output.hpp"
#include "records/bucket.hpp"

namespace console {

void show_char_code() {
    std::string char_entry;  // fresh for every run: empty at the end of input
    clear_screen();
    print("Introduce el caracter para calcular el valor ascii: ");
    read_line(char_entry);
    print("\nEl valor AscII del caracter " + char_entry + ", es " +
          std::to_string(records::bucket_number(char_entry)));
    print("\n");
    pause();
}

}  // namespace console
