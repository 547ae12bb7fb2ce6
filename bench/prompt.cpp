// The start-up yardstick: a minimal C++ program, linked with the shared
// libraries that qkeditor loads, that prints the menu's prompt and waits for
// a line. Its start is what loading those libraries costs.
#include <iostream>
#include <string>

int main() {
    std::cout << "Eliga una opcion: " << std::flush;
    std::string line;
    std::getline(std::cin, line);
}
