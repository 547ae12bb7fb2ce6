// The command line. The program works in the folder it is started in and
// takes no folder or option of its own but --help and --version (and "/?" on
// Windows), so that no argument is taken for a folder it does not work in.
#pragma once

#include <optional>
#include <span>

namespace app {

// Exit status when an argument is refused, or the answer cannot be written.
inline constexpr int refused_arguments_status = 2;

// Answers the arguments (without the program's own name): the help or the
// version on standard output, or, for any other argument, a message on
// standard error before anything is made. Gives the status to end with;
// nothing when there are no arguments, and the menu is to run.
std::optional<int> answer_arguments(std::span<const char* const> arguments);

}  // namespace app
