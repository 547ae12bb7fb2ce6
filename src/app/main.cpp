#include <span>

#include "app/command_line.hpp"
#include "app/menu.hpp"

int main(int argc, char** argv) {
    // Past the program's own name, which a caller may leave out (argc 0).
    const std::span<const char* const> command_line(argv, static_cast<std::size_t>(argc));
    const auto arguments = command_line.empty() ? command_line : command_line.subspan(1);
    if (const auto status = app::answer_arguments(arguments)) return *status;
    return app::run_menu();
}
