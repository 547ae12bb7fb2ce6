// The main menu: one key chooses one command.
#pragma once

namespace app {

// Prints the seven pieces of the menu.
void print_menu();

// "Esta seguro que desea salir? (S/N)": "S" ends the program with status 1.
void confirm_exit();

// Shows the menu and runs the chosen commands until the operator leaves.
// Gives the process's exit status when the loop itself ends.
int run_menu();

}  // namespace app
