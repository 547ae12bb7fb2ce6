#include "app/menu.hpp"

#include <algorithm>
#include <array>

#include "console/char_code.hpp"
#include "console/keys.hpp"
#include "console/output.hpp"
#include "records/account_file.hpp"
#include "records/folders.hpp"
#include "records/gm_file.hpp"

namespace app {
namespace {

// Ctrl+E at the menu ends the program with status 0; the menu does not say so.
constexpr int hidden_exit_key = 5;

struct MenuCommand {
    int key;
    void (*run)();
    bool clear_after;  // whether the loop clears the screen once it returns
};

// clang-format off
constexpr std::array menu_commands = {
    MenuCommand{'1', records::create_folders, true},
    MenuCommand{'2', records::create_account, true},
    MenuCommand{'3', console::show_char_code, true},
    MenuCommand{'4', records::create_gm, true},
    MenuCommand{'0', confirm_exit, false},
};
// clang-format on

void report_invalid_option() {
    console::print("Opcion incorrecta");
}

constexpr MenuCommand invalid_option{-1, report_invalid_option, true};

const MenuCommand& command_for(int key) {
    const auto* found = std::find_if(menu_commands.begin(), menu_commands.end(),
                                     [key](const MenuCommand& command) { return command.key == key; });
    return found != menu_commands.end() ? *found : invalid_option;
}

}  // namespace

void print_menu() {
    console::print("-------QK Editor v1.2--------\n");
    console::print("1.- Crear Carpetas\n");
    console::print("2.- Crear Cuenta\n");
    console::print("3.- Calcular AscII\n");
    console::print("4.- Crear GM\n");
    console::print("0.- Salir\n");
    console::print("Eliga una opcion: ");
}

void confirm_exit() {
    console::print("\n\nEsta seguro que desea salir? (S/N)\n");
    const int answer = console::key_upper(console::read_key());
    if (answer == 'S') {
        console::quit();
    } else if (answer == 'N') {
        console::clear_screen();
    }
}

int run_menu() {
    for (;;) {
        print_menu();
        const int key = console::read_key();
        if (key == console::key_unreadable) console::end_without_terminal();
        const MenuCommand& command = command_for(key);
        command.run();
        if (command.clear_after) console::clear_screen();
        if (key == hidden_exit_key) return 0;
    }
}

}  // namespace app
